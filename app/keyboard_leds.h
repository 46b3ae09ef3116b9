// The keyboard's lock lights (Kana, Caps Lock, Num Lock, Scroll Lock), as the
// status-bar indicators show them. wxGetKeyState tells whether a lock key is
// held down, not whether its lock is on, so the indicators read the lights.
//
// One interface, one implementation per windowing system: OpenKeyboardLeds
// picks the one for the display the program runs on. A light the system
// cannot report reads as off.
#pragma once

#include <memory>

namespace kelmoro {

enum class KeyboardLed { kKana, kCapsLock, kNumLock, kScrollLock };
inline constexpr int kKeyboardLedCount = 4;

class KeyboardLeds {
public:
    virtual ~KeyboardLeds() = default;
    // Reads the current state of every light; false when it cannot be read
    // now (the last state is kept).
    virtual bool Read() = 0;
    // Whether `led` was lit at the last successful Read.
    virtual bool Lit(KeyboardLed led) const = 0;
};

// The lights of the keyboard of the program's display. Call once the
// toolkit is running.
std::unique_ptr<KeyboardLeds> OpenKeyboardLeds();

}  // namespace kelmoro
