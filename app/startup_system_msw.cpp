// Start-up on Windows. wx keeps its text in UTF-16 there, so no character
// set needs choosing. A program of the GUI subsystem has no console of its
// own: --help and --version go where its output was redirected, else to
// the console of the program that started it (a command prompt), else, as
// from Explorer, into a box.
#include <windows.h>

#include <clocale>
#include <cstdio>

#include "console/console_output.h"
#include "res/strings.h"
#include "startup_system.h"
#include "wx_text.h"

namespace kelmoro {
namespace {

bool OutputRedirected() {
    HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    if (output == nullptr || output == INVALID_HANDLE_VALUE) return false;
    const DWORD type = GetFileType(output);
    return type == FILE_TYPE_DISK || type == FILE_TYPE_PIPE;
}

}  // namespace

void UseUserLocale() {
    std::setlocale(LC_ALL, "");
}

void UseUtf8Characters() {}

int ShowInfoText(const char* text) {
    if (OutputRedirected() ||
        (AttachConsole(ATTACH_PARENT_PROCESS) && std::freopen("CONOUT$", "w", stdout) != nullptr)) {
        WriteOutput(stdout, text, "kelmoro");
        return FinishOutput(0, "kelmoro");
    }
    MessageBoxW(nullptr, U8(text).wc_str(), U8(res::kAppTitle).wc_str(),
                MB_OK | MB_ICONINFORMATION | MB_SETFOREGROUND);
    return 0;
}

}  // namespace kelmoro
