// CStatusBar: pane texts traced as they change.
#include "status_bar.h"

#include "test_trace.h"

namespace kelmoro {

void CStatusBar::DoUpdateStatusText(int number) {
    const wxString text = GetStatusText(number);
    if (number >= 0 && number < kTracedPanes && text != m_traced[number]) {
        m_traced[number] = text;
        TraceLine(wxString::Format("status\t%d\t", number) + text);
    }
    wxStatusBar::DoUpdateStatusText(number);
}

}  // namespace kelmoro
