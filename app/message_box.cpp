// Message boxes, with their lines in the test trace.
#include "message_box.h"

#include <wx/msgdlg.h>
// The generic dialog needs the declarations of <wx/msgdlg.h> first.
#include <wx/generic/msgdlgg.h>

#include "res/strings.h"
#include "test_trace.h"
#include "window_placement.h"
#include "wx_text.h"

namespace kelmoro {
namespace {

// Width of a box's text as a share of the work area; with the icon and the
// margins the box takes about two thirds of it at most.
constexpr int kTextColumnPercent = 60;

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

}  // namespace

void TraceBox(BoxStyle style, const wxString& text) {
    wxString oneLine = text;
    oneLine.Replace("\n", "\\n");
    TraceLine(wxString("box\t") + StyleName(style) + "\t" + U8(res::kAppTitle) + "\t" + oneLine);
}

void TraceAnswer(int answer) {
    TraceLine(wxString("answer\t") + (answer == wxID_OK ? "OK" : "CANCEL"));
}

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
    if (owner == nullptr) owner = DefaultOwner();
    wxGenericMessageDialog box(owner, text, U8(res::kAppTitle), flags);
    box.SetOKCancelLabels(U8(res::kButtonOk), U8(res::kButtonCancel));
    // The box never grows wider than the text column: a long path is broken
    // over several lines instead of running off the screen. The box lays
    // itself out when shown, in its own font, so the text is measured in it.
    const int column = WorkArea(owner != nullptr ? owner : &box).width * kTextColumnPercent / 100;
    box.SetMessage(WrapToWidth(text, box.GetFont(), column));
    TraceBox(style, text);
    const int answer = box.ShowModal() == wxID_OK ? wxID_OK : wxID_CANCEL;
    TraceAnswer(answer);
    return answer;
}

}  // namespace kelmoro
