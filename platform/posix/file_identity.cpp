// File identities from the device and inode number.
#include "file_identity.h"

#include <sys/stat.h>

#include "path_guard.h"
#include "posix_calls.h"

namespace platform {
namespace {

std::optional<FileIdentity> IdentityFrom(int result, const struct stat& info) {
    if (result != 0) return std::nullopt;
    return FileIdentity{static_cast<std::uint64_t>(info.st_dev),
                        static_cast<std::uint64_t>(info.st_ino)};
}

}  // namespace

std::optional<FileIdentity> IdentityOf(const std::string& path) {
    if (PathHoldsNul(path)) return std::nullopt;
    struct stat info;
    return IdentityFrom(RetryInterrupted([&] { return Posix().lstat(path.c_str(), &info); }), info);
}

std::optional<FileIdentity> IdentityFollowingLinks(const std::string& path) {
    if (PathHoldsNul(path)) return std::nullopt;
    struct stat info;
    return IdentityFrom(RetryInterrupted([&] { return Posix().stat(path.c_str(), &info); }), info);
}

}  // namespace platform
