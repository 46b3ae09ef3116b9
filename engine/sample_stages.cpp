// Stereo to mono, rate change by dropping samples, linear to mu-law.
#include "sample_stages.h"

#include <array>

#include "format_constants.h"
#include "messages.h"

namespace kelmoro {
namespace {

// Entry n is the whole part of log2 n (entry 0 is 0): the exponent of a
// biased magnitude, indexed by its bits 7 to 14.
constexpr std::array<std::uint8_t, 256> MakeExponentTable() {
    std::array<std::uint8_t, 256> table{};
    for (int n = 2; n < 256; ++n) table[n] = static_cast<std::uint8_t>(table[n / 2] + 1);
    return table;
}
constexpr std::array<std::uint8_t, 256> kExponentTable = MakeExponentTable();

constexpr std::uint8_t EncodeOne(std::int32_t sample) {
    int sign = 0;
    // Widened so that the most negative 32-bit value negates safely.
    std::int64_t magnitude = sample;
    if (magnitude < 0) {
        sign = 0x80;
        magnitude = -magnitude;
    }
    if (magnitude > kMuLawClip) magnitude = kMuLawClip;
    const int biased = static_cast<int>(magnitude) + kMuLawBias;
    const int exponent = kExponentTable[(biased >> 7) & 0xFF];
    const int mantissa = (biased >> (exponent + 3)) & 0x0F;
    const auto code = static_cast<std::uint8_t>(~(sign | (exponent << 4) | mantissa));
    return code == 0x00 ? kMuLawZeroTrapCode : code;
}

// The code of every sample in the 16-bit range, which is all the reader and
// the mix produce: one load per sample instead of a dozen operations.
constexpr std::int32_t kTableLow = -32768;
std::array<std::uint8_t, 65536> MakeCodeTable() {
    std::array<std::uint8_t, 65536> table{};
    for (std::int32_t i = 0; i < 65536; ++i) table[i] = EncodeOne(i + kTableLow);
    return table;
}
// Filled as the program starts (a fraction of a millisecond); too many steps
// for every compiler to evaluate while compiling.
const std::array<std::uint8_t, 65536> kCodeTable = MakeCodeTable();

}  // namespace

std::uint8_t MuLawEncode(std::int32_t sample) {
    // Unsigned, so that samples far outside the range wrap to large indices.
    const std::uint32_t index =
        static_cast<std::uint32_t>(sample) - static_cast<std::uint32_t>(kTableLow);
    return index < kCodeTable.size() ? kCodeTable[index] : EncodeOne(sample);
}

bool ToMono(CConvertContext& context) {
    if (context.channels == 1) return true;
    std::int32_t* left = context.left.data();
    const std::int32_t* right = context.right.data();
    const std::int64_t frames = context.frameCount;
    // The reader accepts one or two channels, so a right array means two.
    // A constant divisor becomes a shift: a division per frame would cost
    // more than everything else in this loop.
    if (right != nullptr) {
        for (std::int64_t i = 0; i < frames; ++i) left[i] = (left[i] + right[i]) / 2;
    }
    context.channels = 1;
    context.right.Clear();  // its memory stays for the next stereo block
    return true;
}

namespace {

// The rate stage's clock: one double-precision addition per input frame, in
// frame order; a frame is kept when the running time passes the output's
// period. Which frames are kept depends on the exact rounding of this
// chain, so the stage and the count made ahead of it share it.
class RateClock {
public:
    RateClock(int sourceRate, int targetRate, double start)
        : step_(1.0 / sourceRate), threshold_(1.0 / targetRate), time_(start) {}
    bool Keeps() {
        time_ += step_;
        if (time_ <= threshold_) return false;
        time_ -= threshold_;
        return true;
    }
    double Time() const { return time_; }

private:
    double step_;
    double threshold_;
    double time_;
};

}  // namespace

bool ChangeRate(CConvertContext& context, int targetRate) {
    // Without this, frame 0 would be dropped: one step equals the threshold.
    if (targetRate == context.sampleRate) return true;
    const std::int64_t frames = context.frameCount;
    if (frames == 0) return true;
    if (context.sampleRate <= 0 || targetRate <= 0) return false;

    // The clock carries over from block to block.
    RateClock clock(context.sampleRate, targetRate, context.rateAccumulator);
    const bool stereo = context.channels == 2 && context.right.data() != nullptr;
    // The kept frames move down within the arrays they are in: output frame k
    // comes from an input frame at k or later, so nothing is overwritten
    // before it is read. The copy is made for every frame and only counted
    // when kept, so that the one branch is the clock's.
    std::int32_t* left = context.left.data();
    std::int32_t* right = context.right.data();
    std::int64_t kept = 0;
    for (std::int64_t i = 0; i < frames; ++i) {
        left[kept] = left[i];
        if (stereo) right[kept] = right[i];
        if (clock.Keeps()) ++kept;
    }
    context.rateAccumulator = clock.Time();
    context.frameCount = static_cast<std::int32_t>(kept);
    return true;
}

std::int64_t KeptFrames(std::int64_t frames, int sourceRate, int targetRate) {
    if (sourceRate == targetRate || frames == 0) return frames;
    if (sourceRate <= 0 || targetRate <= 0) return 0;
    RateClock clock(sourceRate, targetRate, 0.0);
    std::int64_t kept = 0;
    for (std::int64_t i = 0; i < frames; ++i) kept += clock.Keeps() ? 1 : 0;
    return kept;
}

bool ChangeEncoding(CConvertContext& context, CConvertHost& host, const std::string& target) {
    if (target == context.encodingName) return true;
    if (target != kEncodingMuLaw || context.encodingName != kEncodingPcm) {
        host.ReportError(kUnimplementedEncodingChange);
        return false;
    }
    for (SampleBlock* samples : {&context.left, &context.right}) {
        std::int32_t* data = samples->data();
        if (data == nullptr) continue;
        const std::int64_t frames = context.frameCount;
        for (std::int64_t i = 0; i < frames; ++i) data[i] = MuLawEncode(data[i]);
    }
    context.encodingName = kEncodingMuLaw;
    return true;
}

}  // namespace kelmoro
