// A streaming, band-limited rate change to the AU rate, built on libsoxr's
// high-quality recipe: the alternative to keeping and dropping whole samples
// when images of the frequencies above the target's Nyquist must not fold
// back into the band.
//
// Contract:
// - One instance converts one mono stream. Start() once, then Process() for
//   every block of input in order, then Finish() until it returns 0.
// - Input is mono, on the 16-bit scale (-32768 to 32767) at full precision:
//   stereo is mixed by the caller as (l + r) / 2.0, never truncated.
// - Output samples are rounded to the nearest integer (halves away from
//   zero) and clipped to [-32768, 32767]; a filtered full-scale signal that
//   overshoots clips and never wraps.
// - Process() always consumes the whole input block. What does not fit in
//   `out` stays inside libsoxr and comes out first with the next Process()
//   or Finish() call, so nothing is lost. With outCapacity from
//   OutputCapacityFor(count) nothing stays behind from 8000 Hz up (measured
//   from 900 Hz up with any block size); far below that, libsoxr's bursts
//   may come out over several calls.
// - About count x targetRate / sourceRate samples come out in total; the
//   filter's delay is compensated, so output sample n lies at time n / target.
// - The caller passes a stream already at the target rate through unchanged
//   instead of resampling it; rates below the target are upsampled.
// - Memory is fixed by the rates and the block size, not by the stream's length.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct soxr;  // libsoxr's resampler, known only to filtered_rate.cpp

namespace kelmoro {

class FilteredRate {
public:
    FilteredRate();
    ~FilteredRate();
    FilteredRate(const FilteredRate&) = delete;
    FilteredRate& operator=(const FilteredRate&) = delete;

    // Prepares a resampler from sourceRate to targetRate (both positive).
    // False when the rates are refused or libsoxr fails; Error() says why.
    bool Start(int sourceRate, int targetRate);

    // Resamples `count` input samples; writes at most outCapacity samples to
    // `out` and returns how many. A libsoxr failure leaves Error() non-empty
    // and returns what was written until then.
    std::size_t Process(const float* in, std::size_t count, std::int16_t* out,
                        std::size_t outCapacity);

    // Drains the filter at the end of the input: writes at most outCapacity
    // samples and returns how many; call until it returns 0.
    std::size_t Finish(std::int16_t* out, std::size_t outCapacity);

    // Empty while all is well; libsoxr's message after a failure.
    const std::string& Error() const { return error_; }

    // A capacity for Process's `out`: count x ratio plus room for one burst of
    // libsoxr's output. It grows with the ratio: for a large rise in rate,
    // size the input blocks with InputCountFor instead.
    static std::size_t OutputCapacityFor(std::size_t inputCount, int sourceRate, int targetRate);

    // The largest input block (at least 1) whose output fits in
    // `outCapacity` by the bound above; for example 64 Ki output samples at
    // most from 1 Hz input take 7 input samples a block.
    static std::size_t InputCountFor(std::size_t outCapacity, int sourceRate, int targetRate);

private:
    std::size_t Run(const float* in, std::size_t count, std::int16_t* out, std::size_t outCapacity);
    void Keep(const float* in, std::size_t count);

    ::soxr* resampler_ = nullptr;
    std::vector<float> scratch_;  // libsoxr's output before rounding
    bool finished_ = false;
    std::string error_;
};

}  // namespace kelmoro
