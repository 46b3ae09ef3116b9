// Byte string and wxString conversions.
#include "wx_text.h"

namespace kelmoro {

wxString FromBytes(const std::string& bytes) {
    wxString text = wxString::FromUTF8(bytes.data(), bytes.size());
    if (text.empty() && !bytes.empty())
        text = wxString(bytes.data(), wxConvISO8859_1, bytes.size());
    return text;
}

std::string PathBytes(const wxString& path) {
    const wxCharBuffer bytes = path.fn_str();
    if (bytes.data() == nullptr) return std::string(path.utf8_str());
    return std::string(bytes.data(), bytes.length());
}

}  // namespace kelmoro
