// The framework's message-box routine (AfxMessageBox, CWinApp::DoMessageBox):
// a modal box captioned with the application title "Kelmoro", owned by the
// active window. Where the caller requests no icon, the exclamation icon is
// shown, as the framework's default does; GTK's own message dialog draws no
// icon for these styles, so the generic wx dialog is used.
// When the environment variable KELMORO_TRACE_BOXES names a file, each box
// appends one line there when it opens ("box<TAB>style<TAB>caption<TAB>text")
// and one when it closes ("answer<TAB>OK|CANCEL"); the main frame adds its
// menus as they open ("menu<TAB>title<TAB>item..."), status-bar changes
// ("status<TAB>pane<TAB>text") and help mode ("helpmode<TAB>on|off"). Tests
// read it, and check the windows on the screen besides; it changes nothing
// on the screen.
#pragma once

#include <wx/string.h>
#include <wx/window.h>

namespace kelmoro {

enum class BoxStyle {
    kError,         // stop icon, OK (MB_ICONSTOP | MB_OK)
    kPlain,         // OK, no icon requested (MB_OK)
    kConfirmation,  // OK and Cancel, no icon requested (MB_OKCANCEL)
};

// Returns wxID_OK or wxID_CANCEL. `owner` null means the active window.
int KelmoroMessageBox(const wxString& text, BoxStyle style, wxWindow* owner = nullptr);

// Appends one line to the trace, if one is asked for.
void TraceLine(const wxString& line);

}  // namespace kelmoro
