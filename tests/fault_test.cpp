// Faults of the surroundings met by the whole job: output folders that are
// read-only, full or gone, an output path that is a folder, inputs that are
// folders, unreadable, removed or cut short while being read, and failing
// reads. Each must end with one message, and an AU file already at the
// output path must survive every failed attempt byte for byte.
//
// The tests run as root in CI, where permission bits deny nothing; the
// conversions that must be denied access run in a child process that has
// dropped to the unprivileged user "nobody" (65534).
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "engine/convert_job.h"
#include "platform/posix_calls.h"
#include "support/recording_host.h"
#include "support/temp_dir.h"
#include "support/wav_builder.h"

namespace kelmoro::test {
namespace {

constexpr uid_t kNobody = 65534;
const std::string kAuWriteFailed = "Auファイル書込み失敗";
const std::string kDataWriteError = "データ書込みエラー";
const std::string kDataReadError = "データ読込みエラー";
const Bytes kOldAu{'.', 's', 'n', 'd', 'o', 'l', 'd', '!'};

// A WAV file of `frames` mono 16-bit frames at 8012 Hz (a sawtooth).
Bytes MonoWav(std::size_t frames) {
    std::vector<std::int16_t> samples(frames);
    for (std::size_t i = 0; i < frames; ++i) samples[i] = static_cast<std::int16_t>(i * 37);
    return SimpleWav(FormatFields{1, 1, 8012, 16}, Pcm16(samples));
}

struct Result {
    bool converted = false;
    std::vector<std::string> errors;
};

Result ConvertWith(const std::string& inputPath, RecordingHost& host) {
    SetInputPath(inputPath);
    Result result;
    result.converted = Convert(host);
    result.errors = host.errors;
    return result;
}

// Runs the conversion in a child process without root's power to ignore
// permissions. Returns false (with `why`) when privileges cannot be dropped.
bool ConvertUnprivileged(const std::string& inputPath, Result& result, std::string& why) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) {
        why = "pipe failed";
        return false;
    }
    const pid_t child = fork();
    if (child < 0) {
        why = "fork failed";
        return false;
    }
    if (child == 0) {
        close(pipeFds[0]);
        std::string report;
        if (geteuid() == 0 &&
            (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0)) {
            report = "!cannot drop to user nobody: " + std::string(std::strerror(errno));
        } else {
            RecordingHost host;
            Result childResult = ConvertWith(inputPath, host);
            report = childResult.converted ? "1" : "0";
            for (const std::string& error : childResult.errors) report += error + '\0';
        }
        const char* data = report.data();
        std::size_t left = report.size();
        while (left > 0) {
            ssize_t wrote = write(pipeFds[1], data, left);
            if (wrote <= 0) break;
            data += wrote;
            left -= static_cast<std::size_t>(wrote);
        }
        _exit(0);
    }
    close(pipeFds[1]);
    std::string report;
    char buffer[4096];
    ssize_t got;
    while ((got = read(pipeFds[0], buffer, sizeof buffer)) > 0)
        report.append(buffer, static_cast<std::size_t>(got));
    close(pipeFds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (report.empty() || report[0] == '!') {
        why = report.empty() ? "the child process reported nothing" : report.substr(1);
        return false;
    }
    result.converted = report[0] == '1';
    std::size_t start = 1;
    for (std::size_t end; (end = report.find('\0', start)) != std::string::npos; start = end + 1) {
        result.errors.push_back(report.substr(start, end - start));
    }
    return true;
}

void MakeReachableByAll(const std::string& path) {
    chmod(path.c_str(), 0755);
}

// ---- Surroundings set up before the job ---------------------------------------

struct SurroundingsCase {
    std::string name;
    // Prepares the folder (which holds in.wav and an old in.au); returns the
    // input path to convert.
    std::function<std::string(const TempDir&)> setUp;
    bool unprivileged;
    std::string expectedMessage;  // "@" stands for the input path
};

std::ostream& operator<<(std::ostream& out, const SurroundingsCase& c) {
    return out << c.name;
}

class SurroundingsTest : public testing::TestWithParam<SurroundingsCase> {};

TEST_P(SurroundingsTest, FailsWithOneMessageAndLeavesTheOldAuFile) {
    const SurroundingsCase& c = GetParam();
    TempDir dir;
    MakeReachableByAll(dir.path());
    WriteFile(dir / "in.wav", MonoWav(2000));
    chmod((dir / "in.wav").c_str(), 0644);
    WriteFile(dir / "in.au", kOldAu);
    const std::string inputPath = c.setUp(dir);
    const std::vector<std::string> before = dir.List();

    Result result;
    if (c.unprivileged) {
        std::string why;
        if (!ConvertUnprivileged(inputPath, result, why)) GTEST_SKIP() << why;
    } else {
        RecordingHost host;
        result = ConvertWith(inputPath, host);
    }
    chmod(dir.path().c_str(), 0755);

    std::string expected = c.expectedMessage;
    if (auto at = expected.find('@'); at != std::string::npos) expected.replace(at, 1, inputPath);
    EXPECT_FALSE(result.converted);
    EXPECT_EQ(result.errors, std::vector<std::string>{expected});
    EXPECT_EQ(dir.List(), before) << "no temporary file may be left";
    if (std::filesystem::is_directory(dir / "in.au")) {
        EXPECT_EQ(ReadFile(dir / "in.au/keep"), kOldAu);
    } else {
        EXPECT_EQ(ReadFile(dir / "in.au"), kOldAu);
    }
}

INSTANTIATE_TEST_SUITE_P(
    FaultTest, SurroundingsTest,
    testing::Values(SurroundingsCase{"ReadOnlyOutputFolder",
                                     [](const TempDir& dir) {
                                         chmod(dir.path().c_str(), 0555);
                                         return dir / "in.wav";
                                     },
                                     true, kAuWriteFailed},
                    SurroundingsCase{"OutputPathIsAFolder",
                                     [](const TempDir& dir) {
                                         std::filesystem::remove(dir / "in.au");
                                         std::filesystem::create_directory(dir / "in.au");
                                         WriteFile(dir / "in.au/keep", kOldAu);
                                         return dir / "in.wav";
                                     },
                                     false, kAuWriteFailed},
                    SurroundingsCase{"InputIsAFolder",
                                     [](const TempDir& dir) {
                                         std::filesystem::create_directory(dir / "sub.wav");
                                         return dir / "sub.wav";
                                     },
                                     false, "@ ファイルを開けません"},
                    SurroundingsCase{"UnreadableInput",
                                     [](const TempDir& dir) {
                                         chmod((dir / "in.wav").c_str(), 0000);
                                         return dir / "in.wav";
                                     },
                                     true, "@ ファイルを開けません"},
                    SurroundingsCase{"MissingInput",
                                     [](const TempDir& dir) { return dir / "In.WAV"; }, false,
                                     "@ ファイルを開けません"}),
    [](const testing::TestParamInfo<SurroundingsCase>& info) { return info.param.name; });

// ---- A full file system ---------------------------------------------------------

// A small tmpfs mounted over a folder for the life of the object.
class SmallTmpfs {
public:
    SmallTmpfs(const std::string& path, const char* size) : path_(path) {
        const std::string options = std::string("size=") + size;
        mounted_ = mount("tmpfs", path.c_str(), "tmpfs", 0, options.c_str()) == 0;
        if (!mounted_) error_ = std::strerror(errno);
    }
    ~SmallTmpfs() {
        if (mounted_) umount2(path_.c_str(), MNT_DETACH);
    }
    bool mounted() const { return mounted_; }
    const std::string& error() const { return error_; }

private:
    std::string path_;
    bool mounted_ = false;
    std::string error_;
};

TEST(FaultTest, AFullOutputFolderFailsTheWriteAndKeepsTheOldAuFile) {
    if (geteuid() != 0) GTEST_SKIP() << "mounting a small tmpfs needs root";
    TempDir dir;
    const std::string folder = dir / "full";
    std::filesystem::create_directory(folder);
    SmallTmpfs tmpfs(folder, "512k");
    if (!tmpfs.mounted()) GTEST_SKIP() << "cannot mount a tmpfs here: " << tmpfs.error();

    // 100000 frames: a 200 KB input and a 100 KB AU file, of which only
    // 16 KiB will fit.
    WriteFile(folder + "/in.wav", MonoWav(100000));
    WriteFile(folder + "/in.au", kOldAu);
    struct statvfs space;
    ASSERT_EQ(statvfs(folder.c_str(), &space), 0);
    const std::uint64_t freeBytes = std::uint64_t{space.f_bavail} * space.f_frsize;
    ASSERT_GT(freeBytes, 16384u);
    WriteFile(folder + "/filler", Bytes(freeBytes - 16384, 0x5A));
    std::vector<std::string> namesBefore;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        namesBefore.push_back(entry.path().filename());

    RecordingHost host;
    const Result result = ConvertWith(folder + "/in.wav", host);

    EXPECT_FALSE(result.converted);
    EXPECT_EQ(result.errors, std::vector<std::string>{kDataWriteError});
    EXPECT_EQ(ReadFile(folder + "/in.au"), kOldAu);
    std::vector<std::string> namesAfter;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        namesAfter.push_back(entry.path().filename());
    std::sort(namesBefore.begin(), namesBefore.end());
    std::sort(namesAfter.begin(), namesAfter.end());
    EXPECT_EQ(namesAfter, namesBefore) << "no temporary file may be left";
}

// ---- Changes while the job runs -------------------------------------------------

// Runs `action` once, when the progress bar first reaches `position`
// (reading moves it from 1 towards 90).
class ActingHost : public RecordingHost {
public:
    ActingHost(int position, std::function<void()> action)
        : position_(position), action_(std::move(action)) {}
    void SetProgressPos(int position) override {
        RecordingHost::SetProgressPos(position);
        if (!acted_ && position >= position_) {
            acted_ = true;
            action_();
        }
    }
    bool acted() const { return acted_; }

private:
    int position_;
    std::function<void()> action_;
    bool acted_ = false;
};

// Large enough that reading goes on well past the file layer's buffer after
// the action at 30%.
constexpr std::size_t kLongFrames = 1'000'000;

TEST(FaultTest, AnOutputFolderRemovedWhileReadingFailsTheWrite) {
    TempDir dir;
    const std::string folder = dir / "gone";
    std::filesystem::create_directory(folder);
    WriteFile(folder + "/in.wav", MonoWav(kLongFrames));
    ActingHost host(30, [&] { std::filesystem::remove_all(folder); });

    const Result result = ConvertWith(folder + "/in.wav", host);

    ASSERT_TRUE(host.acted());
    EXPECT_FALSE(result.converted);
    EXPECT_EQ(result.errors, std::vector<std::string>{kAuWriteFailed});
    EXPECT_FALSE(FileExists(folder)) << "nothing may bring the folder back";
}

TEST(FaultTest, AnInputRemovedWhileReadingIsStillReadInFull) {
    // The open file stays readable once its name is gone.
    TempDir dir;
    const Bytes wav = MonoWav(kLongFrames);
    WriteFile(dir / "copy.wav", wav);
    RecordingHost plainHost;
    ASSERT_TRUE(ConvertWith(dir / "copy.wav", plainHost).converted);

    WriteFile(dir / "in.wav", wav);
    ActingHost host(30, [&] { std::filesystem::remove(dir / "in.wav"); });
    const Result result = ConvertWith(dir / "in.wav", host);

    ASSERT_TRUE(host.acted());
    EXPECT_TRUE(result.converted);
    EXPECT_TRUE(result.errors.empty());
    EXPECT_EQ(ReadFile(dir / "in.au"), ReadFile(dir / "copy.au"));
}

TEST(FaultTest, AnInputCutShortWhileReadingFailsAndKeepsTheOldAuFile) {
    TempDir dir;
    WriteFile(dir / "in.wav", MonoWav(kLongFrames));
    WriteFile(dir / "in.au", kOldAu);
    ActingHost host(30, [&] { ASSERT_EQ(truncate((dir / "in.wav").c_str(), 1000), 0); });

    const Result result = ConvertWith(dir / "in.wav", host);

    ASSERT_TRUE(host.acted());
    EXPECT_FALSE(result.converted);
    EXPECT_EQ(result.errors, std::vector<std::string>{kDataReadError});
    EXPECT_EQ(ReadFile(dir / "in.au"), kOldAu);
    EXPECT_EQ(dir.List(), (std::vector<std::string>{"in.au", "in.wav"}));
}

// ---- A failing disk ------------------------------------------------------------

// Reads of the input fail with EIO once this many bytes have been delivered.
std::size_t g_readBudget = 0;
ssize_t FailingRead(int fd, void* buffer, size_t count) {
    if (g_readBudget == 0) {
        errno = EIO;
        return -1;
    }
    ssize_t got = platform::RealPosixCalls().read(fd, buffer, std::min(count, g_readBudget));
    if (got > 0) g_readBudget -= static_cast<std::size_t>(got);
    return got;
}

TEST(FaultTest, AReadErrorAnywhereFailsWithOneMessageAndKeepsTheOldAuFile) {
    const Bytes wav = MonoWav(200000);
    // In the header, in the format chunk, at the data chunk's header, and
    // early and late in the samples.
    for (std::size_t budget : {std::size_t{0}, std::size_t{10}, std::size_t{30}, std::size_t{40},
                               std::size_t{5000}, wav.size() - 1}) {
        SCOPED_TRACE("read error after " + std::to_string(budget) + " bytes");
        TempDir dir;
        WriteFile(dir / "in.wav", wav);
        WriteFile(dir / "in.au", kOldAu);
        platform::PosixCalls calls = platform::RealPosixCalls();
        calls.read = FailingRead;
        g_readBudget = budget;
        const platform::PosixCalls previous = platform::SetPosixCallsForTesting(calls);
        RecordingHost host;
        const Result result = ConvertWith(dir / "in.wav", host);
        platform::SetPosixCallsForTesting(previous);

        EXPECT_FALSE(result.converted);
        EXPECT_EQ(result.errors, std::vector<std::string>{kDataReadError});
        EXPECT_EQ(ReadFile(dir / "in.au"), kOldAu);
        EXPECT_EQ(dir.List(), (std::vector<std::string>{"in.au", "in.wav"}));
    }
}

}  // namespace
}  // namespace kelmoro::test
