// The conversion context and its one instance.
#include "convert_context.h"

#include <utility>

namespace kelmoro {

CConvertContext g_convertContext;

void CConvertContext::Reset() {
    outputPath.clear();
    encodingName.clear();
    channels = 0;
    sampleRate = 0;
    bitsPerSample = 0;
    frameCount = 0;
    left.Clear();
    right.Clear();
    formatSeen = false;
    dataFrames = -1;
    finalBlock = true;
    rateAccumulator = 0.0;
    filterStarted = false;
    outputState = AuOutputState::kNotStarted;
    framesWritten = 0;
    writeFailedAt = -1;
    inputFile.Close();
    outputFile.Discard();
}

void SetInputPath(std::string path) { g_convertContext.inputPath = std::move(path); }

void SetOutputFolder(std::string folder) { g_convertContext.outputFolder = std::move(folder); }

void SetFilteredRate(bool filtered) { g_convertContext.filtered = filtered; }

void SetStandardStreams(bool input, bool output) {
    g_convertContext.standardInput = input;
    g_convertContext.standardOutput = output;
}

}  // namespace kelmoro
