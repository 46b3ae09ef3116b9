// A file opened for reading, with its own read buffer, so that the reader can
// ask for a few bytes at a time without a system call per request.
// Reads past the end deliver fewer bytes (never stale ones); the caller sees
// how many arrived. Standard input may be a pipe: its size is then unknown
// and it can only be read forward (Skip reads and drops the bytes).
// The buffering is the same on every system; opening, reading and seeking
// are each system's own (posix/input_file.cpp, windows/input_file.cpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace platform {

class InputFile {
public:
    InputFile() = default;
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // Opens an existing regular file read-only. False when it cannot be opened,
    // is not a regular file (a folder, a device) or its path holds a NUL byte.
    bool Open(const std::string& path);
    // Reads standard input: a regular file as any other, anything else (a
    // pipe, a socket, a terminal) forward only, with its size unknown.
    bool OpenStandardInput();
    void Close();

    // Whether the length is known (a regular file); a pipe's is not.
    bool SizeKnown() const { return size_ != kUnknownSize; }
    // The file's length in bytes when it was opened; kUnknownSize for a pipe.
    std::uint64_t Size() const { return size_; }
    // The offset of the next byte Read will deliver.
    std::uint64_t Position() const { return bufferStart_ + bufferPos_; }
    // Bytes left to the end; kUnknownSize less the position for a pipe.
    std::uint64_t Remaining() const { return size_ > Position() ? size_ - Position() : 0; }

    static constexpr std::uint64_t kUnknownSize = ~std::uint64_t{0};

    // Moves the read position (a pipe: only within what is buffered); false
    // on a failed seek.
    bool Seek(std::uint64_t offset);
    // Reads up to count bytes; returns how many were delivered (fewer only at
    // the end of the file or on a read error).
    std::size_t Read(void* destination, std::size_t count);
    // Passes over up to count bytes; returns how many were passed over.
    std::uint64_t Skip(std::uint64_t count);

private:
    // The system's file: a descriptor or a handle, opaque here.
    using Handle = std::intptr_t;
    static constexpr Handle kNoHandle = -1;
    struct Opened {
        Handle handle;
        bool regular;        // a regular file: its size is known and it can seek
        std::uint64_t size;  // for a regular file
    };
    // The system's part: a named regular file; a handle of our own on
    // standard input (not a folder); reads (-1 on an error), seeks, closes.
    static std::optional<Opened> OpenNamed(const std::string& path);
    static std::optional<Opened> OpenStandard();
    static std::int64_t ReadSome(Handle handle, void* destination, std::size_t count);
    static bool SeekTo(Handle handle, std::uint64_t offset);
    static void CloseSystem(Handle handle);

    bool Refill();
    bool Adopt(const Opened& opened);

    static constexpr std::size_t kBufferSize = 256 * 1024;
    Handle handle_ = kNoHandle;
    bool seekable_ = false;
    std::uint64_t size_ = 0;
    std::unique_ptr<unsigned char[]> buffer_;
    std::uint64_t bufferStart_ = 0;  // file offset of buffer_[0]
    std::size_t bufferPos_ = 0;      // next byte to deliver
    std::size_t bufferFill_ = 0;     // bytes valid in buffer_
};

}  // namespace platform
