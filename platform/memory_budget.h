// How much more memory this process can really have, so that a job too
// large for it is refused with a message instead of being killed by the
// kernel when it touches the memory (a memory cgroup's limit) or failing
// somewhere less clear. The least of: the memory cgroup's limit less its
// usage (its own and every enclosing group's; v1 and v2, page cache that
// can be dropped not counted as used), MemAvailable plus free swap, and the
// address-space and data-size limits less what is in use.
#pragma once

#include <cstdint>

namespace platform {

// Bytes; UINT64_MAX when nothing could be measured.
std::uint64_t AvailableMemoryBytes();

}  // namespace platform
