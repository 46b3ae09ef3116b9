// CBatchDlg: the one modal progress window in which several files are
// converted one after another (a drop of several files, or a command line
// naming more than one). It shows the file in progress with its own bar,
// which the engine drives exactly as it drives the conversion dialog's, and
// the count and bar of the whole batch. As the engine's host it keeps each
// file's messages instead of showing a box per file; at the end it shows
// one summary box and closes. A file whose AU file was written for an
// earlier file of the batch is not converted and fails, as on the console.
//
// The 中止 button, Escape and the close box stop the batch after the file in
// progress: a conversion is never cut in the middle. As in the conversion
// dialog, the event loop runs at every progress step (progress_host.h) so
// the bars repaint and the stop button can be pressed; all other input goes
// nowhere while a file is converted.
#pragma once

#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/gauge.h>
#include <wx/stattext.h>
#include <wx/timer.h>

#include <string>
#include <vector>

#include "batch_outcome.h"
#include "console/run_outputs.h"
#include "progress_host.h"

namespace kelmoro {

class CBatchDlg : public wxDialog, public ProgressHost {
public:
    // A null parent gives the default owner, as for the conversion dialog.
    CBatchDlg(std::vector<std::string> paths, wxWindow* parent = nullptr);

    // Runs the window modally until the batch and its summary are done.
    int DoModal();
    const BatchOutcome& Outcome() const { return m_outcome; }

    // CConvertHost: each file's messages are kept; the file's bar and the
    // wait cursor are ProgressHost's.
    void ReportError(const std::string& text) override;

private:
    void CreateFromTemplate(wxWindow* parent);
    void OnInitDialogEvent(wxInitDialogEvent& event);
    void OnTimer(wxTimerEvent& event);
    // Converts the files in turn until all are done or a stop was asked for.
    void RunBatch();
    void ShowFileInProgress(std::size_t index);
    void ShowSummary();
    void RequestStop();
    void OnStop(wxCommandEvent& event);
    void OnCharHook(wxKeyEvent& event);
    void OnClose(wxCloseEvent& event);

    std::vector<std::string> m_paths;
    RunOutputs m_written;  // no file replaces the AU file of an earlier one
    BatchOutcome m_outcome;
    std::vector<std::string> m_messages;  // of the file in progress
    wxStaticText* m_fileLabel = nullptr;
    wxGauge* m_fileProgress = nullptr;
    wxStaticText* m_countLabel = nullptr;
    wxGauge* m_batchProgress = nullptr;
    wxButton* m_stopButton = nullptr;
    wxStaticText* m_waitText = nullptr;
    wxTimer m_timer;
    bool m_working = false;
    bool m_stopRequested = false;

    wxDECLARE_EVENT_TABLE();
};

}  // namespace kelmoro
