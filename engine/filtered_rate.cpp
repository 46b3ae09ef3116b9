// The band-limited rate change: libsoxr's high-quality recipe on one channel
// of 32-bit floats, streamed block by block, its output rounded and clipped
// to 16-bit samples. The only unit that depends on libsoxr.
#include "filtered_rate.h"

#include <soxr.h>

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace kelmoro {
namespace {

// libsoxr writes into this many floats at a time before they are rounded.
constexpr std::size_t kScratchSamples = 8192;

// Headroom above count x ratio for what the filter may hand out at once: a
// full scratch block that earlier input left pending, plus rounding.
constexpr std::size_t kOutputSlack = kScratchSamples + 16;

// Nearest 16-bit value, halves away from zero; overshoots clip to the ends.
// Clipping comes first, so the conversion never wraps.
void RoundAndClip(const float* in, std::size_t count, std::int16_t* out) {
    for (std::size_t i = 0; i < count; ++i) {
        const float clipped = std::clamp(in[i], -32768.0f, 32767.0f);
        out[i] = static_cast<std::int16_t>(clipped + (clipped < 0.0f ? -0.5f : 0.5f));
    }
}

}  // namespace

FilteredRate::FilteredRate() = default;

FilteredRate::~FilteredRate() {
    if (resampler_ != nullptr) soxr_delete(resampler_);
}

bool FilteredRate::Start(int sourceRate, int targetRate) {
    if (resampler_ != nullptr) soxr_delete(resampler_);
    resampler_ = nullptr;
    finished_ = false;
    error_.clear();
    if (sourceRate <= 0 || targetRate <= 0) {
        error_ = "sample rate out of range";
        return false;
    }
    const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
    const soxr_runtime_spec_t runtime = soxr_runtime_spec(1);
    soxr_error_t failure = nullptr;
    resampler_ = soxr_create(sourceRate, targetRate, 1, &failure, &io, &quality, &runtime);
    if (failure != nullptr || resampler_ == nullptr) {
        error_ = failure != nullptr ? failure : "libsoxr could not create a resampler";
        if (resampler_ != nullptr) soxr_delete(resampler_);
        resampler_ = nullptr;
        return false;
    }
    scratch_.resize(kScratchSamples);
    return true;
}

// Feeds `count` samples (none and flushing when `in` is null) and rounds
// what comes out into `out`. libsoxr is never asked for more than `out` has
// room for: what is due beyond that stays inside it, where its stages hold
// it at the input's rate, and comes out with the next call. Held out here
// at the output's rate instead, a flush from 1 Hz would take megabytes.
std::size_t FilteredRate::Run(const float* in, std::size_t count, std::int16_t* out,
                              std::size_t outCapacity) {
    std::size_t written = 0;
    if (resampler_ == nullptr || !error_.empty()) return written;
    std::size_t consumed = 0;
    for (;;) {
        const std::size_t room = std::min(scratch_.size(), outCapacity - written);
        if (room == 0) {
            // `out` is full: libsoxr keeps the rest of the input.
            if (in != nullptr && consumed < count) Keep(in + consumed, count - consumed);
            return written;
        }
        std::size_t used = 0;
        std::size_t produced = 0;
        // With `used` given, libsoxr takes only the input it can turn into
        // output within `room`, so nothing piles up inside it. Once the
        // block is all taken, the same pointer with no samples left collects
        // what is still due; only a null input means the end.
        const soxr_error_t failure =
            soxr_process(resampler_, in == nullptr ? nullptr : in + consumed, count - consumed,
                         in == nullptr ? nullptr : &used, scratch_.data(), room, &produced);
        if (failure != nullptr) {
            error_ = failure;
            return written;
        }
        consumed += used;
        RoundAndClip(scratch_.data(), produced, out + written);
        written += produced;
        if (in == nullptr) {
            // Flushing: done once the filter is empty.
            if (produced == 0) {
                finished_ = true;
                return written;
            }
        } else if (consumed == count && produced < room) {
            return written;  // all input taken and nothing more ready
        } else if (used == 0 && produced == 0) {
            // No progress: hand libsoxr the rest to keep; it comes out later.
            Keep(in + consumed, count - consumed);
            return written;
        }
    }
}

// Hands libsoxr input to keep, taking no output: with no `used` to report
// it takes all of it.
void FilteredRate::Keep(const float* in, std::size_t count) {
    std::size_t produced = 0;
    const soxr_error_t failure =
        soxr_process(resampler_, in, count, nullptr, scratch_.data(), 0, &produced);
    if (failure != nullptr) error_ = failure;
}

std::size_t FilteredRate::Process(const float* in, std::size_t count, std::int16_t* out,
                                  std::size_t outCapacity) {
    // A null input would tell libsoxr that the stream has ended.
    static constexpr float kNoInput = 0.0f;
    return Run(count == 0 ? &kNoInput : in, count, out, outCapacity);
}

std::size_t FilteredRate::Finish(std::int16_t* out, std::size_t outCapacity) {
    if (finished_) return 0;
    return Run(nullptr, 0, out, outCapacity);
}

std::size_t FilteredRate::OutputCapacityFor(std::size_t inputCount, int sourceRate,
                                            int targetRate) {
    if (sourceRate <= 0 || targetRate <= 0) return kOutputSlack;
    const double ratio = static_cast<double>(targetRate) / sourceRate;
    return static_cast<std::size_t>(std::ceil(static_cast<double>(inputCount) * ratio)) +
           kOutputSlack;
}

std::size_t FilteredRate::InputCountFor(std::size_t outCapacity, int sourceRate, int targetRate) {
    if (sourceRate <= 0 || targetRate <= 0 || outCapacity <= kOutputSlack + 1) return 1;
    const double ratio = static_cast<double>(sourceRate) / targetRate;
    const double count = std::floor(static_cast<double>(outCapacity - kOutputSlack - 1) * ratio);
    return count < 1.0 ? 1 : static_cast<std::size_t>(count);
}

}  // namespace kelmoro
