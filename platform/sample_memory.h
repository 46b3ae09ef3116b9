// Memory for large sample arrays. Big blocks come straight from the kernel:
// they are not zero-filled by us (every entry is written before it is read)
// and ask for transparent huge pages, which makes the first touch of a few
// hundred megabytes several times cheaper.
// The memory is kept between uses: Clear() empties the array but keeps its
// room, so a program converting many files touches fresh pages only when a
// file larger than every earlier one comes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

class SampleMemory {
public:
    SampleMemory() = default;
    ~SampleMemory() { Release(); }
    SampleMemory(SampleMemory&& other) noexcept { *this = static_cast<SampleMemory&&>(other); }
    SampleMemory& operator=(SampleMemory&& other) noexcept;
    SampleMemory(const SampleMemory&) = delete;
    SampleMemory& operator=(const SampleMemory&) = delete;

    // Room for `count` 32-bit samples, contents unspecified (they may hold
    // what an earlier use left). Reuses the memory already held when it is
    // large enough. False (and empty) when the memory cannot be had or the
    // size does not fit.
    bool Allocate(std::size_t count);
    // Empty again; the memory stays for the next Allocate.
    void Clear() { count_ = 0; }
    // Empty, and the memory goes back to the system.
    void Release();

    // Null while empty.
    std::int32_t* data() { return count_ > 0 ? data_ : nullptr; }
    const std::int32_t* data() const { return count_ > 0 ? data_ : nullptr; }
    std::size_t size() const { return count_; }
    // How many samples fit without new memory.
    std::size_t capacity() const { return capacity_; }

private:
    std::int32_t* data_ = nullptr;
    std::size_t count_ = 0;
    std::size_t capacity_ = 0;
    void* mapping_ = nullptr;  // the whole mapping when mapped, else null
    std::size_t mappingBytes_ = 0;
};

}  // namespace platform
