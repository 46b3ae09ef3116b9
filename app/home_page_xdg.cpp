// The author's home page on a Linux desktop: the README installed with the
// program, opened through the desktop's opener (xdg-open) as a file:// address.
#include <wx/filename.h>
#include <wx/log.h>
#include <wx/process.h>
#include <wx/stdpaths.h>
#include <wx/utils.h>

#include <string>

#include "home_page.h"
#include "message_box.h"
#include "res/strings.h"
#include "wx_text.h"

namespace kelmoro {

// The browser's opener, run without waiting; reports its failure in a box.

namespace {

class BrowserLauncher : public wxProcess {
public:
    explicit BrowserLauncher(const wxString& url) : m_url(url) {}
    void OnTerminate(int, int status) override {
        if (status != 0) Report();
        delete this;
    }
    // wxExecute could not start it: OnTerminate never comes.
    void Failed() {
        Report();
        delete this;
    }

private:
    void Report() {
        KelmoroMessageBox(wxString::Format(U8(res::kNoBrowser), m_url), BoxStyle::kError);
    }
    wxString m_url;
};

// A file:// address for a local path: every byte but unreserved ASCII and
// '/' is percent-encoded, so blanks, '#', '%' and non-ASCII names in the
// install folder still give an address the opener reads as that path.
wxString FileUrl(const wxString& path) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string url = "file://";
    for (const unsigned char byte : std::string(path.utf8_str())) {
        const bool plain = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
                           (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' ||
                           byte == '_' || byte == '~' || byte == '/';
        if (plain) {
            url += static_cast<char>(byte);
        } else {
            url += '%';
            url += kHex[byte >> 4];
            url += kHex[byte & 0x0F];
        }
    }
    return wxString::FromUTF8(url);
}

}  // namespace

void OpenHomePage() {
    // The page lies in the prefix the program is installed in: bin/.. .
    wxFileName page(wxStandardPaths::Get().GetExecutablePath());
    page.RemoveLastDir();
    const wxString url = FileUrl(page.GetPath() + "/" + U8(res::kAuthorHomePage));
    // The desktop's opener starts the browser; it is not waited for (it may
    // last as long as the browser), but when it ends in failure, or cannot
    // be started at all, the user is told.
    auto* opener = new BrowserLauncher(url);
    const wxScopedCharBuffer urlBytes = url.utf8_str();
    const char* argv[] = {"xdg-open", urlBytes.data(), nullptr};
    wxLogNull quiet;  // the box says it in the program's words
    if (wxExecute(argv, wxEXEC_ASYNC, opener) <= 0) opener->Failed();
}

}  // namespace kelmoro
