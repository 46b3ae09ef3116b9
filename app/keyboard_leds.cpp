// The lock lights through XKB: named indicators looked up once, then one
// XkbGetIndicatorState per reading.
#include "keyboard_leds.h"

#include <X11/XKBlib.h>
#include <wx/utils.h>

namespace kelmoro {
namespace {

// XKB's names of the lights, in the order of KeyboardLed.
const char* const kLedNames[] = {"Kana", "Caps Lock", "Num Lock", "Scroll Lock"};

}  // namespace

bool KeyboardLeds::Read() {
    auto* display = static_cast<Display*>(wxGetX11Display());
    if (display == nullptr) return false;
    if (!m_resolved) {
        for (int i = 0; i < kCount; ++i) {
            const Atom atom = XInternAtom(display, kLedNames[i], True);
            int index = -1;
            if (atom == None ||
                !XkbGetNamedIndicator(display, atom, &index, nullptr, nullptr, nullptr)) {
                index = -1;
            }
            m_index[i] = index;
        }
        m_resolved = true;
    }
    return XkbGetIndicatorState(display, XkbUseCoreKbd, &m_state) == Success;
}

bool KeyboardLeds::Lit(KeyboardLed led) const {
    const int index = m_index[static_cast<int>(led)];
    return index >= 0 && ((m_state >> index) & 1) != 0;
}

}  // namespace kelmoro
