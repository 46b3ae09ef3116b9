// Measuring the memory a process can have, from /proc and the cgroup files.
#include "memory_budget.h"

#include <sys/resource.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

namespace platform {
namespace {

constexpr std::uint64_t kUnlimited = std::numeric_limits<std::uint64_t>::max();

bool ReadNumber(const std::string& path, std::uint64_t& value) {
    std::ifstream in(path);
    std::string text;
    if (!(in >> text)) return false;
    if (text == "max") {
        value = kUnlimited;
        return true;
    }
    try {
        value = std::stoull(text);
    } catch (...) {
        return false;
    }
    return true;
}

// The value of `key` in a "key value" file (memory.stat), in its own unit.
std::uint64_t ReadKeyed(const std::string& path, const std::string& key) {
    std::ifstream in(path);
    std::string name;
    std::uint64_t value = 0;
    while (in >> name >> value) {
        if (name == key) return value;
    }
    return 0;
}

// The same for /proc files whose values are "NNN kB".
std::uint64_t ReadKilobytes(const std::string& path, const std::string& key) {
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        if (line.compare(0, key.size(), key) == 0 && line.size() > key.size() &&
            line[key.size()] == ':') {
            return std::strtoull(line.c_str() + key.size() + 1, nullptr, 10) * 1024;
        }
    }
    return 0;
}

struct CgroupMount {
    std::string root;        // the hierarchy's folder that is mounted
    std::string mountPoint;  // where
    bool v2 = false;
};

// The memory hierarchies from /proc/self/mountinfo: v1 "cgroup" mounts
// with the memory controller, and the v2 "cgroup2" mount.
std::vector<CgroupMount> MemoryCgroupMounts() {
    std::vector<CgroupMount> mounts;
    std::ifstream in("/proc/self/mountinfo");
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        std::string id, parent, device, root, mountPoint, field;
        fields >> id >> parent >> device >> root >> mountPoint;
        while (fields >> field && field != "-") {
        }
        std::string type, source, options;
        fields >> type >> source >> options;
        if (type == "cgroup2") {
            mounts.push_back({root, mountPoint, true});
        } else if (type == "cgroup" &&
                   ("," + options + ",").find(",memory,") != std::string::npos) {
            mounts.push_back({root, mountPoint, false});
        }
    }
    return mounts;
}

// What the group at `folder` and every group above it up to `top` still
// allow.
std::uint64_t CgroupRoom(std::string folder, const std::string& top, bool v2) {
    std::uint64_t room = kUnlimited;
    for (;;) {
        std::uint64_t limit = 0;
        std::uint64_t usage = 0;
        const bool known = v2 ? ReadNumber(folder + "/memory.max", limit) &&
                                    ReadNumber(folder + "/memory.current", usage)
                              : ReadNumber(folder + "/memory.limit_in_bytes", limit) &&
                                    ReadNumber(folder + "/memory.usage_in_bytes", usage);
        // v1 says "no limit" with a huge page-aligned number.
        if (known && limit < (kUnlimited >> 2)) {
            const std::uint64_t droppable =
                ReadKeyed(folder + "/memory.stat", v2 ? "inactive_file" : "total_inactive_file");
            const std::uint64_t used = usage > droppable ? usage - droppable : 0;
            room = std::min(room, limit > used ? limit - used : 0);
        }
        if (folder.size() <= top.size()) break;
        folder.erase(folder.rfind('/'));
    }
    return room;
}

std::uint64_t CgroupRoom() {
    const std::vector<CgroupMount> mounts = MemoryCgroupMounts();
    std::uint64_t room = kUnlimited;
    std::ifstream in("/proc/self/cgroup");
    // Lines "id:controllers:path"; v2 has id 0 and no controllers.
    for (std::string line; std::getline(in, line);) {
        const auto first = line.find(':');
        const auto second = line.find(':', first + 1);
        if (first == std::string::npos || second == std::string::npos) continue;
        const std::string controllers = "," + line.substr(first + 1, second - first - 1) + ",";
        const std::string path = line.substr(second + 1);
        const bool v2 = controllers == ",,";
        if (!v2 && controllers.find(",memory,") == std::string::npos) continue;
        for (const CgroupMount& mount : mounts) {
            if (mount.v2 != v2) continue;
            // The path is within the hierarchy; the mount shows part of it.
            const std::string base = mount.root == "/" ? "" : mount.root;
            if (path.compare(0, base.size(), base) != 0) continue;
            std::string relative = path.substr(base.size());
            if (!relative.empty() && relative.back() == '/') relative.pop_back();
            room = std::min(room, CgroupRoom(mount.mountPoint + relative, mount.mountPoint, v2));
        }
    }
    return room;
}

std::uint64_t SystemRoom() {
    const std::uint64_t available = ReadKilobytes("/proc/meminfo", "MemAvailable");
    if (available == 0) return kUnlimited;
    return available + ReadKilobytes("/proc/meminfo", "SwapFree");
}

std::uint64_t LimitRoom(int resource, const char* usedKey) {
    struct rlimit limit;
    if (getrlimit(resource, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return kUnlimited;
    const std::uint64_t used = ReadKilobytes("/proc/self/status", usedKey);
    return limit.rlim_cur > used ? limit.rlim_cur - used : 0;
}

}  // namespace

std::uint64_t AvailableMemoryBytes() {
    return std::min({CgroupRoom(), SystemRoom(), LimitRoom(RLIMIT_AS, "VmSize"),
                     LimitRoom(RLIMIT_DATA, "VmData")});
}

}  // namespace platform
