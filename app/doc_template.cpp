// CSingleDocTemplate: the document type's names and the frame it makes.
#include "doc_template.h"

#include "res/resource.h"
#include "res/strings.h"
#include "wx_text.h"

namespace kelmoro {

wxIMPLEMENT_CLASS(CSingleDocTemplate, wxDocTemplate);

// The document type's title, type id and type name; no filter or extension
// is registered, so the framework never offers to open documents by type.
CSingleDocTemplate::CSingleDocTemplate(wxDocManager* manager, wxClassInfo* docClass,
                                       wxClassInfo* frameClass, wxClassInfo* viewClass)
    : wxDocTemplate(manager, U8(res::kDocTemplateTitle), wxEmptyString, wxEmptyString,
                    wxEmptyString, U8(res::kDocTemplateTypeId), U8(res::kDocTemplateTypeName),
                    docClass, viewClass, wxTEMPLATE_VISIBLE),
      m_frameClass(frameClass) {}

CMainFrame* CSingleDocTemplate::MainFrame() {
    if (m_frame) return m_frame.get();
    auto* frame = wxDynamicCast(m_frameClass->CreateObject(), CMainFrame);
    if (frame == nullptr) return nullptr;
    if (!frame->LoadFrame(GetDocumentManager(), res::IDR_MAINFRAME)) return nullptr;
    m_frame = frame;
    return frame;
}

}  // namespace kelmoro
