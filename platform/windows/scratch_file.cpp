// The scratch file on Windows: a temporary file that the system deletes when
// it is closed, read back through the stream.
#include <cstdio>

#include "scratch_file.h"
#include "temporary_stream.h"

namespace platform {

bool ScratchFile::Open() {
    file_ = OpenTemporaryStream();
    return file_ != nullptr;
}

bool ScratchFile::ReadAt(std::uint64_t offset, void* destination, std::size_t count) {
    if (file_ == nullptr || offset + count > size_ || std::fflush(file_) != 0) return false;
    const bool read = _fseeki64(file_, static_cast<long long>(offset), SEEK_SET) == 0 &&
                      std::fread(destination, 1, count, file_) == count;
    // The next Append goes on at the end.
    return _fseeki64(file_, 0, SEEK_END) == 0 && read;
}

}  // namespace platform
