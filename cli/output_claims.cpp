// Output files claimed within one run.
#include "output_claims.h"

#include <sys/stat.h>

#include "platform/code_page.h"

namespace kelmoro {

std::string OutputClaims::KeyFor(const std::string& outputPath) {
    const std::size_t nameStart = platform::FileNameOffset(outputPath);
    const std::string folder = nameStart == 0 ? "." : outputPath.substr(0, nameStart);
    struct stat info;
    if (stat(folder.c_str(), &info) != 0) return "path:" + outputPath;
    return std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino) + "/" +
           outputPath.substr(nameStart);
}

OutputClaims::State OutputClaims::Look(const std::string& key, std::string* earlierInput) const {
    const auto found = claims_.find(key);
    if (found == claims_.end()) return State::kFree;
    if (!found->second.written) return State::kBeingWritten;
    if (earlierInput != nullptr) *earlierInput = found->second.input;
    return State::kWritten;
}

void OutputClaims::Begin(const std::string& key, const std::string& input) {
    claims_[key] = Claim{input, false};
}

void OutputClaims::End(const std::string& key, bool written) {
    if (written) {
        claims_[key].written = true;
    } else {
        claims_.erase(key);
    }
}

std::string AlreadyWrittenMessage(const std::string& outputPath, const std::string& earlierInput) {
    return outputPath + " was written for " + earlierInput +
           " earlier in this run; not replaced, nothing written";
}

}  // namespace kelmoro
