// CConvertDlg: its layout, the timer that starts the job, and the
// host services the job calls.
#include "convert_dlg.h"

#include <wx/statbmp.h>
#include <wx/stattext.h>

#include "accessibility.h"
#include "dialog_units.h"
#include "engine/convert_context.h"
#include "engine/convert_job.h"
#include "engine/messages.h"
#include "images.h"
#include "message_box.h"
#include "res/resource.h"
#include "res/strings.h"
#include "window_placement.h"
#include "wx_text.h"

namespace kelmoro {

wxBEGIN_EVENT_TABLE(CConvertDlg, wxDialog)
    EVT_INIT_DIALOG(CConvertDlg::OnInitDialogEvent)
    EVT_TIMER(res::kConvertTimerId, CConvertDlg::OnTimer)
    EVT_CHAR_HOOK(CConvertDlg::OnCharHook)
    EVT_CLOSE(CConvertDlg::OnClose)
    EVT_BUTTON(wxID_CANCEL, CConvertDlg::OnCancel)
wxEND_EVENT_TABLE()

CConvertDlg::CConvertDlg(wxWindow* parent)
    : ProgressHost(this), m_timer(this, res::kConvertTimerId) {
    CreateFromTemplate(parent);
    DoDataExchange();
}

// ----------------------------------------------------------------------------
// Template 131, in dialog units of its font.

void CConvertDlg::CreateFromTemplate(wxWindow* parent) {
    // No parent given: the default owner, so the dialog opens over the main
    // window when there is one.
    Create(parent != nullptr ? parent : DefaultOwner(), res::IDD_CONVERT,
           U8(res::kConvertDesignCaption), wxDefaultPosition, wxDefaultSize,
           wxDEFAULT_DIALOG_STYLE);
    wxFont font(wxFontInfo(res::kConvertFontPoints).FaceName(res::kDialogFontFace));
    if (font.IsOk()) SetFont(font);
    const DialogUnits units(*this);
    auto at = [&units](int x, int y) { return units.Point(x, y); };
    auto size = [&units](int w, int h) { return units.Size(w, h); };

    // In the template's order, which is also the tab and drawing order.
    auto* progress =
        new wxGauge(this, res::IDC_PROGRESS1, 100, at(6, 34), size(215, 14), wxGA_HORIZONTAL);
    // Named by the text above it, for screen readers.
    SetAccessibleName(progress, U8(res::kConvertWaitText));
    new wxStaticText(this, wxID_STATIC, U8(res::kConvertWaitText), at(57, 15), size(97, 12),
                     wxALIGN_LEFT | wxST_NO_AUTORESIZE);
    // An icon control takes the icon's own size.
    new wxStaticBitmap(this, wxID_STATIC, AppIconBitmap(32), at(6, 7), wxSize(32, 32));

    SetClientSize(size(228, 58));
    SetIcons(AppIcons());
    PlaceInWorkArea(this);
}

void CConvertDlg::DoDataExchange() {
    SetProgressBar(wxDynamicCast(FindWindow(res::IDC_PROGRESS1), wxGauge));
}

int CConvertDlg::DoModal() {
    return ShowModal();
}

// ----------------------------------------------------------------------------
// Initialisation and the timer.

void CConvertDlg::OnInitDialogEvent(wxInitDialogEvent& event) {
    event.Skip();  // the base initialisation: data transfer to the controls
    OnInitDialog();
}

bool CConvertDlg::OnInitDialog() {
    SetTitle(FromBytes(g_convertContext.inputPath));
    m_timer.Start(res::kConvertTimerMs);
    return true;
}

void CConvertDlg::OnTimer(wxTimerEvent& event) {
    if (event.GetId() == res::kConvertTimerId && !m_working) {
        m_timer.Stop();
        m_working = true;
        m_converted = Convert(*this);
        // Input that arrived during the job is drained here, into this
        // dialog, which ignores it: none of it may answer the next box.
        Pump();
        if (m_converted) {
            const std::string& path = g_convertContext.inputPath;
            KelmoroMessageBox(MessageText(ConvertedMessage(path), path), BoxStyle::kPlain, this);
        }
        m_working = false;
        EndModal(wxID_OK);
    }
    event.Skip();
}

// ----------------------------------------------------------------------------
// Input while the job runs.

void CConvertDlg::OnCharHook(wxKeyEvent& event) {
    if (m_working) return;  // swallowed
    if (event.GetKeyCode() == WXK_ESCAPE) {
        // The framework's cancel: the dialog has no Cancel button, yet
        // Escape ends it (wx only emulates a click on an existing button).
        m_timer.Stop();
        EndModal(wxID_CANCEL);
        return;
    }
    event.Skip();
}

void CConvertDlg::OnClose(wxCloseEvent& event) {
    if (m_working && event.CanVeto()) {
        event.Veto();
        return;
    }
    // Before the first tick the close box ends the dialog like Cancel.
    m_timer.Stop();
    event.Skip();
}

void CConvertDlg::OnCancel(wxCommandEvent& event) {
    if (m_working) return;
    m_timer.Stop();
    event.Skip();
}

// ----------------------------------------------------------------------------
// CConvertHost.

void CConvertDlg::ReportError(const std::string& text) {
    KelmoroMessageBox(MessageText(text, g_convertContext.inputPath), BoxStyle::kError, this);
}

}  // namespace kelmoro
