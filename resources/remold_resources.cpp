// The program's resources: dialog templates in dialog units, the string table, the icon.
#include "resources/remold_resources.h"

using framework::ControlTemplate;
using framework::DialogTemplate;
using framework::WindowKind;

namespace {

ControlTemplate Static(int id, const char* text, int x, int y, int cx, int cy, unsigned style) {
  return ControlTemplate{id, WindowKind::Static, text, x, y, cx, cy, style, 0};
}

ControlTemplate Button(int id, const char* text, int x, int y, int cx, int cy, unsigned style) {
  return ControlTemplate{id, WindowKind::Button, text, x, y, cx, cy, style | WS_TABSTOP, 0};
}

ControlTemplate Progress(int id, int x, int y, int cx, int cy) {
  return ControlTemplate{id, WindowKind::Progress, "", x, y, cx, cy, 0, 0};
}

ControlTemplate Icon(int iconId, int x, int y, int cx, int cy) {
  return ControlTemplate{IDC_STATIC, WindowKind::Icon, "", x, y, cx, cy, SS_ICON, iconId};
}

DialogTemplate AboutBox() {
  DialogTemplate t;
  t.id = IDD_ABOUTBOX;
  t.caption = "About Remold";
  t.cx = 235;
  t.cy = 55;
  t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER;
  t.controls = {
      Icon(IDR_MAINFRAME, 11, 17, 20, 20),
      Static(IDC_STATIC, "Remold Version 1.0", 40, 25, 119, 8, SS_LEFT),
      Button(IDOK, "OK", 178, 24, 50, 14, BS_DEFPUSHBUTTON),
  };
  return t;
}

DialogTemplate UpgradeDialog() {
  DialogTemplate t;
  t.id = IDD_REMOLD_DIALOG;
  t.caption = "Upgrading Databases";
  t.cx = 320;
  t.cy = 173;
  t.style = WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
  t.controls = {
      Static(IDC_INTRO_TEXT,
             "Database files must be upgraded before the new version can be used.\n"
             "There are X database files to update which contain X records.",
             10, 11, 300, 49, SS_CENTER),
      Static(IDC_STATUS_TEXT, "Working on %1 database", 39, 67, 254, 8, SS_CENTER),
      Progress(IDC_PROGRESS_FILES, 35, 79, 259, 14),
      Static(IDC_STATIC, "Upgrade Progress", 34, 102, 257, 8, SS_CENTER),
      Progress(IDC_PROGRESS_TOTAL, 33, 114, 259, 14),
      Button(IDC_BACKOUTUPGRADE, "BackoutUpgrade", 62, 152, 59, 14, BS_PUSHBUTTON),
      Button(IDOK, "Start Upgrade", 137, 152, 49, 14, BS_DEFPUSHBUTTON),
      Button(IDCANCEL, "Cancel Upgrade", 202, 152, 56, 14, BS_PUSHBUTTON),
  };
  return t;
}

DialogTemplate InfoWindow() {
  DialogTemplate t;
  t.id = IDD_INFO_DIALOG;
  t.caption = "";
  t.cx = 185;
  t.cy = 41;
  t.style = WS_POPUP | WS_VISIBLE | WS_CAPTION;
  t.controls = {Static(IDC_INFO_TEXT, "", 9, 6, 166, 28, SS_CENTER)};
  return t;
}

framework::ResourceTable Build() {
  framework::ResourceTable table;
  table.dialogs = {AboutBox(), UpgradeDialog(), InfoWindow()};
  table.strings = {
      {AFX_IDS_APP_TITLE, "Remold"},
      {IDS_ABOUTBOX, "&About Remold..."},
      {IDS_UPGRADE_INTRO,
       "Database files must be upgraded before the new version can be used.\nThere are %1 "
       "database files to update which contain %2 total records."},
      {IDS_WORKING_ON, "Working on %1 database"},
      {IDS_BACKOUT_NEEDED,
       "A previous upgrade did not complete.  This unsuccessfull upgrade must be backed out "
       "before the existing files can be upgraded.\nPress the <BackoutUpgrade> button to back "
       "out the unsuccessfull upgrade."},
      {IDS_WAITING, "Waiting for user input."},
      {IDS_NOT_INSTALLED, "Current Vendrix Program Not Correctly Installed.\n\n"},
      {IDS_CONFIRM_CANCEL_RUN,
       "Are you sure that you want to cancel the upgrade of the databases?\nThe upgrade has not "
       "completed and the application will not be usable until the upgrade has completed. "
       "\nPress \"Yes\"  to cancel and \"No\" to continue with updates."},
      {IDS_CONFIRM_LEAVE,
       "Are you sure that you want to leave the upgrade program? \nThe upgrade has not been run "
       "and the application will not be usable until the upgrade has completed. \nPress "
       "\"Yes\"  to cancel and \"No\" to return to the application."},
      {IDS_RESTORE_FAILED, "Unable to restore file %1."},
      {IDS_MOVING_FILE, "Moving File %1 to %2."},
      {IDS_UPGRADE_FAILED, "Unable to upgrade the %1 database (status %2)."},
  };
  table.icons = {{IDR_MAINFRAME, {".--.", "|Re|", "'--'"}}};
  return table;
}

}  // namespace

const framework::ResourceTable& RemoldResources() {
  static const framework::ResourceTable table = Build();
  return table;
}
