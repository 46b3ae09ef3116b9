// The unnamed scratch file on POSIX: O_TMPFILE, or a file unlinked at once
// where the file system has no O_TMPFILE (NFS, for one); read back with pread.
#include "scratch_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "interrupt_cleanup.h"
#include "path_guard.h"
#include "posix_calls.h"

namespace platform {

bool ScratchFile::Open() {
    const char* variable = std::getenv("TMPDIR");
    const std::string folder = variable != nullptr && *variable != '\0' ? variable : "/tmp";
    if (PathHoldsNul(folder)) return false;
    int fd = RetryInterrupted(
        [&] { return Posix().open(folder.c_str(), O_RDWR | O_TMPFILE | O_CLOEXEC, 0600); });
    if (fd < 0) {
        // Created and removed in one step: an interruption between the two
        // would leave the file behind.
        InterruptsHeld held;
        std::string name = folder + "/.kelmoro-scratch.XXXXXX";
        fd = mkostemp(name.data(), O_CLOEXEC);
        if (fd < 0) return false;
        Posix().unlink(name.c_str());
    }
    file_ = fdopen(fd, "w+b");
    if (file_ == nullptr) Posix().close(fd);
    return file_ != nullptr;
}

bool ScratchFile::ReadAt(std::uint64_t offset, void* destination, std::size_t count) {
    if (file_ == nullptr || offset + count > size_ || std::fflush(file_) != 0) return false;
    auto* out = static_cast<char*>(destination);
    while (count > 0) {
        const ssize_t got = RetryInterrupted(
            [&] { return pread(fileno(file_), out, count, static_cast<off_t>(offset)); });
        if (got <= 0) return false;
        out += got;
        offset += static_cast<std::uint64_t>(got);
        count -= static_cast<std::size_t>(got);
    }
    return true;
}

}  // namespace platform
