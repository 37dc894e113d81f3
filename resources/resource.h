// Resource ids of the program: dialog templates, strings, the icon, controls and commands.
#pragma once

// Dialog templates.
inline constexpr int IDD_ABOUTBOX = 100;
inline constexpr int IDD_REMOLD_DIALOG = 102;
inline constexpr int IDD_INFO_DIALOG = 1109;

// Strings.
inline constexpr int IDS_ABOUTBOX = 101;        // "&About Remold..."
inline constexpr int IDS_UPGRADE_INTRO = 102;   // counts: %1 files, %2 records
inline constexpr int IDS_WORKING_ON = 103;      // %1 display name
inline constexpr int IDS_BACKOUT_NEEDED = 104;  // a previous upgrade did not complete
inline constexpr int IDS_WAITING = 105;         // "Waiting for user input."
inline constexpr int IDS_NOT_INSTALLED = 106;   // program not installed
inline constexpr int IDS_CONFIRM_CANCEL_RUN = 107;
inline constexpr int IDS_CONFIRM_LEAVE = 108;
inline constexpr int IDS_RESTORE_FAILED = 109;  // %1 file name
inline constexpr int IDS_MOVING_FILE = 110;     // %1 file name, %2 directory
inline constexpr int IDS_UPGRADE_FAILED = 111;  // %1 database, %2 status

// The program icon.
inline constexpr int IDR_MAINFRAME = 128;

// Controls of the upgrade dialog.
inline constexpr int IDC_PROGRESS_FILES = 1001;  // file bar
inline constexpr int IDC_PROGRESS_TOTAL = 1002;  // overall bar
inline constexpr int IDC_INTRO_TEXT = 1003;
inline constexpr int IDC_STATUS_TEXT = 1004;
inline constexpr int IDC_BACKOUTUPGRADE = 1005;
// The text of the information window.
inline constexpr int IDC_INFO_TEXT = 1277;

// System menu command of the About entry.
inline constexpr unsigned IDM_ABOUTBOX = 0x0010;
