// The write buffer behind both systems' OutputFile: bytes are gathered into
// 256 KiB and handed to the system a whole buffer at a time, so that the AU
// writer's small appends cost no system call each. It counts the bytes taken
// (Accepted: where a failed write stopped) and those handed on (Flushed:
// whether a patch can still be made in memory).
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

namespace platform {

class WriteBuffer {
public:
    // Empties the buffer for a new output; its memory is kept from one
    // output to the next.
    void Start() {
        if (!bytes_) bytes_ = std::make_unique_for_overwrite<unsigned char[]>(kSize);
        fill_ = 0;
        accepted_ = flushed_ = 0;
    }
    // Forgets what is still buffered: the output is abandoned.
    void Drop() { fill_ = 0; }

    // Takes `count` bytes. Each time the buffer is full it goes to
    // `writeOut(data, size)`, which returns false when the system refused
    // them; Append is then false too.
    template <typename WriteOut>
    bool Append(const void* bytes, std::size_t count, WriteOut writeOut) {
        const auto* in = static_cast<const unsigned char*>(bytes);
        while (count > 0) {
            const std::size_t take = std::min(count, kSize - fill_);
            std::memcpy(bytes_.get() + fill_, in, take);
            fill_ += take;
            accepted_ += take;
            in += take;
            count -= take;
            if (fill_ == kSize && !Drain(writeOut)) return false;
        }
        return true;
    }

    // Hands whatever is buffered to `writeOut`; false when that fails.
    template <typename WriteOut>
    bool Drain(WriteOut writeOut) {
        if (fill_ > 0 && !writeOut(bytes_.get(), fill_)) return false;
        flushed_ += fill_;
        fill_ = 0;
        return true;
    }

    // Overwrites bytes taken earlier if they are all still in the buffer;
    // false when any of them has been handed on already.
    bool OverwriteBuffered(std::uint64_t offset, const void* bytes, std::size_t count) {
        if (offset < flushed_ || offset + count > accepted_) return false;
        std::memcpy(bytes_.get() + (offset - flushed_), bytes, count);
        return true;
    }

    std::uint64_t Accepted() const { return accepted_; }
    std::uint64_t Flushed() const { return flushed_; }

private:
    static constexpr std::size_t kSize = 256 * 1024;
    std::unique_ptr<unsigned char[]> bytes_;
    std::size_t fill_ = 0;
    std::uint64_t accepted_ = 0;
    std::uint64_t flushed_ = 0;
};

}  // namespace platform
