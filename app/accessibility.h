// What screen readers are told about the windows wx draws itself, which the
// toolkit can say nothing about: the toolbar's buttons, the banner, the
// status bar's message and the progress bar. Under GTK through ATK (and
// AT-SPI beyond it), on Windows through Microsoft Active Accessibility, with
// the same names and roles. Native controls (menus, dialogs' texts,
// buttons) speak for themselves and need none of this.
#pragma once

#include <wx/aui/auibar.h>
#include <wx/string.h>
#include <wx/window.h>

namespace kelmoro {

enum class AccessibleRole { kImage, kStatusBar };

// The window's accessible name; a role too where given.
void SetAccessibleName(wxWindow* window, const wxString& name);
void SetAccessibleRoleAndName(wxWindow* window, AccessibleRole role, const wxString& name);

// Makes the toolbar an accessible tool bar named `name` whose children are
// its buttons (separators left out): push buttons named by their short
// help, described by their long help, placed where they are drawn, and
// pressed by their "click" action as by the mouse. Call it once, after the
// tools are added.
void ExposeToolBarButtons(wxAuiToolBar* toolBar, const wxString& name);

}  // namespace kelmoro
