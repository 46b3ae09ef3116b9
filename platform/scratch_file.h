// A file without a name in the temporary folder ($TMPDIR, else /tmp; on
// Windows a named one in %TEMP% that the system deletes), for what a run
// must keep until it ends but need not hold in memory. It is gone when it is
// closed or the program ends, however it ends. Appended to through a
// buffer; read back at any offset.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>

namespace platform {

class ScratchFile {
public:
    ScratchFile() = default;
    ~ScratchFile();
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    // Appends `count` bytes; returns the offset they start at, or nothing
    // when the file cannot be made or written (the disk is full).
    std::optional<std::uint64_t> Append(const void* bytes, std::size_t count);
    // Reads `count` bytes from `offset` into `destination`; false when they
    // cannot all be read.
    bool ReadAt(std::uint64_t offset, void* destination, std::size_t count);

private:
    bool Open();

    std::FILE* file_ = nullptr;
    std::uint64_t size_ = 0;
    bool failed_ = false;
};

}  // namespace platform
