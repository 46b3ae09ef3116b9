// A host that records every call the engine makes, in order, so tests can
// compare the whole sequence: messages, progress positions, wait cursor.
#pragma once

#include <string>
#include <vector>

#include "engine/convert_host.h"

namespace kelmoro::test {

class RecordingHost : public CConvertHost {
public:
    void ReportError(const std::string& text) override;
    void SetProgressRange(int low, int high) override;
    void SetProgressPos(int position) override;
    void BeginWait() override;
    void EndWait() override;

    // Every call as text: "error:<text>", "range:0-100", "pos:<n>", "begin", "end".
    std::vector<std::string> calls;
    std::vector<std::string> errors;
    std::vector<int> positions;
    int waitDepth = 0;
};

}  // namespace kelmoro::test
