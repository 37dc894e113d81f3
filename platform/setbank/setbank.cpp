// The profile library: the current profile, and a chooser of the enabled profiles.
#include "platform/setbank/setbank.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/framework/dialog.h"
#include "platform/framework/resource_table.h"
#include "platform/registry/registry.h"

using framework::ControlTemplate;
using framework::DialogTemplate;
using framework::WindowKind;

namespace {

constexpr int kProfiles = 10;
constexpr int kColumn = 4;
constexpr int kRow = 8;

std::string KeyOf(int n) {
  return "Profiles\\ID" + std::to_string(n) + "\\";
}

bool Enabled(const registry::Store& store, int n) {
  return store.GetInt("Profiles\\ID" + std::to_string(n), "Enabled", 0) == 1;
}

// The store as it stands now, or nothing when it cannot be read.
bool LoadStore(registry::Store& store) {
  return store.Load();
}

int CurrentProfile(const registry::Store& store) {
  const int n = store.GetInt("Profiles", "Current", -1);
  return n >= 0 && n < kProfiles && Enabled(store, n) ? n : -1;
}

struct Choice {
  int number;
  std::string company;
  std::string directory;
};

// "&" in a text shown on a button would be taken for a mnemonic.
std::string Literal(const std::string& text) {
  std::string out;
  for (char c : text) {
    out += c;
    if (c == '&') {
      out += '&';
    }
  }
  return out;
}

std::string Cut(const std::string& text, size_t width) {
  return text.size() <= width ? text : text.substr(0, width - 3) + "...";
}

std::string ChoiceLabel(const Choice& c) {
  char head[8];
  std::snprintf(head, sizeof head, "&%d  ", c.number);
  std::string company = Cut(c.company, 28);
  company.resize(28, ' ');
  return head + Literal(company) + "  " + Literal(Cut(c.directory, 34));
}

DialogTemplate ChooserTemplate(const std::vector<Choice>& choices) {
  DialogTemplate t;
  t.caption = "Select Profile";
  t.style = WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_CENTER;
  const int cols = 74;
  const int rows = static_cast<int>(choices.size()) + 6;
  t.cx = cols * kColumn;
  t.cy = rows * kRow;
  t.controls.push_back(ControlTemplate{IDC_STATIC, WindowKind::Static,
                                       "Choose the profile whose database is to be upgraded:",
                                       2 * kColumn, kRow, (cols - 4) * kColumn, kRow, SS_LEFT, 0});
  int row = 3;
  for (const Choice& c : choices) {
    t.controls.push_back(ControlTemplate{
        framework::kChoiceFirstId + c.number, WindowKind::Button, ChoiceLabel(c), 2 * kColumn,
        row * kRow, (cols - 4) * kColumn, kRow, BS_PUSHBUTTON | WS_TABSTOP, 0});
    ++row;
  }
  const int cancelCols = 10;
  t.controls.push_back(ControlTemplate{IDCANCEL, WindowKind::Button, "Cancel",
                                       (cols - cancelCols) / 2 * kColumn, (row + 1) * kRow,
                                       cancelCols * kColumn, kRow, BS_PUSHBUTTON | WS_TABSTOP, 0});
  return t;
}

// Ends with the id of the choice pressed, or IDCANCEL.
class ChooserDialog : public CDialog {
 public:
  explicit ChooserDialog(CWnd* owner) { m_pParentWnd = owner; }

 protected:
  bool OnCommand(UINT id) override {
    const int choice = static_cast<int>(id) - framework::kChoiceFirstId;
    if (choice >= 0 && choice < kProfiles) {
      EndDialog(static_cast<int>(id));
      return true;
    }
    return CDialog::OnCommand(id);
  }
};

}  // namespace

CString ProfileLocation() {
  registry::Store store("Corvane", "Vendrix 32");
  if (!LoadStore(store)) {
    return CString();
  }
  const int n = CurrentProfile(store);
  return n >= 0 ? KeyOf(n) : CString();
}

CString ProfileDatabaseLocation() {
  registry::Store store("Corvane", "Vendrix 32");
  if (!LoadStore(store)) {
    return CString();
  }
  const int n = CurrentProfile(store);
  return n >= 0 ? store.GetString(KeyOf(n) + "Directories", "DatabaseDir", "") : CString();
}

int SelectProfile(unsigned /*flags*/, char* buffer, HWND owner) {
  if (buffer == nullptr) {
    return -1;
  }
  buffer[0] = '\0';
  registry::Store store("Corvane", "Vendrix 32");
  if (!LoadStore(store)) {
    return -1;
  }
  std::vector<Choice> choices;
  for (int n = 0; n < kProfiles; ++n) {
    if (Enabled(store, n)) {
      choices.push_back({n, store.GetString(KeyOf(n) + "Generic", "CompanyName", ""),
                         store.GetString(KeyOf(n) + "Directories", "DatabaseDir", "")});
    }
  }
  if (choices.empty()) {
    return -1;
  }
  CWnd* ownerWnd =
      owner != nullptr && owner != GetDesktopWindow() ? CWnd::FromHandle(owner) : nullptr;
  ChooserDialog chooser(ownerWnd);
  chooser.InitModalIndirect(ChooserTemplate(choices), framework::WindowRole::Chooser);
  const int result = chooser.DoModal();
  const int n = result - framework::kChoiceFirstId;
  if (n < 0 || n >= kProfiles) {
    return -1;
  }
  std::snprintf(buffer, kProfileBufferSize, "%s", KeyOf(n).c_str());
  return n;
}
