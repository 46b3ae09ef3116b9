// Console host: error lines and a text progress bar.
#include "console_host.h"

#include <algorithm>

#include "console_output.h"
#include "engine/convert_context.h"
#include "engine/convert_job.h"
#include "engine/messages.h"
#include "platform/code_page.h"
#include "platform/console_text.h"
#include "platform/file_identity.h"
#include "platform/paths.h"
#include "run_outputs.h"

namespace kelmoro {
namespace {
constexpr int kBarCells = 40;
}

std::string LocaleTextKeepingPath(const std::string& text, const std::string& path) {
    std::string result;
    std::size_t start = 0;
    for (;;) {
        const std::size_t at = path.empty() ? std::string::npos : text.find(path, start);
        result += platform::Utf8ToLocaleText(std::string_view(text).substr(start, at - start));
        if (at == std::string::npos) return result;
        result += path;
        start = at + path.size();
    }
}

void ConsoleHost::KeepMessage(const std::string& text) {
    if (!messages_.empty()) messages_ += '\n';
    messages_ += text;
}

void ConsoleHost::PrintLine(const std::string& text) {
    KeepMessage(text);
    WriteLine(text);
}

void ConsoleHost::WriteLine(const std::string& text) {
    if (errors_ == nullptr) return;
    FinishBar();
    const std::string line = std::string(programName_) + ": " + path_ + ": " + text + "\n";
    platform::WriteText(errors_, line);
}

void ConsoleHost::ReportError(const std::string& text) {
    KeepMessage(text);
    WriteLine(LocaleTextKeepingPath(text, path_));
    ++errorsReported_;
}

void ConsoleHost::SetProgressRange(int low, int high) {
    low_ = low;
    high_ = high > low ? high : low + 1;
}

void ConsoleHost::SetProgressPos(int position) {
    if (!drawProgress_ || errors_ == nullptr) return;
    // The engine sets the bar back to its start once a file is done: here
    // that clears it, instead of drawing it empty just before it goes.
    if (barShown_ && position <= low_) {
        FinishBar();
        return;
    }
    // Positions outside the range show as the nearest end, as on a real bar.
    const int clamped = std::clamp(position, low_, high_);
    const int percent = (clamped - low_) * 100 / (high_ - low_);
    const int cells = percent * kBarCells / 100;
    if (barShown_ && cells == drawnCells_ && percent != 100) return;
    std::string bar(static_cast<std::size_t>(cells), '#');
    bar.append(static_cast<std::size_t>(kBarCells - cells), '.');
    std::fprintf(errors_, "\r[%s] %3d%%", bar.c_str(), percent);
    std::fflush(errors_);
    barShown_ = true;
    drawnCells_ = cells;
}

void ConsoleHost::FinishBar() {
    if (!barShown_) return;
    std::fprintf(errors_, "\r%*s\r", kBarCells + 8, "");
    std::fflush(errors_);
    barShown_ = false;
    drawnCells_ = -1;
}

FileOutcome ConvertFileOnConsole(ConsoleHost& host, const std::string& argument,
                                 const ConsoleOptions& options, std::FILE* out, RunOutputs* run) {
    const bool standardInput = options.dashIsStandardInput && argument == kStandardInputArgument;
    const bool standardOutput = standardInput || options.toStandardOutput;
    const std::string path = standardInput ? kStandardInputName : argument;
    host.StartFile(path);
    const auto target = standardOutput ? std::nullopt : OutputPathFor(path, options.outputFolder);
    if (target && platform::NamesDevice(*target)) {
        host.PrintLine(*target + " is a name Windows keeps for a device; no AU file written");
        return FileOutcome::kFailed;
    }
    if (run != nullptr && !standardOutput) {
        if (auto refusal = run->Refusal(path, options.outputFolder)) {
            host.PrintLine(*refusal);
            return FileOutcome::kFailed;
        }
    }
    if (options.noClobber && !standardOutput) {
        if (target && platform::IdentityOf(*target)) {
            host.PrintLine("skipped: " + *target + " already exists");
            return FileOutcome::kSkipped;
        }
    }
    SetInputPath(path);
    SetOutputFolder(options.outputFolder);
    SetStandardStreams(standardInput, standardOutput);
    SetFilteredRate(options.filtered);
    const bool converted = Convert(host);
    SetStandardStreams(false, false);
    host.FinishBar();
    if (converted) {
        if (run != nullptr && !standardOutput) run->Record(path, g_convertContext.outputPath);
        if (!options.quiet && !standardOutput) {
            WriteOutput(out, LocaleTextKeepingPath(ConvertedMessage(path), path) + "\n",
                        host.ProgramName());
        }
        return FileOutcome::kConverted;
    }
    if (host.ErrorsReported() == 0) {
        // The engine says nothing when the name gives no output name.
        host.PrintLine(
            "the file name holds no \".wav\" to replace with \".au\"; no AU file written");
    }
    return FileOutcome::kFailed;
}

}  // namespace kelmoro
