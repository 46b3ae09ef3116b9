// The keyboard's lock lights (Kana, Caps Lock, Num Lock, Scroll Lock), read
// from the X server's keyboard extension. wxGetKeyState tells whether a lock
// key is held down, not whether its lock is on, so the status-bar
// indicators read the lights instead. The only unit that talks to X11.
#pragma once

namespace kelmoro {

enum class KeyboardLed { kKana, kCapsLock, kNumLock, kScrollLock };

class KeyboardLeds {
public:
    // Reads the current state in one request; false when there is no X
    // display. The lights' indices are looked up on the first call.
    bool Read();
    // Whether `led` was lit at the last successful Read.
    bool Lit(KeyboardLed led) const;

private:
    static constexpr int kCount = 4;
    int m_index[kCount] = {-1, -1, -1, -1};  // bit in the state; -1: no such light
    bool m_resolved = false;
    unsigned int m_state = 0;
};

}  // namespace kelmoro
