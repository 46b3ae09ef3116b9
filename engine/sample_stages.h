// The three stages that turn a block of samples read from a WAV file into
// what an AU file holds, each in place on the context's block: stereo to
// mono, 8012 Hz by keeping or dropping whole samples, and linear to mu-law.
// The rate stage carries its running time from one block to the next, so
// that a file in blocks keeps exactly the frames it would keep in one piece.
#pragma once

#include <cstdint>
#include <string>

#include "convert_context.h"
#include "convert_host.h"

namespace kelmoro {

// Mixes two channels to one: (left + right) / 2, rounding toward zero.
bool ToMono(CConvertContext& context);

// Keeps or drops whole frames of the block so that the output holds about
// `targetRate` frames per second, without filtering. Rates below the target
// keep every frame. The sample rate field keeps the source rate. Works
// within the arrays it is given. False when there are frames and either
// rate is zero or negative.
bool ChangeRate(CConvertContext& context, int targetRate);

// How many of `frames` frames at `sourceRate` the rate stage keeps, counted
// without touching samples (for a header that must be written first).
std::int64_t KeptFrames(std::int64_t frames, int sourceRate, int targetRate);

// Converts "PCM" to "Mu-Law"; any other change is reported through the host
// as not available and gives false.
bool ChangeEncoding(CConvertContext& context, CConvertHost& host, const std::string& target);

// The mu-law code of one linear 16-bit sample, zero trap included.
std::uint8_t MuLawEncode(std::int32_t sample);

}  // namespace kelmoro
