// A native GTK window kept inside the work area of its monitor.
#include "native_window_fit.h"

#include <gdk/gdkx.h>
#include <gtk/gtk.h>

#include <algorithm>
#include <cstring>

namespace kelmoro {

namespace {

// A window manager keeps windows on the screen itself (and knows the size of
// the frame it adds); only on a bare X server does nothing.
bool WithoutWindowManager(GtkWidget* widget) {
    GdkScreen* screen = gtk_widget_get_screen(widget);
    return GDK_IS_X11_SCREEN(screen) &&
           std::strcmp(gdk_x11_screen_get_window_manager_name(screen), "unknown") == 0;
}

void FitToWorkArea(GtkWindow* window) {
    if (!WithoutWindowManager(GTK_WIDGET(window))) return;
    GdkWindow* native = gtk_widget_get_window(GTK_WIDGET(window));
    if (native == nullptr) return;
    GdkMonitor* monitor =
        gdk_display_get_monitor_at_window(gtk_widget_get_display(GTK_WIDGET(window)), native);
    if (monitor == nullptr) return;
    GdkRectangle area;
    gdk_monitor_get_workarea(monitor, &area);

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
