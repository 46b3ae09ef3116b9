// The recording host for tests.
#include "support/recording_host.h"

namespace kelmoro::test {

void RecordingHost::ReportError(const std::string& text) {
    calls.push_back("error:" + text);
    errors.push_back(text);
}

void RecordingHost::SetProgressRange(int low, int high) {
    calls.push_back("range:" + std::to_string(low) + "-" + std::to_string(high));
}

void RecordingHost::SetProgressPos(int position) {
    calls.push_back("pos:" + std::to_string(position));
    positions.push_back(position);
}

void RecordingHost::BeginWait() {
    calls.push_back("begin");
    ++waitDepth;
}

void RecordingHost::EndWait() {
    calls.push_back("end");
    --waitDepth;
}

}  // namespace kelmoro::test
