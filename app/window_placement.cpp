// Default owner, work area, placement and wrapping of the program's windows.
#include "window_placement.h"

#include <wx/app.h>
#include <wx/dcscreen.h>
#include <wx/display.h>
#include <wx/toplevel.h>

#include <algorithm>

namespace kelmoro {

wxWindow* DefaultOwner() {
    for (wxWindow* window : wxTopLevelWindows) {
        auto* top = wxDynamicCast(window, wxTopLevelWindow);
        if (top != nullptr && top->IsShown() && top->IsActive()) return top;
    }
    wxWindow* main = wxTheApp != nullptr ? wxTheApp->GetTopWindow() : nullptr;
    return main != nullptr && main->IsShown() ? main : nullptr;
}

wxRect WorkArea(const wxWindow* window) {
    int index = window != nullptr ? wxDisplay::GetFromWindow(window) : wxNOT_FOUND;
    if (index == wxNOT_FOUND) index = 0;
    return wxDisplay(static_cast<unsigned>(index)).GetClientArea();
}

void PlaceInWorkArea(wxWindow* window) {
    wxWindow* parent = window->GetParent();
    const bool onParent = parent != nullptr && parent->IsShown();
    const wxRect area = WorkArea(onParent ? parent : window);
    wxSize size = window->GetSize();
    if (size.x > area.width || size.y > area.height) {
        size.x = std::min(size.x, area.width);
        size.y = std::min(size.y, area.height);
        window->SetSize(size);
    }
    const wxRect around = onParent ? parent->GetScreenRect() : area;
    wxPoint position(around.x + (around.width - size.x) / 2,
                     around.y + (around.height - size.y) / 2);
    position.x = std::clamp(position.x, area.x, area.GetRight() + 1 - size.x);
    position.y = std::clamp(position.y, area.y, area.GetBottom() + 1 - size.y);
    window->Move(position);
}

wxString WrapToWidth(const wxString& text, const wxFont& font, int maxWidth) {
    // Measured on the screen: a window not yet shown measures nothing.
    wxScreenDC dc;
    dc.SetFont(font);
    wxString result;
    wxString line;
    auto width = [&dc](const wxString& s) { return dc.GetTextExtent(s).x; };
    for (const wxUniChar c : text) {
        if (c == '\n') {
            result << line << '\n';
            line.clear();
            continue;
        }
        line << c;
        if (line.length() < 2 || width(line) <= maxWidth) continue;
        // Too wide: break after the last blank or path separator of the
        // line, if any, else before the character just added.
        const int blank = std::max(line.Find(' ', true), line.Find('/', true));
        if (blank > 0) {
            result << line.Left(blank + 1) << '\n';
            line = line.Mid(blank + 1);
        } else {
            result << line.Left(line.length() - 1) << '\n';
            line = line.Right(1);
        }
    }
    return result + line;
}

}  // namespace kelmoro
