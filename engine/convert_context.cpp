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
    left.Release();
    right.Release();
    formatSeen = false;
    inputFile.Close();
}

void SetInputPath(std::string path) { g_convertContext.inputPath = std::move(path); }

}  // namespace kelmoro
