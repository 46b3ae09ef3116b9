// What the programs ask of a name before a run: whether it is a folder (the
// folder of -o). Names are UTF-8 on Windows (passed to the system in
// UTF-16) and bytes on POSIX; one holding a NUL byte is no folder.
#pragma once

#include <string>

namespace platform {

enum class FolderCheck { kFolder, kMissing, kNotFolder, kError };
// What `path` is, following links; for kError, `error` says why in words.
FolderCheck CheckFolder(const std::string& path, std::string& error);

}  // namespace platform
