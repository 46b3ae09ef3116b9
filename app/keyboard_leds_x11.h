// The lock lights on an X server, through its keyboard extension (XKB),
// which alone among the ways GTK offers also knows the Kana light.
#pragma once

#include <X11/Xlib.h>

#include "keyboard_leds.h"

namespace kelmoro {

class XkbKeyboardLeds : public KeyboardLeds {
public:
    // `display` must be an X11 display and outlive this object.
    explicit XkbKeyboardLeds(Display* display) : m_display(display) {}

    // One request per reading; the lights' indices are looked up on the
    // first call.
    bool Read() override;
    bool Lit(KeyboardLed led) const override;

private:
    Display* m_display;
    int m_index[kKeyboardLedCount] = {-1, -1, -1, -1};  // bit in the state; -1: no such light
    bool m_resolved = false;
    unsigned int m_state = 0;
};

}  // namespace kelmoro
