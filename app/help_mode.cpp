// Help mode: the filter, the cursor and the trace lines of its start and end.
#include "help_mode.h"

#include <wx/event.h>
#include <wx/utils.h>

#include "test_trace.h"

namespace kelmoro {

HelpMode::HelpMode(wxWindow& owner, std::function<void(bool)> onEnd)
    : m_owner(owner), m_onEnd(std::move(onEnd)) {}

HelpMode::~HelpMode() {
    // The filter must not outlive the window it reports to.
    if (Active()) Finish();
}

void HelpMode::Begin() {
    if (Active()) return;
    m_filter = std::make_unique<Filter>(*this);
    wxEvtHandler::AddFilter(m_filter.get());
    wxBeginBusyCursor(&m_cursor);
    TraceLine("helpmode\ton");
}

void HelpMode::Finish() {
    wxEvtHandler::RemoveFilter(m_filter.get());
    m_filter.reset();
    wxEndBusyCursor();
    TraceLine("helpmode\toff");
}

void HelpMode::End(bool helpWanted) {
    if (!Active()) return;
    Finish();
    m_onEnd(helpWanted);
}

int HelpMode::Filter::FilterEvent(wxEvent& event) {
    // The mode ends after the current event, not inside the filter that is
    // being removed.
    const wxEventType type = event.GetEventType();
    HelpMode* mode = &m_mode;
    if (type == wxEVT_LEFT_DOWN || type == wxEVT_RIGHT_DOWN || type == wxEVT_MIDDLE_DOWN) {
        m_mode.m_owner.CallAfter([mode] { mode->End(true); });
        return Event_Processed;
    }
    if (type == wxEVT_KEY_DOWN || type == wxEVT_CHAR_HOOK) {
        if (static_cast<wxKeyEvent&>(event).GetKeyCode() == WXK_ESCAPE) {
            m_mode.m_owner.CallAfter([mode] { mode->End(false); });
        }
        return Event_Processed;
    }
    if (type == wxEVT_LEFT_UP || type == wxEVT_RIGHT_UP || type == wxEVT_MIDDLE_UP ||
        type == wxEVT_CHAR || type == wxEVT_KEY_UP) {
        return Event_Processed;
    }
    return Event_Skip;
}

}  // namespace kelmoro
