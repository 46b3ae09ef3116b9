// The outcome of a batch and its summary text.
#include "batch_outcome.h"

#include "res/strings.h"
#include "wx_text.h"

namespace kelmoro {

void BatchOutcome::Add(const std::string& path, bool convertedOk,
                       std::vector<std::string> messages) {
    ++total;
    if (convertedOk) {
        ++converted;
    } else if (!messages.empty()) {
        failed.push_back({path, std::move(messages)});
    } else {
        // The one failure the engine does not report: no ".wav" in the name.
        noWavName.push_back(path);
    }
}

wxString SummaryHeadline(const BatchOutcome& outcome) {
    return wxString::Format(U8(res::kSummaryConvertedFormat), outcome.converted, outcome.total);
}

wxString SummaryDetails(const BatchOutcome& outcome) {
    wxString text;
    auto startSection = [&text](const char* heading) {
        if (!text.empty()) text << "\n";
        text << U8(heading) << "\n";
    };
    if (!outcome.failed.empty()) {
        startSection(res::kSummaryFailedHeading);
        for (const BatchOutcome::Failure& failure : outcome.failed) {
            text << FromBytes(failure.path) << "\n";
            for (const std::string& message : failure.messages) {
                text << "    " << MessageText(message, failure.path) << "\n";
            }
        }
    }
    if (!outcome.noWavName.empty()) {
        startSection(res::kSummaryNoWavHeading);
        for (const std::string& path : outcome.noWavName) text << FromBytes(path) << "\n";
    }
    if (outcome.stopped > 0) {
        if (!text.empty()) text << "\n";
        text << wxString::Format(U8(res::kSummaryStoppedFormat), outcome.stopped) << "\n";
    }
    if (text.EndsWith("\n")) text.RemoveLast();
    return text;
}

}  // namespace kelmoro
