// A file written through a buffer and put in place atomically and durably:
// the bytes go to a hidden temporary file in the target's folder, which
// Commit() syncs to the disk, renames over the target and makes the new
// name durable by syncing the folder. Until then, and after any failure,
// whatever was at the target path stays untouched and the temporary file
// is removed, also when the program is interrupted by SIGINT, SIGTERM or
// SIGHUP (see interrupt_cleanup.h).
//
// A new file gets the permissions of a plainly created one (0666 less the
// umask). A file that replaces an existing one gets its permission bits,
// and its owner and group as far as the process may set them. An existing
// file the user may not write is not replaced. A symbolic link at the
// target is replaced by the file itself; what it points to is not touched.
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
    // not exist or is not writable, when `path` names a folder, or when it
    // names a file the user may not write.
    bool Create(const std::string& path);
    // Appends bytes. False once any write has failed; later calls keep
    // failing, so checking the last call is enough.
    bool Write(const void* bytes, std::size_t count);
    // Writes out the buffer, syncs the file, renames it over the target and
    // syncs the folder. False when anything failed; before the rename that
    // leaves the target untouched and nothing behind. Only a failed sync of
    // the folder comes after the rename: the new file is then in place, but
    // it is not known to be on the disk, and that is a failure too.
    bool Commit();
    // Removes the temporary file, leaving the target untouched.
    void Discard();

private:
    bool Flush();
    bool OpenTemporary(const std::string& path, bool replacing);
    void CloseFolder();

    static constexpr std::size_t kBufferSize = 256 * 1024;
    int fd_ = -1;
    int folderFd_ = -1;
    int cleanupSlot_ = -1;  // the temporary file's slot for removal on interruption
    bool failed_ = false;
    std::string targetPath_;
    std::string temporaryPath_;
    std::unique_ptr<unsigned char[]> buffer_;
    std::size_t bufferFill_ = 0;
};

}  // namespace platform
