// Conversion without a display: `kelmoro FILE` on a machine with no X
// display converts FILE on the console exactly as `kelmoro-cli FILE` does.
#pragma once

#include <string>

namespace kelmoro {

// Converts `path`; returns the exit status: 0 when the AU file was written,
// 1 otherwise.
int ConvertOnConsole(const std::string& path);

}  // namespace kelmoro
