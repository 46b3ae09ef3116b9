// Buffered, atomically and durably replacing file output: the POSIX side.
#include "output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <random>

#include "interrupt_cleanup.h"
#include "path_guard.h"
#include "posix_calls.h"
#include "write_buffer.h"

namespace platform {
namespace {

std::string FolderOf(const std::string& path) {
    auto slash = path.rfind('/');
    if (slash == std::string::npos) return std::string();
    return path.substr(0, slash + 1);
}

std::string NameOf(const std::string& path) {
    auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A hidden name beside the target that no other writer will pick.
std::string TemporaryNameFor(const std::string& path, std::uint64_t salt) {
    static const char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::string suffix;
    for (int i = 0; i < 8; ++i) {
        suffix += kDigits[salt % 36];
        salt /= 36;
    }
    // Keep the whole name within the 255 bytes a file name may have.
    return FolderOf(path) + "." + NameOf(path).substr(0, 200) + "." + suffix + ".tmp";
}

// A file system that cannot sync a file or a folder says EINVAL; there is
// nothing more to be done there, and it is not a failed write.
bool Synced(int result) {
    return result == 0 || errno == EINVAL;
}

// Whether the user may replace the existing file `info` describes: as
// creating it would be refused when it cannot be written. Root may write
// anything, so for root the owner's write bit decides.
bool MayReplace(const std::string& path, const struct stat& info) {
    if (geteuid() == 0) return (info.st_mode & S_IWUSR) != 0;
    return RetryInterrupted([&] { return Posix().access(path.c_str(), W_OK); }) == 0 ||
           errno == ENOENT;
}

// Gives the new file the owner, group and permission bits of the one it
// replaces. Owner and group are set as far as allowed (a user may not give
// a file away, and may only choose a group of their own); the set-id bits
// are not carried over.
bool TakeOverAttributes(int fd, const struct stat& old) {
    auto chown = [&](uid_t owner, gid_t group) {
        return RetryInterrupted([&] { return Posix().fchown(fd, owner, group); });
    };
    if (chown(old.st_uid, old.st_gid) != 0) {
        if (errno != EPERM) return false;
        if (chown(static_cast<uid_t>(-1), old.st_gid) != 0 && errno != EPERM) return false;
    }
    return RetryInterrupted([&] { return Posix().fchmod(fd, old.st_mode & 0777); }) == 0;
}

}  // namespace

// The POSIX side: a descriptor for the file and one for its folder.
class OutputFile::Impl {
public:
    ~Impl();
    bool Create(const std::string& path);
    bool CreateOnStandardOutput();
    bool Write(const void* bytes, std::size_t count);
    bool Commit();
    void Discard();
    bool FolderGone() const;
    std::uint64_t Accepted() const { return buffer_.Accepted(); }
    bool CanPatch() const { return fd_ >= 0 && (!standardOutput_ || patchable_); }
    bool Patch(std::uint64_t offset, const void* bytes, std::size_t count);

private:
    bool Flush();
    bool WriteOut(const unsigned char* bytes, std::size_t count);
    bool OpenTemporary(const std::string& path, bool replacing);
    void CloseFolder();
    // Lets standard output go; a regular file not kept is cut back.
    void ReleaseStandardOutput(bool keep);

    int fd_ = -1;
    int folderFd_ = -1;
    int cleanupSlot_ = -1;  // the temporary file's slot for removal on interruption
    bool failed_ = false;
    bool standardOutput_ = false;  // writing to standard output, not to a file of ours
    bool patchable_ = false;       // standard output that Patch can reach
    bool syncable_ = false;        // standard output that is a regular file
    std::uint64_t base_ = 0;       // where standard output stood when we began
    off_t startOffset_ = -1;       // the same, for any regular file; -1: unknown
    off_t startLength_ = 0;        // its length then
    std::string targetPath_;
    std::string temporaryPath_;
    WriteBuffer buffer_;
};

OutputFile::Impl::~Impl() {
    Discard();
}

bool OutputFile::Impl::Create(const std::string& path) {
    Discard();
    failed_ = false;
    buffer_.Start();
    if (PathHoldsNul(path)) return false;
    struct stat old;
    const bool exists = RetryInterrupted([&] { return Posix().lstat(path.c_str(), &old); }) == 0;
    // A folder at the target could never be replaced by the rename; say so now.
    if (exists && S_ISDIR(old.st_mode)) return false;
    // A symbolic link is replaced as it is, not followed: nothing to keep.
    const bool replacing = exists && S_ISREG(old.st_mode);
    if (replacing && !MayReplace(path, old)) return false;

    // The folder is opened now, so that its sync after the rename cannot
    // fail for want of it once the old file is gone.
    const std::string folder = FolderOf(path).empty() ? "." : FolderOf(path);
    folderFd_ = RetryInterrupted(
        [&] { return Posix().open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0); });
    if (folderFd_ < 0) return false;
    if (!OpenTemporary(path, replacing)) {
        CloseFolder();
        return false;
    }
    if (replacing && !TakeOverAttributes(fd_, old)) {
        Discard();
        return false;
    }
    targetPath_ = path;
    return true;
}

bool OutputFile::Impl::CreateOnStandardOutput() {
    Discard();
    failed_ = false;
    buffer_.Start();
    struct stat info;
    if (RetryInterrupted([&] { return Posix().fstat(STDOUT_FILENO, &info); }) != 0) return false;
    standardOutput_ = true;
    syncable_ = S_ISREG(info.st_mode);
    // pwrite on a descriptor opened for appending appends instead.
    const int flags = Posix().fcntl(STDOUT_FILENO, F_GETFL, 0);
    const off_t start = Posix().lseek(STDOUT_FILENO, 0, SEEK_CUR);
    patchable_ = syncable_ && flags != -1 && (flags & O_APPEND) == 0 && start >= 0;
    base_ = patchable_ ? static_cast<std::uint64_t>(start) : 0;
    // Appending, the next write goes to the end wherever the offset stands.
    startOffset_ = syncable_ && flags != -1 && (flags & O_APPEND) == 0 ? start : -1;
    startLength_ = info.st_size;
    if (syncable_) CutBackOnInterrupt(static_cast<std::uint64_t>(startLength_));
    fd_ = STDOUT_FILENO;
    return true;
}

bool OutputFile::Impl::FolderGone() const {
    struct stat info;
    return folderFd_ >= 0 &&
           RetryInterrupted([&] { return Posix().fstat(folderFd_, &info); }) == 0 &&
           info.st_nlink == 0;
}

bool OutputFile::Impl::Patch(std::uint64_t offset, const void* bytes, std::size_t count) {
    if (!CanPatch() || failed_ || offset + count > buffer_.Accepted()) return false;
    if (buffer_.OverwriteBuffered(offset, bytes, count)) return true;
    if (offset + count > buffer_.Flushed()) return false;  // never split across a flush
    const auto wrote = RetryInterrupted([&] {
        return Posix().pwrite(fd_, bytes, count, static_cast<off_t>(base_ + offset));
    });
    if (wrote != static_cast<ssize_t>(count)) {
        failed_ = true;
        return false;
    }
    return true;
}

bool OutputFile::Impl::OpenTemporary(const std::string& path, bool replacing) {
    static std::mt19937_64 generator{std::random_device{}()};
    // Created and named for removal in one step: an interruption between
    // the two would leave the file behind.
    InterruptsHeld held;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string candidate = TemporaryNameFor(path, generator());
        // Mode 0666 lets the kernel apply the umask as for any new file; a
        // file that replaces another starts private and gets its bits.
        const mode_t mode = replacing ? 0600 : 0666;
        int fd = RetryInterrupted([&] {
            return Posix().open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        });
        if (fd >= 0) {
            fd_ = fd;
            temporaryPath_ = std::move(candidate);
            cleanupSlot_ = RemoveOnInterrupt(temporaryPath_.c_str());
            return true;
        }
        if (errno != EEXIST) return false;
    }
    return false;
}

// Hands a buffer's bytes to the system, a short write continued.
bool OutputFile::Impl::WriteOut(const unsigned char* bytes, std::size_t count) {
    for (std::size_t done = 0; done < count;) {
        const ssize_t wrote =
            RetryInterrupted([&] { return Posix().write(fd_, bytes + done, count - done); });
        if (wrote <= 0) return false;
        done += static_cast<std::size_t>(wrote);
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
    if (fd_ < 0 || failed_) return false;
    if (buffer_.Append(bytes, count, [this](const unsigned char* full, std::size_t size) {
            return WriteOut(full, size);
        })) {
        return true;
    }
    failed_ = true;
    return false;
}

bool OutputFile::Impl::Commit() {
    if (standardOutput_) {
        const bool ok = fd_ >= 0 && !failed_ && Flush() &&
                        (!syncable_ || Synced(RetryInterrupted([&] { return Posix().fdatasync(fd_); })));
        failed_ = !ok;
        ReleaseStandardOutput(ok);
        return ok;
    }
    // The bytes reach the disk before the new name can: otherwise a power
    // cut soon after could leave the name with no data behind it.
    if (fd_ < 0 || failed_ || !Flush() ||
        !Synced(RetryInterrupted([&] { return Posix().fdatasync(fd_); }))) {
        failed_ = true;
        Discard();
        return false;
    }
    int fd = fd_;
    fd_ = -1;
    // close can report a delayed write error (NFS, quotas): treat it as one.
    // Interrupted, it has closed the file all the same.
    if (Posix().close(fd) != 0 && errno != EINTR) {
        failed_ = true;
        Discard();
        return false;
    }
    // From here the file is put in place as one step: a signal that comes
    // meanwhile ends the program only once the new file is in place and
    // synced, and never finds a half-done state.
    InterruptsHeld held;
    if (Posix().rename(temporaryPath_.c_str(), targetPath_.c_str()) != 0) {
        failed_ = true;
        Discard();
        return false;
    }
    ForgetOnInterrupt(cleanupSlot_);
    cleanupSlot_ = -1;
    temporaryPath_.clear();
    // The new name is on the disk only once the folder is.
    if (!Synced(RetryInterrupted([&] { return Posix().fsync(folderFd_); }))) failed_ = true;
    CloseFolder();
    return !failed_;
}

void OutputFile::Impl::Discard() {
    if (standardOutput_) {
        ReleaseStandardOutput(false);
        return;
    }
    if (fd_ >= 0) Posix().close(fd_);
    fd_ = -1;
    // Removed before it is forgotten, so that an interruption in between
    // still finds it.
    if (!temporaryPath_.empty()) Posix().unlink(temporaryPath_.c_str());
    ForgetOnInterrupt(cleanupSlot_);
    cleanupSlot_ = -1;
    temporaryPath_.clear();
    buffer_.Drop();
    CloseFolder();
}

void OutputFile::Impl::ReleaseStandardOutput(bool keep) {
    // Standard output stays open for the program. A regular file loses what
    // this output added, so that it never holds part of a failed AU file,
    // and the next writer goes on where this one began; what reached a pipe
    // cannot be taken back.
    ForgetCutBackOnInterrupt();
    if (!keep && syncable_) {
        RetryInterrupted([&] { return Posix().ftruncate(fd_, startLength_); });
        if (startOffset_ >= 0) Posix().lseek(fd_, startOffset_, SEEK_SET);
    }
    standardOutput_ = patchable_ = syncable_ = false;
    fd_ = -1;
    buffer_.Drop();
}

void OutputFile::Impl::CloseFolder() {
    if (folderFd_ >= 0) Posix().close(folderFd_);
    folderFd_ = -1;
}

// ---- The interface, handed to the POSIX side ---------------------------------

OutputFile::OutputFile() : impl_(std::make_unique<Impl>()) {}
OutputFile::~OutputFile() = default;
bool OutputFile::Create(const std::string& path) { return impl_->Create(path); }
bool OutputFile::CreateOnStandardOutput() { return impl_->CreateOnStandardOutput(); }
bool OutputFile::Write(const void* bytes, std::size_t count) { return impl_->Write(bytes, count); }
bool OutputFile::Commit() { return impl_->Commit(); }
void OutputFile::Discard() { impl_->Discard(); }
bool OutputFile::FolderGone() const { return impl_->FolderGone(); }
std::uint64_t OutputFile::Accepted() const { return impl_->Accepted(); }
bool OutputFile::CanPatch() const { return impl_->CanPatch(); }
bool OutputFile::Patch(std::uint64_t offset, const void* bytes, std::size_t count) {
    return impl_->Patch(offset, bytes, count);
}

}  // namespace platform
