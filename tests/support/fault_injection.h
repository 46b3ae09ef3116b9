// Makes the file layer's system calls fail on purpose for the life of one
// object: a write after so many bytes (a full disk), an open of a new file
// (a read-only folder), a rename, a close.
#pragma once

#include <cerrno>
#include <cstddef>

#include "platform/posix_calls.h"

namespace kelmoro::test {

struct Faults {
    long writeBytesBeforeFailure = -1;  // -1: writes never fail
    int writeErrno = ENOSPC;
    bool failCreate = false;            // opens with O_CREAT fail with EROFS
    bool failRename = false;
    bool failClose = false;
};

class ScopedFaults {
public:
    explicit ScopedFaults(const Faults& faults);
    ~ScopedFaults();
    ScopedFaults(const ScopedFaults&) = delete;
    ScopedFaults& operator=(const ScopedFaults&) = delete;

private:
    platform::PosixCalls previous_;
};

}  // namespace kelmoro::test
