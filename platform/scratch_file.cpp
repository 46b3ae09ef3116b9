// The scratch file's appending, the same on every system; making the file
// and reading it back are each system's own (posix/, windows/).
#include "scratch_file.h"

namespace platform {

ScratchFile::~ScratchFile() {
    if (file_ != nullptr) std::fclose(file_);
}

std::optional<std::uint64_t> ScratchFile::Append(const void* bytes, std::size_t count) {
    if (failed_ || (file_ == nullptr && !Open())) {
        failed_ = true;
        return std::nullopt;
    }
    if (std::fwrite(bytes, 1, count, file_) != count) {
        failed_ = true;
        return std::nullopt;
    }
    const std::uint64_t at = size_;
    size_ += count;
    return at;
}

}  // namespace platform
