// The POSIX calls the file layer makes, gathered in one table so that tests
// can make a write, a sync, a rename or an open fail on purpose (a full disk,
// a failing device, a vanished folder) or record the order of the calls,
// without needing root or a special file system. Also the one place where
// a call interrupted by a signal is repeated.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cerrno>

namespace platform {

struct PosixCalls {
    int (*open)(const char* path, int flags, mode_t mode);
    ssize_t (*read)(int fd, void* buffer, size_t count);
    ssize_t (*write)(int fd, const void* buffer, size_t count);
    off_t (*lseek)(int fd, off_t offset, int whence);
    int (*close)(int fd);
    int (*rename)(const char* from, const char* to);
    int (*unlink)(const char* path);
    int (*fstat)(int fd, struct stat* info);
    int (*lstat)(const char* path, struct stat* info);
    int (*fcntl)(int fd, int command, int argument);
    int (*fdatasync)(int fd);
    int (*fsync)(int fd);
    int (*fchmod)(int fd, mode_t mode);
    int (*fchown)(int fd, uid_t owner, gid_t group);
    int (*access)(const char* path, int mode);
    ssize_t (*pwrite)(int fd, const void* buffer, size_t count, off_t offset);
    int (*stat)(const char* path, struct stat* info);
    int (*ftruncate)(int fd, off_t length);
};

// The table in force; starts out as the real system calls.
const PosixCalls& Posix();

// Replaces the table (tests only) and returns the one it replaced.
PosixCalls SetPosixCallsForTesting(const PosixCalls& calls);

// The real system calls.
PosixCalls RealPosixCalls();

// Runs `call` again for as long as a signal interrupts it (EINTR). Every
// call that may be repeated safely goes through here; close, rename and
// unlink do not: on Linux a close interrupted has still closed the
// descriptor, and the other two are not interrupted on local file systems.
template <typename Call>
auto RetryInterrupted(Call call) {
    for (;;) {
        auto result = call();
        if (!(result == -1 && errno == EINTR)) return result;
    }
}

}  // namespace platform
