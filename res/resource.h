// Resource ids of the desktop program, with the numbers the specification
// gives them (Parts 2.1 to 2.4). Menu and toolbar commands keep the
// framework's standard numbers (0xE100...), which lie outside wxWidgets' own
// stock range (wxID_LOWEST 4999 to wxID_HIGHEST 5999), so wxDocManager's
// built-in handlers for wxID_OPEN and the like never see our commands.
#pragma once

namespace res {

// Dialog templates and the form view.
inline constexpr int IDD_ABOUTBOX = 100;
inline constexpr int IDD_KELMORO_FORM = 101;
inline constexpr int IDD_CONVERT = 131;

// Controls.
inline constexpr int IDC_PROGRESS1 = 1000;

// Frame resources (menu, accelerators, toolbar, application icon), the
// document icon, the banner bitmap.
inline constexpr int IDR_MAINFRAME = 128;
inline constexpr int IDR_DOCTYPE = 129;
inline constexpr int IDB_BANNER = 130;

// The program's own command.
inline constexpr int ID_HELP_AUTHOR = 32772;

// The framework's standard commands.
inline constexpr int ID_FILE_NEW = 0xE100;
inline constexpr int ID_FILE_OPEN = 0xE101;
inline constexpr int ID_FILE_SAVE = 0xE103;
inline constexpr int ID_EDIT_COPY = 0xE122;
inline constexpr int ID_EDIT_CUT = 0xE123;
inline constexpr int ID_EDIT_PASTE = 0xE125;
inline constexpr int ID_EDIT_UNDO = 0xE12B;
inline constexpr int ID_APP_ABOUT = 0xE140;
inline constexpr int ID_APP_EXIT = 0xE141;
inline constexpr int ID_HELP_INDEX = 0xE142;
inline constexpr int ID_HELP_FINDER = 0xE143;
inline constexpr int ID_HELP_USING = 0xE144;
inline constexpr int ID_CONTEXT_HELP = 0xE145;
inline constexpr int ID_HELP = 0xE146;
inline constexpr int ID_DEFAULT_HELP = 0xE147;
inline constexpr int ID_NEXT_PANE = 0xE150;
inline constexpr int ID_PREV_PANE = 0xE151;
inline constexpr int ID_VIEW_TOOLBAR = 0xE800;
inline constexpr int ID_VIEW_STATUS_BAR = 0xE801;

// Control-bar ids: the toolbar and the status bar take the View commands'
// numbers, as in the framework.
inline constexpr int AFX_IDW_TOOLBAR = 0xE800;
inline constexpr int AFX_IDW_STATUS_BAR = 0xE801;

// Status-bar indicators.
inline constexpr int ID_SEPARATOR = 0;
inline constexpr int ID_INDICATOR_KANA = 0xE708;
inline constexpr int ID_INDICATOR_CAPS = 0xE700;
inline constexpr int ID_INDICATOR_NUM = 0xE701;
inline constexpr int ID_INDICATOR_SCRL = 0xE702;

// The string holding the application title.
inline constexpr int AFX_IDS_APP_TITLE = 0xE000;  // 57344

// Timer of the conversion dialog.
inline constexpr int kConvertTimerId = 1;
inline constexpr int kConvertTimerMs = 400;

}  // namespace res
