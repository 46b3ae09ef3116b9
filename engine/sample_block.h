// The samples of one block of frames, one array per channel, as the stages
// pass them along. The room stays between blocks and between jobs, so that
// a conversion touches the same few hundred kilobytes from start to end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kelmoro {

class SampleBlock {
public:
    // Room for `count` samples, contents unspecified. False when the memory
    // cannot be had, or the count is more than any memory could hold.
    bool Allocate(std::size_t count) {
        if (count > samples_.max_size()) return false;
        try {
            samples_.resize(count);
        } catch (const std::bad_alloc&) {
            return false;
        }
        return true;
    }
    // Empty again; the room stays.
    void Clear() { samples_.clear(); }

    // Null while empty.
    std::int32_t* data() { return samples_.empty() ? nullptr : samples_.data(); }
    const std::int32_t* data() const { return samples_.empty() ? nullptr : samples_.data(); }
    std::size_t size() const { return samples_.size(); }
    // How many samples fit without new memory.
    std::size_t capacity() const { return samples_.capacity(); }

private:
    std::vector<std::int32_t> samples_;
};

}  // namespace kelmoro
