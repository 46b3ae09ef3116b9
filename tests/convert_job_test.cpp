// The whole job through the program's one context: the order of host calls,
// the output beside the input, and two jobs in a row.
#include <gtest/gtest.h>

#include <filesystem>
#include <new>

#include "engine/convert_job.h"
#include "support/recording_host.h"
#include "support/temp_dir.h"
#include "support/wav_builder.h"

namespace kelmoro::test {
namespace {

const Bytes kShortWav = SimpleWav({.channels = 1, .rate = 8012, .bits = 16}, Pcm16({0, 100, -100}));

std::vector<std::string> WithoutPositions(const std::vector<std::string>& calls) {
    std::vector<std::string> kept;
    for (const auto& call : calls) {
        if (call.rfind("pos:", 0) != 0 || call == "pos:0" || call == "pos:1") kept.push_back(call);
    }
    return kept;
}

bool RunJob(const std::string& input, RecordingHost& host) {
    SetInputPath(input);
    return Convert(host);
}

TEST(ConvertJobTest, SuccessWritesBesideTheInputInOrder) {
    TempDir dir;
    WriteFile(dir / "Voice.WAV", kShortWav);
    RecordingHost host;
    ASSERT_TRUE(RunJob(dir / "Voice.WAV", host));
    EXPECT_EQ(host.calls, (std::vector<std::string>{"range:0-100", "pos:1", "begin", "pos:30",
                                                    "pos:60", "pos:93", "pos:96", "end", "pos:0"}));
    Bytes expected{'.', 's', 'n', 'd'};
    for (std::uint32_t field : {28u, 3u, 1u, 8012u, 1u, 0u}) AppendBe32(expected, field);
    expected.insert(expected.end(), {0xFF, 0xF2, 0x72});
    EXPECT_EQ(ReadFile(dir / "voice.au"), expected);
    EXPECT_EQ(g_convertContext.outputPath, dir / "voice.au");
    EXPECT_EQ(host.waitDepth, 0);
}

struct FailureCase {
    const char* name;
    std::string file;       // created in the folder unless empty bytes and "missing"
    Bytes bytes;
    std::vector<std::string> calls;  // progress positions above 1 left out
    int memoryRunsOutAt = 0;         // the position at which an allocation fails
};

// A host in whose progress call memory runs out, as it may anywhere in a job.
struct StarvedHost : RecordingHost {
    int at = 0;
    void SetProgressPos(int position) override {
        RecordingHost::SetProgressPos(position);
        if (at > 0 && position >= at) throw std::bad_alloc();
    }
};

TEST(ConvertJobTest, EachFailureEndsTheWaitAndTidiesUp) {
    TempDir dir;
    const FailureCase cases[] = {
        {"missing file", "missing.wav", {}, {"error:" + (dir / "missing.wav") + " ファイルを開けません"}},
        {"reader failure", "bad.wav", {'R', 'I', 'F', 'X', 0, 0, 0, 0, 'W', 'A', 'V', 'E'},
         {"range:0-100", "pos:1", "begin",
          "error:Wave ファイル 読込みエラー:  file " + (dir / "bad.wav") + " is not a RIFF file",
          "end"}},
        // A valid WAV stream under a name without ".wav": read, then silence.
        {"no .wav in the name", "tone.raw", kShortWav, {"range:0-100", "pos:1", "begin", "end"}},
        {"writer failure", "empty.wav", WavBuilder().Build(4),
         {"range:0-100", "pos:1", "begin", "error:Unimplemented Encoding change.", "end", "pos:0"}},
        // The system would open cut.wav and write its AU over it.
        {"a NUL in the name", std::string("cut.wav\0.wav", 12), kShortWav,
         {"error:" + (dir / std::string("cut.wav\0.wav", 12)) + " ファイルを開けません"}},
        // While the AU file is being written: nothing of it may stay.
        {"out of memory", "starved.wav", kShortWav,
         {"range:0-100", "pos:1", "begin", "end", "error:メモリ不足のため変換できません"}, 93},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.file != "missing.wav") WriteFile(dir / c.file, c.bytes);
        StarvedHost host;
        host.at = c.memoryRunsOutAt;
        EXPECT_FALSE(RunJob(dir / c.file, host));
        EXPECT_EQ(WithoutPositions(host.calls), c.calls);
        EXPECT_EQ(host.waitDepth, 0);
    }
    EXPECT_EQ(dir.List(), (std::vector<std::string>{"bad.wav", "cut.wav", "empty.wav", "starved.wav",
                                                    "tone.raw"}));
    EXPECT_EQ(ReadFile(dir / "cut.wav"), kShortWav);
}

TEST(ConvertJobTest, AFolderIsNotAnInputFile) {
    TempDir dir;
    RecordingHost host;
    EXPECT_FALSE(RunJob(dir.path(), host));
    EXPECT_EQ(host.errors, std::vector<std::string>{dir.path() + " ファイルを開けません"});
}

TEST(ConvertJobTest, ASecondJobSeesNothingOfTheFirst) {
    TempDir dir;
    WriteFile(dir / "first.wav", SimpleWav({.channels = 2, .rate = 44100}, Pcm16(std::vector<std::int16_t>(2000, 1234))));
    WriteFile(dir / "second.wav", WavBuilder().Format({.channels = 1, .rate = 8012}).Build());
    RecordingHost host;
    ASSERT_TRUE(RunJob(dir / "first.wav", host));
    ASSERT_TRUE(RunJob(dir / "second.wav", host));
    Bytes expected{'.', 's', 'n', 'd'};
    for (std::uint32_t field : {28u, 0u, 1u, 8012u, 1u, 0u}) AppendBe32(expected, field);
    EXPECT_EQ(ReadFile(dir / "second.au"), expected);
    const Bytes first = ReadFile(dir / "first.au");
    ASSERT_GT(first.size(), 28u + 100u);
    EXPECT_EQ(first[10] * 256u + first[11], first.size() - 28);
    EXPECT_TRUE(host.errors.empty());
}

TEST(ConvertJobTest, FolderNamesKeepTheirCaseAndTheirWav) {
    TempDir dir;
    ASSERT_TRUE(std::filesystem::create_directory(dir / "A.wav.d"));
    WriteFile(dir / "A.wav.d/Song.WAV", kShortWav);
    RecordingHost host;
    ASSERT_TRUE(RunJob(dir / "A.wav.d/Song.WAV", host));
    EXPECT_TRUE(FileExists(dir / "A.wav.d/song.au"));
    EXPECT_FALSE(FileExists(dir / "a.au.d"));
}

}  // namespace
}  // namespace kelmoro::test

namespace kelmoro::test {
namespace {

// Jobs in a row reuse the sample memory: a smaller file after a larger one
// gets exactly its own samples, and memory grows only for a larger file.
TEST(ConvertJobTest, ReusedMemoryHoldsOnlyTheCurrentFile) {
    TempDir dir;
    WriteFile(dir / "big.wav", SimpleWav({.channels = 2, .rate = 44100},
                                         Pcm16(std::vector<std::int16_t>(2 * 300000, -2000))));
    WriteFile(dir / "small.wav", SimpleWav({.channels = 1, .rate = 8012}, Pcm16({5, 6, 7})));
    RecordingHost host;
    ASSERT_TRUE(RunJob(dir / "small.wav", host));
    const Bytes smallAlone = ReadFile(dir / "small.au");
    ASSERT_TRUE(RunJob(dir / "big.wav", host));
    const Bytes bigFirst = ReadFile(dir / "big.au");
    const std::size_t capacity = g_convertContext.left.capacity();
    for (int round = 0; round < 3; ++round) {
        ASSERT_TRUE(RunJob(dir / "small.wav", host));
        EXPECT_EQ(ReadFile(dir / "small.au"), smallAlone);
        ASSERT_TRUE(RunJob(dir / "big.wav", host));
        EXPECT_EQ(ReadFile(dir / "big.au"), bigFirst);
    }
    EXPECT_EQ(g_convertContext.left.capacity(), capacity);
    EXPECT_TRUE(host.errors.empty());
}

}  // namespace
}  // namespace kelmoro::test
