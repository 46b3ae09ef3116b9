// Where the program's windows go. A dialog or box created without an owner
// gets the default owner: the active window, else the shown main window; on
// a command-line start there is none. Owned windows are centred on their
// owner, the others on the screen, and every window is kept inside the work
// area of its display, so that nothing opens partly off the screen even
// without a window manager to move it.
#pragma once

#include <wx/font.h>
#include <wx/gdicmn.h>
#include <wx/string.h>
#include <wx/window.h>

namespace kelmoro {

// The default owner of a new dialog; null when no window of the program is
// shown.
wxWindow* DefaultOwner();

// The work area of the display that shows `window` (the first display when
// null).
wxRect WorkArea(const wxWindow* window);

// Shrinks `window` to fit the work area if it is larger, then centres it on
// its parent when it has a shown one (on the screen otherwise) and moves it
// inside the work area.
void PlaceInWorkArea(wxWindow* window);

// `text` with line breaks added so that no line is wider than `maxWidth`
// pixels in `font`: after a blank or a path's "/" where one is at hand,
// otherwise inside the word. Breaks already in the text
// stay; no character is changed or dropped.
wxString WrapToWidth(const wxString& text, const wxFont& font, int maxWidth);

}  // namespace kelmoro
