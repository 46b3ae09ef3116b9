// Buffered, atomically replacing file output.
#include "output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>

#include "posix_calls.h"

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

}  // namespace

OutputFile::~OutputFile() { Discard(); }

bool OutputFile::Create(const std::string& path) {
    Discard();
    failed_ = false;
    bufferFill_ = 0;
    struct stat info;
    // A folder at the target could never be replaced by the rename; say so now.
    if (stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) return false;

    static std::mt19937_64 generator{std::random_device{}()};
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string candidate = TemporaryNameFor(path, generator());
        // Mode 0666 lets the kernel apply the umask as for any new file.
        int fd = Posix().open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            fd_ = fd;
            targetPath_ = path;
            temporaryPath_ = std::move(candidate);
            if (!buffer_) buffer_ = std::make_unique_for_overwrite<unsigned char[]>(kBufferSize);
            return true;
        }
        if (errno != EEXIST) return false;
    }
    return false;
}

bool OutputFile::Flush() {
    std::size_t done = 0;
    while (done < bufferFill_) {
        ssize_t wrote = Posix().write(fd_, buffer_.get() + done, bufferFill_ - done);
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote <= 0) {
            failed_ = true;
            return false;
        }
        done += static_cast<std::size_t>(wrote);
    }
    bufferFill_ = 0;
    return true;
}

bool OutputFile::Write(const void* bytes, std::size_t count) {
    if (fd_ < 0 || failed_) return false;
    const auto* in = static_cast<const unsigned char*>(bytes);
    while (count > 0) {
        std::size_t take = std::min(count, kBufferSize - bufferFill_);
        std::memcpy(buffer_.get() + bufferFill_, in, take);
        bufferFill_ += take;
        in += take;
        count -= take;
        if (bufferFill_ == kBufferSize && !Flush()) return false;
    }
    return true;
}

bool OutputFile::Commit() {
    if (fd_ < 0 || failed_ || !Flush()) {
        Discard();
        return false;
    }
    int fd = fd_;
    fd_ = -1;
    // close can report a delayed write error (NFS, quotas): treat it as one.
    if (Posix().close(fd) != 0 ||
        Posix().rename(temporaryPath_.c_str(), targetPath_.c_str()) != 0) {
        failed_ = true;
        Posix().unlink(temporaryPath_.c_str());
        temporaryPath_.clear();
        return false;
    }
    temporaryPath_.clear();
    return true;
}

void OutputFile::Discard() {
    if (fd_ >= 0) Posix().close(fd_);
    fd_ = -1;
    if (!temporaryPath_.empty()) Posix().unlink(temporaryPath_.c_str());
    temporaryPath_.clear();
    bufferFill_ = 0;
}

}  // namespace platform
