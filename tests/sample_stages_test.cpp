// The three sample stages: mu-law codes, the stereo mix and which frames the
// rate change keeps.
#include <gtest/gtest.h>

#include <vector>

#include "engine/messages.h"
#include "engine/sample_stages.h"
#include "support/recording_host.h"

namespace kelmoro::test {
namespace {

void Fill(CConvertContext& context, const std::vector<std::int32_t>& left,
          const std::vector<std::int32_t>& right = {}) {
    context.Reset();
    context.frameCount = static_cast<std::int32_t>(left.size());
    ASSERT_TRUE(context.left.Allocate(left.size()));
    std::copy(left.begin(), left.end(), context.left.data());
    context.channels = 1;
    if (!right.empty()) {
        ASSERT_TRUE(context.right.Allocate(right.size()));
        std::copy(right.begin(), right.end(), context.right.data());
        context.channels = 2;
    }
}

std::vector<std::int32_t> LeftOf(const CConvertContext& context) {
    return std::vector<std::int32_t>(context.left.data(), context.left.data() + context.frameCount);
}

TEST(MuLawTest, EncodesTheWorkedValues) {
    const std::pair<std::int32_t, int> cases[] = {
        {0, 0xFF},      {1, 0xFF},      {-1, 0x7F},     {100, 0xF2},    {-100, 0x72},
        {1000, 0xCE},   {-1000, 0x4E},  {8159, 0x9F},   {32767, 0x80},  {32635, 0x80},
        {-32635, 0x02}, {-32768, 0x02},  // zero trap: 0x00 is written as 0x02
        {-32000, 0x00 + 0x02},
    };
    for (auto [sample, code] : cases) EXPECT_EQ(MuLawEncode(sample), code) << sample;
}

TEST(MuLawTest, LouderNeverEncodesQuieterAndSignOnlyFlipsTheTopBit) {
    int previous = MuLawEncode(0);
    for (std::int32_t s = 1; s <= 32767; ++s) {
        const int code = MuLawEncode(s);
        ASSERT_LE(code, previous) << s;  // codes fall as the magnitude rises
        previous = code;
        const int negative = MuLawEncode(-s);
        if (code != 0x80) {
            ASSERT_EQ(negative, code & 0x7F) << s;
        }
    }
}

TEST(ToMonoTest, AveragesTowardZero) {
    CConvertContext context;
    Fill(context, {3, -3, 32767, -32768, 5, -1}, {0, 0, 32767, -32768, -6, 0});
    ASSERT_TRUE(ToMono(context));
    EXPECT_EQ(LeftOf(context), (std::vector<std::int32_t>{1, -1, 32767, -32768, 0, 0}));
    EXPECT_EQ(context.channels, 1);
    EXPECT_EQ(context.right.data(), nullptr);
}

TEST(ToMonoTest, LeavesMonoAlone) {
    CConvertContext context;
    Fill(context, {7, -7});
    ASSERT_TRUE(ToMono(context));
    EXPECT_EQ(LeftOf(context), (std::vector<std::int32_t>{7, -7}));
}

struct RateCase {
    int rate;
    std::vector<std::int32_t> firstKept;
    int framesPerSecond;
};

TEST(ChangeRateTest, KeepsTheSameInputFramesAtEveryRate) {
    const RateCase cases[] = {
        {44100, {5, 11, 16, 22, 27, 33, 38, 44, 49, 55}, 8012},
        {16024, {2, 4, 6, 8, 10}, 8011},
        {8000, {0, 1, 2, 3, 4}, 8000},
        {48000, {5, 11, 17, 23, 29}, 8011},
        {22050, {2, 5, 8, 11, 13, 16}, 8012},
        {11025, {1, 2, 4, 5, 6, 8}, 8011},
        {96000, {}, 8012},
        {32000, {}, 8011},
        {8013, {}, 8011},
        {8012, {0, 1, 2, 3}, 8012},
        {1, {0}, 1},
    };
    for (const auto& c : cases) {
        std::vector<std::int32_t> indices(static_cast<std::size_t>(c.rate));
        for (std::size_t i = 0; i < indices.size(); ++i) indices[i] = static_cast<std::int32_t>(i);
        CConvertContext context;
        Fill(context, indices);
        context.sampleRate = c.rate;
        ASSERT_TRUE(ChangeRate(context, 8012));
        EXPECT_EQ(context.frameCount, c.framesPerSecond) << c.rate;
        const auto kept = LeftOf(context);
        ASSERT_GE(kept.size(), c.firstKept.size());
        EXPECT_EQ(std::vector<std::int32_t>(kept.begin(), kept.begin() + c.firstKept.size()),
                  c.firstKept)
            << c.rate;
        EXPECT_EQ(context.sampleRate, c.rate);  // only the header says 8012
    }
}

TEST(ChangeRateTest, KeepsBothChannelsOfAStereoFrame) {
    CConvertContext context;
    std::vector<std::int32_t> left(20), right(20);
    for (int i = 0; i < 20; ++i) left[i] = i, right[i] = 100 + i;
    Fill(context, left, right);
    context.sampleRate = 16024;
    ASSERT_TRUE(ChangeRate(context, 8012));
    ASSERT_EQ(context.frameCount, 9);
    EXPECT_EQ(context.left.data()[0], 2);
    EXPECT_EQ(context.right.data()[0], 102);
    EXPECT_EQ(context.right.data()[8], 118);
}

TEST(ChangeRateTest, ZeroFramesStayZeroWhateverTheRate) {
    for (int rate : {0, -5, 1, 44100}) {
        CConvertContext context;
        Fill(context, {});
        context.sampleRate = rate;
        EXPECT_TRUE(ChangeRate(context, 8012)) << rate;
        EXPECT_EQ(context.frameCount, 0);
    }
}

TEST(ChangeEncodingTest, TurnsPcmIntoMuLawAndRefusesEverythingElse) {
    CConvertContext context;
    RecordingHost host;
    Fill(context, {0, 0, 1000});
    context.encodingName = "PCM";
    ASSERT_TRUE(ChangeEncoding(context, host, "Mu-Law"));
    EXPECT_EQ(LeftOf(context), (std::vector<std::int32_t>{0xFF, 0xFF, 0xCE}));
    EXPECT_EQ(context.encodingName, "Mu-Law");
    EXPECT_TRUE(ChangeEncoding(context, host, "Mu-Law"));  // already there: nothing to do
    EXPECT_TRUE(host.errors.empty());


    struct Refusal {
        const char* current;
        const char* target;
    };
    for (const auto& c : {Refusal{"", "Mu-Law"}, Refusal{"Mu-Law", "PCM"}, Refusal{"PCM", "A-Law"}}) {
        RecordingHost refused;
        Fill(context, {5});
        context.encodingName = c.current;
        EXPECT_FALSE(ChangeEncoding(context, refused, c.target)) << c.current << c.target;
        EXPECT_EQ(refused.errors, std::vector<std::string>{"Unimplemented Encoding change."});
        EXPECT_EQ(LeftOf(context), std::vector<std::int32_t>{5});
        EXPECT_EQ(context.encodingName, c.current);
    }
}

}  // namespace
}  // namespace kelmoro::test
