// Output files claimed while they are written.
#include "output_claims.h"

#include "platform/code_page.h"
#include "platform/file_identity.h"

namespace kelmoro {

std::string OutputClaims::KeyFor(const std::string& outputPath) {
    const std::size_t nameStart = platform::FileNameOffset(outputPath);
    const std::string folder = nameStart == 0 ? "." : outputPath.substr(0, nameStart);
    const auto identity = platform::IdentityFollowingLinks(folder);
    if (!identity) return "path:" + outputPath;
    return std::to_string(identity->volume) + ":" + std::to_string(identity->index) + "/" +
           outputPath.substr(nameStart);
}

}  // namespace kelmoro
