// Which file a name leads to, as the system knows it: the volume the file
// lives on and its number there. Names with one identity are one file: hard
// links, two spellings that a case-folding file system takes as one, a path
// through a link to a folder. On POSIX systems the device and the inode
// number; on Windows the volume serial number and the file index.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace platform {

struct FileIdentity {
    std::uint64_t volume = 0;
    std::uint64_t index = 0;
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

// The identity of what `path` names; a symbolic link there is taken as
// itself, not followed. Nothing when nothing is there, it cannot be
// reached, or the path holds a NUL byte.
std::optional<FileIdentity> IdentityOf(const std::string& path);
// The same, following symbolic links to what they lead to.
std::optional<FileIdentity> IdentityFollowingLinks(const std::string& path);

}  // namespace platform
