// Output files claimed within one run.
#include "output_claims.h"

#include "platform/code_page.h"
#include "platform/file_identity.h"

namespace kelmoro {

std::string OutputClaims::KeyFor(const std::string& outputPath) {
    const std::size_t nameStart = platform::FileNameOffset(outputPath);
    const std::string folder = nameStart == 0 ? "." : outputPath.substr(0, nameStart);
    const auto identity = platform::IdentityOf(folder);
    if (!identity) return "path:" + outputPath;
    return std::to_string(identity->volume) + ":" + std::to_string(identity->index) + "/" +
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
