// A file written through a buffer and put in place atomically and durably:
// the bytes go to a hidden temporary file in the target's folder, which
// Commit() syncs to the disk and renames over the target; on POSIX the new
// name is then made durable by syncing the folder. Until then, and after
// any failure, whatever was at the target path stays untouched and the
// temporary file is removed, also when the program is interrupted (see
// interrupt_cleanup.h).
//
// POSIX: a new file gets the permissions of a plainly created one (0666 less
// the umask). A file that replaces an existing one gets its permission bits,
// and its owner and group as far as the process may set them. An existing
// file the user may not write is not replaced. A symbolic link at the
// target is replaced by the file itself; what it points to is not touched.
//
// Windows: a replaced file keeps its attributes and security (ReplaceFileW);
// a read-only one is not replaced, nor a name Windows keeps for a device
// (paths.h). A target another program holds open is tried again for a
// moment before the commit fails.
//
// Standard output can be the destination instead: the bytes are written to
// it as they come, synced when it is a regular file, and nothing is renamed.
// After a failure a regular file is cut back to the length it had when
// writing began (nothing for `>`, the earlier contents for `>>`); what was
// written to a pipe cannot be taken back.
//
// A path that holds a NUL byte is refused (see path_guard.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace platform {

class OutputFile {
public:
    OutputFile();
    ~OutputFile();  // discards an uncommitted file
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Starts a new file that will replace `path`. False when the folder does
    // not exist or is not writable, when `path` names a folder, or when it
    // names a file the user may not write.
    bool Create(const std::string& path);
    // Starts writing to standard output.
    bool CreateOnStandardOutput();
    // Appends bytes. False once any write has failed; later calls keep
    // failing, so checking the last call is enough.
    bool Write(const void* bytes, std::size_t count);
    // Writes out the buffer, syncs the file, renames it over the target and
    // syncs the folder. False when anything failed; before the rename that
    // leaves the target untouched and nothing behind. Only a failed sync of
    // the folder comes after the rename: the new file is then in place, but
    // it is not known to be on the disk, and that is a failure too.
    bool Commit();
    // Removes the temporary file, leaving the target untouched; on standard
    // output, cuts a regular file back to where it stood.
    void Discard();

    // Whether the folder of the file being written has been removed since
    // Create: the file could not be created there any more.
    bool FolderGone() const;

    // Bytes taken by Write so far; after a failed Write, up to and including
    // the byte whose write failed.
    std::uint64_t Accepted() const;
    // Whether bytes already written can be overwritten with Patch: always
    // for a file, for standard output only when it is a regular file not
    // opened for appending.
    bool CanPatch() const;
    // Overwrites `count` bytes at `offset` from the start of this output
    // (all of them written before). False when that fails or cannot be done.
    bool Patch(std::uint64_t offset, const void* bytes, std::size_t count);

private:
    class Impl;  // each system's own (posix/output_file.cpp, windows/output_file.cpp)
    std::unique_ptr<Impl> impl_;
};

}  // namespace platform
