// Message boxes: the owner, the test trace and the text column; the box itself
// is the toolkit's (message_box_system.h).
#include "message_box.h"

#include "message_box_system.h"
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

int MessageColumnWidth(const wxWindow* owner) {
    return WorkArea(owner).width * kTextColumnPercent / 100;
}

int KelmoroMessageBox(const wxString& text, BoxStyle style, wxWindow* owner) {
    if (owner == nullptr) owner = DefaultOwner();
    TraceBox(style, text);
    const int answer = ShowSystemMessageBox(text, style, owner);
    TraceAnswer(answer);
    return answer;
}

}  // namespace kelmoro
