// The program's resources as data: dialog templates, the string table and icons. The framework
// reads them from the table installed with SetResources (the application installs its own
// table from resources/ at start; tests may install theirs).
#pragma once

#include <string>
#include <vector>

#include "platform/framework/window.h"
#include "platform/framework/wintypes.h"

namespace framework {

struct ControlTemplate {
  int id = IDC_STATIC;
  WindowKind kind = WindowKind::Static;
  std::string text;  // label or initial text; an icon control names its icon by IconId
  int x = 0, y = 0, cx = 0, cy = 0;  // dialog units, relative to the client area
  unsigned style = 0;                // SS_CENTER, BS_DEFPUSHBUTTON, WS_DISABLED, ...
  int iconId = 0;                    // icon controls
};

struct DialogTemplate {
  int id = 0;
  std::string caption;
  int x = 0, y = 0, cx = 0, cy = 0;       // dialog units; cx, cy are the client area
  unsigned style = 0;                     // WS_CAPTION, WS_SYSMENU, DS_MODALFRAME, DS_CENTER, ...
  std::vector<ControlTemplate> controls;  // in tab order
};

struct StringEntry {
  int id = 0;
  std::string text;  // "\n" are line breaks; %1 and %2 are inserts
};

// An icon: a picture of a few character cells, drawn as it stands.
struct IconResource {
  int id = 0;
  std::vector<std::string> picture;
};

struct ResourceTable {
  std::vector<DialogTemplate> dialogs;
  std::vector<StringEntry> strings;
  std::vector<IconResource> icons;

  const DialogTemplate* FindDialog(int id) const;
  const StringEntry* FindString(int id) const;
  const IconResource* FindIcon(int id) const;
};

// Installs the table the framework reads from (nullptr: an empty table). The table must outlive
// its use.
void SetResources(const ResourceTable* table);
const ResourceTable& Resources();

}  // namespace framework
