// The window tests run in a real X session (CTest starts them under
// xvfb-run); without a display they skip.
#pragma once

namespace kelmoro {

// True once the toolkit has opened its display.
extern bool g_haveDisplay;

}  // namespace kelmoro
