// CKelmoroDoc: the empty document of the single-document
// template. It holds no data; storing and loading do nothing.
#pragma once

#include <wx/docview.h>

namespace kelmoro {

class CKelmoroDoc : public wxDocument {
public:
    // The base result; the new document is titled like the framework's
    // untitled one ("無題"), not wx's "unnamed1".
    bool OnNewDocument() override;
    bool IsModified() const override { return false; }

protected:
    bool DoSaveDocument(const wxString&) override { return true; }
    bool DoOpenDocument(const wxString&) override { return true; }

private:
    wxDECLARE_DYNAMIC_CLASS(CKelmoroDoc);
};

}  // namespace kelmoro
