// The author's home page on Windows: the read-me installed beside the
// program, opened by the shell with its "open" verb in whatever program the
// user has for it.
#include <windows.h>
// clang-format off: shellapi.h needs windows.h before it.
#include <shellapi.h>
// clang-format on
#include <wx/filename.h>
#include <wx/stdpaths.h>

#include "home_page.h"
#include "message_box.h"
#include "res/strings.h"
#include "wx_text.h"

namespace kelmoro {

void OpenHomePage() {
    wxFileName page(wxStandardPaths::Get().GetExecutablePath());
    page.SetFullName(U8(res::kAuthorHomePageBesideProgram));
    const wxString path = page.GetFullPath();
    // Anything up to 32 is the shell's error.
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, L"open", path.wc_str(), nullptr, L".", SW_SHOW));
    if (result <= 32) {
        KelmoroMessageBox(wxString::Format(U8(res::kNoBrowser), path), BoxStyle::kError);
    }
}

}  // namespace kelmoro
