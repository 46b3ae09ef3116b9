// Syncs: the converted file reaches the disk before its name does, and both
// before success is reported; a failed sync is a write error; a power cut
// right after success leaves the new AU file whole (an XFS image shut down
// on a loop device).
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "support/fault_fixtures.h"
#include "support/fault_injection.h"
#include "support/job_outcome.h"
#include "support/recording_host.h"
#include "support/temp_dir.h"
#include "support/wav_builder.h"

namespace kelmoro::test {
namespace {

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

}  // namespace
}  // namespace kelmoro::test
