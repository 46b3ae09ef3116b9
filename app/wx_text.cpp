// Byte string and wxString conversions.
#include "wx_text.h"

#include <wx/strconv.h>

#include "platform/code_page.h"

namespace kelmoro {

namespace {

wxString Latin1(const std::string& bytes) {
    return wxString(bytes.data(), wxConvISO8859_1, bytes.size());
}

wxString Utf8OrLatin1(const std::string& bytes) {
    wxString text = wxString::FromUTF8(bytes.data(), bytes.size());
    return text.empty() && !bytes.empty() ? Latin1(bytes) : text;
}

}  // namespace

wxString FromBytes(const std::string& bytes) {
    switch (platform::ActiveCodePage()) {
        case platform::CodePage::kShiftJis: {
            static wxCSConv cp932("CP932");
            wxString text(bytes.data(), cp932, bytes.size());
            return text.empty() && !bytes.empty() ? Latin1(bytes) : text;
        }
        case platform::CodePage::kSingleByte:
            return Latin1(bytes);
        case platform::CodePage::kUtf8:
            break;
    }
    return Utf8OrLatin1(bytes);
}

wxString MessageText(const std::string& text, const std::string& path) {
    if (path.empty()) return Utf8OrLatin1(text);
    wxString result;
    std::size_t start = 0;
    for (std::size_t found = text.find(path); found != std::string::npos;
         found = text.find(path, start)) {
        result << Utf8OrLatin1(text.substr(start, found - start)) << FromBytes(path);
        start = found + path.size();
    }
    return result << Utf8OrLatin1(text.substr(start));
}

namespace {

// A system that names files in bytes (Linux): those bytes, or UTF-8 when
// the name has no form in them.
[[maybe_unused]] std::string FileNameBytes(const wxScopedCharBuffer& bytes, const wxString& path) {
    if (bytes.data() == nullptr) return std::string(path.utf8_str());
    return std::string(bytes.data(), bytes.length());
}

// A system that names files in UTF-16 (Windows): UTF-8, in which the
// platform layer takes every name.
[[maybe_unused]] std::string FileNameBytes(const wchar_t*, const wxString& path) {
    return std::string(path.utf8_str());
}

}  // namespace

std::string PathBytes(const wxString& path) {
    return FileNameBytes(path.fn_str(), path);
}

}  // namespace kelmoro
