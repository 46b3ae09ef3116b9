// The conversion job and the naming of its output.
#include "convert_job.h"

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

bool Convert(CConvertContext& context, CConvertHost& host) {
    context.Reset();
    const bool opened = context.standardInput ? context.inputFile.OpenStandardInput()
                                              : context.inputFile.Open(context.inputPath);
    if (!opened) {
        host.ReportError(CannotOpenMessage(context.inputPath));
        return false;
    }
    host.SetProgressRange(0, 100);
    host.SetProgressPos(1);
    host.BeginWait();
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
        host.EndWait();
        return false;
    }
    if (!context.standardOutput && context.outputPath.empty()) {
        host.EndWait();
        return false;
    }
    const bool written = WriteAu(context, host);
    host.EndWait();
    host.SetProgressPos(0);
    return written;
}

bool Convert(CConvertHost& host) { return Convert(g_convertContext, host); }

}  // namespace kelmoro
