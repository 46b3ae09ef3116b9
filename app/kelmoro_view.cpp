// CKelmoroView: the banner and the home-page command.
#include "kelmoro_view.h"

#include <wx/dcclient.h>
#include <wx/settings.h>

#include <algorithm>

#include "accessibility.h"
#include "dialog_units.h"
#include "doc_template.h"
#include "home_page.h"
#include "images.h"
#include "main_frame.h"
#include "res/resource.h"
#include "res/strings.h"
#include "wx_text.h"

namespace kelmoro {

// ----------------------------------------------------------------------------
// The form window.

CKelmoroForm::CKelmoroForm(wxWindow* parent)
    : wxWindow(parent, res::IDD_KELMORO_FORM, wxDefaultPosition, wxDefaultSize,
               wxFULL_REPAINT_ON_RESIZE) {
    wxFont font(wxFontInfo(res::kFormFontPoints).FaceName(res::kDialogFontFace));
    if (font.IsOk()) SetFont(font);
    m_templateSize = DialogUnits(*this).Size(319, 74);
    SetBackgroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE));
    // The form shows nothing but the banner: screen readers see a picture
    // named by its lettering.
    SetAccessibleRoleAndName(this, AccessibleRole::kImage, U8(res::kBannerTitle));
}

// ----------------------------------------------------------------------------
// The view.

wxIMPLEMENT_DYNAMIC_CLASS(CKelmoroView, wxView);

wxBEGIN_EVENT_TABLE(CKelmoroView, wxView)
    EVT_MENU(res::cmd::ID_HELP_AUTHOR, CKelmoroView::OnHelpAuthor)
wxEND_EVENT_TABLE()

bool CKelmoroView::OnCreate(wxDocument* doc, long flags) {
    if (!wxView::OnCreate(doc, flags)) return false;
    auto* docTemplate = wxDynamicCast(doc->GetDocumentTemplate(), CSingleDocTemplate);
    m_frame = docTemplate != nullptr ? docTemplate->MainFrame() : nullptr;
    if (m_frame == nullptr) return false;
    SetFrame(m_frame);
    m_form = new CKelmoroForm(m_frame);
    m_form->Bind(wxEVT_PAINT, &CKelmoroView::OnPaint, this);
    m_frame->SetViewWindow(m_form);
    Activate(true);
    OnInitialUpdate();
    return true;
}

void CKelmoroView::OnInitialUpdate() {
    OnUpdate(nullptr, nullptr);  // the base initial update
    m_frame->RecalcLayout();
    ResizeParentToFit();
}

void CKelmoroView::ResizeParentToFit() {
    const wxSize view = m_form->GetClientSize();
    const wxSize form = m_form->TemplateSize();
    const wxSize excess(std::max(0, view.x - form.x), std::max(0, view.y - form.y));
    if (excess.x == 0 && excess.y == 0) return;
    // By the client area, not the whole window: where GTK draws the title
    // bar itself (Wayland), the window's size includes it and its shadow,
    // which are not known before the window is first shown.
    m_frame->SetClientSize(m_frame->GetClientSize() - excess);
    m_frame->RecalcLayout();
}

void CKelmoroView::OnDraw(wxDC*) {}

void CKelmoroView::OnPaint(wxPaintEvent&) {
    wxPaintDC dc(m_form);
    // Loaded on every paint and copied 1:1 at (0, 0): never scaled, clipped
    // by a smaller view.
    const wxBitmap banner = BannerBitmap();
    dc.DrawBitmap(banner, 0, 0, false);
}

bool CKelmoroView::OnClose(bool deleteWindow) {
    if (!wxView::OnClose(deleteWindow)) return false;
    Activate(false);
    if (m_form != nullptr) {
        // The frame outlives its documents: only the form goes.
        if (m_frame != nullptr) m_frame->SetViewWindow(nullptr);
        m_form->Destroy();
        m_form = nullptr;
    }
    return true;
}

void CKelmoroView::OnChangeFilename() {
    if (m_frame == nullptr || GetDocument() == nullptr) return;
    m_frame->SetTitle(GetDocument()->GetUserReadableName() + " - " + U8(res::kAppTitle));
}

void CKelmoroView::OnHelpAuthor(wxCommandEvent&) {
    OpenHomePage();
}

}  // namespace kelmoro
