// The band-limited rate change: how loud tones come out of it after mu-law
// encoding and decoding (images of high tones, levels in the passband), that
// overshoot clips instead of wrapping, and that no sample is lost whatever the
// block sizes.
#include "engine/filtered_rate.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

#include "engine/sample_stages.h"

namespace kelmoro::test {
namespace {

constexpr int kTargetRate = 8012;

// Runs `input` through the resampler `block` samples at a time, giving each
// call `capacity` output samples (0: as many as OutputCapacityFor says).
std::vector<std::int16_t> Resample(const std::vector<float>& input, int rate, std::size_t block,
                                   std::size_t capacity = 0) {
    FilteredRate filter;
    EXPECT_TRUE(filter.Start(rate, kTargetRate)) << filter.Error();
    const std::size_t room =
        capacity != 0 ? capacity : FilteredRate::OutputCapacityFor(block, rate, kTargetRate);
    std::vector<std::int16_t> out;
    std::vector<std::int16_t> buffer(room);
    for (std::size_t start = 0; start < input.size(); start += block) {
        const std::size_t count = std::min(block, input.size() - start);
        const std::size_t made = filter.Process(input.data() + start, count, buffer.data(), room);
        out.insert(out.end(), buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(made));
    }
    while (const std::size_t made = filter.Finish(buffer.data(), room)) {
        out.insert(out.end(), buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(made));
    }
    EXPECT_EQ(filter.Error(), "");
    return out;
}

// Two seconds of a 16-bit sine at -6 dBFS (amplitude 16384).
std::vector<float> Tone(double frequency, int rate) {
    std::vector<float> samples(2 * static_cast<std::size_t>(rate));
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<float>(
            std::lround(16384.0 * std::sin(2.0 * std::numbers::pi * frequency * i / rate)));
    }
    return samples;
}

// The G.711 mu-law decoding rule, on the 16-bit scale.
int MuLawDecode(std::uint8_t code) {
    const int inverted = ~code & 0xFF;
    const int magnitude = ((((inverted & 0x0F) << 3) + 0x84) << ((inverted >> 4) & 0x07)) - 0x84;
    return (inverted & 0x80) != 0 ? -magnitude : magnitude;
}

// Level of one frequency in dBFS: a Hann-windowed Goertzel, scaled so that a
// full-scale sine at that frequency reads 0.
double LevelDbfs(const std::vector<int>& samples, double frequency, int rate) {
    const std::size_t n = samples.size();
    const double omega = 2.0 * std::numbers::pi * frequency / rate;
    const double coefficient = 2.0 * std::cos(omega);
    double previous = 0.0;
    double beforePrevious = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        const double window = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * i / (n - 1));
        const double current = window * samples[i] + coefficient * previous - beforePrevious;
        beforePrevious = previous;
        previous = current;
    }
    const double power = previous * previous + beforePrevious * beforePrevious -
                         coefficient * previous * beforePrevious;
    return 20.0 * std::log10(std::sqrt(power) / (32768.0 * n / 4.0));
}

// Where a tone lands after sampling at the target rate: |f - k x 8012| folded
// into 0..4006.
double ImageOf(double frequency) {
    const double folded = std::fmod(frequency, kTargetRate);
    return std::min(folded, kTargetRate - folded);
}

TEST(FilteredRateTest, TonesKeepTheirLevelAndImagesStayBelowMinus80Dbfs) {
    struct Case {
        int rate;
        double tone;
        double expectedDbfs;  // at the tone itself; NAN: measure its image instead
        double tolerance;
    };
    constexpr double kImageCeilingDbfs = -80.0;
    const Case cases[] = {
        {44100, 300, -6.0, 0.3},  {44100, 1000, -6.0, 0.3},
        {44100, 3000, -6.0, 0.3}, {44100, 3400, -6.0, 1.0},
        {44100, 4500, NAN, 0},    {44100, 6000, NAN, 0},
        {44100, 10000, NAN, 0},   {44100, 15000, NAN, 0},
        {8000, 1000, -6.0, 0.3},  // upsampled: the pitch stays at 1000 Hz
    };
    for (const Case& c : cases) {
        const std::vector<float> input = Tone(c.tone, c.rate);
        const std::vector<std::int16_t> resampled = Resample(input, c.rate, 4096);
        const double expectedFrames = input.size() * double{kTargetRate} / c.rate;
        EXPECT_NEAR(static_cast<double>(resampled.size()), expectedFrames, 1.0) << c.tone;

        // Through the AU's mu-law table and back, without 0.1 s at each end.
        const std::size_t margin = kTargetRate / 10;
        ASSERT_GT(resampled.size(), 2 * margin);
        std::vector<int> decoded;
        for (std::size_t i = margin; i < resampled.size() - margin; ++i) {
            decoded.push_back(MuLawDecode(MuLawEncode(resampled[i])));
        }
        if (std::isnan(c.expectedDbfs)) {
            const double image = ImageOf(c.tone);
            const double level = LevelDbfs(decoded, image, kTargetRate);
            EXPECT_LE(level, kImageCeilingDbfs) << c.tone << " Hz leaves " << image << " Hz";
            std::printf("%5d Hz  %6.0f Hz -> image %6.0f Hz  %7.1f dBFS\n", c.rate, c.tone, image,
                        level);
        } else {
            const double level = LevelDbfs(decoded, c.tone, kTargetRate);
            EXPECT_NEAR(level, c.expectedDbfs, c.tolerance) << c.rate << " Hz, " << c.tone << " Hz";
            std::printf("%5d Hz  %6.0f Hz                  %7.2f dBFS\n", c.rate, c.tone, level);
        }
    }
}

TEST(FilteredRateTest, OvershootOfAFullScaleSquareWaveClipsWithoutWrapping) {
    // 200 Hz at full scale: the band-limited edges ring some 9 % past it.
    constexpr int kRate = 44100;
    std::vector<float> square(kRate);
    for (std::size_t i = 0; i < square.size(); ++i) {
        square[i] = (i * 200 / kRate) % 2 == 0 ? 32767.0f : -32768.0f;
    }
    const std::vector<std::int16_t> out = Resample(square, kRate, 4096);
    int clippedHigh = 0;
    int clippedLow = 0;
    int signFlips = 0;
    for (std::size_t i = 1; i + 1 < out.size(); ++i) {
        clippedHigh += out[i] == 32767;
        clippedLow += out[i] == -32768;
        // A wrapped overshoot would flip sign between two neighbours near a peak.
        signFlips += (out[i - 1] > 16384 && out[i + 1] > 16384 && out[i] <= 0) ||
                     (out[i - 1] < -16384 && out[i + 1] < -16384 && out[i] >= 0);
    }
    EXPECT_EQ(signFlips, 0);
    EXPECT_GT(clippedHigh, 0);
    EXPECT_GT(clippedLow, 0);
}

TEST(FilteredRateTest, BlockAndOutputSizesDoNotChangeTheResult) {
    // A sweep with some noise-like detail, in blocks and with output room of
    // every kind: a tight buffer must only delay samples, never lose them, and
    // a block that gives more output than the filter hands out at once must
    // not end the stream early. Down from 44100 Hz and up from 8000 Hz.
    std::uint32_t noise = 12345;
    for (const int rate : {44100, 8000, 900}) {
        std::vector<float> input(60000);
        for (std::size_t i = 0; i < input.size(); ++i) {
            noise = noise * 1664525u + 1013904223u;
            const double t = static_cast<double>(i) / rate;
            input[i] =
                static_cast<float>(12000.0 * std::sin(2.0 * std::numbers::pi * 300.0 * t * t) +
                                   static_cast<int>(noise >> 20) - 2048);
        }
        const std::vector<std::int16_t> reference = Resample(input, rate, input.size());
        struct Sizes {
            std::size_t block;
            std::size_t capacity;
        };
        for (const Sizes s : {Sizes{1, 0}, Sizes{777, 0}, Sizes{4096, 0}, Sizes{16384, 0},
                              Sizes{777, 3}, Sizes{4096, 1}}) {
            EXPECT_EQ(Resample(input, rate, s.block, s.capacity), reference)
                << rate << " Hz, block " << s.block << ", capacity " << s.capacity;
        }
    }
}

}  // namespace
}  // namespace kelmoro::test
