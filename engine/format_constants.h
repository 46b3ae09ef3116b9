// Every binary-format constant the engine uses: RIFF/WAVE chunk ids and
// format tags, the AU header, and the mu-law encoder's constants.
#pragma once

#include <array>
#include <cstdint>

namespace kelmoro {

// ---- RIFF WAVE -------------------------------------------------------------
inline constexpr std::array<char, 4> kRiffId{'R', 'I', 'F', 'F'};
// RF64 (EBU Tech 3306) and BW64 (ITU-R BS.2088): RIFF with 64-bit sizes in
// a 'ds64' chunk, standing in for the 32-bit fields that hold 0xFFFFFFFF.
inline constexpr std::array<char, 4> kRf64Id{'R', 'F', '6', '4'};
inline constexpr std::array<char, 4> kBw64Id{'B', 'W', '6', '4'};
inline constexpr std::array<char, 4> kDataSize64ChunkId{'d', 's', '6', '4'};
// RIFF size, data size and sample count, 64 bits each; a table may follow.
inline constexpr std::uint32_t kDataSize64FieldsSize = 24;
inline constexpr std::uint32_t kDataSize64RiffSizeOffset = 0;
inline constexpr std::uint32_t kDataSize64DataSizeOffset = 8;
// The sample count at offset 16 is never read: the data size gives the
// frames, and streaming writers leave the count at 0 like the sizes.
inline constexpr std::array<char, 4> kWaveId{'W', 'A', 'V', 'E'};
inline constexpr std::array<char, 4> kFormatChunkId{'f', 'm', 't', ' '};
inline constexpr std::array<char, 4> kFactChunkId{'f', 'a', 'c', 't'};
inline constexpr std::array<char, 4> kDataChunkId{'d', 'a', 't', 'a'};

inline constexpr std::uint32_t kRiffHeaderSize = 12;  // "RIFF", size, "WAVE"
inline constexpr std::uint32_t kChunkHeaderSize = 8;  // id, size
// A chunk size is a signed 32-bit count; 2^31 and more cannot be real.
inline constexpr std::uint32_t kLargestChunkSize = 0x7FFFFFFF;
// What streaming writers (ffmpeg to a pipe) put in a size they cannot know,
// and what RF64 puts in a 32-bit size that its 'ds64' chunk gives instead.
inline constexpr std::uint32_t kUnknownSize32 = 0xFFFFFFFF;
// The 64-bit sizes of 'ds64' that say nothing: ffmpeg writing RF64 to a pipe
// cannot go back to fill them in and leaves 0; all ones is the 64-bit twin
// of 0xFFFFFFFF.
inline constexpr std::uint64_t kUnfilledSize64 = 0;
inline constexpr std::uint64_t kUnknownSize64 = ~std::uint64_t{0};

inline constexpr std::uint16_t kFormatTagPcm = 0x0001;
inline constexpr std::uint16_t kFormatTagExtensible = 0xFFFE;
// Tag, channels, rate, bytes per second, block align, bits per sample.
inline constexpr std::uint32_t kFormatFieldsSize = 16;
// cbSize, valid bits, channel mask, sub-format GUID.
inline constexpr std::uint32_t kExtensionSize = 24;
inline constexpr std::uint32_t kExtensibleFormatSize = kFormatFieldsSize + kExtensionSize;
// KSDATAFORMAT_SUBTYPE_PCM, 00000001-0000-0010-8000-00AA00389B71, as stored.
inline constexpr std::array<std::uint8_t, 16> kPcmSubFormatGuid{
    0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
    0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
inline constexpr std::uint32_t kFactFieldsSize = 4;  // sample length, ignored

inline constexpr int kMaxChannels = 2;

// ---- Sun AU ----------------------------------------------------------------
inline constexpr std::array<std::uint8_t, 4> kAuMagic{'.', 's', 'n', 'd'};
inline constexpr std::uint32_t kAuHeaderSize = 28;
inline constexpr std::uint32_t kAuEncodingMuLaw8 = 1;
inline constexpr std::uint32_t kAuChannels = 1;
inline constexpr std::uint32_t kAuAnnotation = 0;
inline constexpr int kTargetRate = 8012;  // not 8000: the header says 8012 too
inline constexpr std::uint32_t kAuDataSizeOffset = 8;
// AU's "unknown size": for data sizes that do not fit, and on a pipe when
// the size cannot be known before the samples.
inline constexpr std::uint32_t kAuUnknownDataSize = 0xFFFFFFFF;

// ---- mu-law ----------------------------------------------------------------
inline constexpr int kMuLawClip = 32635;  // largest magnitude encoded
inline constexpr int kMuLawBias = 0x84;
inline constexpr std::uint8_t kMuLawZeroTrapCode = 0x02;  // written instead of 0x00

// ---- Encoding names held by the context --------------------------------------
inline constexpr const char* kEncodingPcm = "PCM";
inline constexpr const char* kEncodingMuLaw = "Mu-Law";

}  // namespace kelmoro
