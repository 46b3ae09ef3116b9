// The POSIX side of text: the locale's character set, the arguments as
// given, and terminals.
#include <iconv.h>
#include <langinfo.h>
#include <strings.h>
#include <unistd.h>

#include "code_page.h"
#include "console_text.h"

namespace platform {

void SelectCodePageFromLocale() {
    const char* codeSet = nl_langinfo(CODESET);
    if (codeSet == nullptr) codeSet = "";
    if (strcasecmp(codeSet, "UTF-8") == 0 || strcasecmp(codeSet, "UTF8") == 0) {
        SetCodePage(CodePage::kUtf8);
    } else if (strcasecmp(codeSet, "SHIFT_JIS") == 0 || strcasecmp(codeSet, "SJIS") == 0 ||
               strcasecmp(codeSet, "CP932") == 0 || strcasecmp(codeSet, "WINDOWS-31J") == 0) {
        SetCodePage(CodePage::kShiftJis);
    } else if (strcasecmp(codeSet, "ANSI_X3.4-1968") == 0) {
        // The plain "C" locale: file names on Linux are UTF-8 all the same.
        SetCodePage(CodePage::kUtf8);
    } else {
        SetCodePage(CodePage::kSingleByte);
    }
}

std::string Utf8ToLocaleText(std::string_view text) {
    // Opened once, for the locale chosen at start-up.
    static iconv_t converter = [] {
        const char* codeSet = nl_langinfo(CODESET);
        if (codeSet == nullptr || strcasecmp(codeSet, "UTF-8") == 0 ||
            strcasecmp(codeSet, "UTF8") == 0 || strcasecmp(codeSet, "ANSI_X3.4-1968") == 0) {
            return reinterpret_cast<iconv_t>(-1);
        }
        return iconv_open(codeSet, "UTF-8");
    }();
    if (converter == reinterpret_cast<iconv_t>(-1)) return std::string(text);
    std::string result;
    // Character by character, so that one without an equivalent (or a byte
    // that is no UTF-8) is passed on as it is and the rest still converts.
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = CharacterLength(text.substr(i), CodePage::kUtf8);
        char out[16];
        char* in = const_cast<char*>(text.data() + i);
        std::size_t inLeft = length;
        char* outPtr = out;
        std::size_t outLeft = sizeof out;
        if (iconv(converter, &in, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1) &&
            inLeft == 0) {
            result.append(out, outPtr);
        } else {
            result.append(text.substr(i, length));
        }
        iconv(converter, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
        i += length;
    }
    return result;
}

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
    return std::vector<std::string>(argv, argv + argc);
}

bool IsTerminal(std::FILE* stream) {
    return isatty(fileno(stream)) == 1;
}

bool WriteText(std::FILE* stream, std::string_view text, TextEncoding) {
    return std::fwrite(text.data(), 1, text.size(), stream) == text.size() &&
           std::fflush(stream) == 0;
}

}  // namespace platform
