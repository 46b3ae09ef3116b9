// The engine's host on a terminal: errors as lines on stderr, each naming
// its file, the progress bar drawn on stderr only when stderr is a terminal.
#pragma once

#include <cstdio>
#include <string>

#include "engine/convert_host.h"

namespace kelmoro {

class ConsoleHost : public CConvertHost {
public:
    // `programName` starts every error line: "NAME: PATH: TEXT". With no
    // `errors` stream the lines are only kept in Messages().
    ConsoleHost(const char* programName, std::FILE* errors, bool drawProgress)
        : programName_(programName), errors_(errors), drawProgress_(drawProgress) {}

    void ReportError(const std::string& text) override;
    void SetProgressRange(int low, int high) override;
    void SetProgressPos(int position) override;
    void BeginWait() override {}
    void EndWait() override {}

    // Starts a new file: its path names the error lines, and the error count
    // starts again.
    void StartFile(const std::string& path) {
        path_ = path;
        errorsReported_ = 0;
        messages_.clear();
    }
    int ErrorsReported() const { return errorsReported_; }
    const char* ProgramName() const { return programName_; }
    // What was said about the current file, as given (UTF-8), one message
    // a line.
    const std::string& Messages() const { return messages_; }
    // Clears the bar so that the next line starts clean.
    void FinishBar();
    // Prints "NAME: PATH: TEXT" as a line of its own, all bytes as given.
    void PrintLine(const std::string& text);

private:
    void WriteLine(const std::string& text);
    void KeepMessage(const std::string& text);

    const char* programName_;
    std::FILE* errors_;
    bool drawProgress_;
    std::string path_;
    bool barShown_ = false;
    int low_ = 0;
    int high_ = 100;
    int drawnCells_ = -1;
    int errorsReported_ = 0;
    std::string messages_;
};

enum class FileOutcome { kConverted, kSkipped, kFailed };

struct ConsoleOptions {
    bool quiet = false;        // no success line
    bool noClobber = false;    // keep an AU file that is already there
    std::string outputFolder;  // empty: beside the input
    bool toStandardOutput = false;  // the AU data goes to stdout, no success line
    bool filtered = false;          // band-limited rate change
    bool dashIsStandardInput = false;  // "-" reads stdin and writes the AU to stdout
};

// The input name that stands for standard input, and how messages name it.
inline constexpr const char* kStandardInputArgument = "-";
inline constexpr const char* kStandardInputName = "standard input";

class RunOutputs;

// Converts `path` with `host` as a console program does: the success line
// on `out` unless quiet, and a line of its own on the host's stream for the
// one failure the engine does not report and for a file skipped. With
// dashIsStandardInput, the path "-" reads standard input and writes the AU
// data to standard output. With `run`, a file whose AU file was written for
// an earlier input of the run is refused, and the AU file written is
// recorded there.
FileOutcome ConvertFileOnConsole(ConsoleHost& host, const std::string& path,
                                 const ConsoleOptions& options, std::FILE* out,
                                 RunOutputs* run = nullptr);

// `text` (UTF-8) with every occurrence of `path` kept as its bytes and the
// rest in the locale's code set.
std::string LocaleTextKeepingPath(const std::string& text, const std::string& path);

}  // namespace kelmoro
