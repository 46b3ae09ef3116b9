// Dialog units as the platform's dialog templates measure them: a quarter
// of the font's average width of the 52 Latin letters across, an eighth of
// its height down. wx's own ConvertDialogToPixels takes Pango's approximate
// character width, which a Japanese font makes that of a full-width
// character, and would lay out every template about a third too wide.
#pragma once

#include <wx/gdicmn.h>
#include <wx/window.h>

namespace kelmoro {

class DialogUnits {
public:
    // Measures the window's current font.
    explicit DialogUnits(const wxWindow& window);

    wxPoint Point(int x, int y) const;
    wxSize Size(int width, int height) const;

private:
    int m_baseWidth;   // average width in pixels
    int m_baseHeight;  // character height in pixels
};

}  // namespace kelmoro
