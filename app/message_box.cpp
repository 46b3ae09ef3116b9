// Message boxes, with their lines in the test trace.
#include "message_box.h"

#include <wx/app.h>
#include <wx/msgdlg.h>
// The generic dialog needs the declarations of <wx/msgdlg.h> first.
#include <wx/generic/msgdlgg.h>
#include <wx/toplevel.h>
#include <wx/utils.h>

#include "res/strings.h"
#include "test_trace.h"
#include "wx_text.h"

namespace kelmoro {
namespace {

const char* StyleName(BoxStyle style) {
    switch (style) {
        case BoxStyle::kError:
            return "error";
        case BoxStyle::kPlain:
            return "plain";
        case BoxStyle::kConfirmation:
            return "confirmation";
    }
    return "?";
}

wxWindow* ActiveOwner() {
    for (wxWindow* window : wxTopLevelWindows) {
        auto* top = wxDynamicCast(window, wxTopLevelWindow);
        if (top != nullptr && top->IsShown() && top->IsActive()) return top;
    }
    return wxTheApp != nullptr ? wxTheApp->GetTopWindow() : nullptr;
}

}  // namespace

int KelmoroMessageBox(const wxString& text, BoxStyle style, wxWindow* owner) {
    long flags = wxCENTRE;
    switch (style) {
        case BoxStyle::kError:
            flags |= wxOK | wxICON_ERROR;
            break;
        case BoxStyle::kPlain:
            flags |= wxOK | wxICON_EXCLAMATION;
            break;
        case BoxStyle::kConfirmation:
            flags |= wxOK | wxCANCEL | wxICON_EXCLAMATION;
            break;
    }
    if (owner == nullptr) owner = ActiveOwner();
    wxGenericMessageDialog box(owner, text, U8(res::kAppTitle), flags);
    box.SetOKCancelLabels(U8(res::kButtonOk), U8(res::kButtonCancel));
    TraceLine(wxString("box\t") + StyleName(style) + "\t" + U8(res::kAppTitle) + "\t" + text);
    const int answer = box.ShowModal() == wxID_OK ? wxID_OK : wxID_CANCEL;
    TraceLine(wxString("answer\t") + (answer == wxID_OK ? "OK" : "CANCEL"));
    return answer;
}

}  // namespace kelmoro
