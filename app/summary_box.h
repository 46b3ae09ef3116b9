// The summary box that ends a batch: like the program's message box
// (captioned "Kelmoro", modal, the error style's stop icon or the plain
// style's exclamation icon, one OK button), but its details sit in a
// read-only text field under the headline, which scrolls when the list is
// longer than the screen allows: no failed file is ever cut off.
#pragma once

#include <wx/string.h>
#include <wx/window.h>

#include "message_box.h"

namespace kelmoro {

// Shows the box until OK, Return or Escape; `details` empty shows the
// headline alone. `owner` null means the active window.
void ShowSummaryBox(const wxString& headline, const wxString& details, BoxStyle style,
                    wxWindow* owner = nullptr);

}  // namespace kelmoro
