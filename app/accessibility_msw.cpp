// Accessible names and roles through wx's Microsoft Active Accessibility
// objects (wxAccessible): the window answers a screen reader's questions with
// ours where it has one and with the system's standard ones for the rest.
// The toolbar's buttons are simple elements of the toolbar's object, as a
// native toolbar's are.
#include <wx/access.h>
#include <wx/app.h>
#include <wx/weakref.h>

#include "accessibility.h"

namespace kelmoro {
namespace {

// A name, and a role where one is given, for a window whose other answers
// are the system's.
class NamedAccessible : public wxAccessible {
public:
    NamedAccessible(wxWindow* window, const wxString& name, wxAccRole role)
        : wxAccessible(window), m_name(name), m_role(role) {}

    void Rename(const wxString& name) {
        if (name == m_name) return;
        m_name = name;
        NotifyEvent(wxACC_EVENT_OBJECT_NAMECHANGE, GetWindow(), wxOBJID_CLIENT, wxACC_SELF);
    }

    wxAccStatus GetName(int childId, wxString* name) override {
        if (childId != wxACC_SELF) return wxACC_NOT_IMPLEMENTED;
        *name = m_name;
        return wxACC_OK;
    }
    wxAccStatus GetRole(int childId, wxAccRole* role) override {
        if (childId != wxACC_SELF || m_role == wxROLE_NONE) return wxACC_NOT_IMPLEMENTED;
        *role = m_role;
        return wxACC_OK;
    }

private:
    wxString m_name;
    wxAccRole m_role;
};

void Name(wxWindow* window, const wxString& name, wxAccRole role) {
    if (window == nullptr) return;
    if (auto* named = dynamic_cast<NamedAccessible*>(window->GetAccessible())) {
        named->Rename(name);
        return;
    }
    window->SetAccessible(new NamedAccessible(window, name, role));
}

// The toolbar: its buttons (separators left out) are its children 1 to n,
// push buttons named by their short help, described by their long help,
// placed where they are drawn, and pressed by their "click" action as by
// the mouse.
class ToolBarAccessible : public wxAccessible {
public:
    ToolBarAccessible(wxAuiToolBar* toolBar, const wxString& name)
        : wxAccessible(toolBar), m_toolBar(toolBar), m_name(name) {}

    wxAccStatus GetChildCount(int* count) override {
        *count = static_cast<int>(Buttons().size());
        return wxACC_OK;
    }
    wxAccStatus GetChild(int childId, wxAccessible** child) override {
        *child = nullptr;  // a simple element: this object answers for it
        return childId == wxACC_SELF || Button(childId) != nullptr ? wxACC_OK : wxACC_INVALID_ARG;
    }
    wxAccStatus GetName(int childId, wxString* name) override {
        if (childId == wxACC_SELF) {
            *name = m_name;
            return wxACC_OK;
        }
        const wxAuiToolBarItem* item = Button(childId);
        if (item == nullptr) return wxACC_INVALID_ARG;
        *name = item->GetShortHelp();
        return wxACC_OK;
    }
    wxAccStatus GetDescription(int childId, wxString* description) override {
        const wxAuiToolBarItem* item = Button(childId);
        if (item == nullptr) return wxACC_NOT_IMPLEMENTED;
        *description = item->GetLongHelp();
        return wxACC_OK;
    }
    wxAccStatus GetRole(int childId, wxAccRole* role) override {
        *role = childId == wxACC_SELF ? wxROLE_SYSTEM_TOOLBAR : wxROLE_SYSTEM_PUSHBUTTON;
        return wxACC_OK;
    }
    wxAccStatus GetState(int childId, long* state) override {
        if (childId == wxACC_SELF) return wxACC_NOT_IMPLEMENTED;
        const wxAuiToolBarItem* item = Button(childId);
        if (item == nullptr) return wxACC_INVALID_ARG;
        *state = 0;
        if (!m_toolBar->GetToolEnabled(item->GetId())) *state |= wxACC_STATE_SYSTEM_UNAVAILABLE;
        if (!m_toolBar->IsShownOnScreen()) *state |= wxACC_STATE_SYSTEM_INVISIBLE;
        return wxACC_OK;
    }
    wxAccStatus GetLocation(wxRect& rect, int childId) override {
        if (childId == wxACC_SELF) return wxACC_NOT_IMPLEMENTED;
        const wxAuiToolBarItem* item = Button(childId);
        if (item == nullptr) return wxACC_INVALID_ARG;
        rect = m_toolBar->GetToolRect(item->GetId());
        rect.SetPosition(m_toolBar->ClientToScreen(rect.GetPosition()));
        return wxACC_OK;
    }
    wxAccStatus HitTest(const wxPoint& point, int* childId, wxAccessible** child) override {
        *child = nullptr;
        const wxPoint inside = m_toolBar->ScreenToClient(point);
        const std::vector<wxAuiToolBarItem*> buttons = Buttons();
        for (std::size_t i = 0; i < buttons.size(); ++i) {
            if (m_toolBar->GetToolRect(buttons[i]->GetId()).Contains(inside)) {
                *childId = static_cast<int>(i) + 1;
                return wxACC_OK;
            }
        }
        return wxACC_NOT_IMPLEMENTED;  // the bar itself, or outside it
    }
    wxAccStatus GetDefaultAction(int childId, wxString* action) override {
        if (Button(childId) == nullptr) return wxACC_NOT_IMPLEMENTED;
        *action = "click";
        return wxACC_OK;
    }
    // The press is handled after the reader's request has been answered:
    // the command may open a modal dialog.
    wxAccStatus DoDefaultAction(int childId) override {
        const wxAuiToolBarItem* item = Button(childId);
        if (item == nullptr || !m_toolBar->GetToolEnabled(item->GetId())) return wxACC_FAIL;
        wxWeakRef<wxAuiToolBar> target = m_toolBar;
        const int toolId = item->GetId();
        wxTheApp->CallAfter([target, toolId] {
            if (target.get() == nullptr) return;
            wxCommandEvent event(wxEVT_MENU, toolId);
            event.SetEventObject(target.get());
            target->ProcessWindowEvent(event);
        });
        return wxACC_OK;
    }

private:
    std::vector<wxAuiToolBarItem*> Buttons() const {
        std::vector<wxAuiToolBarItem*> buttons;
        for (size_t i = 0; i < m_toolBar->GetToolCount(); ++i) {
            wxAuiToolBarItem* item = m_toolBar->FindToolByIndex(int(i));
            if (item != nullptr && item->GetKind() != wxITEM_SEPARATOR) buttons.push_back(item);
        }
        return buttons;
    }
    // Child `childId` (1 to n), or null.
    const wxAuiToolBarItem* Button(int childId) const {
        const std::vector<wxAuiToolBarItem*> buttons = Buttons();
        if (childId < 1 || childId > static_cast<int>(buttons.size())) return nullptr;
        return buttons[static_cast<std::size_t>(childId - 1)];
    }

    wxAuiToolBar* m_toolBar;
    wxString m_name;
};

}  // namespace

void SetAccessibleName(wxWindow* window, const wxString& name) {
    Name(window, name, wxROLE_NONE);
}

void SetAccessibleRoleAndName(wxWindow* window, AccessibleRole role, const wxString& name) {
    Name(window, name,
         role == AccessibleRole::kImage ? wxROLE_SYSTEM_GRAPHIC : wxROLE_SYSTEM_STATUSBAR);
}

void ExposeToolBarButtons(wxAuiToolBar* toolBar, const wxString& name) {
    if (toolBar == nullptr || dynamic_cast<ToolBarAccessible*>(toolBar->GetAccessible())) return;
    toolBar->SetAccessible(new ToolBarAccessible(toolBar, name));
}

}  // namespace kelmoro
