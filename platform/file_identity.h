// Which file a path names, whatever the path: the volume it is on and its
// number there (POSIX: device and inode; Windows: volume serial number and
// file index). Two paths name the same file exactly when their identities
// are equal, so case folding and links cannot hide a match.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace platform {

struct FileIdentity {
    std::uint64_t volume = 0;
    std::uint64_t index = 0;
    bool operator==(const FileIdentity&) const = default;
};

// The identity of what `path` names (a folder or a file, links followed);
// nothing when it cannot be found out (it does not exist, say).
std::optional<FileIdentity> IdentityOf(const std::string& path);

}  // namespace platform
