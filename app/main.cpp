// kelmoro: the desktop program. Its own main() fixes the locale, parses the
// command line and only then starts the toolkit, so that without a display
// it can still convert a file on the console instead of failing.
#include <wx/init.h>
#include <wx/log.h>

#include <cstdio>
#include <new>
#include <string>
#include <vector>

#include "command_line.h"
#include "console_convert.h"
#include "kelmoro_app.h"
#include "platform/code_page.h"
#include "platform/console_text.h"
#include "platform/interrupt_cleanup.h"
#include "platform/standard_streams.h"
#include "res/strings.h"
#include "startup_system.h"

namespace {

int Run(int argc, char** argv) {
    // Both roads, the dialog's and the console's, write AU files.
    platform::KeepStandardStreamsOpen();
    platform::InstallInterruptCleanup();
    kelmoro::UseUserLocale();
    platform::SelectCodePageFromLocale();

    // The arguments stay bytes: a file name reaches the engine unchanged.
    std::vector<std::string> arguments = platform::CommandLineArguments(argc, argv);
    arguments.erase(arguments.begin());
    // Help and version go to the terminal before any window or display.
    switch (kelmoro::FindInfoRequest(arguments)) {
        case kelmoro::InfoRequest::kHelp:
            return kelmoro::ShowInfoText(res::kUsage);
        case kelmoro::InfoRequest::kVersion: {
            char version[64];
            std::snprintf(version, sizeof version, res::kVersionFormat, KELMORO_VERSION);
            return kelmoro::ShowInfoText(version);
        }
        case kelmoro::InfoRequest::kNone:
            break;
    }
    const kelmoro::CCommandLineInfo info = kelmoro::ParseCommandLine(arguments);
    const bool convertFile =
        info.shellCommand > kelmoro::CCommandLineInfo::FileNew && !info.fileName.empty();

    // The toolkit sees only the program name: none of our arguments is its.
    kelmoro::UseUtf8Characters();
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
    kelmoro::UseUtf8Characters();  // in case the toolkit set the locale again
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
