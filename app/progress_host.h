// The host services that both progress windows (the conversion dialog and
// the batch window) give the engine alike: the bar it drives, with each
// position clamped into the range it set, and the application's nested wait
// cursor. After each change the bar shows, the event loop runs for the
// window (wxSafeYield: GTK repaints the bar nowhere else), delivering input
// to that window alone, which decides itself what to do with it.
#pragma once

#include <wx/gauge.h>
#include <wx/window.h>

#include "engine/convert_host.h"

namespace kelmoro {

class ProgressHost : public CConvertHost {
public:
    // `window` is the one whose event loop runs; it outlives this object.
    explicit ProgressHost(wxWindow* window) : m_window(window) {}

    void SetProgressRange(int low, int high) override;
    void SetProgressPos(int position) override;
    void BeginWait() override;
    void EndWait() override;

protected:
    // The bar the engine drives (null: none, and the calls only keep the range).
    void SetProgressBar(wxGauge* bar) { m_bar = bar; }
    // Lets the event loop run so the bars repaint; input goes to the window.
    void Pump();

private:
    wxWindow* m_window;
    wxGauge* m_bar = nullptr;
    int m_low = 0;
    int m_high = 100;
};

}  // namespace kelmoro
