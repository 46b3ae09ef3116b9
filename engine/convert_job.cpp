// The conversion job and the naming of its output.
#include "convert_job.h"

#include <new>
#include <stdexcept>

#include "au_writer.h"
#include "messages.h"
#include "platform/code_page.h"
#include "platform/paths.h"
#include "wave_reader.h"

namespace kelmoro {

std::optional<std::string> OutputPathFor(const std::string& inputPath) {
    // File names are case-sensitive here, so only the file name is
    // lower-cased and searched: a ".wav" in a folder name must not send the
    // output into another folder.
    const std::size_t nameStart = platform::FileNameOffset(inputPath);
    std::string name = inputPath.substr(nameStart);
    platform::MbsLower(name);
    const std::size_t extension = platform::MbsFind(name, ".wav");
    if (extension == std::string::npos) return std::nullopt;
    name.replace(extension, 4, ".au");
    return inputPath.substr(0, nameStart) + name;
}

std::optional<std::string> OutputPathFor(const std::string& inputPath,
                                         const std::string& outputFolder) {
    if (outputFolder.empty()) return OutputPathFor(inputPath);
    auto name = OutputPathFor(inputPath.substr(platform::FileNameOffset(inputPath)));
    if (!name) return std::nullopt;
    return platform::JoinPath(outputFolder, *name);
}

namespace {

// The host's wait cursor for the span of a job, ended once: where the job
// says, or as a job cut short by an exception unwinds.
class WaitCursor {
public:
    explicit WaitCursor(CConvertHost& host) : host_(host) { host_.BeginWait(); }
    ~WaitCursor() { End(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
    void End() {
        if (waiting_) host_.EndWait();
        waiting_ = false;
    }

private:
    CConvertHost& host_;
    bool waiting_ = true;
};

bool RunJob(CConvertContext& context, CConvertHost& host) {
    context.Reset();
    const bool opened = context.standardInput ? context.inputFile.OpenStandardInput()
                                              : context.inputFile.Open(context.inputPath);
    if (!opened) {
        host.ReportError(CannotOpenMessage(context.inputPath));
        return false;
    }
    host.SetProgressRange(0, 100);
    host.SetProgressPos(1);
    WaitCursor wait(host);
    // The name is formed first, so that the samples can go to the AU file
    // block by block as they are read. A name without ".wav" still has its
    // file read to the end, and then ends the job without a word.
    if (!context.standardOutput) {
        if (auto outputPath = OutputPathFor(context.inputPath, context.outputFolder)) {
            context.outputPath = std::move(*outputPath);
        }
    }
    const bool read = ReadWave(context, host, [](CConvertContext& blockContext, CConvertHost& blockHost) {
        WriteAu(blockContext, blockHost);
    });
    context.inputFile.Close();
    if (!read) {
        context.outputFile.Discard();
        wait.End();
        return false;
    }
    if (!context.standardOutput && context.outputPath.empty()) {
        wait.End();
        return false;
    }
    const bool written = WriteAu(context, host);
    wait.End();
    host.SetProgressPos(0);
    return written;
}

}  // namespace

bool Convert(CConvertContext& context, CConvertHost& host) {
    // Memory that cannot be had anywhere in the job (a buffer, a block, a
    // message) ends it as any other failure: with one message, nothing of
    // the AU file left behind, and the next file of a run still converted.
    try {
        return RunJob(context, host);
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {
    }
    context.inputFile.Close();
    context.outputFile.Discard();
    host.ReportError(kOutOfMemory);
    return false;
}

bool Convert(CConvertHost& host) { return Convert(g_convertContext, host); }

}  // namespace kelmoro
