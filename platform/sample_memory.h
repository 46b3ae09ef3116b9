// Memory for large sample arrays. Big blocks come straight from the kernel:
// they are not zero-filled by us (every entry is written before it is read)
// and ask for transparent huge pages, which makes the first touch of a few
// hundred megabytes several times cheaper.
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

    // Room for `count` 32-bit samples, contents unspecified. False (and
    // empty) when the memory cannot be had or the size does not fit.
    bool Allocate(std::size_t count);
    void Release();

    std::int32_t* data() { return data_; }
    const std::int32_t* data() const { return data_; }
    std::size_t size() const { return count_; }

private:
    std::int32_t* data_ = nullptr;
    std::size_t count_ = 0;
    void* mapping_ = nullptr;  // the whole mapping when mapped, else null
    std::size_t mappingBytes_ = 0;
};

}  // namespace platform
