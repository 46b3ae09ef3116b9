// A stdio stream on a new file in the temporary folder, which the system
// deletes when it is closed or the program ends, however it ends: for what
// a run keeps aside (a worker's lines, a scratch file).
#pragma once

#include <cstdio>

namespace platform {

// Opened for reading and writing; null when none could be made.
std::FILE* OpenTemporaryStream();

}  // namespace platform
