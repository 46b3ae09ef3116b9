// An AU file replaced by a conversion keeps the permissions and owner the
// user gave it, loses set-id bits, and is refused where the user may not
// write it; a new one gets the permissions of a plainly created file; a
// symbolic link at the output path is replaced, not followed.
// The unprivileged cases convert as user "nobody" in a child process.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "platform/output_file.h"
#include "support/fault_fixtures.h"
#include "support/job_outcome.h"
#include "support/recording_host.h"
#include "support/temp_dir.h"
#include "support/wav_builder.h"

namespace kelmoro::test {
namespace {

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

TEST(OutputFileTest, NewFileGetsPlainPermissions) {
    TempDir dir;
    for (mode_t mask : {mode_t{022}, mode_t{077}, mode_t{002}}) {
        std::remove((dir / "out.au").c_str());
        mode_t previous = umask(mask);
        platform::OutputFile file;
        bool written = file.Create(dir / "out.au") && file.Write("0123456789", 10) && file.Commit();
        umask(previous);
        ASSERT_TRUE(written);
        struct stat info;
        ASSERT_EQ(stat((dir / "out.au").c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0666 & ~mask) << std::oct << mask;
    }
}

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

}  // namespace
}  // namespace kelmoro::test
