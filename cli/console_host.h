// The engine's host on a terminal: errors as lines on stderr, the progress
// bar drawn on stderr only when stderr is a terminal.
#pragma once

#include <cstdio>
#include <string>

#include "engine/convert_host.h"

namespace kelmoro {

class ConsoleHost : public CConvertHost {
public:
    ConsoleHost(std::FILE* errors, bool drawProgress) : errors_(errors), drawProgress_(drawProgress) {}

    void ReportError(const std::string& text) override;
    void SetProgressRange(int low, int high) override;
    void SetProgressPos(int position) override;
    void BeginWait() override {}
    void EndWait() override {}

    // Starts counting errors for a new file.
    void StartFile() { errorsReported_ = 0; }
    int ErrorsReported() const { return errorsReported_; }
    // Clears the bar so that the next line starts clean.
    void FinishBar();

private:
    std::FILE* errors_;
    bool drawProgress_;
    bool barShown_ = false;
    int low_ = 0;
    int high_ = 100;
    int drawnCells_ = -1;
    int errorsReported_ = 0;
};

// Converts `path` with `host` as a console program does: the success line
// on stdout unless `quiet`, and a line of its own on stderr for the one
// failure the engine does not report. True when the AU file was written.
bool ConvertFileOnConsole(ConsoleHost& host, const std::string& path, bool quiet,
                          const char* programName);

}  // namespace kelmoro
