// Dialog units from a font's average Latin letter width and its height.
#include "dialog_units.h"

#include <wx/dcclient.h>

namespace kelmoro {

DialogUnits::DialogUnits(const wxWindow& window) {
    static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    wxClientDC dc(const_cast<wxWindow*>(&window));
    dc.SetFont(window.GetFont());
    wxCoord width = 0;
    wxCoord height = 0;
    dc.GetTextExtent(kLetters, &width, &height);
    m_baseWidth = (width / 26 + 1) / 2;  // rounded, as the platform does
    m_baseHeight = dc.GetCharHeight();
    if (m_baseWidth <= 0) m_baseWidth = 1;
    if (m_baseHeight <= 0) m_baseHeight = 1;
}

wxPoint DialogUnits::Point(int x, int y) const {
    return wxPoint(x * m_baseWidth / 4, y * m_baseHeight / 8);
}

wxSize DialogUnits::Size(int width, int height) const {
    return wxSize(width * m_baseWidth / 4, height * m_baseHeight / 8);
}

}  // namespace kelmoro
