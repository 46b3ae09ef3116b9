// Windows places and sizes its own common dialogs (the file dialog) inside
// the work area of the owner's monitor: nothing is left to do.
#include "native_window_fit.h"

namespace kelmoro {

void KeepNativeWindowInWorkArea(wxWindow*) {}

}  // namespace kelmoro
