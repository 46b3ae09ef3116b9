// Buffered reading of an existing file, the same on every system.
#include "input_file.h"

#include <algorithm>
#include <cstring>

#include "path_guard.h"

namespace platform {

InputFile::~InputFile() { Close(); }

bool InputFile::Open(const std::string& path) {
    Close();
    if (PathHoldsNul(path)) return false;
    const auto opened = OpenNamed(path);
    return opened && Adopt(*opened);
}

bool InputFile::OpenStandardInput() {
    Close();
    const auto opened = OpenStandard();
    return opened && Adopt(*opened);
}

bool InputFile::Adopt(const Opened& opened) {
    handle_ = opened.handle;
    // A regular file given as standard input may not stand at its start;
    // the reader seeks to 0 as for any file.
    seekable_ = opened.regular;
    size_ = seekable_ ? opened.size : kUnknownSize;
    if (!buffer_) buffer_ = std::make_unique_for_overwrite<unsigned char[]>(kBufferSize);
    bufferStart_ = 0;
    bufferPos_ = 0;
    bufferFill_ = 0;
    return true;
}

void InputFile::Close() {
    if (handle_ != kNoHandle) CloseSystem(handle_);
    handle_ = kNoHandle;
    seekable_ = false;
    size_ = 0;
    bufferStart_ = bufferPos_ = bufferFill_ = 0;
}

bool InputFile::Seek(std::uint64_t offset) {
    if (handle_ == kNoHandle) return false;
    // Within the buffered window the seek costs nothing.
    if (offset >= bufferStart_ && offset <= bufferStart_ + bufferFill_) {
        bufferPos_ = static_cast<std::size_t>(offset - bufferStart_);
        return true;
    }
    if (!seekable_) return false;
    if (!SeekTo(handle_, offset)) return false;
    bufferStart_ = offset;
    bufferPos_ = bufferFill_ = 0;
    return true;
}

bool InputFile::Refill() {
    bufferStart_ += bufferFill_;
    bufferPos_ = bufferFill_ = 0;
    const std::int64_t got = ReadSome(handle_, buffer_.get(), kBufferSize);
    if (got <= 0) return false;
    bufferFill_ = static_cast<std::size_t>(got);
    return true;
}

std::size_t InputFile::Read(void* destination, std::size_t count) {
    if (handle_ == kNoHandle) return 0;
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
                const std::int64_t got = ReadSome(handle_, out + delivered, wanted);
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
