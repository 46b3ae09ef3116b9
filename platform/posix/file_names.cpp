// The POSIX side of names: "/" alone separates, nothing is a device, and
// list entries are names as they are.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "file_lists.h"
#include "file_queries.h"
#include "path_guard.h"
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

FolderCheck CheckFolder(const std::string& path, std::string& error) {
    struct stat info;
    if (PathHoldsNul(path) || stat(path.c_str(), &info) != 0) {
        if (errno == ENOENT) return FolderCheck::kMissing;
        error = std::strerror(errno);
        return FolderCheck::kError;
    }
    return S_ISDIR(info.st_mode) ? FolderCheck::kFolder : FolderCheck::kNotFolder;
}

std::FILE* OpenList(const std::string& path) {
    if (PathHoldsNul(path)) return nullptr;
    return std::fopen(path.c_str(), "rb");
}

bool IsFolder(std::FILE* stream) {
    struct stat info;
    return fstat(fileno(stream), &info) == 0 && S_ISDIR(info.st_mode);
}

long long ReadEntry(char** line, std::size_t* capacity, int delimiter, std::FILE* stream) {
    return getdelim(line, capacity, delimiter, stream);
}

std::string NameFromEntry(std::string entry) {
    return entry;
}

}  // namespace platform
