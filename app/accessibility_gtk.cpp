// Accessible names and roles for the windows wx draws itself, and an ATK
// object per toolbar button.
#include "accessibility.h"

#include <atk/atk.h>
#include <gtk/gtk.h>
#include <wx/app.h>
#include <wx/weakref.h>

#include <vector>

namespace kelmoro {
namespace {

AtkObject* AccessibleOf(wxWindow* window) {
    if (window == nullptr || window->GetHandle() == nullptr) return nullptr;
    return gtk_widget_get_accessible(GTK_WIDGET(window->GetHandle()));
}

// ----------------------------------------------------------------------------
// One toolbar button: an AtkObject with a place on the screen (AtkComponent)
// and one action (AtkAction). The toolbar may be gone while a reader still
// holds the object; it then reports nothing and does nothing.

struct ToolButton {
    wxWeakRef<wxAuiToolBar> toolBar;
    int toolId;
    int index;  // among the toolbar's accessible children
};

struct ToolAccessible {
    AtkObject parent;
    ToolButton* button;
};

struct ToolAccessibleClass {
    AtkObjectClass parent;
};

gpointer g_toolAccessibleParentClass = nullptr;

ToolButton* ButtonOf(gpointer object) {
    return reinterpret_cast<ToolAccessible*>(object)->button;
}

void ToolFinalize(GObject* object) {
    delete ButtonOf(object);
    G_OBJECT_CLASS(g_toolAccessibleParentClass)->finalize(object);
}

gint ToolIndexInParent(AtkObject* object) {
    return ButtonOf(object)->index;
}

AtkStateSet* ToolStateSet(AtkObject* object) {
    AtkStateSet* states = ATK_OBJECT_CLASS(g_toolAccessibleParentClass)->ref_state_set(object);
    const ToolButton* button = ButtonOf(object);
    wxAuiToolBar* toolBar = button->toolBar.get();
    if (toolBar == nullptr) {
        atk_state_set_add_state(states, ATK_STATE_DEFUNCT);
        return states;
    }
    if (toolBar->GetToolEnabled(button->toolId)) {
        atk_state_set_add_state(states, ATK_STATE_ENABLED);
        atk_state_set_add_state(states, ATK_STATE_SENSITIVE);
    }
    if (toolBar->IsShown()) atk_state_set_add_state(states, ATK_STATE_VISIBLE);
    if (toolBar->IsShownOnScreen()) atk_state_set_add_state(states, ATK_STATE_SHOWING);
    return states;
}

void ToolExtents(AtkComponent* component, gint* x, gint* y, gint* width, gint* height,
                 AtkCoordType coordType) {
    *x = *y = *width = *height = -1;
    const ToolButton* button = ButtonOf(component);
    wxAuiToolBar* toolBar = button->toolBar.get();
    if (toolBar == nullptr || !toolBar->IsShownOnScreen()) return;
    const wxRect rect = toolBar->GetToolRect(button->toolId);
    wxPoint origin = toolBar->ClientToScreen(rect.GetPosition());
    if (coordType == ATK_XY_WINDOW) {
        GtkWidget* top = gtk_widget_get_toplevel(GTK_WIDGET(toolBar->GetHandle()));
        gint topX = 0;
        gint topY = 0;
        if (GdkWindow* window = gtk_widget_get_window(top)) {
            gdk_window_get_origin(window, &topX, &topY);
        }
        origin -= wxPoint(topX, topY);
    } else if (coordType == ATK_XY_PARENT) {
        origin = rect.GetPosition();
    }
    *x = origin.x;
    *y = origin.y;
    *width = rect.width;
    *height = rect.height;
}

void ToolComponentInit(gpointer iface, gpointer) {
    static_cast<AtkComponentIface*>(iface)->get_extents = ToolExtents;
}

gint ToolActionCount(AtkAction*) {
    return 1;
}

const gchar* ToolActionName(AtkAction*, gint index) {
    return index == 0 ? "click" : nullptr;
}

// The press is handled after the reader's request has been answered: the
// command may open a modal dialog.
gboolean ToolDoAction(AtkAction* action, gint index) {
    const ToolButton* button = ButtonOf(action);
    wxAuiToolBar* toolBar = button->toolBar.get();
    if (index != 0 || toolBar == nullptr || !toolBar->GetToolEnabled(button->toolId)) {
        return FALSE;
    }
    wxWeakRef<wxAuiToolBar> target = toolBar;
    const int toolId = button->toolId;
    wxTheApp->CallAfter([target, toolId] {
        if (target.get() == nullptr) return;
        wxCommandEvent event(wxEVT_MENU, toolId);
        event.SetEventObject(target.get());
        target->ProcessWindowEvent(event);
    });
    return TRUE;
}

void ToolActionInit(gpointer iface, gpointer) {
    auto* action = static_cast<AtkActionIface*>(iface);
    action->get_n_actions = ToolActionCount;
    action->get_name = ToolActionName;
    action->do_action = ToolDoAction;
}

void ToolClassInit(gpointer klass, gpointer) {
    g_toolAccessibleParentClass = g_type_class_peek_parent(klass);
    G_OBJECT_CLASS(klass)->finalize = ToolFinalize;
    ATK_OBJECT_CLASS(klass)->get_index_in_parent = ToolIndexInParent;
    ATK_OBJECT_CLASS(klass)->ref_state_set = ToolStateSet;
}

GType ToolAccessibleType() {
    static const GType type = [] {
        const GType registered = g_type_register_static_simple(
            ATK_TYPE_OBJECT, "KelmoroToolButtonAccessible", sizeof(ToolAccessibleClass),
            ToolClassInit, sizeof(ToolAccessible), nullptr, GTypeFlags(0));
        const GInterfaceInfo component = {ToolComponentInit, nullptr, nullptr};
        g_type_add_interface_static(registered, ATK_TYPE_COMPONENT, &component);
        const GInterfaceInfo action = {ToolActionInit, nullptr, nullptr};
        g_type_add_interface_static(registered, ATK_TYPE_ACTION, &action);
        return registered;
    }();
    return type;
}

// ----------------------------------------------------------------------------
// The toolbar: its widget's own accessible (GTK's, for a container with no
// child widgets) is given a class derived from its own, whose children are
// the buttons after any real ones. The class adds no data, so the object
// stays as GTK made it; the buttons hang on it as object data.

const char kButtonsKey[] = "kelmoro-tool-buttons";

const std::vector<AtkObject*>& ButtonsOf(AtkObject* toolBar) {
    static const std::vector<AtkObject*> none;
    const auto* buttons =
        static_cast<std::vector<AtkObject*>*>(g_object_get_data(G_OBJECT(toolBar), kButtonsKey));
    return buttons != nullptr ? *buttons : none;
}

void FreeButtons(gpointer data) {
    auto* buttons = static_cast<std::vector<AtkObject*>*>(data);
    for (AtkObject* button : *buttons) g_object_unref(button);
    delete buttons;
}

gint ToolBarChildCount(AtkObject* object) {
    auto* parentClass = ATK_OBJECT_CLASS(g_type_class_peek_parent(G_OBJECT_GET_CLASS(object)));
    return parentClass->get_n_children(object) + gint(ButtonsOf(object).size());
}

AtkObject* ToolBarChild(AtkObject* object, gint index) {
    auto* parentClass = ATK_OBJECT_CLASS(g_type_class_peek_parent(G_OBJECT_GET_CLASS(object)));
    const gint own = parentClass->get_n_children(object);
    if (index < own) return parentClass->ref_child(object, index);
    const std::vector<AtkObject*>& buttons = ButtonsOf(object);
    if (index - own >= gint(buttons.size())) return nullptr;
    return ATK_OBJECT(g_object_ref(buttons[index - own]));
}

void ToolBarClassInit(gpointer klass, gpointer) {
    ATK_OBJECT_CLASS(klass)->get_n_children = ToolBarChildCount;
    ATK_OBJECT_CLASS(klass)->ref_child = ToolBarChild;
}

GType ToolBarAccessibleType(GType base) {
    const gchar* name = "KelmoroToolBarAccessible";
    if (const GType known = g_type_from_name(name)) return known;
    GTypeQuery query;
    g_type_query(base, &query);
    return g_type_register_static_simple(base, name, query.class_size, ToolBarClassInit,
                                         query.instance_size, nullptr, GTypeFlags(0));
}

}  // namespace

void SetAccessibleName(wxWindow* window, const wxString& name) {
    if (AtkObject* accessible = AccessibleOf(window)) {
        atk_object_set_name(accessible, name.utf8_str());
    }
}

void SetAccessibleRoleAndName(wxWindow* window, AccessibleRole role, const wxString& name) {
    AtkObject* accessible = AccessibleOf(window);
    if (accessible == nullptr) return;
    atk_object_set_role(accessible,
                        role == AccessibleRole::kImage ? ATK_ROLE_IMAGE : ATK_ROLE_STATUSBAR);
    atk_object_set_name(accessible, name.utf8_str());
}

void ExposeToolBarButtons(wxAuiToolBar* toolBar, const wxString& name) {
    AtkObject* accessible = AccessibleOf(toolBar);
    if (accessible == nullptr || g_object_get_data(G_OBJECT(accessible), kButtonsKey) != nullptr) {
        return;  // already done
    }
    const GType base = G_OBJECT_TYPE(accessible);
    const GType type = ToolBarAccessibleType(base);
    if (g_type_parent(type) != base) return;  // another kind of widget

    auto* buttons = new std::vector<AtkObject*>;
    const gint own = atk_object_get_n_accessible_children(accessible);
    for (size_t i = 0; i < toolBar->GetToolCount(); ++i) {
        const wxAuiToolBarItem* item = toolBar->FindToolByIndex(int(i));
        if (item == nullptr || item->GetKind() == wxITEM_SEPARATOR) continue;
        auto* button = ATK_OBJECT(g_object_new(ToolAccessibleType(), nullptr));
        reinterpret_cast<ToolAccessible*>(button)->button =
            new ToolButton{toolBar, item->GetId(), own + gint(buttons->size())};
        atk_object_set_role(button, ATK_ROLE_PUSH_BUTTON);
        atk_object_set_name(button, item->GetShortHelp().utf8_str());
        atk_object_set_description(button, item->GetLongHelp().utf8_str());
        atk_object_set_parent(button, accessible);
        buttons->push_back(button);
    }
    g_object_set_data_full(G_OBJECT(accessible), kButtonsKey, buttons, FreeButtons);
    reinterpret_cast<GTypeInstance*>(accessible)->g_class =
        static_cast<GTypeClass*>(g_type_class_ref(type));
    atk_object_set_role(accessible, ATK_ROLE_TOOL_BAR);
    atk_object_set_name(accessible, name.utf8_str());
}

}  // namespace kelmoro
