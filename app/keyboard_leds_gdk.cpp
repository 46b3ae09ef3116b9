// The lock lights under GTK. On an X server they are read through XKB
// (keyboard_leds_x11.h), which knows the Kana light too. On any other GDK
// display (Wayland) they come from GDK's keymap, which follows the
// compositor's keyboard state: Caps, Num and Scroll Lock only, so Kana reads
// as off there. Xlib must never be handed a display that is not X11's: it
// crashes.
#include <gdk/gdk.h>
#include <gdk/gdkx.h>
#include <wx/app.h>

#include "keyboard_leds.h"
#include "keyboard_leds_x11.h"

namespace kelmoro {
namespace {

class GdkKeymapLeds : public KeyboardLeds {
public:
    // The indicators are read when the program is idle. A lock's new state
    // may come after the key's own events, with nothing after it to make
    // the program idle again, so each change wakes it.
    explicit GdkKeymapLeds(GdkKeymap* keymap)
        : m_keymap(keymap),
          m_changed(keymap != nullptr
                        ? g_signal_connect(keymap, "state-changed", G_CALLBACK(WakeUp), nullptr)
                        : 0) {}
    ~GdkKeymapLeds() override {
        if (m_changed != 0) g_signal_handler_disconnect(m_keymap, m_changed);
    }
    GdkKeymapLeds(const GdkKeymapLeds&) = delete;
    GdkKeymapLeds& operator=(const GdkKeymapLeds&) = delete;

    bool Read() override {
        if (m_keymap == nullptr) return false;
        Light(KeyboardLed::kCapsLock) = gdk_keymap_get_caps_lock_state(m_keymap);
        Light(KeyboardLed::kNumLock) = gdk_keymap_get_num_lock_state(m_keymap);
        Light(KeyboardLed::kScrollLock) = gdk_keymap_get_scroll_lock_state(m_keymap);
        return true;
    }

    bool Lit(KeyboardLed led) const override { return m_lit[static_cast<int>(led)]; }

private:
    static void WakeUp(GdkKeymap*, gpointer) { wxWakeUpIdle(); }
    bool& Light(KeyboardLed led) { return m_lit[static_cast<int>(led)]; }

    GdkKeymap* m_keymap;                 // owned by its display
    gulong m_changed;                    // the state-changed handler, 0: none
    bool m_lit[kKeyboardLedCount] = {};  // Kana stays false: GDK does not report it
};

}  // namespace

std::unique_ptr<KeyboardLeds> OpenKeyboardLeds() {
    GdkDisplay* display = gdk_display_get_default();
    if (display != nullptr && GDK_IS_X11_DISPLAY(display)) {
        return std::make_unique<XkbKeyboardLeds>(GDK_DISPLAY_XDISPLAY(display));
    }
    GdkKeymap* keymap = display != nullptr ? gdk_keymap_get_for_display(display) : nullptr;
    return std::make_unique<GdkKeymapLeds>(keymap);
}

}  // namespace kelmoro
