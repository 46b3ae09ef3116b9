// CStatusBar: pane texts traced as they change.
#include "status_bar.h"

#include "accessibility.h"
#include "test_trace.h"

namespace kelmoro {

void CStatusBar::DoUpdateStatusText(int number) {
    const wxString text = GetStatusText(number);
    if (number >= 0 && number < kTracedPanes && text != m_traced[number]) {
        m_traced[number] = text;
        TraceLine(wxString::Format("status\t%d\t", number) + text);
    }
    // wx draws the panes itself: screen readers read the message as the
    // bar's name.
    if (number == 0) SetAccessibleRoleAndName(this, AccessibleRole::kStatusBar, text);
    wxStatusBar::DoUpdateStatusText(number);
}

}  // namespace kelmoro
