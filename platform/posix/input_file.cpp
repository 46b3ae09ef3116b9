// The POSIX side of reading a file: open, read, seek and close through the
// table of system calls.
#include "input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "posix_calls.h"

namespace platform {
namespace {

std::intptr_t AsHandle(int fd) {
    return fd;
}
int AsFd(std::intptr_t handle) {
    return static_cast<int>(handle);
}

}  // namespace

std::optional<InputFile::Opened> InputFile::OpenNamed(const std::string& path) {
    // O_NONBLOCK keeps a FIFO given as input from blocking the open; such
    // files are refused below anyway.
    int fd = RetryInterrupted(
        [&] { return Posix().open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK, 0); });
    if (fd < 0) return std::nullopt;
    struct stat info;
    if (RetryInterrupted([&] { return Posix().fstat(fd, &info); }) != 0 || !S_ISREG(info.st_mode)) {
        Posix().close(fd);
        return std::nullopt;
    }
    const int flags = Posix().fcntl(fd, F_GETFL, 0);
    if (flags != -1) Posix().fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return Opened{AsHandle(fd), true, static_cast<std::uint64_t>(info.st_size)};
}

std::optional<InputFile::Opened> InputFile::OpenStandard() {
    // A descriptor of our own, so that Close leaves standard input open.
    int fd = Posix().fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 3);
    if (fd < 0) return std::nullopt;
    struct stat info;
    if (RetryInterrupted([&] { return Posix().fstat(fd, &info); }) != 0 || S_ISDIR(info.st_mode)) {
        Posix().close(fd);
        return std::nullopt;
    }
    const bool regular = S_ISREG(info.st_mode);
    return Opened{AsHandle(fd), regular, regular ? static_cast<std::uint64_t>(info.st_size) : 0};
}

std::int64_t InputFile::ReadSome(Handle handle, void* destination, std::size_t count) {
    return RetryInterrupted([&] { return Posix().read(AsFd(handle), destination, count); });
}

bool InputFile::SeekTo(Handle handle, std::uint64_t offset) {
    return Posix().lseek(AsFd(handle), static_cast<off_t>(offset), SEEK_SET) >= 0;
}

void InputFile::CloseSystem(Handle handle) {
    Posix().close(AsFd(handle));
}

}  // namespace platform
