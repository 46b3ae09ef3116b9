// The Windows side of text: the program's text stays UTF-8; the command line
// comes from its UTF-16 form, and text is converted only as it is written:
// WriteConsoleW to a console, the ANSI code page (or UTF-8 when asked) to a
// file or a pipe.
#include <io.h>
#include <windows.h>
// clang-format off: shellapi.h needs windows.h before it.
#include <shellapi.h>
// clang-format on

#include <cerrno>

#include "code_page.h"
#include "console_text.h"
#include "wide_path.h"

namespace platform {
namespace {

HANDLE SystemHandleOf(std::FILE* stream) {
    return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
}

bool IsConsole(HANDLE handle) {
    DWORD mode = 0;
    return GetConsoleMode(handle, &mode) != 0;
}

bool WriteToConsole(HANDLE console, std::string_view text) {
    const std::wstring wide = Utf8ToWide(text);
    for (std::size_t done = 0; done < wide.size();) {
        DWORD wrote = 0;
        const auto count = static_cast<DWORD>(std::min<std::size_t>(wide.size() - done, 8192));
        if (!WriteConsoleW(console, wide.data() + done, count, &wrote, nullptr) || wrote == 0) {
            errno = EIO;
            return false;
        }
        done += wrote;
    }
    return true;
}

// UTF-8 in the ANSI code page. A character it lacks becomes "?", never a
// look-alike: Windows' best fit would show "É" as "E", and "＼" as "\",
// a name that is not the file's.
std::string InAnsiCodePage(std::string_view text) {
    const std::wstring wide = Utf8ToWide(text);
    if (wide.empty()) return std::string(text);
    const int size = static_cast<int>(wide.size());
    const DWORD flags = WC_NO_BEST_FIT_CHARS;
    const int length =
        WideCharToMultiByte(CP_ACP, flags, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string ansi(static_cast<std::size_t>(std::max(length, 0)), '\0');
    WideCharToMultiByte(CP_ACP, flags, wide.data(), size, ansi.data(), length, nullptr, nullptr);
    return ansi;
}

}  // namespace

void SelectCodePageFromLocale() {
    SetCodePage(CodePage::kUtf8);
}

std::string Utf8ToLocaleText(std::string_view text) {
    return std::string(text);
}

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr) return std::vector<std::string>(argv, argv + argc);
    std::vector<std::string> arguments;
    for (int i = 0; i < count; ++i) arguments.push_back(WideToUtf8(wide[i]));
    LocalFree(wide);
    return arguments;
}

bool IsTerminal(std::FILE* stream) {
    return IsConsole(SystemHandleOf(stream));
}

bool WriteText(std::FILE* stream, std::string_view text, TextEncoding encoding) {
    const int fd = _fileno(stream);
    const bool standard = fd == _fileno(stdout) || fd == _fileno(stderr);
    if (standard && IsConsole(SystemHandleOf(stream))) {
        std::fflush(stream);
        return WriteToConsole(SystemHandleOf(stream), text);
    }
    std::string converted;
    if (standard && encoding == TextEncoding::kShown) {
        converted = InAnsiCodePage(text);
        text = converted;
    }
    return std::fwrite(text.data(), 1, text.size(), stream) == text.size() &&
           std::fflush(stream) == 0;
}

}  // namespace platform
