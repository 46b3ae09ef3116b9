// The handful of POSIX calls the file layer makes, gathered in one table so
// that tests can make a write, a rename or an open fail on purpose (a full
// disk, a vanished folder) without needing root or a special file system.
#pragma once

#include <sys/types.h>

namespace platform {

struct PosixCalls {
    int (*open)(const char* path, int flags, mode_t mode);
    ssize_t (*read)(int fd, void* buffer, size_t count);
    ssize_t (*write)(int fd, const void* buffer, size_t count);
    off_t (*lseek)(int fd, off_t offset, int whence);
    int (*close)(int fd);
    int (*rename)(const char* from, const char* to);
    int (*unlink)(const char* path);
};

// The table in force; starts out as the real system calls.
const PosixCalls& Posix();

// Replaces the table (tests only) and returns the one it replaced.
PosixCalls SetPosixCallsForTesting(const PosixCalls& calls);

// The real system calls.
PosixCalls RealPosixCalls();

}  // namespace platform
