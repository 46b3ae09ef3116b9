// CConvertDlg: the modal dialog in which every conversion runs.
// It shows the input path as its caption, runs the
// conversion job on its first timer tick as the job's host, announces
// success in a plain box and closes with OK. The caller stores the input
// path with SetInputPath and then runs the dialog; nothing is passed back
// except, for the command-line exit status, whether an AU file was written.
//
// While the job runs on the UI thread the event loop runs at every progress
// step (progress_host.h); the input it brings goes to this dialog, which
// swallows it, so no key or click made during the conversion can close the
// dialog or reach the box that follows.
#pragma once

#include <wx/dialog.h>
#include <wx/timer.h>

#include "progress_host.h"

namespace kelmoro {

class CConvertDlg : public wxDialog, public ProgressHost {
public:
    // A null parent gives the framework's default owner: the main window when
    // one is shown, no owner on the command line.
    explicit CConvertDlg(wxWindow* parent = nullptr);

    // Runs the dialog modally; returns wxID_OK or wxID_CANCEL.
    int DoModal();
    // True when the job ran and wrote the AU file.
    bool Converted() const { return m_converted; }

    // CConvertHost: the errors; the bar and the wait cursor are ProgressHost's.
    void ReportError(const std::string& text) override;

protected:
    void DoDataExchange();
    bool OnInitDialog();
    void OnTimer(wxTimerEvent& event);

private:
    void CreateFromTemplate(wxWindow* parent);
    void OnInitDialogEvent(wxInitDialogEvent& event);
    void OnCharHook(wxKeyEvent& event);
    void OnClose(wxCloseEvent& event);
    void OnCancel(wxCommandEvent& event);

    wxTimer m_timer;
    bool m_working = false;  // the job is running inside OnTimer
    bool m_converted = false;

    wxDECLARE_EVENT_TABLE();
};

}  // namespace kelmoro
