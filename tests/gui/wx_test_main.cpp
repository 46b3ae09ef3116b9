// main() of the window tests: GoogleTest inside an initialised wxApp.
#include "wx_test_main.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/debug.h>
#include <wx/init.h>
#include <wx/log.h>

namespace kelmoro {
bool g_haveDisplay = false;
}

namespace {

// A failed wx assertion fails the test instead of opening a modal box.
void FailOnAssert(const wxString& file, int line, const wxString& func, const wxString& cond,
                  const wxString& msg) {
    ADD_FAILURE() << "wx assertion failed: " << cond.utf8_string() << " in " << func.utf8_string()
                  << " (" << file.utf8_string() << ":" << line << "): " << msg.utf8_string();
}

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    wxSetAssertHandler(FailOnAssert);
    int toolkitArgc = 1;
    char* toolkitArgv[] = {argv[0], nullptr};
    wxApp::SetInstance(new wxApp);
    {
        wxLogNull quiet;
        kelmoro::g_haveDisplay = wxEntryStart(toolkitArgc, toolkitArgv);
    }
    if (kelmoro::g_haveDisplay) wxTheApp->CallOnInit();
    const int status = RUN_ALL_TESTS();
    if (kelmoro::g_haveDisplay) wxEntryCleanup();
    return status;
}
