// The message box each toolkit shows for KelmoroMessageBox (message_box.h),
// one implementation per toolkit: the text broken into lines no wider than
// the text column, the style's icon and buttons, the caption "Kelmoro".
#pragma once

#include <wx/icon.h>
#include <wx/string.h>
#include <wx/window.h>

#include "message_box.h"

namespace kelmoro {

// Shows the box, owned by `owner` (null: none) until it is answered;
// returns wxID_OK or wxID_CANCEL.
int ShowSystemMessageBox(const wxString& text, BoxStyle style, wxWindow* owner);

// The icon such a box shows for `style`, for boxes of other shapes (the
// batch summary).
wxIcon SystemMessageBoxIcon(BoxStyle style);

// How wide a box's text may run on the display of `owner` (the first
// display when null): a share of its work area, so that with the icon and
// the margins the box takes about two thirds of it at most.
int MessageColumnWidth(const wxWindow* owner);

}  // namespace kelmoro
