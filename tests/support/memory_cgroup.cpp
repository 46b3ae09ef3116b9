// Making, limiting and removing a memory cgroup.
#include "support/memory_cgroup.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "support/child_process.h"

namespace kelmoro::test {

MemoryCgroup::MemoryCgroup(const std::string& limit) {
    const std::string name = "kelmoro-test-" + std::to_string(getpid());
    std::string limitFile;
    if (std::filesystem::exists("/sys/fs/cgroup/memory/memory.limit_in_bytes")) {
        folder_ = "/sys/fs/cgroup/memory/" + name;
        limitFile = "memory.limit_in_bytes";
    } else if (Slurp("/sys/fs/cgroup/cgroup.subtree_control").find("memory") != std::string::npos) {
        folder_ = "/sys/fs/cgroup/" + name;
        limitFile = "memory.max";
    } else {
        why_ = "no memory cgroup controller to use";
        return;
    }
    if (mkdir(folder_.c_str(), 0755) != 0) {
        why_ = "cannot make a memory cgroup: " + std::string(std::strerror(errno));
        folder_.clear();
        return;
    }
    std::ofstream(folder_ + "/" + limitFile) << limit << std::flush;
    ready_ = Slurp(folder_ + "/" + limitFile) != "";
    if (!ready_) why_ = "cannot set the cgroup's limit";
}

MemoryCgroup::~MemoryCgroup() {
    if (!folder_.empty()) rmdir(folder_.c_str());
}

}  // namespace kelmoro::test
