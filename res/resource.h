// Resource ids of the desktop program, with their fixed numbers, and, in res::cmd, the wx ids the
// commands and bars take: wx refuses menu ids above 0x7FFE, so the framework's standard numbers
// (0xE100...) and ID_HELP_AUTHOR (32772) are moved down by a fixed offset. None of them falls into
// wx's own stock range (wxID_LOWEST 4999 to wxID_HIGHEST 5999), so wxDocManager's built-in handlers
// for wxID_OPEN and the like never see our commands.
#pragma once

namespace res {

// Dialog templates and the form view.
inline constexpr int IDD_ABOUTBOX = 100;
inline constexpr int IDD_KELMORO_FORM = 101;
inline constexpr int IDD_CONVERT = 131;
// The progress window of several files and the summary that follows it.
inline constexpr int IDD_BATCH = 132;
inline constexpr int IDD_BATCH_SUMMARY = 133;

// Controls.
inline constexpr int IDC_PROGRESS1 = 1000;
// The progress window of several files: the file in progress, the count
// and bar of the whole batch, the stop button; the summary's list.
inline constexpr int IDC_BATCH_FILE = 1001;
inline constexpr int IDC_BATCH_COUNT = 1002;
inline constexpr int IDC_BATCH_PROGRESS = 1003;
inline constexpr int IDC_BATCH_STOP = 1004;
inline constexpr int IDC_SUMMARY_LIST = 1005;

// The main frame's resources (menu, accelerators, toolbar, application icon).
inline constexpr int IDR_MAINFRAME = 128;

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
inline constexpr int ID_HELP_FINDER = 0xE143;
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

// Timer of the conversion dialog.
inline constexpr int kConvertTimerId = 1;
inline constexpr int kConvertTimerMs = 400;

// The wx id of a command or bar id: 0xE000-0xEFFF go to 0x6000-0x6FFF,
// 0x7FFF-0x8FFF to 0x6FFF-0x7FFF; smaller ids stay.
constexpr int ToWxId(int id) {
    return id < 0x7FFF ? id : id >= 0xE000 ? id - 0x8000 : id - 0x1000;
}

namespace cmd {
inline constexpr int ID_HELP_AUTHOR = ToWxId(res::ID_HELP_AUTHOR);
inline constexpr int ID_FILE_NEW = ToWxId(res::ID_FILE_NEW);
inline constexpr int ID_FILE_OPEN = ToWxId(res::ID_FILE_OPEN);
inline constexpr int ID_FILE_SAVE = ToWxId(res::ID_FILE_SAVE);
inline constexpr int ID_EDIT_COPY = ToWxId(res::ID_EDIT_COPY);
inline constexpr int ID_EDIT_CUT = ToWxId(res::ID_EDIT_CUT);
inline constexpr int ID_EDIT_PASTE = ToWxId(res::ID_EDIT_PASTE);
inline constexpr int ID_EDIT_UNDO = ToWxId(res::ID_EDIT_UNDO);
inline constexpr int ID_APP_ABOUT = ToWxId(res::ID_APP_ABOUT);
inline constexpr int ID_APP_EXIT = ToWxId(res::ID_APP_EXIT);
inline constexpr int ID_HELP_FINDER = ToWxId(res::ID_HELP_FINDER);
inline constexpr int ID_CONTEXT_HELP = ToWxId(res::ID_CONTEXT_HELP);
inline constexpr int ID_HELP = ToWxId(res::ID_HELP);
inline constexpr int ID_DEFAULT_HELP = ToWxId(res::ID_DEFAULT_HELP);
inline constexpr int ID_NEXT_PANE = ToWxId(res::ID_NEXT_PANE);
inline constexpr int ID_PREV_PANE = ToWxId(res::ID_PREV_PANE);
inline constexpr int ID_VIEW_TOOLBAR = ToWxId(res::ID_VIEW_TOOLBAR);
inline constexpr int ID_VIEW_STATUS_BAR = ToWxId(res::ID_VIEW_STATUS_BAR);
inline constexpr int AFX_IDW_TOOLBAR = ToWxId(res::AFX_IDW_TOOLBAR);
inline constexpr int AFX_IDW_STATUS_BAR = ToWxId(res::AFX_IDW_STATUS_BAR);
inline constexpr int ID_SEPARATOR = ToWxId(res::ID_SEPARATOR);
inline constexpr int ID_INDICATOR_KANA = ToWxId(res::ID_INDICATOR_KANA);
inline constexpr int ID_INDICATOR_CAPS = ToWxId(res::ID_INDICATOR_CAPS);
inline constexpr int ID_INDICATOR_NUM = ToWxId(res::ID_INDICATOR_NUM);
inline constexpr int ID_INDICATOR_SCRL = ToWxId(res::ID_INDICATOR_SCRL);
}  // namespace cmd

}  // namespace res
