// A path reaches the system as a C string, which a NUL byte ends: a name
// holding one would be cut there and lead to another file, the one named by
// the text before the NUL. Every call of this layer that takes a path asks
// here first and refuses such a name, so that no road can cut one.
#pragma once

#include <cerrno>
#include <string_view>

namespace platform {

// True, with errno set to EINVAL, when `path` holds a NUL byte.
inline bool PathHoldsNul(std::string_view path) {
    if (path.find('\0') == std::string_view::npos) return false;
    errno = EINVAL;
    return true;
}

}  // namespace platform
