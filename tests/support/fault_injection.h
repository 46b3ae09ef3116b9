// Makes the file layer's system calls fail on purpose for the life of one
// object: a write after so many bytes (a full disk), an open of a new file
// (a read-only folder), a sync of the file or of its folder, a rename, a
// close. It can also record the calls that concern the output, in order.
// The same faults on both systems, through the table of calls each one's
// file layer makes (posix_calls.h, win32_calls.h); Windows has no folder to
// sync.
#pragma once

#include <cerrno>
#include <cstddef>
#include <string>
#include <vector>

namespace kelmoro::test {

struct Faults {
    long writeBytesBeforeFailure = -1;  // -1: writes never fail
    int writeErrno = ENOSPC;  // on Windows: ENOSPC is ERROR_DISK_FULL, anything else an I/O error
    bool failCreate = false;  // opens of a new file fail (EROFS, ERROR_WRITE_PROTECT)
    bool failRename = false;
    bool failClose = false;
    bool failDataSync = false;    // fdatasync and fsync of a file fail with EIO
    bool failFolderSync = false;  // fsync of a folder fails with EIO
};

class ScopedFaults {
public:
    explicit ScopedFaults(const Faults& faults);
    ~ScopedFaults();
    ScopedFaults(const ScopedFaults&) = delete;
    ScopedFaults& operator=(const ScopedFaults&) = delete;

    // The calls on the output since this object was made, with descriptors
    // named by what they are: "open(temp)", "open(folder)", "write(temp)"
    // (once for a run of writes), "fdatasync(temp)", "close(temp)",
    // "rename(temp,target)", "fsync(folder)", "close(folder)", ...
    std::vector<std::string> OutputCalls() const;
};

}  // namespace kelmoro::test
