// libFuzzer target: runs a whole conversion job on arbitrary bytes, given
// first as a WAV file and then through a pipe on standard input, and checks
// what must hold for any input: either an AU file that agrees with itself and
// nothing else beside the input, or exactly one message, no AU file and no
// leftover temporary file. The wait cursor is always ended, and no job runs
// out of memory. The two roads must end alike: both convert, to the same
// bytes, or both fail with the same message (the name each was given aside).
// Memory errors, undefined behaviour and leaks are caught by the sanitizers
// the target is built with.
//
// Speed matters as much as the checks: everything that can be is made once
// and kept from input to input (as the engine keeps its buffers), because
// memory made anew for every run costs the sanitizers' allocator more than
// many a job does, and so do needless system calls and threads.
#include <dirent.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/convert_job.h"
#include "engine/messages.h"

namespace {

// The engine's host, as the tools' hosts are: it keeps what the checks need
// and nothing more.
class FuzzHost : public kelmoro::CConvertHost {
public:
    void ReportError(const std::string& text) override {
        if (++errors == 1) firstError = text;
    }
    void SetProgressRange(int, int) override {}
    void SetProgressPos(int) override {}
    void BeginWait() override { ++waitDepth; }
    void EndWait() override { --waitDepth; }
    // Ready for the next job; the message's room stays.
    void Reset() {
        errors = 0;
        waitDepth = 0;
        firstError.clear();
    }

    int errors = 0;
    int waitDepth = 0;
    std::string firstError;
};

// One road: the name it is given, the AU file that name leads to, and how
// it ended: its AU file, or its one message with the name replaced by "@".
struct Road {
    std::string inputPath;
    std::string outputPath;
    bool converted = false;
    std::vector<std::uint8_t> au;
    std::string message;
};

std::string g_folder;
int g_folderFd = -1;
int g_inputFd = -1;
// The file road reads its file; the pipe road has a name of its own, so that
// its messages and AU file carry that name.
Road g_fileRoad;
Road g_pipeRoad;
FuzzHost g_host;

[[noreturn]] void Violation(const char* what) {
    std::fprintf(stderr, "convert_fuzzer: %s\n", what);
    std::abort();
}

void Expect(bool condition, const char* what) {
    if (!condition) Violation(what);
}

// Writes at `offset`, or at the end when `offset` is negative.
bool WriteAll(int fd, const std::uint8_t* data, std::size_t size, off_t offset = -1) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t wrote =
            offset < 0 ? ::write(fd, data + done, size - done)
                       : ::pwrite(fd, data + done, size - done, offset + static_cast<off_t>(done));
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote <= 0) return false;
        done += static_cast<std::size_t>(wrote);
    }
    return true;
}

void WriteInput(const std::uint8_t* data, std::size_t size) {
    static std::size_t previousSize = 0;
    Expect(WriteAll(g_inputFd, data, size, 0), "cannot write the input file");
    if (size < previousSize) {
        Expect(::ftruncate(g_inputFd, static_cast<off_t>(size)) == 0, "cannot cut the input file");
    }
    previousSize = size;
}

// Reads the AU file into `bytes`. Dropping samples never makes more frames
// than there were input bytes: the file is at most 28 bytes longer than the
// input, so one read into a buffer one byte larger than that takes it whole,
// or shows that it is too long.
void ReadOutput(const std::string& path, std::size_t inputSize, std::vector<std::uint8_t>& bytes) {
    static std::unique_ptr<std::uint8_t[]> buffer;
    static std::size_t room = 0;
    if (room < inputSize + 29) {
        room = inputSize + 29;
        buffer = std::make_unique_for_overwrite<std::uint8_t[]>(room);
    }
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    Expect(fd >= 0, "the AU file reported as written is missing");
    const ssize_t got = ::read(fd, buffer.get(), inputSize + 29);
    ::close(fd);
    Expect(got >= 0, "cannot read the AU file");
    Expect(static_cast<std::size_t>(got) <= inputSize + 28,
           "more frames written than the input can hold");
    bytes.assign(buffer.get(), buffer.get() + got);
}

std::uint32_t Be32(const std::uint8_t* bytes) {
    return (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
           (std::uint32_t{bytes[2]} << 8) | std::uint32_t{bytes[3]};
}

// Counts the folder's entries through the descriptor kept open (opendir
// would make and fill a 32 KiB buffer every time).
std::size_t EntriesInFolder() {
    alignas(8) static char buffer[4096];
    Expect(::lseek(g_folderFd, 0, SEEK_SET) == 0, "cannot rewind the folder");
    std::size_t count = 0;
    for (;;) {
        const long got = ::syscall(SYS_getdents64, g_folderFd, buffer, sizeof buffer);
        Expect(got >= 0, "cannot list the folder");
        if (got == 0) return count;
        for (long at = 0; at < got;) {
            const auto* entry = reinterpret_cast<const struct dirent64*>(buffer + at);
            const bool dots =
                std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0;
            if (!dots) ++count;
            at += entry->d_reclen;
        }
    }
}

// Runs one job on the road's input (read from the file or from standard
// input, as the context is set) and checks its outcome, which it leaves in
// the road. Its AU file stays until both roads have been looked at.
void ConvertAndCheck(Road& road, std::size_t inputSize) {
    // The program's one context, as in the tools: each job must start clean
    // whatever the previous input left in it.
    kelmoro::SetInputPath(road.inputPath);
    g_host.Reset();
    road.converted = kelmoro::Convert(g_host);
    road.au.clear();
    road.message.clear();

    Expect(g_host.waitDepth == 0, "the wait cursor was not ended");
    if (!road.converted) {
        Expect(g_host.errors == 1, "a failure did not give exactly one message");
        Expect(g_host.firstError != kelmoro::kOutOfMemory, "a job ran out of memory");
        road.message = g_host.firstError;
        for (std::size_t at; (at = road.message.find(road.inputPath)) != std::string::npos;) {
            road.message.replace(at, road.inputPath.size(), "@");
        }
        return;
    }
    Expect(g_host.errors == 0, "a conversion reported as done also reported an error");
    ReadOutput(road.outputPath, inputSize, road.au);
    const std::vector<std::uint8_t>& au = road.au;
    Expect(au.size() >= 28, "the AU file is shorter than its header");
    const std::uint8_t head[] = {'.', 's', 'n', 'd', 0, 0, 0, 28};
    Expect(std::memcmp(au.data(), head, sizeof head) == 0, "bad AU magic or data offset");
    Expect(Be32(&au[8]) == au.size() - 28, "the AU data size disagrees with the file");
    Expect(Be32(&au[12]) == 1 && Be32(&au[16]) == 8012 && Be32(&au[20]) == 1 && Be32(&au[24]) == 0,
           "bad AU header fields");
    for (std::size_t i = 28; i < au.size(); ++i)
        Expect(au[i] != 0, "a zero mu-law code was written");
}

// The same job with the bytes coming through a pipe on standard input. The
// whole input is in the pipe, and its writing end closed, before the job
// starts: no second thread is needed. False when the system will not make a
// pipe that large (only inputs run by hand can be: the fuzzer's are at most
// -max_len, which run-fuzzer.sh sets to 64 KiB, a pipe's usual size).
bool ConvertThroughPipe(const std::uint8_t* data, std::size_t size) {
    int pipeFds[2];
    Expect(::pipe2(pipeFds, O_CLOEXEC) == 0, "cannot make a pipe");
    // A pipe holds at least one page; asked only when the input is larger.
    bool fits = size <= 4096 || ::fcntl(pipeFds[1], F_GETPIPE_SZ) >= static_cast<int>(size) ||
                ::fcntl(pipeFds[1], F_SETPIPE_SZ, static_cast<int>(size)) >= static_cast<int>(size);
    fits = fits && WriteAll(pipeFds[1], data, size);
    ::close(pipeFds[1]);
    if (!fits) {
        ::close(pipeFds[0]);
        static bool said = false;
        if (!said)
            std::fprintf(stderr,
                         "convert_fuzzer: an input too large for a pipe is read only as a file\n");
        said = true;
        return false;
    }
    // The previous input's pipe on fd 0 goes with it.
    Expect(::dup2(pipeFds[0], STDIN_FILENO) == STDIN_FILENO, "cannot put the pipe on fd 0");
    ::close(pipeFds[0]);
    kelmoro::SetStandardStreams(true, false);
    ConvertAndCheck(g_pipeRoad, size);
    kelmoro::SetStandardStreams(false, false);
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // tmpfs when there is one: the job writes two files per input.
    std::string base = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
    std::string pattern = base + "/kelmoro-fuzz-XXXXXX";
    Expect(mkdtemp(pattern.data()) != nullptr, "mkdtemp failed");
    g_folder = pattern;
    std::atexit([] { std::filesystem::remove_all(g_folder); });
    g_folderFd = ::open(g_folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    Expect(g_folderFd >= 0, "cannot open the folder");
    g_fileRoad.inputPath = g_folder + "/In.WAV";
    g_fileRoad.outputPath = g_folder + "/in.au";
    g_pipeRoad.inputPath = g_folder + "/Piped.wav";
    g_pipeRoad.outputPath = g_folder + "/piped.au";
    g_inputFd = ::open(g_fileRoad.inputPath.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    Expect(g_inputFd >= 0, "cannot create the input file");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    WriteInput(data, size);
    ConvertAndCheck(g_fileRoad, size);
    const bool piped = ConvertThroughPipe(data, size);
    // Beside the input only the AU files written: nothing of a failed job,
    // no temporary file of a finished one.
    const std::size_t written = g_fileRoad.converted + (piped && g_pipeRoad.converted);
    Expect(EntriesInFolder() == 1 + written,
           "files beside the input other than the AU files written");
    if (g_fileRoad.converted) ::unlink(g_fileRoad.outputPath.c_str());
    if (piped && g_pipeRoad.converted) ::unlink(g_pipeRoad.outputPath.c_str());
    if (!piped) return 0;
    Expect(g_fileRoad.converted == g_pipeRoad.converted, "one road converted and the other failed");
    Expect(g_fileRoad.au == g_pipeRoad.au,
           "the AU file from a pipe differs from the one from the file");
    Expect(g_fileRoad.message == g_pipeRoad.message, "the roads failed with different messages");
    return 0;
}
