// A native GTK window kept inside the work area of its monitor.
#include "native_window_fit.h"

#include <gdk/gdkx.h>
#include <gtk/gtk.h>

#include <algorithm>
#include <cstring>

namespace kelmoro {

namespace {

enum class Fit { kNothing, kSize, kSizeAndPosition };

// What the program must do itself. On X11 a window manager keeps windows on
// the screen (and knows the size of the frame it adds); only on a bare X
// server does nothing. A Wayland compositor places every window, and a
// client cannot move its own; but it need not shrink a window larger than
// the output (weston does not), so the size is kept in bounds there.
Fit FitNeeded(GtkWidget* widget) {
    GdkScreen* screen = gtk_widget_get_screen(widget);
    if (!GDK_IS_X11_SCREEN(screen)) return Fit::kSize;
    return std::strcmp(gdk_x11_screen_get_window_manager_name(screen), "unknown") == 0
               ? Fit::kSizeAndPosition
               : Fit::kNothing;
}

void FitToWorkArea(GtkWindow* window) {
    const Fit fit = FitNeeded(GTK_WIDGET(window));
    if (fit == Fit::kNothing) return;
    GdkWindow* native = gtk_widget_get_window(GTK_WIDGET(window));
    if (native == nullptr) return;
    GdkMonitor* monitor =
        gdk_display_get_monitor_at_window(gtk_widget_get_display(GTK_WIDGET(window)), native);
    if (monitor == nullptr) return;
    GdkRectangle area;
    gdk_monitor_get_workarea(monitor, &area);

    if (fit == Fit::kSize) {
        // A largest size, not a resize: GTK keeps every size it gives the
        // window within it, the chooser's own first one included, which
        // would replace a resize made now. It measures the whole window,
        // GTK's title bar and shadow included.
        GdkGeometry hints = {};
        hints.max_width = area.width;
        hints.max_height = area.height;
        gtk_window_set_geometry_hints(window, nullptr, &hints, GDK_HINT_MAX_SIZE);
        return;
    }

    // The window manager's frame, if any, must fit too: the size set is
    // the inside's, the position the frame's.
    GdkRectangle frame;
    gdk_window_get_frame_extents(native, &frame);
    int width = 0;
    int height = 0;
    gtk_window_get_size(window, &width, &height);
    const int frameWidth = std::max(0, frame.width - width);
    const int frameHeight = std::max(0, frame.height - height);
    const int fitWidth = std::min(width, area.width - frameWidth);
    const int fitHeight = std::min(height, area.height - frameHeight);
    if (fitWidth != width || fitHeight != height) {
        gtk_window_resize(window, fitWidth, fitHeight);
    }
    const int fitX = std::clamp(frame.x, area.x, area.x + area.width - fitWidth - frameWidth);
    const int fitY = std::clamp(frame.y, area.y, area.y + area.height - fitHeight - frameHeight);
    if (fitX != frame.x || fitY != frame.y) gtk_window_move(window, fitX, fitY);
}

void OnMap(GtkWidget* widget, gpointer) {
    FitToWorkArea(GTK_WINDOW(widget));
}

gboolean OnConfigure(GtkWidget* widget, GdkEvent*, gpointer) {
    FitToWorkArea(GTK_WINDOW(widget));
    return FALSE;  // GTK and wx still see the event
}

}  // namespace

void KeepNativeWindowInWorkArea(wxWindow* window) {
    auto* widget = static_cast<GtkWidget*>(window->GetHandle());
    if (widget == nullptr || !GTK_IS_WINDOW(widget)) return;
    g_signal_connect_after(widget, "map", G_CALLBACK(OnMap), nullptr);
    g_signal_connect_after(widget, "configure-event", G_CALLBACK(OnConfigure), nullptr);
}

}  // namespace kelmoro
