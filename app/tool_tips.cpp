// Toolbar tooltips in a popup placed under the hovered button, with the
// timing of GTK's own tooltips.
#include "tool_tips.h"

#include <wx/display.h>
#include <wx/popupwin.h>
#include <wx/settings.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include <algorithm>
#include <array>

namespace kelmoro {

namespace {

// As GTK does: a tooltip comes up after the pointer has rested on a button
// for half a second; while one is up, or shortly after one went away, the
// next button's comes up almost at once.
constexpr int kHoverDelayMs = 500;
constexpr int kBrowseDelayMs = 60;
constexpr int kBrowseKeptMs = 500;
// Between the button and its tooltip, and inside the tooltip's border.
constexpr int kGap = 4;
constexpr int kPadding = 4;

// The bar's mouse events that bring, move or take away a tooltip. A pointer
// that jumps onto the bar may bring an enter event only. (wx makes its event
// types when its library starts, hence not a table built before that.)
const std::array<wxEventTypeTag<wxMouseEvent>, 6>& MouseEvents() {
    static const std::array<wxEventTypeTag<wxMouseEvent>, 6> events = {
        wxEVT_ENTER_WINDOW, wxEVT_MOTION,     wxEVT_LEAVE_WINDOW,
        wxEVT_LEFT_DOWN,    wxEVT_RIGHT_DOWN, wxEVT_MIDDLE_DOWN};
    return events;
}

}  // namespace

ToolBarToolTips::ToolBarToolTips(wxAuiToolBar* bar) : m_bar(bar) {
    for (const auto& type : MouseEvents()) m_bar->Bind(type, &ToolBarToolTips::OnMouse, this);
    m_delay.Bind(wxEVT_TIMER, &ToolBarToolTips::OnDelay, this);
}

ToolBarToolTips::~ToolBarToolTips() {
    m_delay.Stop();
    for (const auto& type : MouseEvents()) m_bar->Unbind(type, &ToolBarToolTips::OnMouse, this);
    // The popup is a child of the bar and goes with it.
}

int ToolBarToolTips::ToolAt(int x, int y) const {
    wxAuiToolBarItem* item = m_bar->FindToolByPosition(x, y);
    if (item == nullptr || item->GetKind() == wxITEM_SEPARATOR || item->GetShortHelp().empty()) {
        return -1;
    }
    return item->GetId();
}

void ToolBarToolTips::OnMouse(wxMouseEvent& event) {
    event.Skip();
    if (event.Leaving()) {
        Hide();
        m_hovered = -1;
        return;
    }
    if (event.ButtonDown()) {
        // A click takes the tooltip away; it comes back on another button,
        // or on this one once the pointer has left it.
        Hide();
        return;
    }
    const int tool = ToolAt(event.GetX(), event.GetY());
    if (tool == m_hovered) return;
    const bool browsing = Shown() || wxGetLocalTimeMillis() - m_hiddenAt < kBrowseKeptMs;
    Hide();
    m_hovered = tool;
    if (tool != -1) m_delay.StartOnce(browsing ? kBrowseDelayMs : kHoverDelayMs);
}

bool ToolBarToolTips::Shown() const {
    return m_popup != nullptr && m_popup->IsShown();
}

void ToolBarToolTips::OnDelay(wxTimerEvent&) {
    if (m_hovered != -1 && m_bar->IsShownOnScreen()) Show(m_hovered);
}

void ToolBarToolTips::Show(int tool) {
    wxAuiToolBarItem* item = m_bar->FindTool(tool);
    if (item == nullptr) return;
    if (m_popup == nullptr) {
        m_popup = new wxPopupWindow(m_bar, wxBORDER_SIMPLE);
        m_popup->SetBackgroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_INFOBK));
        m_text = new wxStaticText(m_popup, wxID_ANY, wxEmptyString);
        m_text->SetForegroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_INFOTEXT));
        auto* sizer = new wxBoxSizer(wxVERTICAL);
        sizer->Add(m_text, 0, wxALL, kPadding);
        m_popup->SetSizer(sizer);
    }
    m_text->SetLabel(item->GetShortHelp());
    m_popup->Layout();
    m_popup->Fit();

    // Centred under the button, kept inside the work area; above the button
    // when there is no room below it.
    const wxRect button(m_bar->ClientToScreen(m_bar->GetToolRect(tool).GetTopLeft()),
                        m_bar->GetToolRect(tool).GetSize());
    const wxSize size = m_popup->GetSize();
    const int screen = wxDisplay::GetFromWindow(m_bar);
    const wxRect area = wxDisplay(screen == wxNOT_FOUND ? 0 : screen).GetClientArea();
    int x = button.x + (button.width - size.x) / 2;
    int y = button.GetBottom() + 1 + kGap;
    if (y + size.y > area.GetBottom() + 1) y = button.y - kGap - size.y;
    x = std::clamp(x, area.x, std::max(area.x, area.GetRight() + 1 - size.x));
    y = std::max(y, area.y);
    m_popup->Move(x, y);
    m_popup->Show();
}

void ToolBarToolTips::Hide() {
    m_delay.Stop();
    if (!Shown()) return;
    m_popup->Hide();
    m_hiddenAt = wxGetLocalTimeMillis();
}

}  // namespace kelmoro
