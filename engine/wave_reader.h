// Reads the context's open input as a RIFF WAVE file (or RF64/BW64), moving
// the host's progress bar from 1 towards 90. The samples of the data chunk
// come in blocks: each block but the last is decoded into the context and
// handed to `sink`; the last one stays in the context when ReadWave returns.
// Accepts integer PCM (format tag 1, or WAVE_FORMAT_EXTENSIBLE with the PCM
// sub-format) with one or two channels and 8, 16, 24 or 32 bits per sample;
// 24- and 32-bit samples keep their top 16 bits. Anything else, and any file
// cut short before its data, is reported through the host and gives false.
// A file without a data chunk reads as zero frames. The same bytes read
// alike from a file and from a pipe: sizes that streaming writers cannot
// know (a RIFF size of 0xFFFFFFFF or 0, a data size of 0xFFFFFFFF, RF64's
// unfilled 'ds64') mean "up to the end of the input", and a data chunk
// declared longer than the input ends with the input's last whole frame.
#pragma once

#include <cstdint>

#include "convert_context.h"
#include "convert_host.h"

namespace kelmoro {

// Takes one block of the data chunk on its way; more blocks follow.
using BlockSink = void (*)(CConvertContext& context, CConvertHost& host);

bool ReadWave(CConvertContext& context, CConvertHost& host, BlockSink sink = nullptr);

// Passes over the rest of a chunk body of declared `size` of which `consumed`
// bytes have been read, and the pad byte after an odd-sized body. False when
// the body runs past the end of the file (a missing final pad byte is fine).
bool SkipWords(CConvertContext& context, std::uint32_t consumed, std::uint32_t size);

}  // namespace kelmoro
