// A disk that fails the job: an output folder with no room left, and reads
// of the input that fail with EIO anywhere in the file. Each ends with one
// message, no temporary file left and the old AU file kept byte for byte.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/posix/posix_calls.h"
#include "support/fault_fixtures.h"
#include "support/job_outcome.h"
#include "support/recording_host.h"
#include "support/temp_dir.h"
#include "support/wav_builder.h"

namespace kelmoro::test {
namespace {

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
