// Keeps a window that GTK sizes and places itself (the file chooser) inside
// the work area of its screen. wx neither knows nor changes the size GTK
// gives such a window; without a window manager nothing else moves it back
// onto the screen, and a Wayland compositor need not shrink it.
#pragma once

#include <wx/window.h>

namespace kelmoro {

// From now on, each time `window`'s native GTK window is mapped, moved or
// resized on an X server without a window manager, it is shrunk to the work
// area of its monitor if larger and moved wholly inside it; a window manager
// does that itself. On Wayland it is never made larger than the work area,
// and the compositor places it.
void KeepNativeWindowInWorkArea(wxWindow* window);

}  // namespace kelmoro
