// A native GTK window kept inside the work area of its monitor.
#include "native_window_fit.h"

#include <gtk/gtk.h>

#include <algorithm>

namespace kelmoro {

namespace {

void FitToWorkArea(GtkWindow* window) {
    GdkWindow* native = gtk_widget_get_window(GTK_WIDGET(window));
    if (native == nullptr) return;
    GdkMonitor* monitor =
        gdk_display_get_monitor_at_window(gtk_widget_get_display(GTK_WIDGET(window)), native);
    if (monitor == nullptr) return;
    GdkRectangle area;
    gdk_monitor_get_workarea(monitor, &area);

    int width = 0;
    int height = 0;
    gtk_window_get_size(window, &width, &height);
    const int fitWidth = std::min(width, area.width);
    const int fitHeight = std::min(height, area.height);
    if (fitWidth != width || fitHeight != height) {
        gtk_window_resize(window, fitWidth, fitHeight);
    }
    int x = 0;
    int y = 0;
    gtk_window_get_position(window, &x, &y);
    const int fitX = std::clamp(x, area.x, area.x + area.width - fitWidth);
    const int fitY = std::clamp(y, area.y, area.y + area.height - fitHeight);
    if (fitX != x || fitY != y) gtk_window_move(window, fitX, fitY);
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
