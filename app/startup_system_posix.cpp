// Start-up on Linux: the locale from the environment, UTF-8 characters for
// wx, and --help and --version on standard output like every command.
#include <langinfo.h>

#include <clocale>
#include <cstdio>
#include <cstring>

#include "console/console_output.h"
#include "startup_system.h"

namespace kelmoro {

// wx turns non-ASCII narrow text into empty strings under the "C" locale,
// and the program starts in it even under LANG=C.UTF-8. The user's locale
// chooses the engine's code page (as in kelmoro-cli); the toolkit then gets
// UTF-8 characters whatever that locale's code set.
void UseUserLocale() {
    std::setlocale(LC_ALL, "");
}

void UseUtf8Characters() {
    if (std::strcmp(nl_langinfo(CODESET), "UTF-8") != 0) std::setlocale(LC_CTYPE, "C.UTF-8");
}

int ShowInfoText(const char* text) {
    std::fputs(text, stdout);
    return FinishOutput(0, "kelmoro");
}

}  // namespace kelmoro
