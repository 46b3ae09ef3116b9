// The message box on Windows: the system's own (MessageBoxW), with its
// icons and its buttons in the system's language, as every Windows program
// shows them.
#include <windows.h>
#include <wx/settings.h>

#include "message_box_system.h"
#include "res/strings.h"
#include "window_placement.h"
#include "wx_text.h"

namespace kelmoro {

int ShowSystemMessageBox(const wxString& text, BoxStyle style, wxWindow* owner) {
    UINT flags = MB_OK | MB_ICONEXCLAMATION;
    switch (style) {
        case BoxStyle::kError:
            flags = MB_OK | MB_ICONSTOP;
            break;
        case BoxStyle::kPlain:
            break;
        case BoxStyle::kConfirmation:
            flags = MB_OKCANCEL | MB_ICONEXCLAMATION;
            break;
    }
    // Without an owner (a command-line start) the box still keeps every
    // window of the program waiting for it.
    HWND ownerWindow = owner != nullptr ? static_cast<HWND>(owner->GetHandle()) : nullptr;
    if (ownerWindow == nullptr) flags |= MB_TASKMODAL | MB_SETFOREGROUND;
    // Windows breaks lines only between words; a path is broken here, in the
    // font of message boxes, so that it never runs off the screen.
    const wxString shown = WrapToWidth(text, wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT),
                                       MessageColumnWidth(owner));
    const int answer = MessageBoxW(ownerWindow, shown.wc_str(), U8(res::kAppTitle).wc_str(), flags);
    return answer == IDOK ? wxID_OK : wxID_CANCEL;
}

wxIcon SystemMessageBoxIcon(BoxStyle style) {
    // The very icons MessageBoxW draws, a copy the wxIcon may free.
    wxIcon icon;
    icon.CreateFromHICON(
        CopyIcon(LoadIconW(nullptr, style == BoxStyle::kError ? IDI_ERROR : IDI_WARNING)));
    return icon;
}

}  // namespace kelmoro
