// kelmoro: the desktop program. Its own main() fixes the locale, parses the
// command line and only then starts the toolkit, so that without a display
// it can still convert a file on the console instead of failing.
#include <langinfo.h>
#include <wx/init.h>
#include <wx/log.h>

#include <clocale>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "command_line.h"
#include "console/console_output.h"
#include "console_convert.h"
#include "kelmoro_app.h"
#include "platform/code_page.h"
#include "platform/interrupt_cleanup.h"
#include "platform/standard_streams.h"
#include "res/strings.h"

namespace {

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

int Run(int argc, char** argv) {
    // Both roads, the dialog's and the console's, write AU files.
    platform::KeepStandardStreamsOpen();
    platform::InstallInterruptCleanup();
    UseUserLocale();
    platform::SelectCodePageFromLocale();

    // The arguments stay bytes: a file name reaches the engine unchanged.
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    // Help and version go to the terminal before any window or display.
    switch (kelmoro::FindInfoRequest(arguments)) {
        case kelmoro::InfoRequest::kHelp:
            std::fputs(res::kUsage, stdout);
            return kelmoro::FinishOutput(0, "kelmoro");
        case kelmoro::InfoRequest::kVersion:
            std::printf(res::kVersionFormat, KELMORO_VERSION);
            return kelmoro::FinishOutput(0, "kelmoro");
        case kelmoro::InfoRequest::kNone:
            break;
    }
    const kelmoro::CCommandLineInfo info = kelmoro::ParseCommandLine(arguments);
    const bool convertFile =
        info.shellCommand > kelmoro::CCommandLineInfo::FileNew && !info.fileName.empty();

    // The toolkit sees only the program name: none of our arguments is its.
    UseUtf8Characters();
    int toolkitArgc = 1;
    char* toolkitArgv[] = {argv[0], nullptr};
    bool haveDisplay = false;
    {
        wxLogNull quiet;  // no toolkit error about the display
        haveDisplay = wxEntryStart(toolkitArgc, toolkitArgv);
    }
    if (!haveDisplay) {
        // Each file in turn, as with a display; 0 only if all converted.
        if (convertFile) return kelmoro::ConvertOnConsole(info.fileNames);
        std::fprintf(stderr, "%s\n", res::kNeedsDisplay);
        return 1;
    }
    UseUtf8Characters();  // in case the toolkit set the locale again
    // The toolkit's own messages go to standard error: a log window would be
    // in English, and one left open keeps a command-line start from ending.
    delete wxLog::SetActiveTarget(new wxLogStderr);

    kelmoro::CKelmoroApp& app = wxGetApp();
    app.SetCommandLineInfo(info);
    int status = 0;
    if (app.CallOnInit()) {
        status = app.OnRun();
        app.OnExit();
    } else {
        status = app.CommandLineExitCode();
    }
    wxEntryCleanup();
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return Run(argc, argv);
    } catch (const std::bad_alloc&) {
        // Nothing the program throws on purpose; a job reports its own lack
        // of memory, and anything else ends the program with a line.
        std::fputs("kelmoro: out of memory\n", stderr);
    } catch (...) {
        // A library's own text means nothing to the user.
        std::fputs("kelmoro: an internal error ended the program\n", stderr);
    }
    return 1;
}
