// Surroundings that fail a job, set up before it starts or changed while it
// reads: output folders that are read-only or removed, an output path that
// is a folder, inputs that are folders, unreadable, missing, removed or cut
// short. Each must end with one message, and an AU file already at the
// output path must survive every failed attempt byte for byte.
//
// The tests run as root in CI, where permission bits deny nothing; the
// conversions that must be denied access run in a child process that has
// dropped to the unprivileged user "nobody".
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "support/fault_fixtures.h"
#include "support/job_outcome.h"
#include "support/recording_host.h"
#include "support/temp_dir.h"
#include "support/wav_builder.h"

namespace kelmoro::test {
namespace {

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

}  // namespace
}  // namespace kelmoro::test
