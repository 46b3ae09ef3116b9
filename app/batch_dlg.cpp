// CBatchDlg: its layout, the loop over the files, the stop request and the
// host services the engine calls for each file.
#include "batch_dlg.h"

#include <wx/statbmp.h>

#include <algorithm>

#include "dialog_units.h"
#include "engine/convert_context.h"
#include "engine/convert_job.h"
#include "images.h"
#include "res/resource.h"
#include "res/strings.h"
#include "summary_box.h"
#include "test_trace.h"
#include "window_placement.h"
#include "wx_text.h"

namespace kelmoro {

wxBEGIN_EVENT_TABLE(CBatchDlg, wxDialog)
    EVT_INIT_DIALOG(CBatchDlg::OnInitDialogEvent)
    EVT_TIMER(res::kConvertTimerId, CBatchDlg::OnTimer)
    EVT_BUTTON(res::IDC_BATCH_STOP, CBatchDlg::OnStop)
    EVT_CHAR_HOOK(CBatchDlg::OnCharHook)
    EVT_CLOSE(CBatchDlg::OnClose)
wxEND_EVENT_TABLE()

CBatchDlg::CBatchDlg(std::vector<std::string> paths, wxWindow* parent)
    : ProgressHost(this), m_paths(std::move(paths)), m_timer(this, res::kConvertTimerId) {
    CreateFromTemplate(parent);
}

// ----------------------------------------------------------------------------
// Layout, in dialog units of the conversion dialog's font: its icon, text
// and bar where that dialog has them, the file's path above the bar, the
// batch's count and bar below it, and the stop button at the bottom.

void CBatchDlg::CreateFromTemplate(wxWindow* parent) {
    Create(parent != nullptr ? parent : DefaultOwner(), res::IDD_BATCH, U8(res::kBatchCaption),
           wxDefaultPosition, wxDefaultSize, wxDEFAULT_DIALOG_STYLE);
    wxFont font(wxFontInfo(res::kConvertFontPoints).FaceName(res::kDialogFontFace));
    if (font.IsOk()) SetFont(font);
    const DialogUnits units(*this);
    auto at = [&units](int x, int y) { return units.Point(x, y); };
    auto size = [&units](int w, int h) { return units.Size(w, h); };

    const int files = static_cast<int>(m_paths.size());
    new wxStaticBitmap(this, wxID_STATIC, AppIconBitmap(32), at(6, 7), wxSize(32, 32));
    m_waitText = new wxStaticText(this, wxID_STATIC, U8(res::kConvertWaitText), at(57, 15),
                                  size(164, 12), wxALIGN_LEFT | wxST_NO_AUTORESIZE);
    // A long path keeps its start and its file name; the summary names it in full.
    m_fileLabel = new wxStaticText(this, res::IDC_BATCH_FILE, wxString(), at(6, 30), size(215, 10),
                                   wxALIGN_LEFT | wxST_NO_AUTORESIZE | wxST_ELLIPSIZE_MIDDLE);
    m_fileProgress =
        new wxGauge(this, res::IDC_PROGRESS1, 100, at(6, 42), size(215, 14), wxGA_HORIZONTAL);
    SetProgressBar(m_fileProgress);
    m_countLabel = new wxStaticText(this, res::IDC_BATCH_COUNT,
                                    wxString::Format(U8(res::kBatchCountFormat), 0, files),
                                    at(6, 63), size(50, 10), wxALIGN_LEFT | wxST_NO_AUTORESIZE);
    m_batchProgress = new wxGauge(this, res::IDC_BATCH_PROGRESS, std::max(files, 1), at(57, 63),
                                  size(164, 10), wxGA_HORIZONTAL);
    m_stopButton =
        new wxButton(this, res::IDC_BATCH_STOP, U8(res::kBatchStop), at(171, 80), size(50, 14));

    SetClientSize(size(228, 100));
    SetIcons(AppIcons());
    PlaceInWorkArea(this);
}

int CBatchDlg::DoModal() {
    return ShowModal();
}

// ----------------------------------------------------------------------------
// The batch: it starts on the first tick, as a single conversion does, so
// that the window is on the screen before the first file blocks the loop.

void CBatchDlg::OnInitDialogEvent(wxInitDialogEvent& event) {
    event.Skip();
    m_timer.Start(res::kConvertTimerMs);
}

void CBatchDlg::OnTimer(wxTimerEvent& event) {
    if (event.GetId() == res::kConvertTimerId && !m_working) {
        m_timer.Stop();
        m_working = true;
        RunBatch();
        // Input that arrived during the last file is drained into this
        // window, where it can at most ask for a stop that no longer
        // matters: none of it may answer the summary.
        Pump();
        m_working = false;
        ShowSummary();
        EndModal(wxID_OK);
    }
    event.Skip();
}

void CBatchDlg::RunBatch() {
    const std::size_t count = m_paths.size();
    for (std::size_t index = 0; index < count; ++index) {
        if (m_stopRequested) {
            m_outcome.AddStopped(static_cast<int>(count - index));
            return;
        }
        ShowFileInProgress(index);
        m_messages.clear();
        SetInputPath(m_paths[index]);
        bool converted = false;
        if (auto refusal = m_written.Refusal(m_paths[index], std::string())) {
            ReportError(*refusal);
        } else {
            converted = Convert(*this);
            if (converted) m_written.Record(m_paths[index], g_convertContext.outputPath);
        }
        m_outcome.Add(m_paths[index], converted, std::move(m_messages));
        m_messages.clear();
        m_batchProgress->SetValue(static_cast<int>(index + 1));
        Pump();
    }
}

void CBatchDlg::ShowFileInProgress(std::size_t index) {
    const wxString count = wxString::Format(U8(res::kBatchCountFormat), static_cast<int>(index + 1),
                                            static_cast<int>(m_paths.size()));
    const wxString path = FromBytes(m_paths[index]);
    m_countLabel->SetLabel(count);
    m_fileLabel->SetLabel(path);
    m_fileLabel->SetToolTip(path);
    TraceLine("batch\t" + count + "\t" + path);
    Pump();
}

void CBatchDlg::ShowSummary() {
    const BoxStyle style = m_outcome.AnythingWentWrong() ? BoxStyle::kError : BoxStyle::kPlain;
    ShowSummaryBox(SummaryHeadline(m_outcome), SummaryDetails(m_outcome), style, this);
}

// ----------------------------------------------------------------------------
// Stopping, and input while a file is converted.

void CBatchDlg::RequestStop() {
    if (m_stopRequested) return;
    m_stopRequested = true;
    m_stopButton->Disable();
    m_waitText->SetLabel(U8(res::kBatchStopping));
    TraceLine("batch\tstop");
}

void CBatchDlg::OnStop(wxCommandEvent&) {
    RequestStop();
}

void CBatchDlg::OnCharHook(wxKeyEvent& event) {
    switch (event.GetKeyCode()) {
        case WXK_ESCAPE:
            RequestStop();
            return;
        case WXK_RETURN:
        case WXK_NUMPAD_ENTER:
        case WXK_SPACE:
            // These press the focused stop button; nothing else may take them.
            if (FindFocus() == m_stopButton) event.Skip();
            return;
        default:
            if (!m_working) event.Skip();  // swallowed while a file is converted
            return;
    }
}

void CBatchDlg::OnClose(wxCloseEvent& event) {
    // The close box asks for a stop; the window closes after the summary.
    if (event.CanVeto()) {
        event.Veto();
        RequestStop();
        return;
    }
    m_timer.Stop();
    event.Skip();
}

// ----------------------------------------------------------------------------
// CConvertHost: each file's messages kept for the summary.

void CBatchDlg::ReportError(const std::string& text) {
    m_messages.push_back(text);
}

}  // namespace kelmoro
