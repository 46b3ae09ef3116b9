// The AU writer: the three stages, then the 28-byte header and one mu-law
// byte per frame, written atomically.
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

std::array<std::uint8_t, kAuHeaderSize> AuHeader(std::uint32_t frames) {
    std::array<std::uint8_t, kAuHeaderSize> header{};
    std::copy(kAuMagic.begin(), kAuMagic.end(), header.begin());
    PutBe32(&header[4], kAuHeaderSize);
    PutBe32(&header[8], frames);
    PutBe32(&header[12], kAuEncodingMuLaw8);
    PutBe32(&header[16], kTargetRate);
    PutBe32(&header[20], kAuChannels);
    PutBe32(&header[24], kAuAnnotation);
    return header;
}

}  // namespace

bool WriteAu(CConvertContext& context, CConvertHost& host) {
    ToMono(context);
    if (!ChangeRate(context, kTargetRate)) {
        host.ReportError(FileReadError(context.inputPath, kUnsupportedSampleRate));
        return false;
    }
    if (!ChangeEncoding(context, host, kEncodingMuLaw)) return false;

    platform::OutputFile& file = context.outputFile;
    if (!file.Create(context.outputPath)) {
        host.ReportError(kAuWriteFailed);
        return false;
    }
    const std::int64_t frames = context.frameCount;
    const auto header = AuHeader(static_cast<std::uint32_t>(frames));
    bool written = file.Write(header.data(), header.size());

    const std::int32_t* codes = context.left.data();
    constexpr std::int64_t kBlockFrames = 64 * 1024;
    std::array<std::uint8_t, kBlockFrames> block;
    const ProgressSteps progress(frames, 90, 10);
    int lastPosition = 90;
    if (written) {
        written = progress.Walk(
            0, frames, lastPosition, host, [&](std::int64_t index, std::int64_t segmentEnd) {
                bool ok = true;
                while (ok && index < segmentEnd) {
                    const std::int64_t count = std::min(kBlockFrames, segmentEnd - index);
                    for (std::int64_t i = 0; i < count; ++i) {
                        block[i] = static_cast<std::uint8_t>(codes[index + i]);
                    }
                    ok = file.Write(block.data(), static_cast<std::size_t>(count));
                    index += count;
                }
                return ok;
            });
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

}  // namespace kelmoro
