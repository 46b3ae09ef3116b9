// The replaceable table of POSIX calls used by the file layer.
#include "posix_calls.h"

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

namespace platform {
namespace {

int RealOpen(const char* path, int flags, mode_t mode) {
    return ::open(path, flags, mode);
}
int RealFcntl(int fd, int command, int argument) {
    return ::fcntl(fd, command, argument);
}

PosixCalls& Current() {
    static PosixCalls calls = RealPosixCalls();
    return calls;
}

}  // namespace

PosixCalls RealPosixCalls() {
    return PosixCalls{RealOpen,    ::read,   ::write,  ::lseek,  ::close,
                      ::rename,    ::unlink, ::fstat,  ::lstat,  RealFcntl,
                      ::fdatasync, ::fsync,  ::fchmod, ::fchown, ::access, ::pwrite,
                      ::stat,      ::ftruncate};
}

const PosixCalls& Posix() {
    return Current();
}

PosixCalls SetPosixCallsForTesting(const PosixCalls& calls) {
    PosixCalls previous = Current();
    Current() = calls;
    return previous;
}

}  // namespace platform
