// Allocation of large sample arrays.
#include "sample_memory.h"

#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>
#include <limits>

namespace platform {
namespace {

constexpr std::size_t kHugePage = 2 * 1024 * 1024;
// Below this, malloc is as good and keeps small jobs cheap.
constexpr std::size_t kMapThreshold = 1024 * 1024;

}  // namespace

SampleMemory& SampleMemory::operator=(SampleMemory&& other) noexcept {
    if (this != &other) {
        Release();
        data_ = other.data_;
        count_ = other.count_;
        capacity_ = other.capacity_;
        mapping_ = other.mapping_;
        mappingBytes_ = other.mappingBytes_;
        other.data_ = nullptr;
        other.count_ = 0;
        other.capacity_ = 0;
        other.mapping_ = nullptr;
        other.mappingBytes_ = 0;
    }
    return *this;
}

bool SampleMemory::Allocate(std::size_t count) {
    if (count <= capacity_) {
        count_ = count;
        return true;
    }
    Release();
    if (count > (std::numeric_limits<std::size_t>::max() - 2 * kHugePage) / sizeof(std::int32_t)) {
        return false;
    }
    std::size_t bytes = count * sizeof(std::int32_t);
    if (bytes < kMapThreshold) {
        data_ = static_cast<std::int32_t*>(std::malloc(bytes));
        if (data_ == nullptr) return false;
        count_ = capacity_ = count;
        return true;
    }
    // Map one huge page more than needed and start on a huge-page boundary,
    // so the kernel can back the whole array with huge pages.
    std::size_t roundedBytes = (bytes + kHugePage - 1) & ~(kHugePage - 1);
    std::size_t mappingBytes = roundedBytes + kHugePage;
    void* mapping = mmap(nullptr, mappingBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS,
                         -1, 0);
    if (mapping == MAP_FAILED) return false;
    auto address = reinterpret_cast<std::uintptr_t>(mapping);
    std::uintptr_t aligned = (address + kHugePage - 1) & ~(kHugePage - 1);
#ifdef MADV_HUGEPAGE
    madvise(reinterpret_cast<void*>(aligned), roundedBytes, MADV_HUGEPAGE);
#endif
    mapping_ = mapping;
    mappingBytes_ = mappingBytes;
    data_ = reinterpret_cast<std::int32_t*>(aligned);
    count_ = count;
    // The whole rounded mapping is usable.
    capacity_ = roundedBytes / sizeof(std::int32_t);
    return true;
}

void SampleMemory::Release() {
    if (mapping_ != nullptr) {
        munmap(mapping_, mappingBytes_);
    } else {
        std::free(data_);
    }
    data_ = nullptr;
    count_ = 0;
    capacity_ = 0;
    mapping_ = nullptr;
    mappingBytes_ = 0;
}

}  // namespace platform
