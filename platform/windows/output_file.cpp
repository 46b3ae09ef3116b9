// Buffered, atomically and durably replacing file output: the Windows side.
// The temporary file is created hidden beside the target and shared for
// deletion, so that the console control handler can remove it while it is
// open; FlushFileBuffers puts its bytes on the disk before ReplaceFileW (a
// file that is there) or MoveFileExW (a new one) gives it the target's name.
#include "output_file.h"

#include <windows.h>

#include <random>

#include "interrupt_cleanup.h"
#include "paths.h"
#include "wide_path.h"
#include "win32_calls.h"
#include "write_buffer.h"

namespace platform {
namespace {

// A target another program holds open (an editor, a virus scanner, an
// indexer) cannot be replaced until it lets go: tried again this often,
// this long apart.
constexpr int kPutInPlaceAttempts = 20;
constexpr DWORD kPutInPlacePauseMs = 100;

bool HeldOpenByAnother(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
           error == ERROR_ACCESS_DENIED || error == ERROR_UNABLE_TO_REMOVE_REPLACED ||
           error == ERROR_USER_MAPPED_FILE;
}

// A hidden name beside the target that no other writer will pick; the
// name is cut to keep within the 255 characters a file name may have.
std::wstring TemporaryNameFor(const std::wstring& path, std::uint64_t salt) {
    static const wchar_t kDigits[] = L"0123456789abcdefghijklmnopqrstuvwxyz";
    const std::size_t nameStart = path.rfind(L'\\') + 1;
    std::wstring name = path.substr(nameStart, 200);
    // Never half a surrogate pair.
    if (!name.empty() && name.back() >= 0xD800 && name.back() <= 0xDBFF) name.pop_back();
    std::wstring suffix;
    for (int i = 0; i < 8; ++i) {
        suffix += kDigits[salt % 36];
        salt /= 36;
    }
    return path.substr(0, nameStart) + L"." + name + L"." + suffix + L".tmp";
}

}  // namespace

class OutputFile::Impl {
public:
    ~Impl() { Discard(); }
    bool Create(const std::string& path);
    bool CreateOnStandardOutput();
    bool Write(const void* bytes, std::size_t count);
    bool Commit();
    void Discard();
    // A folder that holds a file open cannot be removed on Windows.
    bool FolderGone() const { return false; }
    std::uint64_t Accepted() const { return buffer_.Accepted(); }
    bool CanPatch() const {
        return file_ != INVALID_HANDLE_VALUE && (!standardOutput_ || patchable_);
    }
    bool Patch(std::uint64_t offset, const void* bytes, std::size_t count);

private:
    bool Flush();
    bool WriteOut(const unsigned char* bytes, std::size_t count);
    bool WriteAt(std::uint64_t offset, const void* bytes, std::size_t count);
    bool OpenTemporary();
    bool PutInPlace();
    // Lets standard output go; a file on a disk not kept is cut back.
    void ReleaseStandardOutput(bool keep);
    DWORD Replace();
    DWORD MoveIn();
    void Reset();

    HANDLE file_ = INVALID_HANDLE_VALUE;
    int cleanupSlot_ = -1;  // the temporary file's slot for removal on interruption
    bool failed_ = false;
    bool replacing_ = false;       // a file is at the target
    bool standardOutput_ = false;  // writing to standard output, not to a file of ours
    bool patchable_ = false;       // standard output that Patch can reach
    bool syncable_ = false;        // standard output that is a file on a disk
    std::uint64_t base_ = 0;       // where standard output stood when we began
    std::int64_t startOffset_ = -1;  // the same, for any file on a disk; -1: unknown
    std::int64_t startLength_ = 0;   // its length then
    std::wstring targetPath_;
    std::wstring temporaryPath_;
    WriteBuffer buffer_;
};

void OutputFile::Impl::Reset() {
    Discard();
    failed_ = false;
    buffer_.Start();
}

bool OutputFile::Impl::Create(const std::string& path) {
    Reset();
    if (NamesDevice(path)) return false;
    targetPath_ = Win32Path(path);
    if (targetPath_.empty() || targetPath_.starts_with(L"\\\\.\\")) return false;
    const DWORD attributes = GetFileAttributesW(targetPath_.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    // A folder at the target could never be replaced; a read-only file is
    // one the user has said must not change.
    if (exists && (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0) {
        return false;
    }
    // A symbolic link is replaced as it is, not followed: nothing to keep.
    replacing_ = exists && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
    return OpenTemporary();
}

bool OutputFile::Impl::OpenTemporary() {
    static std::mt19937_64 generator{std::random_device{}()};
    // Created and named for removal in one step: an interruption between
    // the two would leave the file behind.
    InterruptsHeld held;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::wstring candidate = TemporaryNameFor(targetPath_, generator());
        HANDLE file = Win32().CreateFileW(candidate.c_str(), GENERIC_WRITE, FILE_SHARE_DELETE,
                                          nullptr, CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            file_ = file;
            temporaryPath_ = std::move(candidate);
            cleanupSlot_ = RemoveOnInterrupt(WideToUtf8(temporaryPath_).c_str());
            return true;
        }
        if (GetLastError() != ERROR_FILE_EXISTS) return false;
    }
    return false;
}

bool OutputFile::Impl::CreateOnStandardOutput() {
    Reset();
    const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    if (output == INVALID_HANDLE_VALUE || output == nullptr) return false;
    standardOutput_ = true;
    file_ = output;
    syncable_ = GetFileType(output) == FILE_TYPE_DISK;
    LARGE_INTEGER start{};
    LARGE_INTEGER size{};
    const bool placed = syncable_ &&
                        SetFilePointerEx(output, LARGE_INTEGER{}, &start, FILE_CURRENT) &&
                        GetFileSizeEx(output, &size);
    // A write at an offset appends instead on a stream opened for appending,
    // which Windows, and Wine, report like any other: one that stands before
    // the end of its file (Wine's ">>") gets its header counted ahead.
    patchable_ = placed && start.QuadPart == size.QuadPart;
    base_ = placed ? static_cast<std::uint64_t>(start.QuadPart) : 0;
    startOffset_ = placed ? start.QuadPart : -1;
    startLength_ = placed ? size.QuadPart : 0;
    if (placed) CutBackOnInterrupt(static_cast<std::uint64_t>(startLength_));
    return true;
}

bool OutputFile::Impl::WriteAt(std::uint64_t offset, const void* bytes, std::size_t count) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD wrote = 0;
    const bool written =
        Win32().WriteFile(file_, bytes, static_cast<DWORD>(count), &wrote, &at) && wrote == count;
    // A write at an offset moves the file pointer; the next bytes go on
    // where the others ended. On a stream that appends all the same (an
    // empty file opened for appending under Wine), the bytes landed at the
    // end: they are cut off, and the patch has failed.
    LARGE_INTEGER end;
    end.QuadPart = static_cast<LONGLONG>(base_ + buffer_.Flushed());
    LARGE_INTEGER size{};
    const bool appended = GetFileSizeEx(file_, &size) && size.QuadPart > end.QuadPart;
    if (appended && SetFilePointerEx(file_, end, nullptr, FILE_BEGIN)) SetEndOfFile(file_);
    return SetFilePointerEx(file_, end, nullptr, FILE_BEGIN) && written && !appended;
}

bool OutputFile::Impl::Patch(std::uint64_t offset, const void* bytes, std::size_t count) {
    if (!CanPatch() || failed_ || offset + count > buffer_.Accepted()) return false;
    if (buffer_.OverwriteBuffered(offset, bytes, count)) return true;
    if (offset + count > buffer_.Flushed()) return false;  // never split across a flush
    if (!WriteAt(base_ + offset, bytes, count)) {
        failed_ = true;
        return false;
    }
    return true;
}

// Hands a buffer's bytes to the system, a short write continued.
bool OutputFile::Impl::WriteOut(const unsigned char* bytes, std::size_t count) {
    for (std::size_t done = 0; done < count;) {
        DWORD wrote = 0;
        const auto part = static_cast<DWORD>(count - done);
        if (!Win32().WriteFile(file_, bytes + done, part, &wrote, nullptr) || wrote == 0) {
            return false;
        }
        done += wrote;
    }
    return true;
}

bool OutputFile::Impl::Flush() {
    if (buffer_.Drain([this](const unsigned char* bytes, std::size_t count) {
            return WriteOut(bytes, count);
        })) {
        return true;
    }
    failed_ = true;
    return false;
}

bool OutputFile::Impl::Write(const void* bytes, std::size_t count) {
    if (file_ == INVALID_HANDLE_VALUE || failed_) return false;
    if (buffer_.Append(bytes, count, [this](const unsigned char* full, std::size_t size) {
            return WriteOut(full, size);
        })) {
        return true;
    }
    failed_ = true;
    return false;
}

// Gives the finished temporary file the target's name, trying again for a
// moment while another program holds the target open. Interruptions wait
// for each attempt, never for the pauses between them.
bool OutputFile::Impl::PutInPlace() {
    for (int attempt = 1;; ++attempt) {
        DWORD error;
        {
            InterruptsHeld held;
            error = replacing_ ? Replace() : MoveIn();
            if (error == ERROR_SUCCESS) {
                ForgetOnInterrupt(cleanupSlot_);
                cleanupSlot_ = -1;
                temporaryPath_.clear();
                return true;
            }
        }
        // The target went away meanwhile: the new file goes in as a new one.
        if (replacing_ && error == ERROR_FILE_NOT_FOUND) {
            replacing_ = false;
            continue;
        }
        if (!HeldOpenByAnother(error) || attempt >= kPutInPlaceAttempts) return false;
        Sleep(kPutInPlacePauseMs);
    }
}

DWORD OutputFile::Impl::MoveIn() {
    const BOOL moved = Win32().MoveFileExW(temporaryPath_.c_str(), targetPath_.c_str(),
                                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    return moved ? ERROR_SUCCESS : GetLastError();
}

// ReplaceFileW keeps the replaced file's attributes and security. The old
// file goes to a hidden name of ours on the way, so that every failure
// leaves a known state: Windows then says where the old file is, and Wine,
// which without one moves the old file to a name of its own making, leaves
// nothing behind (and overruns its buffers for a path of over 260
// characters).
DWORD OutputFile::Impl::Replace() {
    const std::wstring old = temporaryPath_ + L".old";
    if (Win32().ReplaceFileW(targetPath_.c_str(), temporaryPath_.c_str(), old.c_str(),
                             REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) {
        Win32().DeleteFileW(old.c_str());
        return ERROR_SUCCESS;
    }
    const DWORD error = GetLastError();
    // The old file has its new name and ours could not follow: it goes back.
    if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) {
        Win32().MoveFileExW(old.c_str(), targetPath_.c_str(), MOVEFILE_WRITE_THROUGH);
    }
    return error;
}

bool OutputFile::Impl::Commit() {
    if (standardOutput_) {
        const bool ok = file_ != INVALID_HANDLE_VALUE && !failed_ && Flush() &&
                        (!syncable_ || Win32().FlushFileBuffers(file_));
        failed_ = !ok;
        ReleaseStandardOutput(ok);
        return ok;
    }
    if (file_ == INVALID_HANDLE_VALUE || failed_ || !Flush()) {
        failed_ = true;
        Discard();
        return false;
    }
    // No longer hidden once it has its name: a file that replaces another
    // takes that one's attributes, but a new file keeps its own.
    FILE_BASIC_INFO plain{};
    plain.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    // The bytes reach the disk before the new name can: otherwise a power
    // cut soon after could leave the name with no data behind it.
    const bool ready = SetFileInformationByHandle(file_, FileBasicInfo, &plain, sizeof plain) &&
                       Win32().FlushFileBuffers(file_);
    HANDLE file = file_;
    file_ = INVALID_HANDLE_VALUE;
    if (!Win32().CloseHandle(file) || !ready || !PutInPlace()) {
        failed_ = true;
        Discard();
        return false;
    }
    return true;
}

void OutputFile::Impl::Discard() {
    if (standardOutput_) {
        ReleaseStandardOutput(false);
        return;
    }
    if (file_ != INVALID_HANDLE_VALUE) Win32().CloseHandle(file_);
    file_ = INVALID_HANDLE_VALUE;
    // Removed before it is forgotten, so that an interruption in between
    // still finds it.
    if (!temporaryPath_.empty()) Win32().DeleteFileW(temporaryPath_.c_str());
    ForgetOnInterrupt(cleanupSlot_);
    cleanupSlot_ = -1;
    temporaryPath_.clear();
    buffer_.Drop();
}

void OutputFile::Impl::ReleaseStandardOutput(bool keep) {
    // Standard output stays open for the program. A file on a disk loses
    // what this output added, so that it never holds part of a failed AU
    // file, and the next writer goes on where this one began; what reached a
    // pipe cannot be taken back.
    ForgetCutBackOnInterrupt();
    if (!keep && startOffset_ >= 0) {
        LARGE_INTEGER at;
        at.QuadPart = startLength_;
        if (SetFilePointerEx(file_, at, nullptr, FILE_BEGIN)) SetEndOfFile(file_);
        at.QuadPart = startOffset_;
        SetFilePointerEx(file_, at, nullptr, FILE_BEGIN);
    }
    standardOutput_ = patchable_ = syncable_ = false;
    startOffset_ = -1;
    file_ = INVALID_HANDLE_VALUE;
    buffer_.Drop();
}

// ---- The interface, handed to the Windows side ---------------------------------

OutputFile::OutputFile() : impl_(std::make_unique<Impl>()) {}
OutputFile::~OutputFile() = default;
bool OutputFile::Create(const std::string& path) {
    return impl_->Create(path);
}
bool OutputFile::CreateOnStandardOutput() {
    return impl_->CreateOnStandardOutput();
}
bool OutputFile::Write(const void* bytes, std::size_t count) {
    return impl_->Write(bytes, count);
}
bool OutputFile::Commit() {
    return impl_->Commit();
}
void OutputFile::Discard() {
    impl_->Discard();
}
bool OutputFile::FolderGone() const {
    return impl_->FolderGone();
}
std::uint64_t OutputFile::Accepted() const {
    return impl_->Accepted();
}
bool OutputFile::CanPatch() const {
    return impl_->CanPatch();
}
bool OutputFile::Patch(std::uint64_t offset, const void* bytes, std::size_t count) {
    return impl_->Patch(offset, bytes, count);
}

}  // namespace platform
