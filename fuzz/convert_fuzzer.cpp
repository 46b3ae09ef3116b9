// libFuzzer target: runs a whole conversion job on arbitrary bytes, given
// first as a WAV file and then through a pipe on standard input, and checks
// what must hold for any input: either an AU file that agrees with itself and
// nothing else beside the input, or exactly one message, no AU file and no
// leftover temporary file. The wait cursor is always ended. When both roads
// convert, their AU files are identical. Memory errors, undefined behaviour
// and leaks are caught by the sanitizers the target is built with.
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "engine/convert_job.h"
#include "support/recording_host.h"

namespace {

std::string g_folder;
std::string g_inputPath;
std::string g_outputPath;

[[noreturn]] void Violation(const char* what) {
    std::fprintf(stderr, "convert_fuzzer: %s\n", what);
    std::abort();
}

void Expect(bool condition, const char* what) {
    if (!condition) Violation(what);
}

void WriteInput(const std::uint8_t* data, std::size_t size) {
    int fd = ::open(g_inputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    Expect(fd >= 0, "cannot create the input file");
    std::size_t done = 0;
    while (done < size) {
        ssize_t wrote = ::write(fd, data + done, size - done);
        Expect(wrote > 0, "cannot write the input file");
        done += static_cast<std::size_t>(wrote);
    }
    ::close(fd);
}

std::vector<std::uint8_t> ReadOutput() {
    std::vector<std::uint8_t> bytes;
    FILE* file = std::fopen(g_outputPath.c_str(), "rb");
    Expect(file != nullptr, "the AU file reported as written is missing");
    std::uint8_t chunk[65536];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + got);
    std::fclose(file);
    return bytes;
}

std::uint32_t Be32(const std::uint8_t* bytes) {
    return (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
           (std::uint32_t{bytes[2]} << 8) | std::uint32_t{bytes[3]};
}

std::size_t EntriesInFolder() {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(g_folder))
        ++count;
    return count;
}

// Runs one job on the input named g_inputPath (read from the file or from
// standard input, as the context is set) and checks its outcome. Returns the
// AU file's bytes when it converted; the AU file is removed again.
std::optional<std::vector<std::uint8_t>> ConvertAndCheck(std::size_t inputSize) {
    // The program's one context, as in the tools: each job must start clean
    // whatever the previous input left in it.
    kelmoro::SetInputPath(g_inputPath);
    kelmoro::test::RecordingHost host;
    const bool converted = kelmoro::Convert(host);

    Expect(host.waitDepth == 0, "the wait cursor was not ended");
    if (!converted) {
        Expect(host.errors.size() == 1, "a failure did not give exactly one message");
        Expect(EntriesInFolder() == 1, "a failed conversion left a file behind");
        return std::nullopt;
    }
    Expect(host.errors.empty(), "a conversion reported as done also reported an error");
    std::vector<std::uint8_t> au = ReadOutput();
    Expect(au.size() >= 28, "the AU file is shorter than its header");
    const std::uint8_t head[] = {'.', 's', 'n', 'd', 0, 0, 0, 28};
    Expect(std::memcmp(au.data(), head, sizeof head) == 0, "bad AU magic or data offset");
    Expect(Be32(&au[8]) == au.size() - 28, "the AU data size disagrees with the file");
    Expect(Be32(&au[12]) == 1 && Be32(&au[16]) == 8012 && Be32(&au[20]) == 1 && Be32(&au[24]) == 0,
           "bad AU header fields");
    // Dropping samples never makes more frames than there were input bytes.
    Expect(au.size() - 28 <= inputSize, "more frames written than the input can hold");
    for (std::size_t i = 28; i < au.size(); ++i)
        Expect(au[i] != 0, "a zero mu-law code was written");
    Expect(EntriesInFolder() == 2, "stray files beside the input and its AU file");
    std::filesystem::remove(g_outputPath);
    return au;
}

// The same job with the bytes coming through a pipe on standard input; the
// AU file still goes beside the (unread) input file's name.
std::optional<std::vector<std::uint8_t>> ConvertThroughPipe(const std::uint8_t* data,
                                                            std::size_t size) {
    int pipeFds[2];
    Expect(::pipe2(pipeFds, O_CLOEXEC) == 0, "cannot make a pipe");
    // The input can be larger than the pipe's buffer: a thread writes it
    // while the job reads. The job may stop reading early (a data chunk
    // ends before the input does); the writer then meets EPIPE once the
    // read end is closed below, and stops.
    std::thread writer([writeFd = pipeFds[1], data, size] {
        std::size_t done = 0;
        while (done < size) {
            const ssize_t wrote = ::write(writeFd, data + done, size - done);
            if (wrote < 0 && errno == EINTR) continue;
            if (wrote <= 0) break;
            done += static_cast<std::size_t>(wrote);
        }
        ::close(writeFd);
    });
    const int savedInput = ::fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 3);
    Expect(::dup2(pipeFds[0], STDIN_FILENO) == STDIN_FILENO, "cannot put the pipe on fd 0");
    ::close(pipeFds[0]);

    kelmoro::SetStandardStreams(true, false);
    std::optional<std::vector<std::uint8_t>> au = ConvertAndCheck(size);
    kelmoro::SetStandardStreams(false, false);

    // Restoring fd 0 closes the pipe's last read end.
    if (savedInput >= 0) {
        ::dup2(savedInput, STDIN_FILENO);
        ::close(savedInput);
    } else {
        ::close(STDIN_FILENO);
    }
    writer.join();
    return au;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // tmpfs when there is one: the job writes two files per input.
    std::string base = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
    std::string pattern = base + "/kelmoro-fuzz-XXXXXX";
    Expect(mkdtemp(pattern.data()) != nullptr, "mkdtemp failed");
    g_folder = pattern;
    g_inputPath = g_folder + "/In.WAV";
    g_outputPath = g_folder + "/in.au";
    std::atexit([] { std::filesystem::remove_all(g_folder); });
    // A job that stops reading before the pipe's writer is done must not
    // end the process: the writer is told by EPIPE instead.
    ::signal(SIGPIPE, SIG_IGN);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    WriteInput(data, size);
    const std::optional<std::vector<std::uint8_t>> fromFile = ConvertAndCheck(size);
    // A pipe has no length to check a declared size against, so some inputs
    // fail from one road and convert from the other; when both convert, they
    // must agree byte for byte.
    const std::optional<std::vector<std::uint8_t>> fromPipe = ConvertThroughPipe(data, size);
    if (fromFile && fromPipe) {
        Expect(*fromFile == *fromPipe,
               "the AU file from a pipe differs from the one from the file");
    }
    return 0;
}
