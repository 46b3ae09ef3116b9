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

std::string PathBytes(const wxString& path) {
    const wxCharBuffer bytes = path.fn_str();
    if (bytes.data() == nullptr) return std::string(path.utf8_str());
    return std::string(bytes.data(), bytes.length());
}

}  // namespace kelmoro
