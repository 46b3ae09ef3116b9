// CKelmoroView: the form view that shows nothing but the
// banner, and the author's home-page command. The view is an
// event handler; its window is a CKelmoroForm, the centre pane of the main
// frame.
#pragma once

#include <wx/docview.h>
#include <wx/window.h>

namespace kelmoro {

class CMainFrame;

// The form's window: no controls, the banner painted on it.
class CKelmoroForm : public wxWindow {
public:
    explicit CKelmoroForm(wxWindow* parent);
    // The template's size: 319 x 74 dialog units of its 9-point font.
    wxSize TemplateSize() const { return m_templateSize; }

private:
    wxSize m_templateSize;
};

class CKelmoroView : public wxView {
public:
    bool OnCreate(wxDocument* doc, long flags) override;
    void OnDraw(wxDC* dc) override;
    bool OnClose(bool deleteWindow) override;
    // The frame's title after a document change: "<document> - Kelmoro".
    void OnChangeFilename() override;

    // Base initial update, the frame's layout, then the frame shrunk to
    // fit the form.
    void OnInitialUpdate();

private:
    void OnPaint(wxPaintEvent& event);
    void OnHelpAuthor(wxCommandEvent& event);
    // Shrinks the parent frame so the form fits, never growing it.
    void ResizeParentToFit();

    CMainFrame* m_frame = nullptr;
    CKelmoroForm* m_form = nullptr;

    wxDECLARE_DYNAMIC_CLASS(CKelmoroView);
    wxDECLARE_EVENT_TABLE();
};

}  // namespace kelmoro
