// Every text the desktop program shows, byte for byte (UTF-8 here; the
// program's users know them in the Shift-JIS code page). Half-width katakana
// stay half-width: that is how these texts are written.
#pragma once

namespace res {

// Application title: message-box captions.
inline constexpr const char* kAppTitle = "Kelmoro";
// Main window caption set at the end of start-up.
inline constexpr const char* kMainCaption = "Vantrel";
// Key under which the framework keeps its settings.
inline constexpr const char* kRegistryKey = "Local AppWizard-Generated Applications";
inline constexpr const char* kSettingsName = "Kelmoro";
inline constexpr int kRecentFileCount = 1;
// The folder the file chooser was last confirmed in: it opens there next time.
inline constexpr const char* kOpenFolderSetting = "/Settings/OpenFolder";
// The banner's lettering, as a screen reader says the picture.
inline constexpr const char* kBannerTitle = "WAV→AU 変換";
// Title of a new document: the framework's "untitled", as the template
// string gives no document name. The frame then reads "無題 - Kelmoro".
inline constexpr const char* kUntitled = "無題";

// The document type: window title, type id and type name (the document
// name, filter name and extension are empty).
inline constexpr const char* kDocTemplateTitle = "Kelmoro";
inline constexpr const char* kDocTemplateTypeId = "Kelmoro.Document";
inline constexpr const char* kDocTemplateTypeName = "Kelmor Document";

// The progress dialog.
inline constexpr const char* kConvertDesignCaption = "Conversion";
inline constexpr const char* kConvertWaitText = "変換中暫らくお待ちください";
// Template fonts: "ＭＳ Ｐゴシック"; on Linux the IPA proportional Gothic.
inline constexpr const char* kDialogFontFace = "IPAPGothic";
inline constexpr int kConvertFontPoints = 11;
inline constexpr int kFormFontPoints = 9;

// Several files at once (a drop, or a command line naming more than one):
// one confirmation, one progress window, one summary.
// The confirmation names the first few files, then how many more follow.
inline constexpr const char* kBatchConfirmFormat = "%d 個のﾌｧｲﾙをAUファイルに変換します";
inline constexpr int kBatchConfirmNamesShown = 5;
inline constexpr const char* kBatchConfirmMoreFormat = "ほか %d 個";
// The progress window: its caption, the count over the whole batch, the
// stop button and what the window says once it has been pressed.
inline constexpr const char* kBatchCaption = "複数ﾌｧｲﾙの変換";
inline constexpr const char* kBatchCountFormat = "%d / %d";
inline constexpr const char* kBatchStop = "中止";
inline constexpr const char* kBatchStopping = "このﾌｧｲﾙの変換後に中止します";
// The summary: how many were converted, then each kind of file that was not.
inline constexpr const char* kSummaryConvertedFormat = "%d / %d 個のﾌｧｲﾙをAUファイルに変換成功";
inline constexpr const char* kSummaryFailedHeading = "変換できなかったﾌｧｲﾙ:";
inline constexpr const char* kSummaryNoWavHeading = "名前に \".wav\" がないため変換しなかったﾌｧｲﾙ:";
inline constexpr const char* kSummaryStoppedFormat = "中止により変換しなかったﾌｧｲﾙ: %d 個";

// The main menu.
inline constexpr const char* kMenuFile = "ﾌｧｲﾙ(&F)";
inline constexpr const char* kMenuFileOpen = "Wavファイルを開く(&O)...\tCtrl+O";
inline constexpr const char* kMenuAppExit = "Kelmoro 終了(&X)";
inline constexpr const char* kMenuView = "表示(&V)";
inline constexpr const char* kMenuViewToolbar = "ﾂｰﾙ ﾊﾞｰ(&T)";
inline constexpr const char* kMenuViewStatusBar = "ｽﾃｰﾀｽ ﾊﾞｰ(&S)";
inline constexpr const char* kMenuHelp = "ﾍﾙﾌﾟ(&H)";
inline constexpr const char* kMenuHelpFinder = "ﾄﾋﾟｯｸの検索(&H)";
inline constexpr const char* kMenuAppAbout = "Kelmoro のﾊﾞｰｼﾞｮﾝ情報(&A)...";
inline constexpr const char* kMenuHelpAuthor = "作者のホームページへ";

// Status-bar prompts: the text after the new-line is the tooltip.
inline constexpr const char* kPromptFileOpen = "既存のﾌｧｲﾙを開く\n開く";
inline constexpr const char* kPromptAppExit = "ｱﾌﾟﾘｹｰｼｮﾝを終了し、ﾌｧｲﾙの保存を指示\n終了";
inline constexpr const char* kPromptViewToolbar = "ﾂｰﾙ ﾊﾞｰの 表示/非表示\nﾂｰﾙ ﾊﾞｰの表示切り替え";
inline constexpr const char* kPromptViewStatusBar =
    "ｽﾃｰﾀｽ ﾊﾞｰの 表示/非表示\nｽﾃｰﾀｽ ﾊﾞｰの表示切り替え";
inline constexpr const char* kPromptHelpFinder = "ﾍﾙﾌﾟ ﾄﾋﾟｯｸの一覧\nﾍﾙﾌﾟ ﾄﾋﾟｯｸ";
inline constexpr const char* kPromptAppAbout =
    "ﾌﾟﾛｸﾞﾗﾑの情報、ﾊﾞｰｼﾞｮﾝそして著作権を表示\nﾊﾞｰｼﾞｮﾝ情報";
inline constexpr const char* kPromptContextHelp =
    "ｸﾘｯｸされたﾎﾞﾀﾝ、ﾒﾆｭｰまたはｳｨﾝﾄﾞｳのﾍﾙﾌﾟを表示\nﾍﾙﾌﾟ";
inline constexpr const char* kIdleMessage = "ﾍﾙﾌﾟを表示するには [F1] を押してください。";
inline constexpr const char* kHelpModeMessage = "ﾍﾙﾌﾟを使用するｵﾌﾞｼﾞｪｸﾄを選択";
// No help file is part of the program; the help commands say so.
inline constexpr const char* kNoHelpInstalled =
    "ﾍﾙﾌﾟ ﾌｧｲﾙはｲﾝｽﾄｰﾙされていません。Kelmoro にはﾍﾙﾌﾟがありません。";

// Status-bar indicators.
inline constexpr const char* kIndicatorKana = "ｶﾅ";
inline constexpr const char* kIndicatorCaps = "CAP";
inline constexpr const char* kIndicatorNum = "NUM";
inline constexpr const char* kIndicatorScrl = "SCRL";

// Open-and-convert.
inline constexpr const char* kOpenInitialName = "*.wav";
inline constexpr const char* kOpenFilter = "Wave(*.wav)|*.wav|全て(*.*)|*.*||";
inline constexpr const char* kConfirmSuffix = "をAUファイルに変換します";
// The stock GTK title of the file chooser is English; the platform's own
// Japanese title of the open dialog.
inline constexpr const char* kOpenDialogTitle = "ファイルを開く";

// The version dialog.
inline constexpr const char* kAboutCaption = "Kelmoroのﾊﾞｰｼﾞｮﾝ情報";
inline constexpr const char* kAboutVersion = "Kelmoro Version 2.1";
inline constexpr const char* kAboutNotice = "WAV を Sun AU に変換します";
inline constexpr const char* kAboutOk = "OK";

// Author's home page.
// The project has no web site: its page is the README, installed with the
// program under this path beside bin/ (in the installed prefix).
inline constexpr const char* kAuthorHomePage = "share/doc/kelmoro/README.md";
// On Windows the read-me lies beside the program (the installer's folder
// or the unpacked zip).
inline constexpr const char* kAuthorHomePageBesideProgram = "README.txt";
inline constexpr const char* kNoBrowser = "Web ﾌﾞﾗｳｻﾞを起動できません。%s を開いてください。";

// Message-box buttons as a Japanese system labels them.
inline constexpr const char* kButtonOk = "OK";
inline constexpr const char* kButtonCancel = "ｷｬﾝｾﾙ";

// `kelmoro --help` and `kelmoro --version`, on standard output, in English
// like every other line the program writes on a terminal.
inline constexpr const char* kUsage =
    "Usage: kelmoro [FILE...]\n"
    "       kelmoro --help | --version\n"
    "Converts WAV files (PCM, 8/16/24/32 bits, one or two channels) to Sun AU files\n"
    "(8-bit mu-law, one channel, 8012 Hz) beside them: the file name lower-cased,\n"
    "its first \".wav\" replaced by \".au\".\n"
    "\n"
    "Without a FILE it opens its main window: File > Open (Ctrl+O) or files dropped\n"
    "on the window start a conversion. With one FILE it converts it in a progress\n"
    "dialog, shows the result in a box and ends. With several it converts them in\n"
    "one progress window (its stop button or Escape stops after the file in\n"
    "progress) and ends with one summary box. Without a display it converts each\n"
    "FILE on the console, like kelmoro-cli.\n"
    "\n"
    "  --help     show this help and exit\n"
    "  --version  show the version and exit\n"
    "  --         ends the options: every later argument is a FILE\n"
    "  -p, -pt, -dde, -unregister, ...  the desktop's shell options; accepted and\n"
    "             otherwise ignored\n"
    "\n"
    "Exit status with FILEs: 0 when every file was converted, 1 otherwise.\n";
inline constexpr const char* kVersionFormat = "kelmoro %s\n";

// Start-up without a display.
inline constexpr const char* kNeedsDisplay =
    "kelmoro: needs a display (DISPLAY is unset or cannot be opened); "
    "to convert without one, give a file name or use kelmoro-cli";

}  // namespace res
