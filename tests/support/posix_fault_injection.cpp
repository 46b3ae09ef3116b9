// Fault injection and call recording through the POSIX file layer's table
// of system calls.
#include <fcntl.h>
#include <sys/stat.h>

#include <map>

#include "platform/posix/posix_calls.h"
#include "support/fault_injection.h"

namespace kelmoro::test {
namespace {

Faults g_faults;
long g_bytesWritten = 0;
platform::PosixCalls g_real = platform::RealPosixCalls();
platform::PosixCalls g_previous;
std::vector<std::string> g_calls;
std::map<int, std::string> g_fdNames;  // output descriptors: "temp" or "folder"

void Record(const std::string& call) {
    if (g_calls.empty() || g_calls.back() != call || call.rfind("write", 0) != 0) {
        g_calls.push_back(call);
    }
}

// "temp" for the hidden temporary files, "folder" for folders, else empty.
std::string OutputFdName(int fd) {
    auto found = g_fdNames.find(fd);
    return found == g_fdNames.end() ? std::string() : found->second;
}

int FaultyOpen(const char* path, int flags, mode_t mode) {
    if (g_faults.failCreate && (flags & O_CREAT) != 0) {
        errno = EROFS;
        return -1;
    }
    const int fd = g_real.open(path, flags, mode);
    if (fd >= 0 && ((flags & O_CREAT) != 0 || (flags & O_DIRECTORY) != 0)) {
        g_fdNames[fd] = (flags & O_DIRECTORY) != 0 ? "folder" : "temp";
        Record("open(" + g_fdNames[fd] + ")");
    }
    return fd;
}

ssize_t FaultyWrite(int fd, const void* buffer, size_t count) {
    if (g_faults.writeBytesBeforeFailure >= 0) {
        long room = g_faults.writeBytesBeforeFailure - g_bytesWritten;
        if (room <= 0) {
            errno = g_faults.writeErrno;
            return -1;
        }
        if (static_cast<long>(count) > room) count = static_cast<size_t>(room);
    }
    if (!OutputFdName(fd).empty()) Record("write(" + OutputFdName(fd) + ")");
    ssize_t wrote = g_real.write(fd, buffer, count);
    if (wrote > 0) g_bytesWritten += wrote;
    return wrote;
}

int FaultyClose(int fd) {
    const std::string name = OutputFdName(fd);
    if (!name.empty()) {
        Record("close(" + name + ")");
        g_fdNames.erase(fd);
    }
    int result = g_real.close(fd);
    if (g_faults.failClose) {
        errno = EIO;
        return -1;
    }
    return result;
}

int FaultyRename(const char* from, const char* to) {
    Record("rename(temp,target)");
    if (g_faults.failRename) {
        errno = EXDEV;
        return -1;
    }
    return g_real.rename(from, to);
}

int Sync(const char* call, int fd, int (*real)(int)) {
    const std::string name = OutputFdName(fd);
    Record(std::string(call) + "(" + (name.empty() ? "other" : name) + ")");
    if ((name == "folder" && g_faults.failFolderSync) ||
        (name != "folder" && g_faults.failDataSync)) {
        errno = EIO;
        return -1;
    }
    return real(fd);
}

int FaultyDataSync(int fd) {
    return Sync("fdatasync", fd, g_real.fdatasync);
}
int FaultySync(int fd) {
    return Sync("fsync", fd, g_real.fsync);
}

}  // namespace

ScopedFaults::ScopedFaults(const Faults& faults) {
    g_faults = faults;
    g_bytesWritten = 0;
    g_calls.clear();
    g_fdNames.clear();
    platform::PosixCalls calls = g_real;
    calls.open = FaultyOpen;
    calls.write = FaultyWrite;
    calls.close = FaultyClose;
    calls.rename = FaultyRename;
    calls.fdatasync = FaultyDataSync;
    calls.fsync = FaultySync;
    g_previous = platform::SetPosixCallsForTesting(calls);
}

ScopedFaults::~ScopedFaults() {
    platform::SetPosixCallsForTesting(g_previous);
}

std::vector<std::string> ScopedFaults::OutputCalls() const {
    return g_calls;
}

}  // namespace kelmoro::test
