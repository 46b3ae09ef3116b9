// Fault injection through the file layer's table of system calls.
#include "support/fault_injection.h"

#include <fcntl.h>

namespace kelmoro::test {
namespace {

Faults g_faults;
long g_bytesWritten = 0;
platform::PosixCalls g_real = platform::RealPosixCalls();

int FaultyOpen(const char* path, int flags, mode_t mode) {
    if (g_faults.failCreate && (flags & O_CREAT) != 0) {
        errno = EROFS;
        return -1;
    }
    return g_real.open(path, flags, mode);
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
    ssize_t wrote = g_real.write(fd, buffer, count);
    if (wrote > 0) g_bytesWritten += wrote;
    return wrote;
}

int FaultyClose(int fd) {
    int result = g_real.close(fd);
    if (g_faults.failClose) {
        errno = EIO;
        return -1;
    }
    return result;
}

int FaultyRename(const char* from, const char* to) {
    if (g_faults.failRename) {
        errno = EXDEV;
        return -1;
    }
    return g_real.rename(from, to);
}

}  // namespace

ScopedFaults::ScopedFaults(const Faults& faults) {
    g_faults = faults;
    g_bytesWritten = 0;
    platform::PosixCalls calls = g_real;
    calls.open = FaultyOpen;
    calls.write = FaultyWrite;
    calls.close = FaultyClose;
    calls.rename = FaultyRename;
    previous_ = platform::SetPosixCallsForTesting(calls);
}

ScopedFaults::~ScopedFaults() { platform::SetPosixCallsForTesting(previous_); }

}  // namespace kelmoro::test
