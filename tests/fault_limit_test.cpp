// kelmoro-cli under limits: a file-size limit, a full or a closed standard
// output (also for kelmoro's help and version), each failing with one
// message and status 1; a memory cgroup far smaller than the input, inside
// which a one-hour file, and a filtered rise in rate from 1 Hz, still
// convert in 16 MiB; and a run of 20,000 files, whose memory hardly grows
// with their number.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "support/child_process.h"
#include "support/fault_fixtures.h"
#include "support/job_outcome.h"
#include "support/memory_cgroup.h"
#include "support/recording_host.h"
#include "support/temp_dir.h"
#include "support/wav_builder.h"

namespace kelmoro::test {
namespace {

struct LimitCase {
    std::string name;
    enum Kind { kFileSizeLimit, kFullStdout, kClosedStdout } kind;
    std::string expectedError;  // "@" stands for the input path
    bool auWritten;             // else the old AU file is kept
    std::vector<std::string> arguments = {"@"};
    bool desktopProgram = false;  // kelmoro, else kelmoro-cli
};

// `text` with each "@" replaced by `input`.
std::string WithInput(std::string text, const std::string& input) {
    for (auto at = text.find('@'); at != std::string::npos; at = text.find('@', at)) {
        text.replace(at, 1, input);
        at += input.size();
    }
    return text;
}

std::ostream& operator<<(std::ostream& out, const LimitCase& c) {
    return out << c.name;
}

class LimitTest : public testing::TestWithParam<LimitCase> {};

TEST_P(LimitTest, FailsWithOneMessageAndStatusOne) {
    const LimitCase& c = GetParam();
    const std::string program = c.desktopProgram ? DesktopProgram() : CliProgram();
    if (program.empty()) GTEST_SKIP() << "the program is not built";
    TempDir dir;
    const std::string input = dir / "in.wav";
    Launch launch{
        .program = program, .arguments = {}, .stdoutPath = dir / "out", .stderrPath = dir / "err"};
    for (const std::string& argument : c.arguments) {
        launch.arguments.push_back(WithInput(argument, input));
    }
    WriteFile(input, MonoWav(c.kind == LimitCase::kFileSizeLimit ? 1'000'000 : 2000));
    if (c.kind == LimitCase::kFileSizeLimit) launch.fileSizeLimit = 100'000;
    if (c.kind == LimitCase::kFullStdout) launch.stdoutPath = "/dev/full";
    if (c.kind == LimitCase::kClosedStdout) launch.stdoutPath.clear();
    WriteFile(dir / "in.au", kOldAu);

    const int status = WaitFor(Start(launch));

    const std::string expected = WithInput(c.expectedError, input);
    ASSERT_TRUE(WIFEXITED(status)) << "killed by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_EQ(Slurp(dir / "err"), expected + "\n");
    std::filesystem::remove(dir / "out");
    std::filesystem::remove(dir / "err");
    EXPECT_EQ(dir.List(), (std::vector<std::string>{"in.au", "in.wav"}));
    EXPECT_EQ(ReadFile(dir / "in.au") != kOldAu, c.auWritten);
}

INSTANTIATE_TEST_SUITE_P(
    FaultTest, LimitTest,
    testing::Values(LimitCase{"FileSizeLimit", LimitCase::kFileSizeLimit,
                              "kelmoro-cli: @: " + kDataWriteError, false},
                    LimitCase{"FullStdout", LimitCase::kFullStdout,
                              "kelmoro-cli: standard output: No space left on device", true},
                    LimitCase{"ClosedStdout", LimitCase::kClosedStdout,
                              "kelmoro-cli: standard output: Bad file descriptor", true},
                    LimitCase{"DesktopHelpFullStdout",
                              LimitCase::kFullStdout,
                              "kelmoro: standard output: No space left on device",
                              false,
                              {"--help"},
                              true},
                    LimitCase{"DesktopVersionClosedStdout",
                              LimitCase::kClosedStdout,
                              "kelmoro: standard output: Bad file descriptor",
                              false,
                              {"--version"},
                              true}),
    [](const testing::TestParamInfo<LimitCase>& info) { return info.param.name; });

// An input that a whole-file converter would need far more memory for.
struct MemoryCase {
    std::string name;
    void (*writeInput)(const std::string& path);
    std::vector<std::string> options;
    std::uint64_t auBytes;
};

std::ostream& operator<<(std::ostream& out, const MemoryCase& c) {
    return out << c.name;
}

// One hour of 16-bit stereo at 44.1 kHz, about ten times the limit; the file
// is sparse, so it takes no room on the disk.
constexpr std::uint32_t kSeconds = 3600;
void WriteOneHourFile(const std::string& path) {
    constexpr std::uint32_t kDataBytes = kSeconds * 44100 * 2 * 2;
    WriteFile(path, WavBuilder()
                        .Format({.channels = 2, .rate = 44100, .bits = 16})
                        .RawChunk("data", kDataBytes, {})
                        .Build(36 + kDataBytes));
    ASSERT_EQ(truncate(path.c_str(), 44 + std::int64_t{kDataBytes}), 0);
}

// 2000 samples at 1 Hz, each of which the filter turns into 8012.
constexpr std::size_t kOneHertzSamples = 2000;
void WriteOneHertzFile(const std::string& path) {
    std::vector<std::int16_t> samples(kOneHertzSamples);
    for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<std::int16_t>(i * 37);
    WriteFile(path, SimpleWav({.channels = 1, .rate = 1, .bits = 16}, Pcm16(samples)));
}

class MemoryTest : public testing::TestWithParam<MemoryCase> {};

TEST_P(MemoryTest, ConvertsUnderA64MiBMemoryLimit) {
    const MemoryCase& c = GetParam();
    if (CliProgram().empty()) GTEST_SKIP() << "KELMORO_CLI is not set";
    if (geteuid() != 0) GTEST_SKIP() << "making a cgroup needs root";
    MemoryCgroup cgroup("64M");
    if (!cgroup.ready()) GTEST_SKIP() << cgroup.why();
    TempDir dir;
    const std::string input = dir / "in.wav";
    c.writeInput(input);
    std::vector<std::string> arguments = c.options;
    arguments.push_back(input);
    const Launch launch{.program = CliProgram(),
                        .arguments = arguments,
                        .stdoutPath = dir / "out",
                        .stderrPath = dir / "err",
                        .cgroupProcs = cgroup.procs()};

    const pid_t pid = Start(launch);
    int status = 0;
    struct rusage usage {};
    while (wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
    }

    ASSERT_TRUE(WIFEXITED(status)) << "killed by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0) << Slurp(dir / "err");
    EXPECT_EQ(Slurp(dir / "err"), "");
#ifndef __SANITIZE_ADDRESS__  // the sanitizers' shadow memory is not the program's
    // The cgroup's limit also counts the page cache, which the kernel
    // reclaims; the program's own peak is what must stay small.
    EXPECT_LE(usage.ru_maxrss, 16 * 1024) << "peak resident KiB";
#endif
    std::filesystem::remove(dir / "out");
    std::filesystem::remove(dir / "err");
    EXPECT_EQ(dir.List(), (std::vector<std::string>{"in.au", "in.wav"}));
    EXPECT_EQ(std::filesystem::file_size(dir / "in.au"), kAuHeaderBytes + c.auBytes);
}

INSTANTIATE_TEST_SUITE_P(
    FaultTest, MemoryTest,
    testing::Values(
        // 8012 of every 44100 frames are kept.
        MemoryCase{"OneHourFile", WriteOneHourFile, {}, kSeconds * 8012u},
        // libsoxr's bursts at such a rise in rate must not pile up.
        MemoryCase{"FilteredFromOneHertz", WriteOneHertzFile, {"-F"}, kOneHertzSamples * 8012u}),
    [](const testing::TestParamInfo<MemoryCase>& info) { return info.param.name; });

// The run keeps a few dozen bytes for each AU file it writes: the peak of
// a run over 20,000 files (names of a usual length) stays within 2 MiB of
// that over 2,000. On /dev/shm the syncs cost nothing, so it takes seconds.
TEST(FaultTest, ARunKeepsFewBytesPerFileItWrites) {
    if (CliProgram().empty()) GTEST_SKIP() << "KELMORO_CLI is not set";
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "the sanitizers' allocator is not the program's";
#endif
    const bool memoryFolder = std::filesystem::is_directory("/dev/shm");
    TempDir dir(memoryFolder ? "/dev/shm" : std::filesystem::temp_directory_path().string());
    std::filesystem::create_directories(dir / "in");
    std::filesystem::create_directories(dir / "out");
    WriteFile(dir / "one.wav", MonoWav(8));
    std::string list;
    for (int i = 0; i < 20'000; ++i) {
        const std::string name =
            dir / ("in/field recording, day two, take " + std::to_string(i) + ".wav");
        ASSERT_EQ(link((dir / "one.wav").c_str(), name.c_str()), 0);
        list += name + "\n";
        if (i + 1 == 2'000) WriteFile(dir / "list2000", Bytes(list.begin(), list.end()));
    }
    WriteFile(dir / "list20000", Bytes(list.begin(), list.end()));
    auto peakKiB = [&](const std::string& listName) {
        const Launch launch{
            .program = CliProgram(),
            .arguments = {"-q", "-o", dir / "out", "--files-from=" + dir / listName},
            .stdoutPath = dir / "stdout",
            .stderrPath = dir / "stderr"};
        int status = 0;
        struct rusage usage {};
        const pid_t pid = Start(launch);
        while (wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
        }
        EXPECT_EQ(status, 0) << Slurp(dir / "stderr");
        return usage.ru_maxrss;
    };
    const long few = peakKiB("list2000");
    const long many = peakKiB("list20000");
    EXPECT_LE(many - few, 2048) << few << " KiB for 2,000 files, " << many << " KiB for 20,000";
}

}  // namespace
}  // namespace kelmoro::test
