// The RIFF WAVE reader: header, chunk walk, format chunk, sample decoding.
#include "wave_reader.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>

#include "format_constants.h"
#include "messages.h"
#include "progress_steps.h"

namespace kelmoro {
namespace {

using ChunkId = std::array<char, 4>;

// The input is read this many bytes at a time.
constexpr std::int64_t kBlockBytes = 512 * 1024;
// The stages take this many frames at a time: a few arrays of them stay in
// the processor's cache.
constexpr std::int64_t kStageFrames = 4096;

std::uint16_t Le16(const unsigned char* bytes) {
    return static_cast<std::uint16_t>(bytes[0] | (bytes[1] << 8));
}

std::uint32_t Le32(const unsigned char* bytes) {
    return static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8) |
           (static_cast<std::uint32_t>(bytes[2]) << 16) |
           (static_cast<std::uint32_t>(bytes[3]) << 24);
}

std::uint64_t Le64(const unsigned char* bytes) {
    return static_cast<std::uint64_t>(Le32(bytes)) | (static_cast<std::uint64_t>(Le32(bytes + 4)) << 32);
}

bool ReadExactly(platform::InputFile& file, void* destination, std::size_t count) {
    return file.Read(destination, count) == count;
}

bool ReadU16(platform::InputFile& file, std::uint16_t& value) {
    unsigned char bytes[2];
    if (!ReadExactly(file, bytes, sizeof bytes)) return false;
    value = Le16(bytes);
    return true;
}

bool ReadU32(platform::InputFile& file, std::uint32_t& value) {
    unsigned char bytes[4];
    if (!ReadExactly(file, bytes, sizeof bytes)) return false;
    value = Le32(bytes);
    return true;
}

bool Fail(CConvertHost& host, const std::string& message) {
    host.ReportError(message);
    return false;
}

bool ReadError(CConvertHost& host) { return Fail(host, kDataReadError); }

// Whether the 32-bit RIFF size bounds the chunk walk. Writers that cannot go
// back to fill it in leave 0xFFFFFFFF (ffmpeg to a pipe, or cut off; RF64 and
// BW64 always, with the real size in 'ds64') or 0 (tinyalsa's tinycap, WAV
// files taken out of Unity games); nothing at or below the 12 bytes of the
// header itself, nor a count of 2^31 or more, can be a real size.
bool RiffSizeKnown(std::uint32_t riffSize) {
    return riffSize > kRiffHeaderSize && riffSize <= kLargestChunkSize;
}

bool IsSupportedSampleSize(std::uint16_t bits) {
    return bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

// Reads a "fmt " chunk body of declared `size`; the file stands just after
// the chunk header.
bool ReadFormatChunk(CConvertContext& context, CConvertHost& host, std::uint32_t size) {
    platform::InputFile& file = context.inputFile;
    const std::string& path = context.inputPath;
    std::uint16_t formatTag = 0;
    if (!ReadU16(file, formatTag)) return ReadError(host);
    if (formatTag != kFormatTagPcm && formatTag != kFormatTagExtensible) {
        return Fail(host, FileReadError(path, kUnidentifiedEncoding));
    }
    std::uint16_t channels = 0;
    if (!ReadU16(file, channels)) return ReadError(host);
    if (channels > kMaxChannels) return Fail(host, kTooManyChannels);
    std::uint32_t sampleRate = 0;
    std::uint32_t bytesPerSecond = 0;
    std::uint16_t blockAlign = 0;
    std::uint16_t bitsPerSample = 0;
    if (!ReadU32(file, sampleRate) || !ReadU32(file, bytesPerSecond) ||
        !ReadU16(file, blockAlign) || !ReadU16(file, bitsPerSample)) {
        return ReadError(host);
    }
    std::uint32_t consumed = kFormatFieldsSize;
    if (formatTag == kFormatTagExtensible) {
        // Only the PCM sub-format is integer PCM; float and compressed
        // sub-formats share the same tag.
        if (size < kExtensibleFormatSize) return Fail(host, FileReadError(path, kUnidentifiedEncoding));
        unsigned char extension[kExtensionSize];
        if (!ReadExactly(file, extension, sizeof extension)) return ReadError(host);
        if (std::memcmp(extension + 8, kPcmSubFormatGuid.data(), kPcmSubFormatGuid.size()) != 0) {
            return Fail(host, FileReadError(path, kUnidentifiedEncoding));
        }
        consumed = kExtensibleFormatSize;
    }
    if (channels == 0) return Fail(host, FileReadError(path, kNoChannels));
    if (!IsSupportedSampleSize(bitsPerSample)) {
        return Fail(host, FileReadError(path, kUnsupportedSampleSize));
    }
    context.encodingName = kEncodingPcm;
    context.channels = channels;
    context.sampleRate = static_cast<std::int32_t>(sampleRate);
    context.bitsPerSample = bitsPerSample;
    if (!SkipWords(context, consumed, size)) return ReadError(host);
    context.formatSeen = true;
    return true;
}

// One sample of `Bytes` bytes, little-endian, brought to the 16-bit range.
template <int Bytes>
std::int32_t DecodeSample(const unsigned char* bytes) {
    if constexpr (Bytes == 1) {
        return static_cast<std::int32_t>(bytes[0]) * 256 - 32768;
    } else if constexpr (Bytes == 2) {
        return static_cast<std::int16_t>(Le16(bytes));
    } else if constexpr (Bytes == 3) {
        // Assemble in the top 24 bits, then shift arithmetically: top 16 bits.
        auto word = static_cast<std::int32_t>((static_cast<std::uint32_t>(bytes[0]) << 8) |
                                              (static_cast<std::uint32_t>(bytes[1]) << 16) |
                                              (static_cast<std::uint32_t>(bytes[2]) << 24));
        return word >> 16;
    } else {
        return static_cast<std::int32_t>(Le32(bytes)) >> 16;
    }
}

template <int Bytes, int Channels>
void DecodeFrames(const unsigned char* bytes, std::int32_t* left, std::int32_t* right,
                  std::int64_t count) {
    for (std::int64_t i = 0; i < count; ++i) {
        left[i] = DecodeSample<Bytes>(bytes);
        if constexpr (Channels == 2) right[i] = DecodeSample<Bytes>(bytes + Bytes);
        bytes += Bytes * Channels;
    }
}

using FrameDecoder = void (*)(const unsigned char*, std::int32_t*, std::int32_t*, std::int64_t);

FrameDecoder DecoderFor(int bytesPerSample, int channels) {
    static constexpr FrameDecoder kDecoders[4][2] = {
        {DecodeFrames<1, 1>, DecodeFrames<1, 2>},
        {DecodeFrames<2, 1>, DecodeFrames<2, 2>},
        {DecodeFrames<3, 1>, DecodeFrames<3, 2>},
        {DecodeFrames<4, 1>, DecodeFrames<4, 2>},
    };
    return kDecoders[bytesPerSample - 1][channels - 1];
}

// Reads the samples of a data chunk of `size` bytes (kUnknownSize64: up to
// the end of the input) in blocks; the file stands just after the chunk header.
bool ReadSamples(CConvertContext& context, CConvertHost& host, std::uint64_t size, BlockSink sink) {
    platform::InputFile& file = context.inputFile;
    const int channels = context.channels;
    const int bytesPerSample = context.bitsPerSample / 8;
    const int frameBytes = bytesPerSample * channels;
    // Streaming writers leave 0xFFFFFFFF, or a size larger than what followed
    // (sox to a pipe: 0x7FFFF000); only the whole frames really in the input
    // are read. A file is measured here; a pipe's data ends where the stream
    // does, which comes before any count a signed 64-bit number cannot hold
    // (a hostile 'ds64' size).
    const bool fromFile = file.SizeKnown();
    const bool toTheEnd = size == kUnknownSize64;
    const std::uint64_t dataBytes = fromFile ? std::min(size, file.Remaining()) : size;
    const auto total = static_cast<std::int64_t>(
        std::min<std::uint64_t>(dataBytes / static_cast<std::uint64_t>(frameBytes),
                                std::numeric_limits<std::int64_t>::max()));
    context.dataFrames = fromFile ? total : -1;

    const FrameDecoder decode = DecoderFor(bytesPerSample, channels);
    const std::int64_t kReadFrames = kBlockBytes / frameBytes;
    if (!context.readBlock) {
        context.readBlock = std::make_unique_for_overwrite<unsigned char[]>(kBlockBytes);
    }
    unsigned char* const block = context.readBlock.get();
    const auto blockRoom = static_cast<std::size_t>(std::min(kStageFrames, total));
    if (!context.left.Allocate(blockRoom) || (channels == 2 && !context.right.Allocate(blockRoom))) {
        return ReadError(host);
    }
    context.frameCount = 0;

    // A stream of unknown length has no end to measure progress against.
    const bool showProgress = fromFile || !toTheEnd;
    const ProgressSteps progress(total, 0, 90);
    int lastPosition = 1;
    for (std::int64_t readStart = 0; readStart < total;) {
        std::int64_t readFrames = std::min(kReadFrames, total - readStart);
        const auto wanted = static_cast<std::size_t>(readFrames * frameBytes);
        const std::size_t got = file.Read(block, wanted);
        bool ended = false;
        if (got < wanted) {
            // A file was measured when it was opened; one cut short since
            // then must not yield samples made from stale bytes.
            if (fromFile) return ReadError(host);
            readFrames = static_cast<std::int64_t>(got) / frameBytes;
            ended = true;
        }
        // Checked once a frame is in hand: a pipe's first read is the first
        // moment it is known that there is one.
        if (readFrames > 0 && context.sampleRate <= 0) {
            return Fail(host, FileReadError(context.inputPath, kUnsupportedSampleRate));
        }
        const std::int64_t readEnd = readStart + readFrames;
        const bool lastRead = ended || readEnd >= total;
        // The stages take the samples a small block at a time, which stays
        // in the processor's cache from decoding to encoding.
        for (std::int64_t blockStart = readStart; blockStart < readEnd || readStart == readEnd;) {
            const std::int64_t blockEnd = std::min(readEnd, blockStart + kStageFrames);
            // Each block starts with the channels the file has.
            context.channels = channels;
            context.encodingName = kEncodingPcm;
            if (channels == 2 && !context.right.Allocate(blockRoom)) return ReadError(host);
            std::int32_t* left = context.left.data();
            std::int32_t* right = channels == 2 ? context.right.data() : nullptr;
            // Decoded a progress step at a time, so that the bar moves as it
            // would if every frame were read on its own.
            auto decodePiece = [&](std::int64_t from, std::int64_t to) {
                const std::int64_t offset = from - blockStart;
                decode(block + (from - readStart) * frameBytes, left + offset,
                       right == nullptr ? nullptr : right + offset, to - from);
                return true;
            };
            if (showProgress) {
                progress.Walk(blockStart, blockEnd, lastPosition, host, decodePiece);
            } else {
                decodePiece(blockStart, blockEnd);
            }
            context.frameCount = static_cast<std::int32_t>(blockEnd - blockStart);
            blockStart = blockEnd;
            if (lastRead && blockStart >= readEnd) break;
            if (sink != nullptr) {
                context.finalBlock = false;
                sink(context, host);
                context.finalBlock = true;
            }
        }
        readStart = readEnd;
        if (lastRead) break;
    }
    return true;
}

}  // namespace

bool SkipWords(CConvertContext& context, std::uint32_t consumed, std::uint32_t size) {
    const std::uint64_t padded = static_cast<std::uint64_t>(size) + (size & 1u);
    const std::uint64_t body = size > consumed ? size - consumed : 0;
    const std::uint64_t skip = padded > consumed ? padded - consumed : 0;
    platform::InputFile& file = context.inputFile;
    // The body must be there; a pad byte missing at the very end is tolerated.
    // A pipe's length is not known: there the pass-over itself finds out.
    if (file.Remaining() < body) return false;
    return file.Skip(skip) >= body;
}

bool ReadWave(CConvertContext& context, CConvertHost& host, BlockSink sink) {
    platform::InputFile& file = context.inputFile;
    const std::string& path = context.inputPath;
    if (!file.Seek(0)) return ReadError(host);

    ChunkId tag{};
    if (!ReadExactly(file, tag.data(), tag.size())) return ReadError(host);
    const bool sizes64 = tag == kRf64Id || tag == kBw64Id;
    if (tag != kRiffId && !sizes64) return Fail(host, FileReadError(path, kNotRiff));
    std::uint32_t riffSize = 0;
    ReadU32(file, riffSize);  // a short read here fails the next one
    if (!ReadExactly(file, tag.data(), tag.size())) return ReadError(host);
    if (tag != kWaveId) return Fail(host, FileReadError(path, kNotWave));

    context.formatSeen = false;
    std::uint64_t count = kRiffHeaderSize;
    // Without a RIFF size the chunks end where the input does, on a file as
    // on a pipe, so that the same bytes read alike from both.
    std::uint64_t walkEnd = RiffSizeKnown(riffSize) ? riffSize : kUnknownSize64;
    std::uint64_t dataSize64 = kUnknownSize64;
    while (count < walkEnd) {
        unsigned char header[kChunkHeaderSize];
        const std::size_t got = file.Read(header, sizeof header);
        if (got == 0 && walkEnd == kUnknownSize64) return true;  // no data chunk: zero frames
        if (got != sizeof header) return ReadError(host);
        count += kChunkHeaderSize;
        ChunkId id;
        std::memcpy(id.data(), header, id.size());
        const std::uint32_t size = Le32(header + 4);

        if (id == kDataChunkId) {
            if (!context.formatSeen) return Fail(host, std::string(kReadErrorPrefix) + kDataBeforeFormat);
            // RF64 gives the data size in 'ds64' and 0xFFFFFFFF here; ffmpeg's
            // piped WAV has 0xFFFFFFFF and no 'ds64': both read to the end.
            return ReadSamples(context, host, size == kUnknownSize32 ? dataSize64 : size, sink);
        }
        if (size > kLargestChunkSize) return ReadError(host);
        if (id == kFormatChunkId) {
            if (!ReadFormatChunk(context, host, size)) return false;
        } else if (id == kFactChunkId) {
            std::uint32_t ignored = 0;
            if (!ReadU32(file, ignored) || !SkipWords(context, kFactFieldsSize, size)) {
                return ReadError(host);
            }
        } else if (id == kDataSize64ChunkId && sizes64 && size >= kDataSize64FieldsSize) {
            unsigned char fields[kDataSize64FieldsSize];
            if (!ReadExactly(file, fields, sizeof fields) ||
                !SkipWords(context, kDataSize64FieldsSize, size)) {
                return ReadError(host);
            }
            const std::uint64_t riffSize64 = Le64(fields + kDataSize64RiffSizeOffset);
            dataSize64 = Le64(fields + kDataSize64DataSizeOffset);
            // ffmpeg writing RF64 to a pipe leaves both sizes at 0, unfilled:
            // its data runs to the end of the stream, and its chunks end
            // there too. All ones bounds nothing either.
            if (dataSize64 == kUnfilledSize64) dataSize64 = kUnknownSize64;
            if (riffSize == kUnknownSize32 && riffSize64 > kRiffHeaderSize &&
                riffSize64 != kUnknownSize64) {
                walkEnd = riffSize64;
            }
        } else if (!SkipWords(context, 0, size)) {
            return ReadError(host);
        }
        count += static_cast<std::uint64_t>(size) + (size & 1u);
    }
    return true;  // no data chunk: zero frames
}

}  // namespace kelmoro
