// Conversion without a display: `kelmoro FILE...` on a machine with no X
// display converts each FILE on the console exactly as `kelmoro-cli FILE...`
// does.
#pragma once

#include <string>
#include <vector>

namespace kelmoro {

// Converts each of `paths` in turn; returns the exit status: 0 when every
// AU file was written, 1 otherwise.
int ConvertOnConsole(const std::vector<std::string>& paths);

}  // namespace kelmoro
