// What became of each file of a batch (several files converted in one
// progress window), and the text of the one summary box that reports it:
// how many were converted, each failed file with the engine's messages
// byte for byte, the files whose name holds no ".wav" (which the engine
// passes over without a message), and how many the user's stop left out.
#pragma once

#include <wx/string.h>

#include <string>
#include <vector>

namespace kelmoro {

struct BatchOutcome {
    struct Failure {
        std::string path;
        std::vector<std::string> messages;  // as the engine reported them
    };

    int total = 0;
    int converted = 0;
    std::vector<Failure> failed;
    std::vector<std::string> noWavName;
    int stopped = 0;  // left out because the user stopped the batch

    // Records the result of one file's job and the messages it reported.
    void Add(const std::string& path, bool convertedOk, std::vector<std::string> messages);
    // Records files left out by a stop: they count in the total.
    void AddStopped(int count) {
        stopped += count;
        total += count;
    }
    // True when every file was converted.
    bool AllConverted() const { return converted == total; }
    // Anything failed or was stopped: the summary takes the error style.
    bool AnythingWentWrong() const { return !failed.empty() || stopped > 0; }
};

// The summary's first line: how many of the batch were converted.
wxString SummaryHeadline(const BatchOutcome& outcome);
// The rest, one item per line; empty when every file was converted.
wxString SummaryDetails(const BatchOutcome& outcome);

}  // namespace kelmoro
