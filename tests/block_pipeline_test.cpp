// The data chunk goes through the stages in blocks: whatever the frame
// count, on and around the block sizes, the AU file must hold exactly what
// the stages make of the whole chunk in one piece.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "engine/convert_job.h"
#include "engine/sample_stages.h"
#include "support/recording_host.h"
#include "support/temp_dir.h"
#include "support/wav_builder.h"

namespace kelmoro::test {
namespace {

struct BlockCase {
    std::uint16_t channels;
    std::uint16_t bits;
    std::uint32_t rate;
    std::size_t frames;
};

// The AU file the stages make of `samples` (interleaved, 16-bit range) held
// as one block.
Bytes WholeChunkAu(const BlockCase& c, const std::vector<std::int32_t>& samples) {
    CConvertContext context;
    context.channels = c.channels;
    context.sampleRate = static_cast<std::int32_t>(c.rate);
    context.encodingName = "PCM";
    context.frameCount = static_cast<std::int32_t>(c.frames);
    context.left.Allocate(c.frames);
    if (c.channels == 2) context.right.Allocate(c.frames);
    for (std::size_t i = 0; i < c.frames; ++i) {
        context.left.data()[i] = samples[i * c.channels];
        if (c.channels == 2) context.right.data()[i] = samples[i * 2 + 1];
    }
    RecordingHost host;
    ToMono(context);
    ChangeRate(context, 8012);
    ChangeEncoding(context, host, "Mu-Law");
    Bytes au{'.', 's', 'n', 'd'};
    for (std::uint32_t field : {28u, static_cast<std::uint32_t>(context.frameCount), 1u, 8012u, 1u, 0u}) {
        AppendBe32(au, field);
    }
    for (std::int32_t i = 0; i < context.frameCount; ++i) au.push_back(static_cast<std::uint8_t>(context.left.data()[i]));
    return au;
}

TEST(BlockPipelineTest, EveryFrameCountAroundTheBlockSizesGivesTheWholeChunksBytes) {
    // 4096 frames go through the stages at a time, cut from reads of 512 KiB
    // (131072 frames of 16-bit stereo, 524288 of 8-bit mono).
    const BlockCase cases[] = {
        {1, 16, 44100, 4095},   {1, 16, 44100, 4096},   {1, 16, 44100, 4097},
        {2, 16, 44100, 8193},   {2, 16, 48000, 131071}, {2, 16, 44100, 131072},
        {2, 16, 22050, 131073}, {1, 8, 44100, 524287},  {1, 8, 11025, 524289},
        {1, 16, 8012, 4097},    {2, 8, 96000, 262145},  {1, 16, 8000, 12289},
    };
    std::mt19937 random(7);
    TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.channels << "ch " << c.bits << "bit " << c.rate << "Hz "
                                        << c.frames << " frames");
        std::vector<std::int32_t> samples(c.frames * c.channels);
        Bytes data;
        for (auto& sample : samples) {
            if (c.bits == 8) {
                const auto byte = static_cast<std::uint8_t>(random());
                data.push_back(byte);
                sample = byte * 256 - 32768;
            } else {
                const auto value = static_cast<std::int16_t>(random());
                AppendLe16(data, static_cast<std::uint16_t>(value));
                sample = value;
            }
        }
        WriteFile(dir / "in.wav", SimpleWav({.channels = c.channels, .rate = c.rate, .bits = c.bits}, data));
        RecordingHost host;
        SetInputPath(dir / "in.wav");
        ASSERT_TRUE(Convert(host));
        EXPECT_TRUE(ReadFile(dir / "in.au") == WholeChunkAu(c, samples));
        EXPECT_EQ(host.positions.back(), 0);
        EXPECT_TRUE(std::is_sorted(host.positions.begin(), host.positions.end() - 1));
    }
}

}  // namespace
}  // namespace kelmoro::test
