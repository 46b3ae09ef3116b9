// Damaged and hostile WAV files through the whole job: every case states the
// AU bytes it must give or the one message it must report, and a failure
// must leave nothing beside the input.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "engine/convert_job.h"
#include "support/recording_host.h"
#include "support/temp_dir.h"
#include "support/wav_builder.h"

namespace kelmoro::test {
namespace {

// ---- Samples with known mu-law codes ----------------------------------------

// Linear samples and their mu-law codes, worked out by hand from the encoder's
// definition (sign, clip at 32635, bias 132, exponent and mantissa, zero trap).
const std::vector<std::int16_t> kSamples{0, 1, -1, 100, -100, 1000, -1000, 8159, 32767, -32768};
const Bytes kCodes{0xFF, 0xFF, 0x7F, 0xF2, 0x72, 0xCE, 0x4E, 0x9F, 0x80, 0x02};

Bytes MonoData() {
    return Pcm16(kSamples);
}

// Both channels carry the same sample, so the mix gives it back.
Bytes StereoData() {
    std::vector<std::int16_t> interleaved;
    for (std::int16_t sample : kSamples) {
        interleaved.push_back(sample);
        interleaved.push_back(sample);
    }
    return Pcm16(interleaved);
}

Bytes FirstCodes(std::size_t count) {
    return Bytes(kCodes.begin(), kCodes.begin() + count);
}

Bytes AuFile(const Bytes& codes) {
    Bytes out{'.', 's', 'n', 'd', 0x00, 0x00, 0x00, 0x1C};
    AppendBe32(out, static_cast<std::uint32_t>(codes.size()));
    const Bytes rest{0, 0, 0, 1, 0, 0, 0x1F, 0x4C, 0, 0, 0, 1, 0, 0, 0, 0};
    out.insert(out.end(), rest.begin(), rest.end());
    out.insert(out.end(), codes.begin(), codes.end());
    return out;
}

Bytes Le32Bytes(std::uint32_t value) {
    Bytes out;
    AppendLe32(out, value);
    return out;
}

Bytes Concat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

FormatFields Mono16() {
    return FormatFields{1, 1, 8012, 16};
}
FormatFields Stereo16() {
    return FormatFields{1, 2, 8012, 16};
}

// ---- Expected outcomes --------------------------------------------------------

// The AU file's bytes, or the message text. Messages that quote the path hold
// "@" where the input path goes.
using Outcome = std::variant<Bytes, std::string>;

Outcome Au(const Bytes& codes) {
    return AuFile(codes);
}
Outcome Message(const std::string& text) {
    return text;
}

const std::string kPrefix = "Wave ファイル 読込みエラー: ";
const std::string kReadError = "データ読込みエラー";
const std::string kTooManyChannels = "チャンネル数２を超えました";
Outcome FileMessage(const std::string& tail) {
    return Message(kPrefix + " file @" + tail);
}

std::string WithPath(std::string text, const std::string& path) {
    const auto at = text.find('@');
    if (at != std::string::npos) text.replace(at, 1, path);
    return text;
}

// Converts `input` as in.wav in a fresh folder and checks the outcome, that a
// failure gives exactly one message, and that only what succeeded is left.
void ExpectOutcome(const Bytes& input, const Outcome& expected) {
    TempDir dir;
    const std::string inputPath = dir / "in.wav";
    WriteFile(inputPath, input);
    SetInputPath(inputPath);
    RecordingHost host;
    const bool converted = Convert(host);
    EXPECT_EQ(host.waitDepth, 0);
    if (const auto* au = std::get_if<Bytes>(&expected)) {
        ASSERT_TRUE(converted) << (host.errors.empty() ? "" : host.errors.front());
        EXPECT_TRUE(host.errors.empty());
        EXPECT_EQ(ReadFile(dir / "in.au"), *au);
        EXPECT_EQ(dir.List(), (std::vector<std::string>{"in.au", "in.wav"}));
    } else {
        EXPECT_FALSE(converted);
        EXPECT_EQ(host.errors,
                  std::vector<std::string>{WithPath(std::get<std::string>(expected), inputPath)});
        EXPECT_EQ(dir.List(), std::vector<std::string>{"in.wav"});
    }
}

// ---- One file cut at every byte offset ---------------------------------------

TEST(HostileInputTest, AFileCutAtEveryOffsetFailsBeforeItsDataAndKeepsTheWholeFramesAfter) {
    WavBuilder builder;
    builder.Format(Stereo16())
        .Chunk("LIST", Bytes{'a', 'b', 'c'})  // odd: a pad byte follows
        .Chunk("fact", Le32Bytes(static_cast<std::uint32_t>(kSamples.size())))
        .Data(StereoData());
    const Bytes whole = builder.Build();
    const std::size_t dataStart = whole.size() - StereoData().size();
    const std::size_t frameBytes = 4;

    for (std::size_t length = 0; length <= whole.size(); ++length) {
        SCOPED_TRACE("cut at " + std::to_string(length) + " of " + std::to_string(whole.size()));
        const Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length));
        if (length < dataStart) {
            ExpectOutcome(cut, Message(kReadError));
        } else {
            ExpectOutcome(cut, Au(FirstCodes((length - dataStart) / frameBytes)));
        }
    }
}

// ---- Table of hostile files -----------------------------------------------------

struct HostileCase {
    std::string name;
    Bytes input;
    Outcome expected;
};

std::ostream& operator<<(std::ostream& out, const HostileCase& c) {
    return out << c.name;
}

// fmt (mono, 16 bits, 8012 Hz), one chunk as given, then data holding kSamples.
Bytes FormatThen(const std::string& id, std::uint32_t declaredSize, const Bytes& body) {
    return WavBuilder().Format(Mono16()).RawChunk(id, declaredSize, body).Data(MonoData()).Build();
}

Bytes FormatChunkSized(std::uint32_t declaredSize, const Bytes& body) {
    return WavBuilder().RawChunk("fmt ", declaredSize, body).Data(MonoData()).Build();
}

Bytes WithRiffSize(std::uint32_t riffSize) {
    return WavBuilder().Format(Mono16()).Data(MonoData()).Build(riffSize);
}

// RF64: 'ds64' first with the given 64-bit RIFF and data sizes, 0xFFFFFFFF
// in both 32-bit ones; then fmt and, unless left out, data holding kSamples.
Bytes Rf64(std::uint64_t riffSize, std::uint64_t dataSize, bool withData = true) {
    Bytes ds64;
    for (std::uint64_t size : {riffSize, dataSize, std::uint64_t{0}}) {
        AppendLe32(ds64, static_cast<std::uint32_t>(size));
        AppendLe32(ds64, static_cast<std::uint32_t>(size >> 32));
    }
    WavBuilder builder;
    builder.Chunk("ds64", ds64).Format(Mono16());
    if (withData) builder.RawChunk("data", 0xFFFFFFFF, MonoData());
    Bytes file = builder.Build(0xFFFFFFFF);
    std::copy_n("RF64", 4, file.begin());
    return file;
}

Bytes DataSized(std::uint32_t declaredSize, const Bytes& body) {
    return WavBuilder().Format(Mono16()).RawChunk("data", declaredSize, body).Build();
}

Bytes WithFormat(const FormatFields& fields, const Bytes& data) {
    return WavBuilder().Format(fields).Data(data).Build();
}

std::vector<HostileCase> ChunkSizeCases() {
    const Bytes formatBody = FormatBody(Mono16());
    const Bytes mono = MonoData();
    const Bytes all = kCodes;
    const Outcome whole = Au(all);
    const Outcome readError = Message(kReadError);
    const std::uint32_t trueRiffSize = static_cast<std::uint32_t>(WithRiffSize(0).size() - 8);
    std::vector<HostileCase> cases{
        // RIFF size: streaming writers leave 0 or 0xFFFFFFFF; the file's end bounds the walk.
        {"RiffSize0", WithRiffSize(0), whole},
        {"RiffSizeOddPastTheEnd", WithRiffSize(trueRiffSize + 1), whole},
        {"RiffSize7FFFFFFF", WithRiffSize(0x7FFFFFFF), whole},
        {"RiffSize80000000", WithRiffSize(0x80000000), whole},
        {"RiffSizeFFFFFFFF", WithRiffSize(0xFFFFFFFF), whole},
        // A format chunk declared shorter than its fields still has them read.
        {"FormatSize0", FormatChunkSized(0, formatBody), whole},
        {"FormatSizeOdd", FormatChunkSized(17, Concat(formatBody, Bytes{0x55, 0x00})), whole},
        {"FormatSize7FFFFFFF", FormatChunkSized(0x7FFFFFFF, formatBody), readError},
        {"FormatSize80000000", FormatChunkSized(0x80000000, formatBody), readError},
        {"FormatSizeFFFFFFFF", FormatChunkSized(0xFFFFFFFF, formatBody), readError},
        // Likewise the one field of a fact chunk.
        {"FactSize0", FormatThen("fact", 0, Le32Bytes(10)), whole},
        {"FactSizeOdd", FormatThen("fact", 5, Bytes{10, 0, 0, 0, 0x55, 0x00}), whole},
        {"FactSize7FFFFFFF", FormatThen("fact", 0x7FFFFFFF, Le32Bytes(10)), readError},
        {"FactSize80000000", FormatThen("fact", 0x80000000, Le32Bytes(10)), readError},
        {"FactSizeFFFFFFFF", FormatThen("fact", 0xFFFFFFFF, Le32Bytes(10)), readError},
        {"OtherSize0", FormatThen("LIST", 0, Bytes{}), whole},
        {"OtherSizeOdd", FormatThen("LIST", 3, Bytes{'a', 'b', 'c', 0x00}), whole},
        {"OtherSize7FFFFFFF", FormatThen("LIST", 0x7FFFFFFF, Bytes{'a', 'b'}), readError},
        {"OtherSize80000000", FormatThen("LIST", 0x80000000, Bytes{'a', 'b'}), readError},
        {"OtherSizeFFFFFFFF", FormatThen("LIST", 0xFFFFFFFF, Bytes{'a', 'b'}), readError},
        // Data sizes past the end of the file keep the whole frames really there.
        {"DataSize0", DataSized(0, Bytes{}), Au(Bytes{})},
        {"DataSizeOdd", DataSized(5, Concat(Bytes(mono.begin(), mono.begin() + 5), Bytes{0})),
         Au(FirstCodes(2))},
        {"DataSize7FFFFFFF", DataSized(0x7FFFFFFF, MonoData()), whole},
        {"DataSize80000000", DataSized(0x80000000, MonoData()), whole},
        {"DataSizeFFFFFFFF", DataSized(0xFFFFFFFF, MonoData()), whole},
        // ffmpeg writing RF64 to a pipe leaves 'ds64' unfilled: read to the end.
        {"Ds64Unfilled", Rf64(0, 0), whole},
        {"Ds64RiffSizeAllOnesNoData", Rf64(~std::uint64_t{0}, 0, false), Au(Bytes{})},
    };
    return cases;
}

std::vector<HostileCase> FormatFieldCases() {
    const Outcome whole = Au(kCodes);
    const Outcome badSize = FileMessage(" has an unsupported sample size");
    const Outcome badRate = FileMessage(" has an unsupported sample rate");
    auto withBits = [](std::uint16_t bits, const Bytes& data) {
        return WithFormat(FormatFields{1, 1, 8012, bits}, data);
    };
    auto withRate = [](std::uint32_t rate, const Bytes& data) {
        return WithFormat(FormatFields{1, 1, rate, 16}, data);
    };
    auto withChannels = [](std::uint16_t channels) {
        return WithFormat(FormatFields{1, channels, 8012, 16}, MonoData());
    };
    // 24- and 32-bit samples keep their top 16 bits; the low bits are noise
    // that must not change the code.
    Bytes pcm24;
    for (std::int32_t top : {1000, -1000, 32767, -32768}) {
        AppendLe32(pcm24, (static_cast<std::uint32_t>(top) << 8) | 0xAB);
        pcm24.pop_back();
    }
    Bytes pcm32;
    for (std::int32_t top : {100, -100, 32767, -32768}) {
        AppendLe32(pcm32, (static_cast<std::uint32_t>(top) << 16) | 0x9876);
    }
    return {
        {"Channels0", withChannels(0), FileMessage(" has no channels")},
        {"Channels3", withChannels(3), Message(kTooManyChannels)},
        {"Channels65535", withChannels(65535), Message(kTooManyChannels)},
        {"Bits0", withBits(0, MonoData()), badSize},
        {"Bits1", withBits(1, MonoData()), badSize},
        {"Bits7", withBits(7, MonoData()), badSize},
        // 8-bit samples are unsigned: 0x80 is silence, 0x00 the lowest, 0xFF 32512.
        {"Bits8", withBits(8, Bytes{0x80, 0x00, 0xFF}), Au(Bytes{0xFF, 0x02, 0x80})},
        {"Bits12", withBits(12, MonoData()), badSize},
        {"Bits16", withBits(16, MonoData()), whole},
        {"Bits24", withBits(24, pcm24), Au(Bytes{0xCE, 0x4E, 0x80, 0x02})},
        {"Bits32", withBits(32, pcm32), Au(Bytes{0xF2, 0x72, 0x80, 0x02})},
        {"Bits33", withBits(33, MonoData()), badSize},
        {"Bits65535", withBits(65535, MonoData()), badSize},
        {"Rate0", withRate(0, MonoData()), badRate},
        // Below 8012 Hz every sample is kept.
        {"Rate1", withRate(1, MonoData()), whole},
        {"RateFFFFFFFF", withRate(0xFFFFFFFF, MonoData()), badRate},
        // With no samples there is nothing to resample.
        {"Rate0WithoutSamples", withRate(0, Bytes{}), Au(Bytes{})},
    };
}

std::vector<HostileCase> ChunkOrderCases() {
    return {
        {"DataBeforeFormat", WavBuilder().Data(MonoData()).Format(Mono16()).Build(),
         Message(kPrefix + "Data Chunk before Format Chunk")},
        // The later format chunk is the one in force.
        {"TwoFormatChunks",
         WavBuilder().Format(Stereo16()).Format(Mono16()).Data(MonoData()).Build(), Au(kCodes)},
        {"TwoFormatChunksTheSecondRefused",
         WavBuilder()
             .Format(Mono16())
             .Format(FormatFields{3, 1, 8012, 32})
             .Data(MonoData())
             .Build(),
         FileMessage("Unidentified encoding in .WAV file")},
        {"NoDataChunk", WavBuilder().Format(Mono16()).Chunk("LIST", Bytes{'a', 'b'}).Build(),
         Au(Bytes{})},
        {"NeitherFormatNorData", WavBuilder().Chunk("LIST", Bytes{'a', 'b'}).Build(),
         Message("Unimplemented Encoding change.")},
    };
}

class HostileFileTest : public testing::TestWithParam<HostileCase> {};

TEST_P(HostileFileTest, GivesItsStatedOutcome) {
    ExpectOutcome(GetParam().input, GetParam().expected);
}

std::string CaseName(const testing::TestParamInfo<HostileCase>& info) {
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(ChunkSizes, HostileFileTest, testing::ValuesIn(ChunkSizeCases()),
                         CaseName);
INSTANTIATE_TEST_SUITE_P(FormatFields, HostileFileTest, testing::ValuesIn(FormatFieldCases()),
                         CaseName);
INSTANTIATE_TEST_SUITE_P(ChunkOrder, HostileFileTest, testing::ValuesIn(ChunkOrderCases()),
                         CaseName);

}  // namespace
}  // namespace kelmoro::test
