// Checked writing of the console programs' standard output.
#include "console_output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace kelmoro {
namespace {

bool g_outputLost = false;

void ReportLost(const char* programName, int error) {
    if (g_outputLost) return;
    g_outputLost = true;
    std::fprintf(stderr, "%s: standard output: %s\n", programName, std::strerror(error));
    std::fflush(stderr);
}

}  // namespace

bool WriteOutput(std::FILE* out, const std::string& text, const char* programName,
                 platform::TextEncoding encoding) {
    errno = 0;
    const bool written = platform::WriteText(out, text, encoding);
    if (!written) {
        const int error = errno != 0 ? errno : EIO;
        // What is left in the buffer would only fail again.
        std::clearerr(out);
        ReportLost(programName, error);
    }
    return written;
}

int FinishOutput(int status, const char* programName) {
    errno = 0;
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        ReportLost(programName, errno != 0 ? errno : EIO);
    }
    return g_outputLost && status == 0 ? 1 : status;
}

}  // namespace kelmoro
