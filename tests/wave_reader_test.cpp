// The WAV reader: what it reads from good files, how it refuses bad ones
// (exact texts), and how it moves the progress bar.
#include <gtest/gtest.h>

#include <array>

#include "engine/messages.h"
#include "engine/wave_reader.h"
#include "support/recording_host.h"
#include "support/temp_dir.h"
#include "support/wav_builder.h"

namespace kelmoro::test {
namespace {

const std::string kPrefix = "Wave ファイル 読込みエラー: ";

struct ReadResult {
    bool ok = false;
    RecordingHost host;
    CConvertContext context;
    std::string path;
};

// Reads `bytes` as a WAV file through the real file layer.
std::unique_ptr<ReadResult> Read(const Bytes& bytes) {
    static TempDir dir;
    auto result = std::make_unique<ReadResult>();
    result->path = dir / "Input.wav";
    WriteFile(result->path, bytes);
    result->context.inputPath = result->path;
    EXPECT_TRUE(result->context.inputFile.Open(result->path));
    result->ok = ReadWave(result->context, result->host);
    // Closed as the job closes it, so the next file can be written there.
    result->context.inputFile.Close();
    return result;
}

std::vector<std::int32_t> Left(const ReadResult& r) {
    return {r.context.left.data(), r.context.left.data() + r.context.frameCount};
}
std::vector<std::int32_t> Right(const ReadResult& r) {
    return {r.context.right.data(), r.context.right.data() + r.context.frameCount};
}

Bytes Le24(std::initializer_list<std::int32_t> samples) {
    Bytes out;
    for (std::int32_t s : samples) {
        for (int shift = 0; shift < 24; shift += 8) out.push_back(static_cast<std::uint8_t>(s >> shift));
    }
    return out;
}

Bytes Le32s(std::initializer_list<std::int32_t> samples) {
    Bytes out;
    for (std::int32_t s : samples) AppendLe32(out, static_cast<std::uint32_t>(s));
    return out;
}

Bytes ExtensibleBody(std::uint16_t channels, std::uint16_t bits, bool pcmGuid,
                     std::uint16_t declaredExtraSize = 22) {
    Bytes body = FormatBody({.tag = 0xFFFE, .channels = channels, .rate = 8012, .bits = bits});
    AppendLe16(body, declaredExtraSize);
    AppendLe16(body, bits);  // valid bits: ignored
    AppendLe32(body, 0x3);   // channel mask
    const std::array<std::uint8_t, 16> pcm{0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
                                           0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
    for (std::size_t i = 0; i < pcm.size(); ++i) body.push_back(i == 0 && !pcmGuid ? 0x03 : pcm[i]);
    return body;
}

// ---- What good files read as --------------------------------------------------

struct GoodCase {
    const char* name;
    Bytes file;
    int channels;
    int rate;
    int bits;
    std::vector<std::int32_t> left;
    std::vector<std::int32_t> right;
};

TEST(WaveReaderTest, ReadsEverySupportedLayout) {
    const GoodCase cases[] = {
        {"8-bit mono", SimpleWav({.channels = 1, .rate = 11025, .bits = 8}, {0x80, 0x00, 0xFF}),
         1, 11025, 8, {0, -32768, 32512}, {}},
        {"16-bit stereo", SimpleWav({.channels = 2, .rate = 44100, .bits = 16},
                                    Pcm16({1, -1, 32767, -32768, 256, 0})),
         2, 44100, 16, {1, 32767, 256}, {-1, -32768, 0}},
        {"24-bit keeps the top 16 bits", SimpleWav({.channels = 1, .bits = 24},
                                                   Le24({0x123456, -1, -0x800000, 0x7FFFFF, 0xFF})),
         1, 8012, 24, {0x1234, -1, -32768, 32767, 0}, {}},
        {"32-bit keeps the top 16 bits",
         SimpleWav({.channels = 2, .bits = 32}, Le32s({0x12345678, -65536, INT32_MIN, INT32_MAX})),
         2, 8012, 32, {0x1234, -32768}, {-1, 32767}},
        {"odd trailing byte ignored", SimpleWav({.channels = 1, .bits = 16}, {0x01, 0x02, 0x03}), 1,
         8012, 16, {0x0201}, {}},
        {"partial stereo frame ignored", SimpleWav({.channels = 2, .bits = 16}, {1, 0, 2, 0, 3, 0}),
         2, 8012, 16, {1}, {2}},
        {"format chunk of 18 bytes",
         WavBuilder().Chunk("fmt ", [] { Bytes b = FormatBody({}); AppendLe16(b, 0); return b; }())
             .Data(Pcm16({7})).Build(),
         1, 8012, 16, {7}, {}},
        {"even LIST chunk passed over",
         WavBuilder().Format({}).Chunk("LIST", Bytes(10, 'x')).Data(Pcm16({9})).Build(), 1, 8012,
         16, {9}, {}},
        {"odd LIST chunk and its pad byte passed over",
         WavBuilder().Format({}).Chunk("LIST", Bytes(7, 'x')).Data(Pcm16({9, 8})).Build(), 1, 8012,
         16, {9, 8}, {}},
        {"odd fmt chunk padded",
         WavBuilder().Chunk("fmt ", [] { Bytes b = FormatBody({}); b.push_back(0); return b; }())
             .Data(Pcm16({4})).Build(),
         1, 8012, 16, {4}, {}},
        {"fact chunk of 4 bytes",
         WavBuilder().Format({}).Chunk("fact", {1, 2, 3, 4}).Data(Pcm16({5})).Build(), 1, 8012,
         16, {5}, {}},
        {"fact chunk of 5 bytes",
         WavBuilder().Format({}).Chunk("fact", {1, 2, 3, 4, 5}).Data(Pcm16({5})).Build(), 1, 8012,
         16, {5}, {}},
        // Declared 14, yet all 16 bytes of fields are read; the walk counts 14.
        {"format chunk declared short",
         WavBuilder().RawChunk("fmt ", 14, FormatBody({.channels = 2})).Data(Pcm16({1, 2})).Build(),
         2, 8012, 16, {1}, {2}},
        {"extensible PCM", WavBuilder().Chunk("fmt ", ExtensibleBody(2, 16, true))
                               .Data(Pcm16({3, 4})).Build(),
         2, 8012, 16, {3}, {4}},
        {"second format chunk wins",
         WavBuilder().Format({.bits = 8}).Format({.channels = 2}).Data(Pcm16({1, 2})).Build(), 2,
         8012, 16, {1}, {2}},
        {"chunks after the data are never read",
         WavBuilder().Format({}).Data(Pcm16({6})).Chunk("fmt ", {1}).Build(), 1, 8012, 16, {6}, {}},
        // Streaming writers leave 0xFFFFFFFF in both sizes.
        {"streamed sizes", WavBuilder().Format({}).RawChunk("data", 0xFFFFFFFF, Pcm16({1, 2, 3}))
                               .Build(0xFFFFFFFF),
         1, 8012, 16, {1, 2, 3}, {}},
        {"RIFF size 0 walks the file", WavBuilder().Format({}).Data(Pcm16({1})).Build(0), 1, 8012,
         16, {1}, {}},
        {"RIFF size 12 walks the file", WavBuilder().Format({}).Data(Pcm16({1})).Build(12), 1,
         8012, 16, {1}, {}},
        {"data larger than the file",
         WavBuilder().Format({}).RawChunk("data", 1000, Pcm16({1, 2}) ).Build(), 1, 8012, 16, {1, 2},
         {}},
        {"final pad byte missing",
         WavBuilder().Format({}).RawChunk("LIST", 3, {1, 2, 3}).Build(), 1, 8012, 16, {}, {}},
        {"no data chunk", WavBuilder().Format({}).Build(), 1, 8012, 16, {}, {}},
        {"rate 0 without frames", WavBuilder().Format({.rate = 0}).Data({}).Build(), 1, 0, 16, {},
         {}},
        // Without a RIFF size the walk ends with the file, wherever the
        // short format chunk left the count.
        {"walked to the end after a short format chunk",
         WavBuilder().RawChunk("fmt ", 14, FormatBody({})).Build(0xFFFFFFFF), 1, 8012, 16, {}, {}},
        // A RIFF size within bounds ends the walk even before the data.
        {"RIFF size ends the walk", WavBuilder().Format({}).Data(Pcm16({1})).Build(36), 1, 8012,
         16, {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto r = Read(c.file);
        ASSERT_TRUE(r->ok) << (r->host.errors.empty() ? "" : r->host.errors[0]);
        EXPECT_TRUE(r->host.errors.empty());
        EXPECT_EQ(r->context.encodingName, "PCM");
        EXPECT_EQ(r->context.channels, c.channels);
        EXPECT_EQ(r->context.sampleRate, c.rate);
        EXPECT_EQ(r->context.bitsPerSample, c.bits);
        EXPECT_EQ(Left(*r), c.left);
        if (c.channels == 2) {
            EXPECT_EQ(Right(*r), c.right);
        }
    }
}

TEST(WaveReaderTest, ARiffSizeAtOrBelowTwelveWithNoChunksReadsNothing) {
    auto r = Read(WavBuilder().Build(4));
    EXPECT_TRUE(r->ok);
    EXPECT_EQ(r->context.frameCount, 0);
    EXPECT_EQ(r->context.encodingName, "");
}

// ---- How bad files are refused -------------------------------------------------

struct BadCase {
    const char* name;
    Bytes file;
    std::string message;  // "{path}" stands for the input path
};

std::string Expand(std::string message, const std::string& path) {
    auto at = message.find("{path}");
    if (at != std::string::npos) message.replace(at, 6, path);
    return message;
}

TEST(WaveReaderTest, RefusesBadFilesWithOneExactMessage) {
    const std::string readError = "データ読込みエラー";
    const std::string unidentified = kPrefix + " file {path}Unidentified encoding in .WAV file";
    Bytes riffx = WavBuilder().Format({}).Build();
    riffx[3] = 'X';
    Bytes avi = WavBuilder().Build();
    avi[8] = 'A', avi[9] = 'V', avi[10] = 'I', avi[11] = ' ';
    const Bytes good = SimpleWav({}, Pcm16({1, 2}));
    const BadCase cases[] = {
        {"empty file", {}, readError},
        {"three bytes", {'R', 'I', 'F'}, readError},
        {"RIFX", riffx, kPrefix + " file {path} is not a RIFF file"},
        {"AVI", avi, kPrefix + " file {path} is not a WAVE file"},
        {"no form type", {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A'}, readError},
        {"float", SimpleWav({.tag = 3, .bits = 32}, {}), unidentified},
        {"ADPCM", SimpleWav({.tag = 2, .bits = 4}, {}), unidentified},
        {"three channels", SimpleWav({.channels = 3}, {}), "チャンネル数２を超えました"},
        {"65535 channels", SimpleWav({.channels = 65535}, {}), "チャンネル数２を超えました"},
        {"no channels", SimpleWav({.channels = 0}, {}), kPrefix + " file {path} has no channels"},
        {"12 bits", SimpleWav({.bits = 12}, Pcm16({1})),
         kPrefix + " file {path} has an unsupported sample size"},
        {"0 bits", SimpleWav({.bits = 0}, {}), kPrefix + " file {path} has an unsupported sample size"},
        {"40 bits", SimpleWav({.bits = 40}, {}),
         kPrefix + " file {path} has an unsupported sample size"},
        {"extensible float",
         WavBuilder().Chunk("fmt ", ExtensibleBody(1, 32, false)).Data({}).Build(), unidentified},
        {"extensible too short",
         WavBuilder().Chunk("fmt ", FormatBody({.tag = 0xFFFE})).Data({}).Build(), unidentified},
        {"extensible three channels",
         WavBuilder().Chunk("fmt ", ExtensibleBody(3, 16, true)).Data({}).Build(),
         "チャンネル数２を超えました"},
        {"extensible no channels",
         WavBuilder().Chunk("fmt ", ExtensibleBody(0, 16, true)).Data({}).Build(),
         kPrefix + " file {path} has no channels"},
        {"extension cut short",
         WavBuilder().RawChunk("fmt ", 40, FormatBody({.tag = 0xFFFE})).Build(0xFFFFFFFF), readError},
        {"data before format", WavBuilder().Data(Pcm16({1})).Format({}).Build(),
         kPrefix + "Data Chunk before Format Chunk"},
        {"rate 0 with frames", SimpleWav({.rate = 0}, Pcm16({1})),
         kPrefix + " file {path} has an unsupported sample rate"},
        {"rate 2^31 with frames", SimpleWav({.rate = 0x80000000u}, Pcm16({1})),
         kPrefix + " file {path} has an unsupported sample rate"},
        {"chunk header cut short", Bytes(good.begin(), good.begin() + 16), readError},
        {"format fields cut short", Bytes(good.begin(), good.begin() + 26), readError},
        {"LIST body cut short",
         WavBuilder().Format({}).RawChunk("LIST", 100, Bytes(10, 0)).Build(), readError},
        {"RIFF size beyond the file, no data", WavBuilder().Format({}).Build(1000), readError},
        {"huge LIST", WavBuilder().Format({}).RawChunk("LIST", 0x80000000u, {}).Data({}).Build(),
         readError},
        {"huge fmt", WavBuilder().RawChunk("fmt ", 0xFFFFFFFF, FormatBody({})).Data({}).Build(),
         readError},
        {"fact cut short", WavBuilder().Format({}).RawChunk("fact", 4, {1, 2}).Build(), readError},
        {"trailing garbage after the last chunk, streamed size",
         WavBuilder().Format({}).Tail({1, 2, 3}).Build(0xFFFFFFFF), readError},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto r = Read(c.file);
        EXPECT_FALSE(r->ok);
        EXPECT_EQ(r->host.errors, std::vector<std::string>{Expand(c.message, r->path)});
    }
}

// ---- Progress -------------------------------------------------------------------

Bytes MonoFrames(std::size_t frames) { return SimpleWav({.bits = 8}, Bytes(frames, 0x80)); }

TEST(WaveReaderTest, ProgressRisesTowardsNinety) {
    struct ProgressCase {
        std::size_t frames;
        int last;
    };
    for (auto c : {ProgressCase{44100, 89}, ProgressCase{44101, 90}, ProgressCase{90, 89},
                   ProgressCase{180, 89}, ProgressCase{179, 178}}) {
        auto r = Read(MonoFrames(c.frames));
        ASSERT_TRUE(r->ok);
        ASSERT_FALSE(r->host.positions.empty()) << c.frames;
        EXPECT_EQ(r->host.positions.back(), c.last) << c.frames;
        EXPECT_GT(r->host.positions.front(), 1);
        for (std::size_t i = 1; i < r->host.positions.size(); ++i) {
            EXPECT_EQ(r->host.positions[i], r->host.positions[i - 1] + 1) << c.frames;
        }
    }
}

TEST(WaveReaderTest, FewerThanNinetyFramesMoveTheBarInProportion) {
    auto r = Read(MonoFrames(45));
    ASSERT_TRUE(r->ok);
    std::vector<int> expected;
    for (int i = 1; i < 45; ++i) expected.push_back(i * 2);
    EXPECT_EQ(r->host.positions, expected);
    EXPECT_TRUE(Read(MonoFrames(0))->host.positions.empty());
    EXPECT_TRUE(Read(MonoFrames(1))->host.positions.empty());
}

TEST(SkipWordsTest, PassesOverTheBodyAndItsPadByte) {
    TempDir dir;
    WriteFile(dir / "f", Bytes(20, 0));
    CConvertContext context;
    ASSERT_TRUE(context.inputFile.Open(dir / "f"));
    struct SkipCase {
        std::uint32_t consumed, size;
        std::uint64_t advance;
        bool ok;
    };
    for (auto c : {SkipCase{16, 16, 0, true}, SkipCase{16, 18, 2, true}, SkipCase{16, 19, 4, true},
                   SkipCase{16, 14, 0, true}, SkipCase{0, 7, 8, true}, SkipCase{0, 19, 20, true},
                   SkipCase{0, 20, 20, true}, SkipCase{0, 21, 0, false}}) {
        ASSERT_TRUE(context.inputFile.Seek(0));
        EXPECT_EQ(SkipWords(context, c.consumed, c.size), c.ok) << c.size;
        if (c.ok) {
            EXPECT_EQ(context.inputFile.Position(), c.advance) << c.size;
        }
    }
}

}  // namespace
}  // namespace kelmoro::test
