// Faults of the surroundings met by the whole job: output folders that are
// read-only, full or gone, an output path that is a folder, inputs that are
// folders, unreadable, removed or cut short while being read, and failing
// reads and syncs. Each must end with one message, and an AU file already at
// the output path must survive every failed attempt byte for byte. Then the
// programs themselves: interrupted by signals at each stage of a job, under
// a file-size or a memory limit, with a full or closed standard output; an
// existing AU file's permissions and owner; a power cut right after success.
//
// The tests run as root in CI, where permission bits deny nothing; the
// conversions that must be denied access run in a child process that has
// dropped to the unprivileged user "nobody" (65534).
#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "engine/convert_job.h"
#include "platform/posix_calls.h"
#include "support/fault_injection.h"
#include "support/recording_host.h"
#include "support/temp_dir.h"
#include "support/wav_builder.h"

extern char** environ;

namespace kelmoro::test {
namespace {

constexpr uid_t kNobody = 65534;
const std::string kAuWriteFailed = "Auファイル書込み失敗";
const std::string kDataWriteError = "データ書込みエラー";
const std::string kDataReadError = "データ読込みエラー";
const Bytes kOldAu{'.', 's', 'n', 'd', 'o', 'l', 'd', '!'};
constexpr std::uint64_t kAuHeaderBytes = 28;

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

// ---- Syncs: the file, then its name ----------------------------------------------

TEST(FaultTest, TheFileThenItsNameReachTheDiskBeforeSuccess) {
    TempDir dir;
    WriteFile(dir / "in.wav", MonoWav(100000));
    WriteFile(dir / "in.au", kOldAu);
    ScopedFaults recording(Faults{});
    RecordingHost host;
    ASSERT_TRUE(ConvertWith(dir / "in.wav", host).converted);
    EXPECT_EQ(recording.OutputCalls(),
              (std::vector<std::string>{"open(folder)", "open(temp)", "write(temp)",
                                        "fdatasync(temp)", "close(temp)", "rename(temp,target)",
                                        "fsync(folder)", "close(folder)"}));
}

struct SyncFailureCase {
    std::string name;
    Faults faults;
    bool oldAuKept;  // false: the new file is in place, not known to be on the disk
};

std::ostream& operator<<(std::ostream& out, const SyncFailureCase& c) {
    return out << c.name;
}

class SyncFailureTest : public testing::TestWithParam<SyncFailureCase> {};

TEST_P(SyncFailureTest, IsAWriteError) {
    const SyncFailureCase& c = GetParam();
    TempDir dir;
    WriteFile(dir / "in.wav", MonoWav(100000));
    WriteFile(dir / "in.au", kOldAu);
    Result result;
    {
        ScopedFaults faults(c.faults);
        RecordingHost host;
        result = ConvertWith(dir / "in.wav", host);
    }
    EXPECT_FALSE(result.converted);
    EXPECT_EQ(result.errors, std::vector<std::string>{kDataWriteError});
    EXPECT_EQ(dir.List(), (std::vector<std::string>{"in.au", "in.wav"}));
    EXPECT_EQ(ReadFile(dir / "in.au") == kOldAu, c.oldAuKept);
}

INSTANTIATE_TEST_SUITE_P(
    FaultTest, SyncFailureTest,
    testing::Values(SyncFailureCase{"FileSyncFails", {.failDataSync = true}, true},
                    SyncFailureCase{"FolderSyncFails", {.failFolderSync = true}, false}),
    [](const testing::TestParamInfo<SyncFailureCase>& info) { return info.param.name; });

// Runs a shell command; true when it exits with 0.
bool Shell(const std::string& command) {
    return std::system(("{ " + command + "; } >/dev/null 2>&1").c_str()) == 0;
}

TEST(FaultTest, AConvertedFileSurvivesAPowerCutRightAfterSuccess) {
    if (geteuid() != 0) GTEST_SKIP() << "mounting a file-system image needs root";
    if (!Shell("command -v mkfs.xfs && command -v xfs_io")) {
        GTEST_SKIP() << "mkfs.xfs and xfs_io (package xfsprogs) are not installed";
    }
    TempDir dir;
    const std::string image = dir / "xfs.img";
    const std::string mountPoint = dir / "mnt";
    std::filesystem::create_directory(mountPoint);
    ASSERT_TRUE(Shell("truncate -s 400M " + image + " && mkfs.xfs -q " + image));
    if (!Shell("mount -o loop " + image + " " + mountPoint)) {
        GTEST_SKIP() << "cannot mount a loop device here";
    }
    const Bytes wav = MonoWav(300000);
    WriteFile(dir / "in.wav", wav);
    RecordingHost referenceHost;
    ASSERT_TRUE(ConvertWith(dir / "in.wav", referenceHost).converted);
    const Bytes expected = ReadFile(dir / "in.au");

    WriteFile(mountPoint + "/in.wav", wav);
    WriteFile(mountPoint + "/in.au", kOldAu);
    Shell("sync -f " + mountPoint + "/in.au");  // the whole file system, before the job
    RecordingHost host;
    const bool converted = ConvertWith(mountPoint + "/in.wav", host).converted;
    // Another program's fsync writes out the file system's log, and with it
    // any rename not yet on the disk; then the power goes.
    WriteFile(mountPoint + "/other", Bytes(10, 1));
    Shell("sync " + mountPoint + "/other");  // fsync of that one file
    const bool cut = Shell("xfs_io -x -c shutdown " + mountPoint);
    Shell("umount " + mountPoint);
    ASSERT_TRUE(cut) << "xfs_io could not shut the file system down";
    ASSERT_TRUE(Shell("mount -o loop " + image + " " + mountPoint));
    const Bytes after = ReadFile(mountPoint + "/in.au");
    Shell("umount " + mountPoint);

    ASSERT_TRUE(converted);
    EXPECT_EQ(after.size(), expected.size());
    EXPECT_TRUE(after == expected) << "the AU file reported as written is not on the disk";
}

// ---- Permissions and owner of an AU file replaced --------------------------------

struct PermissionCase {
    std::string name;
    mode_t oldMode;
    uid_t oldOwner;
    gid_t oldGroup;
    bool unprivileged;  // converted as user "nobody"
    bool converted;     // else refused with "Auファイル書込み失敗", old file kept
    mode_t newMode;     // of the new file, when converted
};

std::ostream& operator<<(std::ostream& out, const PermissionCase& c) {
    return out << c.name;
}

class PermissionTest : public testing::TestWithParam<PermissionCase> {};

TEST_P(PermissionTest, ReplacedFileKeepsWhatTheUserGaveIt) {
    const PermissionCase& c = GetParam();
    if (geteuid() != 0) GTEST_SKIP() << "setting owners needs root";
    TempDir dir;
    chmod(dir.path().c_str(), 0777);
    WriteFile(dir / "in.wav", MonoWav(2000));
    chmod((dir / "in.wav").c_str(), 0644);
    WriteFile(dir / "in.au", kOldAu);
    ASSERT_EQ(chown((dir / "in.au").c_str(), c.oldOwner, c.oldGroup), 0);
    ASSERT_EQ(chmod((dir / "in.au").c_str(), c.oldMode), 0);

    Result result;
    if (c.unprivileged) {
        std::string why;
        if (!ConvertUnprivileged(dir / "in.wav", result, why)) GTEST_SKIP() << why;
    } else {
        RecordingHost host;
        result = ConvertWith(dir / "in.wav", host);
    }

    EXPECT_EQ(result.converted, c.converted);
    EXPECT_EQ(dir.List(), (std::vector<std::string>{"in.au", "in.wav"}));
    struct stat info;
    ASSERT_EQ(stat((dir / "in.au").c_str(), &info), 0);
    if (c.converted) {
        EXPECT_TRUE(result.errors.empty());
        EXPECT_NE(ReadFile(dir / "in.au"), kOldAu);
        EXPECT_EQ(info.st_mode & 07777, c.newMode) << std::oct << (info.st_mode & 07777);
        if (!c.unprivileged) {
            EXPECT_EQ(info.st_uid, c.oldOwner);
            EXPECT_EQ(info.st_gid, c.oldGroup);
        }
    } else {
        EXPECT_EQ(result.errors, std::vector<std::string>{kAuWriteFailed});
        EXPECT_EQ(ReadFile(dir / "in.au"), kOldAu);
        EXPECT_EQ(info.st_mode & 07777, c.oldMode);
    }
}

INSTANTIATE_TEST_SUITE_P(
    FaultTest, PermissionTest,
    testing::Values(
        PermissionCase{"PrivateFileStaysPrivate", 0600, 0, 0, false, true, 0600},
        PermissionCase{"GroupWriteKept", 0664, 0, 0, false, true, 0664},
        PermissionCase{"OwnerAndGroupKept", 0640, kNobody, kNobody, false, true, 0640},
        PermissionCase{"SetIdBitsDropped", 04755, 0, 0, false, true, 0755},
        PermissionCase{"WriteProtectedFileRefusedEvenToRoot", 0444, 0, 0, false, false, 0},
        PermissionCase{"WriteProtectedFileRefused", 0444, kNobody, kNobody, true, false, 0},
        PermissionCase{"AnotherUsersFileRefused", 0644, 0, 0, true, false, 0},
        PermissionCase{"OwnFileReplaced", 0640, kNobody, kNobody, true, true, 0640}),
    [](const testing::TestParamInfo<PermissionCase>& info) { return info.param.name; });

TEST(FaultTest, ASymbolicLinkAtTheOutputPathIsReplacedNotFollowed) {
    TempDir dir;
    WriteFile(dir / "in.wav", MonoWav(2000));
    WriteFile(dir / "elsewhere.au", kOldAu);
    chmod((dir / "elsewhere.au").c_str(), 0444);
    ASSERT_EQ(symlink("elsewhere.au", (dir / "in.au").c_str()), 0);
    RecordingHost host;
    const Result result = ConvertWith(dir / "in.wav", host);
    EXPECT_TRUE(result.converted);
    EXPECT_TRUE(result.errors.empty());
    EXPECT_FALSE(std::filesystem::is_symlink(dir / "in.au"));
    EXPECT_EQ(ReadFile(dir / "in.au").size(), 28u + 2000u);
    EXPECT_EQ(ReadFile(dir / "elsewhere.au"), kOldAu);
}

// ---- The programs, interrupted or limited ------------------------------------------

std::string CliProgram() {
    const char* cli = std::getenv("KELMORO_CLI");
    return cli == nullptr ? std::string() : std::string(cli);
}

std::string DesktopProgram() {
#ifdef KELMORO_DESKTOP_PROGRAM
    return KELMORO_DESKTOP_PROGRAM;
#else
    return std::string();
#endif
}

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

struct Launch {
    std::string program;
    std::vector<std::string> arguments;
    std::string stdoutPath;  // empty: stdout closed
    std::string stderrPath;
    rlim_t fileSizeLimit = RLIM_INFINITY;
    std::string cgroupProcs = {};  // a cgroup's process list to join, if any
};

// Starts the program as a shell would start it in the foreground: SIGINT,
// SIGTERM and SIGHUP at their default actions, none blocked; and without a
// display, so that kelmoro converts on the console.
pid_t Start(const Launch& launch) {
    std::vector<std::string> words{launch.program};
    words.insert(words.end(), launch.arguments.begin(), launch.arguments.end());
    std::vector<char*> argv;
    for (auto& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    std::vector<std::string> environment;
    for (char** variable = environ; *variable != nullptr; ++variable) {
        const std::string text = *variable;
        if (text.rfind("DISPLAY=", 0) != 0 && text.rfind("WAYLAND_DISPLAY=", 0) != 0) {
            environment.push_back(text);
        }
    }
    std::vector<char*> envp;
    for (auto& variable : environment) envp.push_back(variable.data());
    envp.push_back(nullptr);

    const pid_t pid = fork();
    if (pid != 0) return pid;
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGXFSZ}) ::signal(signal, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    if (!launch.cgroupProcs.empty()) {
        const int fd = open(launch.cgroupProcs.c_str(), O_WRONLY);
        if (fd < 0 || write(fd, "0\n", 2) != 2) _exit(120);
        close(fd);
    }
    const int in = open("/dev/null", O_RDONLY);
    dup2(in, 0);
    const int err = open(launch.stderrPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(err, 2);
    if (launch.stdoutPath.empty()) {
        close(1);
    } else {
        const int out = open(launch.stdoutPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(out, 1);
    }
    const struct rlimit limit { launch.fileSizeLimit, launch.fileSizeLimit };
    if (launch.fileSizeLimit != RLIM_INFINITY) setrlimit(RLIMIT_FSIZE, &limit);
    execve(argv[0], argv.data(), envp.data());
    _exit(127);
}

int WaitFor(pid_t pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

// The hidden temporary file of an AU file being written in `folder`.
std::optional<std::string> TemporaryFile(const std::string& folder) {
    std::optional<std::string> found;
    if (DIR* listing = opendir(folder.c_str())) {
        while (const dirent* entry = readdir(listing)) {
            const std::string name = entry->d_name;
            if (name.size() > 4 && name[0] == '.' &&
                name.compare(name.size() - 4, 4, ".tmp") == 0) {
                found = folder + "/" + name;
            }
        }
        closedir(listing);
    }
    return found;
}

bool HasOpen(pid_t pid, const std::string& path) {
    const std::string fds = "/proc/" + std::to_string(pid) + "/fd";
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(fds, ignored)) {
        if (std::filesystem::read_symlink(entry.path(), ignored) == path) return true;
    }
    return false;
}

enum class Moment { kReading, kWriting, kCommitting };

struct SignalCase {
    std::string name;
    bool desktopProgram;  // kelmoro on the console, else kelmoro-cli
    Moment moment;
    int signal;
};

std::ostream& operator<<(std::ostream& out, const SignalCase& c) {
    return out << c.name;
}

// Half an hour of 16-bit mono at 8012 Hz: 29 MB in, 14 MB out, so that
// each stage of the job lasts long enough to be caught.
constexpr std::size_t kInterruptFrames = 30 * 60 * 8012;

class SignalTest : public testing::TestWithParam<SignalCase> {
protected:
    static void SetUpTestSuite() {
        source_ = new TempDir;
        WriteFile(*source_ / "in.wav", MonoWav(kInterruptFrames));
    }
    static void TearDownTestSuite() {
        delete source_;
        source_ = nullptr;
    }
    static TempDir* source_;
};
TempDir* SignalTest::source_ = nullptr;

TEST_P(SignalTest, RemovesTheTemporaryFileKeepsTheOldAuAndEndsByTheSignal) {
    const SignalCase& c = GetParam();
    const std::string program = c.desktopProgram ? DesktopProgram() : CliProgram();
    if (program.empty()) GTEST_SKIP() << "the program is not built";
    TempDir dir;
    const std::string input = dir / "in.wav";
    if (link((*source_ / "in.wav").c_str(), input.c_str()) != 0) {
        std::filesystem::copy_file(*source_ / "in.wav", input);
    }
    const std::uint64_t finalSize = kAuHeaderBytes + kInterruptFrames;
    const Launch launch{.program = program,
                        .arguments = {input},
                        .stdoutPath = dir / "out",
                        .stderrPath = dir / "err"};

    // The stage lasts some milliseconds: poll for it, stop the program,
    // check it is still there, then signal.
    auto inMoment = [&](pid_t pid) {
        const std::optional<std::string> temporary = TemporaryFile(dir.path());
        if (c.moment == Moment::kReading) return !temporary && HasOpen(pid, input);
        struct stat info;
        if (!temporary || stat(temporary->c_str(), &info) != 0) return false;
        const auto size = static_cast<std::uint64_t>(info.st_size);
        return c.moment == Moment::kWriting ? size < finalSize : size == finalSize;
    };
    bool caught = false;
    for (int attempt = 0; attempt < 20 && !caught; ++attempt) {
        WriteFile(dir / "in.au", kOldAu);
        const pid_t pid = Start(launch);
        ASSERT_GT(pid, 0);
        int status = 0;
        bool ended = false;
        while (!ended && !inMoment(pid)) ended = waitpid(pid, &status, WNOHANG) == pid;
        if (ended) continue;  // missed: it ended first
        kill(pid, SIGSTOP);
        waitpid(pid, &status, WUNTRACED);
        caught = WIFSTOPPED(status) && inMoment(pid);
        if (caught) kill(pid, c.signal);
        kill(pid, SIGCONT);
        status = WaitFor(pid);
        if (!caught) continue;

        ASSERT_TRUE(WIFSIGNALED(status))
            << "exit status " << WEXITSTATUS(status) << ": " << Slurp(dir / "err");
        EXPECT_EQ(WTERMSIG(status), c.signal);
        std::filesystem::remove(dir / "out");
        std::filesystem::remove(dir / "err");
        EXPECT_EQ(dir.List(), (std::vector<std::string>{"in.au", "in.wav"}));
        const Bytes au = ReadFile(dir / "in.au");
        // A signal that comes while the finished file is put in place ends
        // the program once it is; the file then is whole.
        if (c.moment == Moment::kCommitting && au.size() == finalSize) continue;
        EXPECT_EQ(au, kOldAu);
    }
    if (!caught) GTEST_SKIP() << "the stage passed too quickly to be caught here";
}

INSTANTIATE_TEST_SUITE_P(
    FaultTest, SignalTest,
    testing::Values(SignalCase{"CliReadingInt", false, Moment::kReading, SIGINT},
                    SignalCase{"CliWritingTerm", false, Moment::kWriting, SIGTERM},
                    SignalCase{"CliWritingHup", false, Moment::kWriting, SIGHUP},
                    SignalCase{"CliCommittingInt", false, Moment::kCommitting, SIGINT},
                    SignalCase{"ConsoleReadingHup", true, Moment::kReading, SIGHUP},
                    SignalCase{"ConsoleWritingInt", true, Moment::kWriting, SIGINT},
                    SignalCase{"ConsoleCommittingTerm", true, Moment::kCommitting, SIGTERM}),
    [](const testing::TestParamInfo<SignalCase>& info) { return info.param.name; });

// A memory cgroup of its own, with a limit, removed when done (v1 or v2).
class MemoryCgroup {
public:
    explicit MemoryCgroup(const std::string& limit) {
        const std::string name = "kelmoro-test-" + std::to_string(getpid());
        std::string limitFile;
        if (std::filesystem::exists("/sys/fs/cgroup/memory/memory.limit_in_bytes")) {
            folder_ = "/sys/fs/cgroup/memory/" + name;
            limitFile = "memory.limit_in_bytes";
        } else if (Slurp("/sys/fs/cgroup/cgroup.subtree_control").find("memory") !=
                   std::string::npos) {
            folder_ = "/sys/fs/cgroup/" + name;
            limitFile = "memory.max";
        } else {
            why_ = "no memory cgroup controller to use";
            return;
        }
        if (mkdir(folder_.c_str(), 0755) != 0) {
            why_ = "cannot make a memory cgroup: " + std::string(std::strerror(errno));
            folder_.clear();
            return;
        }
        std::ofstream(folder_ + "/" + limitFile) << limit << std::flush;
        ready_ = Slurp(folder_ + "/" + limitFile) != "";
        if (!ready_) why_ = "cannot set the cgroup's limit";
    }
    ~MemoryCgroup() {
        if (!folder_.empty()) rmdir(folder_.c_str());
    }
    bool ready() const { return ready_; }
    const std::string& why() const { return why_; }
    std::string procs() const { return folder_ + "/cgroup.procs"; }

private:
    std::string folder_;
    bool ready_ = false;
    std::string why_;
};

struct LimitCase {
    std::string name;
    enum Kind { kFileSizeLimit, kMemoryLimit, kFullStdout, kClosedStdout } kind;
    std::string expectedError;  // "@" stands for the input path
    bool auWritten;             // else the old AU file is kept
};

std::ostream& operator<<(std::ostream& out, const LimitCase& c) {
    return out << c.name;
}

class LimitTest : public testing::TestWithParam<LimitCase> {};

TEST_P(LimitTest, FailsWithOneMessageAndStatusOne) {
    const LimitCase& c = GetParam();
    if (CliProgram().empty()) GTEST_SKIP() << "KELMORO_CLI is not set";
    TempDir dir;
    const std::string input = dir / "in.wav";
    Launch launch{.program = CliProgram(),
                  .arguments = {input},
                  .stdoutPath = dir / "out",
                  .stderrPath = dir / "err"};
    std::optional<MemoryCgroup> cgroup;
    if (c.kind == LimitCase::kMemoryLimit) {
        if (geteuid() != 0) GTEST_SKIP() << "making a cgroup needs root";
        cgroup.emplace("256M");
        if (!cgroup->ready()) GTEST_SKIP() << cgroup->why();
        launch.cgroupProcs = cgroup->procs();
        // 400 million 8-bit samples, 1.6 GB as 32-bit integers; the file is
        // sparse, so it takes no room on the disk.
        const std::uint32_t samples = 400'000'000;
        WriteFile(input, WavBuilder()
                             .Format({.rate = 8012, .bits = 8})
                             .RawChunk("data", samples, {})
                             .Build(36 + samples));
        ASSERT_EQ(truncate(input.c_str(), 44 + samples), 0);
    } else {
        WriteFile(input, MonoWav(c.kind == LimitCase::kFileSizeLimit ? 1'000'000 : 2000));
    }
    if (c.kind == LimitCase::kFileSizeLimit) launch.fileSizeLimit = 100'000;
    if (c.kind == LimitCase::kFullStdout) launch.stdoutPath = "/dev/full";
    if (c.kind == LimitCase::kClosedStdout) launch.stdoutPath.clear();
    WriteFile(dir / "in.au", kOldAu);

    const int status = WaitFor(Start(launch));

    std::string expected = c.expectedError;
    for (auto at = expected.find('@'); at != std::string::npos; at = expected.find('@', at)) {
        expected.replace(at, 1, input);
        at += input.size();
    }
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
                    LimitCase{"MemoryLimit", LimitCase::kMemoryLimit,
                              "kelmoro-cli: @: Wave ファイル 読込みエラー:  file @ is too large to convert",
                              false},
                    LimitCase{"FullStdout", LimitCase::kFullStdout,
                              "kelmoro-cli: standard output: No space left on device", true},
                    LimitCase{"ClosedStdout", LimitCase::kClosedStdout,
                              "kelmoro-cli: standard output: Bad file descriptor", true}),
    [](const testing::TestParamInfo<LimitCase>& info) { return info.param.name; });

}  // namespace
}  // namespace kelmoro::test
