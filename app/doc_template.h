// CSingleDocTemplate: the program's single-document template. Like the
// framework's, it creates the frame from its class information the first
// time a view needs one and keeps it for every later document.
#pragma once

#include <wx/docview.h>
#include <wx/weakref.h>

#include "main_frame.h"

namespace kelmoro {

class CSingleDocTemplate : public wxDocTemplate {
public:
    CSingleDocTemplate(wxDocManager* manager, wxClassInfo* docClass, wxClassInfo* frameClass,
                       wxClassInfo* viewClass);

    // The one frame, created on first use; null when it cannot be created.
    CMainFrame* MainFrame();

private:
    wxClassInfo* m_frameClass;
    wxWeakRef<CMainFrame> m_frame;

    wxDECLARE_CLASS(CSingleDocTemplate);
};

}  // namespace kelmoro
