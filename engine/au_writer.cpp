// The AU writer: the three stages on each block, the 28-byte header, one
// mu-law byte per frame, and the data size once the last frame is known.
#include "au_writer.h"

#include <algorithm>
#include <array>

#include "format_constants.h"
#include "messages.h"
#include "platform/output_file.h"
#include "progress_steps.h"
#include "sample_stages.h"

namespace kelmoro {
namespace {

void PutBe32(std::uint8_t* out, std::uint32_t value) {
    out[0] = static_cast<std::uint8_t>(value >> 24);
    out[1] = static_cast<std::uint8_t>(value >> 16);
    out[2] = static_cast<std::uint8_t>(value >> 8);
    out[3] = static_cast<std::uint8_t>(value);
}

// The header's data size: AU's "unknown size" when it does not fit.
std::uint32_t DataSizeField(std::int64_t frames) {
    return frames >= 0 && frames < kAuUnknownDataSize ? static_cast<std::uint32_t>(frames)
                                                      : kAuUnknownDataSize;
}

std::array<std::uint8_t, kAuHeaderSize> AuHeader(std::uint32_t dataSize) {
    std::array<std::uint8_t, kAuHeaderSize> header{};
    std::copy(kAuMagic.begin(), kAuMagic.end(), header.begin());
    PutBe32(&header[4], kAuHeaderSize);
    PutBe32(&header[kAuDataSizeOffset], dataSize);
    PutBe32(&header[12], kAuEncodingMuLaw8);
    PutBe32(&header[16], kTargetRate);
    PutBe32(&header[20], kAuChannels);
    PutBe32(&header[24], kAuAnnotation);
    return header;
}

// Whether the filter changes the rate: a file already at the AU rate passes
// as in exact mode, byte for byte, and one without samples or format has
// nothing to filter.
bool UsesFilter(const CConvertContext& context) {
    return context.filtered && context.sampleRate > 0 && context.sampleRate != kTargetRate &&
           context.encodingName == kEncodingPcm;
}

// What the header says before the samples. A file's is set right at the end;
// a pipe's must be right at once, so there it is counted ahead when the
// input's length is known, and left "unknown" when it is not.
std::uint32_t FirstDataSize(const CConvertContext& context, const platform::OutputFile& file) {
    if (file.CanPatch()) return kAuUnknownDataSize;
    // The filter's count is known only once it has been drained.
    if (UsesFilter(context)) return kAuUnknownDataSize;
    // The first block is also the last: everything is in hand.
    if (context.finalBlock) return DataSizeField(context.frameCount);
    if (context.dataFrames < 0) return kAuUnknownDataSize;
    return DataSizeField(KeptFrames(context.dataFrames, context.sampleRate, kTargetRate));
}

void StartOutput(CConvertContext& context) {
    platform::OutputFile& file = context.outputFile;
    if (!context.standardOutput && context.outputPath.empty()) {
        context.outputState = AuOutputState::kDropped;
        return;
    }
    const bool created = context.standardOutput ? file.CreateOnStandardOutput()
                                                : file.Create(context.outputPath);
    if (!created) {
        context.outputState = AuOutputState::kNotCreated;
        return;
    }
    const auto header = AuHeader(FirstDataSize(context, file));
    if (!file.Write(header.data(), header.size())) {
        context.outputState = AuOutputState::kWriteFailed;
        context.writeFailedAt = 0;
        return;
    }
    context.outputState = AuOutputState::kWriting;
}

// Appends `count` mu-law bytes. A failed write is only noted here: it is
// reported when the last block has been read, where a job that read the
// whole file before writing would have met it.
void AppendBytes(CConvertContext& context, const std::uint8_t* bytes, std::int64_t count) {
    const std::int64_t before = context.framesWritten;
    context.framesWritten += count;
    if (context.outputState != AuOutputState::kWriting) return;
    platform::OutputFile& file = context.outputFile;
    if (!file.Write(bytes, static_cast<std::size_t>(count))) {
        context.outputState = AuOutputState::kWriteFailed;
        // The frames up to and including the one whose byte failed.
        context.writeFailedAt = std::min<std::int64_t>(
            static_cast<std::int64_t>(file.Accepted()) - kAuHeaderSize, before + count);
    }
}

// Appends the block's codes.
void AppendBlock(CConvertContext& context) {
    const std::int32_t* codes = context.left.data();
    const std::int64_t frames = context.frameCount;
    constexpr std::int64_t kChunkFrames = 4096;
    std::uint8_t bytes[kChunkFrames];
    for (std::int64_t index = 0; index < frames; index += kChunkFrames) {
        const std::int64_t count = std::min(kChunkFrames, frames - index);
        for (std::int64_t i = 0; i < count; ++i) bytes[i] = static_cast<std::uint8_t>(codes[index + i]);
        AppendBytes(context, bytes, count);
    }
}

// ---- The band-limited rate change --------------------------------------------

// The filter's output is taken this many samples at a time.
constexpr std::size_t kFilterOutputRoom = 16 * 1024;

// Encodes `count` filtered samples and appends them.
void AppendFiltered(CConvertContext& context, const std::int16_t* samples, std::size_t count) {
    std::uint8_t codes[kFilterOutputRoom];
    for (std::size_t i = 0; i < count; ++i) codes[i] = MuLawEncode(samples[i]);
    AppendBytes(context, codes, static_cast<std::int64_t>(count));
}

// Mixes the block to one channel at full precision, resamples it and writes
// what comes out; the final block also drains the filter. False when the
// filter cannot be made for the file's rate or fails.
bool FilterBlock(CConvertContext& context) {
    if (!context.filterStarted) {
        if (!context.filter) context.filter = std::make_unique<FilteredRate>();
        if (!context.filter->Start(context.sampleRate, kTargetRate)) return false;
        context.filterStarted = true;
    }
    FilteredRate& filter = *context.filter;
    const std::int64_t frames = context.frameCount;
    const std::int32_t* left = context.left.data();
    const std::int32_t* right = context.channels == 2 ? context.right.data() : nullptr;
    // The input goes in pieces whose output fits the room, so that a large
    // rise in rate cannot make the output grow with the block.
    constexpr std::int64_t kMixRoom = 4096;
    const std::int64_t piece = std::min<std::int64_t>(
        kMixRoom, static_cast<std::int64_t>(
                      FilteredRate::InputCountFor(kFilterOutputRoom, context.sampleRate, kTargetRate)));
    float mixed[kMixRoom];
    std::int16_t out[kFilterOutputRoom];
    for (std::int64_t start = 0; start < frames; start += piece) {
        const std::int64_t count = std::min(piece, frames - start);
        for (std::int64_t i = 0; i < count; ++i) {
            // (l + r) / 2 is exact in float: the sum needs 17 bits.
            mixed[i] = right == nullptr
                           ? static_cast<float>(left[start + i])
                           : static_cast<float>(left[start + i] + right[start + i]) * 0.5f;
        }
        const std::size_t made =
            filter.Process(mixed, static_cast<std::size_t>(count), out, std::size(out));
        AppendFiltered(context, out, made);
    }
    if (context.finalBlock) {
        while (const std::size_t made = filter.Finish(out, std::size(out))) {
            AppendFiltered(context, out, made);
        }
    }
    return filter.Error().empty();
}

bool FinishOutput(CConvertContext& context, CConvertHost& host) {
    platform::OutputFile& file = context.outputFile;
    switch (context.outputState) {
    case AuOutputState::kDropped:
    case AuOutputState::kNotStarted:
        return false;
    case AuOutputState::kNotCreated:
        host.ReportError(kAuWriteFailed);
        return false;
    case AuOutputState::kWriting:
    case AuOutputState::kWriteFailed:
        break;
    }
    // The file was created before the samples were read; a folder removed
    // since then is one the file could not have been created in.
    if (file.FolderGone()) {
        file.Discard();
        host.ReportError(kAuWriteFailed);
        return false;
    }
    const std::int64_t frames = context.framesWritten;
    const bool failed = context.outputState == AuOutputState::kWriteFailed;
    // The bar moves over the frames as it would while writing them, up to
    // the frame whose write failed.
    const ProgressSteps progress(frames, 90, 10);
    int lastPosition = 90;
    progress.Walk(0, failed ? context.writeFailedAt : frames, lastPosition, host,
                  [](std::int64_t, std::int64_t) { return true; });
    bool written = !failed;
    if (written && file.CanPatch()) {
        std::uint8_t size[4];
        PutBe32(size, DataSizeField(frames));
        written = file.Patch(kAuDataSizeOffset, size, sizeof size);
    }
    if (!written || !file.Commit()) {
        // The file outlives this call (it belongs to the context): nothing
        // half-written may stay behind it.
        file.Discard();
        host.ReportError(kDataWriteError);
        return false;
    }
    return true;
}

}  // namespace

bool WriteAu(CConvertContext& context, CConvertHost& host) {
    if (UsesFilter(context)) {
        if (context.outputState == AuOutputState::kNotStarted) StartOutput(context);
        if (!FilterBlock(context)) {
            context.outputFile.Discard();
            context.outputState = AuOutputState::kDropped;
            host.ReportError(FileReadError(context.inputPath, kUnsupportedSampleRate));
            return false;
        }
        return context.finalBlock ? FinishOutput(context, host) : true;
    }
    ToMono(context);
    if (!ChangeRate(context, kTargetRate)) {
        context.outputFile.Discard();
        host.ReportError(FileReadError(context.inputPath, kUnsupportedSampleRate));
        return false;
    }
    if (!ChangeEncoding(context, host, kEncodingMuLaw)) return false;
    if (context.outputState == AuOutputState::kNotStarted) StartOutput(context);
    AppendBlock(context);
    if (!context.finalBlock) return true;
    return FinishOutput(context, host);
}

}  // namespace kelmoro
