// The POSIX side of names: "/" alone separates, nothing is a device, files
// are known by device and inode, and list entries are names as they are.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "file_identity.h"
#include "file_lists.h"
#include "file_queries.h"
#include "paths.h"

namespace platform {

bool IsFolderSeparator(char c) {
    return c == '/';
}

std::size_t RootLength(std::string_view) {
    return 0;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    const bool endsInSeparator = !folder.empty() && folder.back() == '/';
    return folder + (endsInSeparator ? "" : "/") + name;
}

bool NamesDevice(std::string_view) {
    return false;
}

bool PathExists(const std::string& path) {
    struct stat info;
    return lstat(path.c_str(), &info) == 0;
}

FolderCheck CheckFolder(const std::string& path, std::string& error) {
    struct stat info;
    if (stat(path.c_str(), &info) != 0) {
        if (errno == ENOENT) return FolderCheck::kMissing;
        error = std::strerror(errno);
        return FolderCheck::kError;
    }
    return S_ISDIR(info.st_mode) ? FolderCheck::kFolder : FolderCheck::kNotFolder;
}

std::optional<FileIdentity> IdentityOf(const std::string& path) {
    struct stat info;
    if (stat(path.c_str(), &info) != 0) return std::nullopt;
    return FileIdentity{static_cast<std::uint64_t>(info.st_dev),
                        static_cast<std::uint64_t>(info.st_ino)};
}

std::FILE* OpenList(const std::string& path) {
    return std::fopen(path.c_str(), "rb");
}

long long ReadEntry(char** line, std::size_t* capacity, int delimiter, std::FILE* stream) {
    return getdelim(line, capacity, delimiter, stream);
}

std::string NameFromEntry(std::string entry) {
    return entry;
}

}  // namespace platform
