// Buffered reading of an existing file.
#include "input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "path_guard.h"
#include "posix_calls.h"

namespace platform {

InputFile::~InputFile() { Close(); }

bool InputFile::Open(const std::string& path) {
    Close();
    if (PathHoldsNul(path)) return false;
    // O_NONBLOCK keeps a FIFO given as input from blocking the open; such
    // files are refused below anyway.
    int fd = RetryInterrupted(
        [&] { return Posix().open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK, 0); });
    if (fd < 0) return false;
    struct stat info;
    if (RetryInterrupted([&] { return Posix().fstat(fd, &info); }) != 0 || !S_ISREG(info.st_mode)) {
        Posix().close(fd);
        return false;
    }
    const int flags = Posix().fcntl(fd, F_GETFL, 0);
    if (flags != -1) Posix().fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return Adopt(fd, info);
}

bool InputFile::OpenStandardInput() {
    Close();
    // A descriptor of our own, so that Close leaves standard input open.
    int fd = Posix().fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 3);
    if (fd < 0) return false;
    struct stat info;
    if (RetryInterrupted([&] { return Posix().fstat(fd, &info); }) != 0 || S_ISDIR(info.st_mode)) {
        Posix().close(fd);
        return false;
    }
    return Adopt(fd, info);
}

bool InputFile::Adopt(int fd, const struct stat& info) {
    fd_ = fd;
    // A regular file given as standard input may not stand at its start;
    // the reader seeks to 0 as for any file.
    seekable_ = S_ISREG(info.st_mode);
    size_ = seekable_ ? static_cast<std::uint64_t>(info.st_size) : kUnknownSize;
    if (!buffer_) buffer_ = std::make_unique_for_overwrite<unsigned char[]>(kBufferSize);
    bufferStart_ = 0;
    bufferPos_ = 0;
    bufferFill_ = 0;
    return true;
}

void InputFile::Close() {
    if (fd_ >= 0) Posix().close(fd_);
    fd_ = -1;
    seekable_ = false;
    size_ = 0;
    bufferStart_ = bufferPos_ = bufferFill_ = 0;
}

bool InputFile::Seek(std::uint64_t offset) {
    if (fd_ < 0) return false;
    // Within the buffered window the seek costs nothing.
    if (offset >= bufferStart_ && offset <= bufferStart_ + bufferFill_) {
        bufferPos_ = static_cast<std::size_t>(offset - bufferStart_);
        return true;
    }
    if (!seekable_) return false;
    if (Posix().lseek(fd_, static_cast<off_t>(offset), SEEK_SET) < 0) return false;
    bufferStart_ = offset;
    bufferPos_ = bufferFill_ = 0;
    return true;
}

bool InputFile::Refill() {
    bufferStart_ += bufferFill_;
    bufferPos_ = bufferFill_ = 0;
    ssize_t got = RetryInterrupted([&] { return Posix().read(fd_, buffer_.get(), kBufferSize); });
    if (got <= 0) return false;
    bufferFill_ = static_cast<std::size_t>(got);
    return true;
}

std::size_t InputFile::Read(void* destination, std::size_t count) {
    if (fd_ < 0) return 0;
    auto* out = static_cast<unsigned char*>(destination);
    std::size_t delivered = 0;
    while (delivered < count) {
        std::size_t available = bufferFill_ - bufferPos_;
        if (available == 0) {
            // Large requests go straight to the caller's memory.
            std::size_t wanted = count - delivered;
            if (wanted >= kBufferSize) {
                bufferStart_ += bufferFill_;
                bufferPos_ = bufferFill_ = 0;
                ssize_t got =
                    RetryInterrupted([&] { return Posix().read(fd_, out + delivered, wanted); });
                if (got <= 0) break;
                bufferStart_ += static_cast<std::uint64_t>(got);
                delivered += static_cast<std::size_t>(got);
                continue;
            }
            if (!Refill()) break;
            available = bufferFill_;
        }
        std::size_t take = std::min(available, count - delivered);
        std::memcpy(out + delivered, buffer_.get() + bufferPos_, take);
        bufferPos_ += take;
        delivered += take;
    }
    return delivered;
}

std::uint64_t InputFile::Skip(std::uint64_t count) {
    if (seekable_) {
        std::uint64_t target = Position() + std::min(count, Remaining());
        std::uint64_t skipped = target - Position();
        return Seek(target) ? skipped : 0;
    }
    // A pipe is passed over by reading it, a buffer at a time.
    std::uint64_t skipped = 0;
    while (skipped < count) {
        std::size_t available = bufferFill_ - bufferPos_;
        if (available == 0) {
            if (!Refill()) break;
            available = bufferFill_;
        }
        const auto take = static_cast<std::size_t>(std::min<std::uint64_t>(available, count - skipped));
        bufferPos_ += take;
        skipped += take;
    }
    return skipped;
}

}  // namespace platform
