// The progress bar and the wait cursor, as the engine drives them.
#include "progress_host.h"

#include <wx/utils.h>

#include <algorithm>

namespace kelmoro {

void ProgressHost::SetProgressRange(int low, int high) {
    m_low = low;
    m_high = std::max(high, low + 1);
    if (m_bar == nullptr) return;
    m_bar->SetRange(m_high - m_low);
    Pump();
}

void ProgressHost::SetProgressPos(int position) {
    if (m_bar == nullptr) return;
    const int value = std::clamp(position, m_low, m_high) - m_low;
    if (value == m_bar->GetValue()) return;
    m_bar->SetValue(value);
    Pump();
}

void ProgressHost::BeginWait() {
    wxBeginBusyCursor();
}

void ProgressHost::EndWait() {
    wxEndBusyCursor();
}

void ProgressHost::Pump() {
    wxSafeYield(m_window, true);
}

}  // namespace kelmoro
