// Questions the programs ask about a name before a conversion: whether
// anything is there, and whether it is a folder. Names are UTF-8 on Windows
// (passed to the system in UTF-16) and bytes on POSIX.
#pragma once

#include <string>

namespace platform {

// Whether anything is at `path`; a symbolic link counts, wherever it points.
bool PathExists(const std::string& path);

enum class FolderCheck { kFolder, kMissing, kNotFolder, kError };
// What `path` is, following links; for kError, `error` says why in words.
FolderCheck CheckFolder(const std::string& path, std::string& error);

}  // namespace platform
