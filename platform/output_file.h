// A file written through a buffer and put in place atomically: the bytes go
// to a temporary file in the target's folder, which is renamed over the
// target only by Commit(). Until then, and after any failure, whatever was at
// the target path stays untouched and the temporary file is removed.
// The new file gets the permissions of a plainly created one (0666 less the
// umask).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace platform {

class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile();  // discards an uncommitted file
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Starts a new file that will replace `path`. False when the folder does
    // not exist or is not writable, or when `path` names a folder.
    bool Create(const std::string& path);
    // Appends bytes. False once any write has failed; later calls keep
    // failing, so checking the last call is enough.
    bool Write(const void* bytes, std::size_t count);
    // Writes out the buffer and renames the file over the target. False when
    // anything failed; the target is then untouched and nothing is left.
    bool Commit();
    // Removes the temporary file, leaving the target untouched.
    void Discard();

    bool IsOpen() const { return fd_ >= 0; }
    bool Failed() const { return failed_; }

private:
    bool Flush();

    static constexpr std::size_t kBufferSize = 256 * 1024;
    int fd_ = -1;
    bool failed_ = false;
    std::string targetPath_;
    std::string temporaryPath_;
    std::unique_ptr<unsigned char[]> buffer_;
    std::size_t bufferFill_ = 0;
};

}  // namespace platform
