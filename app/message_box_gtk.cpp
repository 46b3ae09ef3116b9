// The message box under GTK: wx's generic dialog, since GTK's own message
// dialog draws no icon for the error and exclamation styles, with the
// buttons labelled as a Japanese system labels them.
#include <wx/artprov.h>
#include <wx/msgdlg.h>
// The generic dialog needs the declarations of <wx/msgdlg.h> first.
#include <wx/generic/msgdlgg.h>

#include "message_box_system.h"
#include "res/strings.h"
#include "window_placement.h"
#include "wx_text.h"

namespace kelmoro {

int ShowSystemMessageBox(const wxString& text, BoxStyle style, wxWindow* owner) {
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
    wxGenericMessageDialog box(owner, text, U8(res::kAppTitle), flags);
    box.SetOKCancelLabels(U8(res::kButtonOk), U8(res::kButtonCancel));
    // The box never grows wider than the text column: a long path is broken
    // over several lines instead of running off the screen. The box lays
    // itself out when shown, in its own font, so the text is measured in it.
    box.SetMessage(
        WrapToWidth(text, box.GetFont(), MessageColumnWidth(owner != nullptr ? owner : &box)));
    return box.ShowModal() == wxID_OK ? wxID_OK : wxID_CANCEL;
}

wxIcon SystemMessageBoxIcon(BoxStyle style) {
    return wxArtProvider::GetMessageBoxIcon(style == BoxStyle::kError ? wxICON_ERROR
                                                                      : wxICON_EXCLAMATION);
}

}  // namespace kelmoro
