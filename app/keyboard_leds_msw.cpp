// The lock lights on Windows: the toggle state Windows keeps for each lock
// key (GetKeyState's low bit), Kana included, which Japanese keyboards lock
// like Caps Lock. It follows the keyboard input of this program's thread,
// which is what the status bar is shown for.
#include <windows.h>

#include "keyboard_leds.h"

namespace kelmoro {
namespace {

// The lock keys, in the order of KeyboardLed.
const int kLockKeys[] = {VK_KANA, VK_CAPITAL, VK_NUMLOCK, VK_SCROLL};

class ToggleKeyLeds : public KeyboardLeds {
public:
    bool Read() override {
        for (int i = 0; i < kKeyboardLedCount; ++i) m_lit[i] = (GetKeyState(kLockKeys[i]) & 1) != 0;
        return true;
    }
    bool Lit(KeyboardLed led) const override { return m_lit[static_cast<int>(led)]; }

private:
    bool m_lit[kKeyboardLedCount] = {};
};

}  // namespace

std::unique_ptr<KeyboardLeds> OpenKeyboardLeds() {
    return std::make_unique<ToggleKeyLeds>();
}

}  // namespace kelmoro
