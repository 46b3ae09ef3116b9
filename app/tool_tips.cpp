// Toolbar tooltips in a popup placed under the hovered button, with the
// timing of GTK's own tooltips.
#include "tool_tips.h"

#include <wx/display.h>
#include <wx/popupwin.h>
#include <wx/settings.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include <algorithm>

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

}  // namespace

ToolBarToolTips::ToolBarToolTips(wxAuiToolBar* bar) : m_bar(bar) {
    // A pointer that jumps onto the bar may bring an enter event only.
    m_bar->Bind(wxEVT_ENTER_WINDOW, &ToolBarToolTips::OnMotion, this);
    m_bar->Bind(wxEVT_MOTION, &ToolBarToolTips::OnMotion, this);
    m_bar->Bind(wxEVT_LEAVE_WINDOW, &ToolBarToolTips::OnLeave, this);
    m_bar->Bind(wxEVT_LEFT_DOWN, &ToolBarToolTips::OnButtonDown, this);
    m_bar->Bind(wxEVT_RIGHT_DOWN, &ToolBarToolTips::OnButtonDown, this);
    m_bar->Bind(wxEVT_MIDDLE_DOWN, &ToolBarToolTips::OnButtonDown, this);
    m_delay.Bind(wxEVT_TIMER, &ToolBarToolTips::OnDelay, this);
}

ToolBarToolTips::~ToolBarToolTips() {
    m_delay.Stop();
    m_bar->Unbind(wxEVT_ENTER_WINDOW, &ToolBarToolTips::OnMotion, this);
    m_bar->Unbind(wxEVT_MOTION, &ToolBarToolTips::OnMotion, this);
    m_bar->Unbind(wxEVT_LEAVE_WINDOW, &ToolBarToolTips::OnLeave, this);
    m_bar->Unbind(wxEVT_LEFT_DOWN, &ToolBarToolTips::OnButtonDown, this);
    m_bar->Unbind(wxEVT_RIGHT_DOWN, &ToolBarToolTips::OnButtonDown, this);
    m_bar->Unbind(wxEVT_MIDDLE_DOWN, &ToolBarToolTips::OnButtonDown, this);
    // The popup is a child of the bar and goes with it.
}

int ToolBarToolTips::ToolAt(int x, int y) const {
    wxAuiToolBarItem* item = m_bar->FindToolByPosition(x, y);
    if (item == nullptr || item->GetKind() == wxITEM_SEPARATOR || item->GetShortHelp().empty()) {
        return -1;
    }
    return item->GetId();
}

void ToolBarToolTips::OnMotion(wxMouseEvent& event) {
    event.Skip();
    const int tool = ToolAt(event.GetX(), event.GetY());
    if (tool == m_hovered) return;
    const bool browsing = m_shown != -1 || wxGetLocalTimeMillis() - m_hiddenAt < kBrowseKeptMs;
    Hide();
    m_hovered = tool;
    if (tool != -1) m_delay.StartOnce(browsing ? kBrowseDelayMs : kHoverDelayMs);
}

void ToolBarToolTips::OnLeave(wxMouseEvent& event) {
    event.Skip();
    Hide();
    m_hovered = -1;
}

void ToolBarToolTips::OnButtonDown(wxMouseEvent& event) {
    // A click takes the tooltip away; it comes back on another button, or on
    // this one once the pointer has left it.
    event.Skip();
    Hide();
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
    m_shown = tool;
}

void ToolBarToolTips::Hide() {
    m_delay.Stop();
    if (m_shown == -1) return;
    m_popup->Hide();
    m_shown = -1;
    m_hiddenAt = wxGetLocalTimeMillis();
}

}  // namespace kelmoro
