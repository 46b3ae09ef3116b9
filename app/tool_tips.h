// Toolbar tooltips shown at the button they describe.
//
// wxAuiToolBar draws its buttons itself inside one native widget, and GTK
// places a widget's tooltip by the widget as a whole: every button's tooltip
// came up near the middle of the bar, or stayed where the first one had come
// up, often beside another button. The bar's tooltips are therefore shown
// here, in a small popup of our own just below the hovered button.
#pragma once

#include <wx/aui/auibar.h>
#include <wx/timer.h>

class wxPopupWindow;
class wxStaticText;

namespace kelmoro {

class ToolBarToolTips {
public:
    // The bar must have the wxAUI_TB_NO_TOOLTIPS style, so that wx gives it
    // no tooltip of its own; it must outlive this object.
    explicit ToolBarToolTips(wxAuiToolBar* bar);
    ~ToolBarToolTips();
    ToolBarToolTips(const ToolBarToolTips&) = delete;
    ToolBarToolTips& operator=(const ToolBarToolTips&) = delete;

private:
    // The button under (x, y) in the bar's coordinates that has a tooltip,
    // or -1.
    int ToolAt(int x, int y) const;
    void OnMouse(wxMouseEvent& event);
    void OnDelay(wxTimerEvent& event);
    void Show(int tool);
    void Hide();
    bool Shown() const;

    wxAuiToolBar* m_bar;
    wxTimer m_delay;
    wxPopupWindow* m_popup = nullptr;  // made when first needed
    wxStaticText* m_text = nullptr;
    int m_hovered = -1;         // the button under the pointer
    wxLongLong m_hiddenAt = 0;  // when a tooltip was last taken away (ms)
};

}  // namespace kelmoro
