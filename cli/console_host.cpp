// Console host: error lines and a text progress bar.
#include "console_host.h"

#include <algorithm>

#include "console_output.h"
#include "engine/convert_context.h"
#include "engine/convert_job.h"
#include "engine/messages.h"

namespace kelmoro {
namespace {
constexpr int kBarCells = 40;
}

void ConsoleHost::ReportError(const std::string& text) {
    FinishBar();
    std::fprintf(errors_, "%s\n", text.c_str());
    std::fflush(errors_);
    ++errorsReported_;
}

void ConsoleHost::SetProgressRange(int low, int high) {
    low_ = low;
    high_ = high > low ? high : low + 1;
}

void ConsoleHost::SetProgressPos(int position) {
    if (!drawProgress_) return;
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

bool ConvertFileOnConsole(ConsoleHost& host, const std::string& path, bool quiet,
                          const char* programName) {
    host.StartFile();
    SetInputPath(path);
    const bool converted = Convert(host);
    host.FinishBar();
    if (converted) {
        if (!quiet) WriteOutputLine(ConvertedMessage(path), programName);
    } else if (host.ErrorsReported() == 0) {
        // The engine says nothing when the name gives no output name.
        std::fprintf(stderr,
                     "%s: %s: the file name holds no \".wav\" to replace with \".au\"; no AU "
                     "file written\n",
                     programName, path.c_str());
    }
    return converted;
}

}  // namespace kelmoro
