#pragma once
// The main window's template (dialog 102): its control ids, its timers, and the few window-manager
// values its message table uses.

#include "platform/win/WinTypes.h"

inline constexpr UINT IDD_MAIN = 102;
inline constexpr int kMainWidthDlu = 457;
inline constexpr int kMainHeightDlu = 344;

inline constexpr int IDC_ALBUM_BUTTON = 1041;
inline constexpr int IDC_CD_COMBO = 1006;
inline constexpr int IDC_TRACK_LIST = 1016;
inline constexpr int IDC_DEST_COMBO = 1007;
inline constexpr int IDC_OPEN_DEST = 1012;
inline constexpr int IDC_TRANSFER = 1014;
inline constexpr int IDC_CLOSE = 2;
inline constexpr int IDC_ALBUM_TEXT = 1004;
inline constexpr int IDC_TOTAL_SIZE = 1005;
inline constexpr int IDC_CAPACITY = 1010;
inline constexpr int IDC_FREE = 1011;
inline constexpr int IDC_STATUS_TEXT = 1018;
inline constexpr int IDC_BACKGROUND = 1044;
// Captions that say what the card's two figures and the figure under the track list are.
inline constexpr int IDC_CAPACITY_CAPTION = 1050;
inline constexpr int IDC_FREE_CAPTION = 1051;
inline constexpr int IDC_TOTAL_CAPTION = 1052;
inline constexpr UINT IDB_BACKGROUND = 144;
inline constexpr UINT IDI_MAIN = 128;

// The window's timers: ids, and periods in milliseconds.
inline constexpr UINT_PTR kRipPollTimer = 5000;
inline constexpr UINT_PTR kCopyStartTimer = 5001;
inline constexpr UINT_PTR kCopyPollTimer = 5002;
inline constexpr UINT_PTR kReadinessTimer = 5003;
inline constexpr UINT_PTR kPlayerWatchTimer = 5004;
inline constexpr UINT_PTR kEndOfJobTimer = 5005;
inline constexpr UINT kRipPollMs = 2000;
inline constexpr UINT kCopyStartMs = 500;
inline constexpr UINT kCopyPollMs = 1000;
inline constexpr UINT kReadinessMs = 2000;
inline constexpr UINT kPlayerWatchMs = 3000;
inline constexpr UINT kEndOfJobMs = 2000;

// The system menu's item that opens the about box; 17..31 open it too.
inline constexpr UINT IDM_ABOUTBOX = 16;
// The top band of the borderless window that drags it, in pixels.
inline constexpr int kDragBandHeight = 28;

// Window-manager values, as Windows numbers them.
inline constexpr UINT WM_PAINT = 0x000F;
inline constexpr UINT WM_QUERYDRAGICON = 0x0037;
inline constexpr UINT WM_NCHITTEST = 0x0084;
inline constexpr LRESULT HTNOWHERE = 0;
inline constexpr LRESULT HTCLIENT = 1;
inline constexpr LRESULT HTCAPTION = 2;
inline constexpr WPARAM SC_MOVE = 0xF010;
inline constexpr WPARAM SC_MINIMIZE = 0xF020;
inline constexpr WPARAM SC_CLOSE = 0xF060;
inline constexpr WPARAM SC_RESTORE = 0xF120;
inline constexpr WORD CBN_SELCHANGE = 1;
inline constexpr WORD CBN_DROPDOWN = 7;
inline constexpr int SW_SHOWNORMAL = 1;
inline constexpr LRESULT kShellOpenFailed = 32; // ShellExecute's results up to this one are failures

// Asks the window to go on with an end request once the handler that got it has returned; then a
// timer looks until the job (if any) has been stopped and cleaned up and no modal window is open.
inline constexpr UINT WM_APP_END_REQUEST = WM_APP + 0x15;
inline constexpr UINT_PTR kEndCheckTimer = 5007;
inline constexpr UINT kEndCheckMs = 100;
