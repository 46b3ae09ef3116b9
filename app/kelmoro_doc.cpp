// CKelmoroDoc: an empty document.
#include "kelmoro_doc.h"

#include "res/strings.h"
#include "wx_text.h"

namespace kelmoro {

wxIMPLEMENT_DYNAMIC_CLASS(CKelmoroDoc, wxDocument);

bool CKelmoroDoc::OnNewDocument() {
    if (!wxDocument::OnNewDocument()) return false;
    SetTitle(U8(res::kUntitled));
    for (wxList::compatibility_iterator node = GetViews().GetFirst(); node;
         node = node->GetNext()) {
        static_cast<wxView*>(node->GetData())->OnChangeFilename();
    }
    return true;
}

}  // namespace kelmoro
