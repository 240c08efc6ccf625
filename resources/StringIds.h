#pragma once
// Named ids of the string table (resources/strings_ja.tsv), so callers need not repeat bare numbers.
// The comments give the gist of the Japanese text.

#include "platform/win/WinTypes.h"

// Captions of message boxes and notices
inline constexpr UINT IDS_CAPTION_WARNING = 500; // "Warning" (shown with the warning icon)
inline constexpr UINT IDS_CAPTION_ERROR = 501;   // "Error" (shown with the error icon)
inline constexpr UINT IDS_APP_TITLE = 1102;      // "Ollivane": window title, caption without icon

// Start-up
inline constexpr UINT IDS_ABOUT_MENU_ITEM = 1101;       // system menu: "About Ollivane..."
inline constexpr UINT IDS_STARTING_UP = 803;            // wait window: "Starting, please wait..."
inline constexpr UINT IDS_ERR_OTHER_USER_RUNNING = 700; // another logged-on user is running it
inline constexpr UINT IDS_ERR_UNSUPPORTED_OS = 701;     // runs on Windows XP Home/Professional only
inline constexpr UINT IDS_ERR_PLAYER_TOO_OLD = 702;     // media player 10 is required
inline constexpr UINT IDS_ERR_NOT_INSTALLED = 703;      // not installed correctly, reinstall
inline constexpr UINT IDS_ERR_PLAYER_RUNNING = 704;     // close the media player, then start again
inline constexpr UINT IDS_WARN_PLAYER_CLOSED = 705;     // the media player was closed while we run
inline constexpr UINT IDS_ERR_SETUP_FAILED = 706;       // required settings failed, restart the PC

// About box
inline constexpr UINT IDS_ABOUT_VERSION = 1103;   // "%1 バージョン %2": name and version
inline constexpr UINT IDS_ABOUT_COPYRIGHT = 1104; // copyright line
inline constexpr UINT IDS_ABOUT_LICENCE = 1105;   // free software under the GPL, version 3 or later
inline constexpr UINT IDS_ABOUT_LIBRARIES = 1106; // heading of the linked libraries
inline constexpr UINT IDS_ABOUT_TEXTS_AT = 1107;  // where the licence texts are ("%1": a folder)

// The window's own menu on its title band (the close item is the Close button's text)
inline constexpr UINT IDS_SYSMENU_RESTORE = 1110;  // "元のサイズに戻す(&R)" restore
inline constexpr UINT IDS_SYSMENU_MOVE = 1111;     // "移動(&M)" move
inline constexpr UINT IDS_SYSMENU_MINIMIZE = 1112; // "最小化(&N)" minimise

// Main window
inline constexpr UINT IDS_BTN_CLOSE = 208;           // "閉じる(&C)" Close
inline constexpr UINT IDS_BTN_OPEN_DEST = 209;       // "ファイル操作(&E)" open the destination
inline constexpr UINT IDS_BTN_TRANSFER = 1206;       // "転送(&T)" Transfer
inline constexpr UINT IDS_BTN_ALBUM = 1213;          // "ＣＤタイトル(&A)" edit the CD title
inline constexpr UINT IDS_COL_TITLE = 210;           // track list column "Title"
inline constexpr UINT IDS_COL_LENGTH = 212;          // track list column "Length"
inline constexpr UINT IDS_ERR_CANNOT_OPEN = 723;     // "Cannot open." (destination folder)
inline constexpr UINT IDS_STATUS_INSERT_CD = 1900;   // insert a CD into the CD drive
inline constexpr UINT IDS_STATUS_NO_DRIVE = 1901;    // connect a CD drive and insert a CD
inline constexpr UINT IDS_STATUS_INSERT_CARD = 1902; // insert an SD card or connect the card slot
inline constexpr UINT IDS_STATUS_READY = 1903;       // press the Transfer button
inline constexpr UINT IDS_STATUS_NEXT_CD = 1904;     // done; swap in another CD to go on
inline constexpr UINT IDS_CAPTION_USED = 1120;       // caption before the card's used figure
inline constexpr UINT IDS_CAPTION_FREE = 1121;       // caption before the card's free figure
inline constexpr UINT IDS_TIP_USED = 1122;           // tooltip of the used figure
inline constexpr UINT IDS_TIP_FREE = 1123;           // tooltip of the free figure
inline constexpr UINT IDS_CAPTION_TOTAL = 1124;      // caption before the disc's total size
inline constexpr UINT IDS_TIP_TOTAL = 1125;          // tooltip of the disc's total size

// Progress, wait and notice dialogs
inline constexpr UINT IDS_CANCELLING = 800;         // progress window after Cancel: "Stopping..."
inline constexpr UINT IDS_AUTO_START_NOTICE = 315;  // countdown: transfer starts, Cancel to swap CDs
inline constexpr UINT IDS_RIP_PROGRESS_HEAD = 1801; // "Importing CD data" (followed by (n/N) and dots)
inline constexpr UINT IDS_COPY_PROGRESS = 1802;     // "Transferring..."
inline constexpr UINT IDS_RIP_PREPARING = 1804;     // "Preparing to import CD data..."

// Job outcome and checks before a job
inline constexpr UINT IDS_RIP_FAILED = 1707;     // importing the CD failed
inline constexpr UINT IDS_COPY_FAILED = 1708;    // transfer to the SD card failed
inline constexpr UINT IDS_COPY_CANCELLED = 1709; // transfer to the SD card was interrupted
inline constexpr UINT IDS_PC_SPACE_LOW = 1712;   // not enough room on the PC to import the whole CD
inline constexpr UINT IDS_ASK_FILL_CARD = 1719;  // card too small: go on until it is full? (Yes/No)
inline constexpr UINT IDS_COPY_DONE = 1720;      // files transferred (timed notice)
inline constexpr UINT IDS_NOTHING_CHOSEN = 1721; // no track is ticked
inline constexpr UINT IDS_NO_TRACK_FITS = 1722;  // no ticked track fits on the SD card
inline constexpr UINT IDS_RIP_STALLED = 1725;    // importing failed, reinsert the CD (two lines)

// CD source
inline constexpr UINT IDS_NO_VALID_CD = 1400; // album read-out: no valid CD in the drive
// Start-up: earlier rips of a cut-short job could not go back and are kept in the folder (%1)
inline constexpr UINT IDS_EARLIER_RIPS_KEPT = 1410;

// Album name dialog
inline constexpr UINT IDS_ALBUM_DLG_CAPTION = 1316; // "ＣＤタイトル名編集" edit the CD title
inline constexpr UINT IDS_ALBUM_DLG_LABEL = 1202;   // "ＣＤタイトル：" label before the name field

// Player dialogs whose title (or whose owner's title) equals this text are left alone by the
// player-window watch. The table has no text for it, so the comparison never matches a titled window.
inline constexpr UINT IDS_IGNORED_PLAYER_DIALOG = 102;
