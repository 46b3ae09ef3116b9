// The AU writer: header and data bytes, progress, and what is left on disk
// after a failure.
#include <gtest/gtest.h>

#include "engine/au_writer.h"
#include "support/fault_injection.h"
#include "support/recording_host.h"
#include "support/temp_dir.h"
#include "support/wav_builder.h"

namespace kelmoro::test {
namespace {

Bytes AuHeader(std::uint32_t frames) {
    Bytes header{'.', 's', 'n', 'd'};
    for (std::uint32_t field : {28u, frames, 1u, 8012u, 1u, 0u}) AppendBe32(header, field);
    return header;
}

// A PCM context of `frames` frames at `rate`, every sample `value`.
void Prepare(CConvertContext& context, const std::string& output, std::size_t frames, int rate,
             int channels, std::int32_t value) {
    context.Reset();
    context.outputPath = output;
    context.encodingName = "PCM";
    context.sampleRate = rate;
    context.channels = channels;
    context.bitsPerSample = 16;
    context.frameCount = static_cast<std::int32_t>(frames);
    ASSERT_TRUE(context.left.Allocate(frames));
    std::fill_n(context.left.data(), frames, value);
    if (channels == 2) {
        ASSERT_TRUE(context.right.Allocate(frames));
        std::fill_n(context.right.data(), frames, value);
    }
}

TEST(AuWriterTest, OneSecondOfStereoBecomes8012MuLawBytes) {
    TempDir dir;
    CConvertContext context;
    RecordingHost host;
    Prepare(context, dir / "out.au", 44100, 44100, 2, 1000);
    ASSERT_TRUE(WriteAu(context, host));
    const Bytes written = ReadFile(dir / "out.au");
    ASSERT_EQ(written.size(), 8040u);
    EXPECT_EQ(Bytes(written.begin(), written.begin() + 28), AuHeader(8012));
    EXPECT_EQ(written[8], 0x00);
    EXPECT_EQ(written[10], 0x1F);
    EXPECT_EQ(written[11], 0x4C);
    EXPECT_TRUE(std::all_of(written.begin() + 28, written.end(), [](auto b) { return b == 0xCE; }));
    EXPECT_TRUE(host.errors.empty());
}

TEST(AuWriterTest, SilenceAndEmptyInputs) {
    TempDir dir;
    CConvertContext context;
    RecordingHost host;
    Prepare(context, dir / "silent.au", 100, 8012, 1, 0);
    ASSERT_TRUE(WriteAu(context, host));
    Bytes expected = AuHeader(100);
    expected.insert(expected.end(), 100, 0xFF);
    EXPECT_EQ(ReadFile(dir / "silent.au"), expected);

    Prepare(context, dir / "empty.au", 0, 44100, 2, 0);
    ASSERT_TRUE(WriteAu(context, host));
    EXPECT_EQ(ReadFile(dir / "empty.au"), AuHeader(0));
}

TEST(AuWriterTest, NoFormatMeansNoFile) {
    TempDir dir;
    CConvertContext context;
    RecordingHost host;
    context.outputPath = dir / "out.au";
    EXPECT_FALSE(WriteAu(context, host));
    EXPECT_EQ(host.errors, std::vector<std::string>{"Unimplemented Encoding change."});
    EXPECT_TRUE(dir.List().empty());
}

TEST(AuWriterTest, ReplacesAnExistingFile) {
    TempDir dir;
    WriteFile(dir / "out.au", Bytes(50000, 0x11));
    CConvertContext context;
    RecordingHost host;
    Prepare(context, dir / "out.au", 3, 8012, 1, 0);
    ASSERT_TRUE(WriteAu(context, host));
    EXPECT_EQ(ReadFile(dir / "out.au").size(), 31u);
}

TEST(AuWriterTest, ProgressRunsFromNinetyTowardsOneHundred) {
    struct ProgressCase {
        std::size_t frames;
        std::vector<int> expected;  // empty: check only the last position
        int last;
    };
    const ProgressCase cases[] = {
        {8010, {}, 99},
        {8012, {}, 100},
        {19, {}, 108},
        {10, {91, 92, 93, 94, 95, 96, 97, 98, 99}, 99},
        {5, {92, 94, 96, 98}, 98},  // fewer than ten frames: in proportion
        {1, {}, 0},
        {0, {}, 0},
    };
    TempDir dir;
    for (const auto& c : cases) {
        CConvertContext context;
        RecordingHost host;
        Prepare(context, dir / "out.au", c.frames, 8012, 1, 0);
        ASSERT_TRUE(WriteAu(context, host));
        if (c.last == 0) {
            EXPECT_TRUE(host.positions.empty()) << c.frames;
            continue;
        }
        ASSERT_FALSE(host.positions.empty()) << c.frames;
        EXPECT_EQ(host.positions.back(), c.last) << c.frames;
        if (c.frames >= 10) {
            EXPECT_EQ(host.positions.front(), 91) << c.frames;
        }
        if (!c.expected.empty()) {
            EXPECT_EQ(host.positions, c.expected) << c.frames;
        }
    }
}

struct WriteFailure {
    const char* name;
    Faults faults;
    const char* message;
};

TEST(AuWriterTest, EveryFailedWriteIsReportedAndLeavesTheOldFile) {
    const WriteFailure cases[] = {
        {"folder not writable", {.failCreate = true}, "Auファイル書込み失敗"},
        {"disk full at the header", {.writeBytesBeforeFailure = 0}, "データ書込みエラー"},
        {"disk full in the data", {.writeBytesBeforeFailure = 5000}, "データ書込みエラー"},
        {"rename fails", {.failRename = true}, "データ書込みエラー"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const Bytes old{'k', 'e', 'e', 'p'};
        WriteFile(dir / "out.au", old);
        CConvertContext context;
        RecordingHost host;
        Prepare(context, dir / "out.au", 441000, 44100, 2, 5);
        {
            ScopedFaults faults(c.faults);
            EXPECT_FALSE(WriteAu(context, host));
        }
        EXPECT_EQ(host.errors, std::vector<std::string>{c.message});
        EXPECT_EQ(ReadFile(dir / "out.au"), old);
        EXPECT_EQ(dir.List(), std::vector<std::string>{"out.au"});
    }
}

TEST(AuWriterTest, MissingFolderCannotBeCreated) {
    TempDir dir;
    CConvertContext context;
    RecordingHost host;
    Prepare(context, dir / "gone/out.au", 10, 8012, 1, 0);
    EXPECT_FALSE(WriteAu(context, host));
    EXPECT_EQ(host.errors, std::vector<std::string>{"Auファイル書込み失敗"});
}

}  // namespace
}  // namespace kelmoro::test
