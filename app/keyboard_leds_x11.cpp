// The lock lights through XKB: named indicators looked up once, then one
// XkbGetIndicatorState per reading.
#include "keyboard_leds_x11.h"

#include <X11/XKBlib.h>

namespace kelmoro {
namespace {

// XKB's names of the lights, in the order of KeyboardLed.
const char* const kLedNames[] = {"Kana", "Caps Lock", "Num Lock", "Scroll Lock"};

}  // namespace

bool XkbKeyboardLeds::Read() {
    if (!m_resolved) {
        for (int i = 0; i < kKeyboardLedCount; ++i) {
            const Atom atom = XInternAtom(m_display, kLedNames[i], True);
            int index = -1;
            if (atom == None ||
                !XkbGetNamedIndicator(m_display, atom, &index, nullptr, nullptr, nullptr)) {
                index = -1;
            }
            m_index[i] = index;
        }
        m_resolved = true;
    }
    return XkbGetIndicatorState(m_display, XkbUseCoreKbd, &m_state) == Success;
}

bool XkbKeyboardLeds::Lit(KeyboardLed led) const {
    const int index = m_index[static_cast<int>(led)];
    return index >= 0 && ((m_state >> index) & 1) != 0;
}

}  // namespace kelmoro
