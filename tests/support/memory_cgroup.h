// A memory cgroup of its own, with a limit, for a program started by a test
// to join; removed when done. Works on cgroups v1 and v2.
#pragma once

#include <string>

namespace kelmoro::test {

class MemoryCgroup {
public:
    // `limit` as the kernel takes it, such as "64M".
    explicit MemoryCgroup(const std::string& limit);
    ~MemoryCgroup();
    MemoryCgroup(const MemoryCgroup&) = delete;
    MemoryCgroup& operator=(const MemoryCgroup&) = delete;

    bool ready() const { return ready_; }
    // Why the group could not be made, when it is not ready.
    const std::string& why() const { return why_; }
    // The file a process writes its id (or "0", itself) into to join.
    std::string procs() const { return folder_ + "/cgroup.procs"; }

private:
    std::string folder_;
    bool ready_ = false;
    std::string why_;
};

}  // namespace kelmoro::test
