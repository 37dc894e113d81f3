// CWinApp: the application object. One exists while the program runs (AfxGetApp); AfxWinMain
// installs the front end and the resource table, runs InitInstance, then Run when InitInstance
// returned true, and returns ExitInstance's result as the exit status.
//
// Settings: SetRegistryKey(maker) and SetProfileName(product) bind the application's settings to
// the store HKEY_CURRENT_USER\Software\<maker>\<product> (registry::Store). A store file that
// cannot be parsed leaves GetProfileError() saying "FILE:LINE: reason": reads then give their
// defaults and writes fail, so the application should show the error and end.
#pragma once

#include <memory>

#include "platform/framework/wintypes.h"
#include "platform/framework/wnd.h"

namespace registry {
class Store;
}
namespace framework {
class FrontEnd;
struct ResourceTable;
}  // namespace framework

class CWinApp : public CObject {
 public:
  // appName: the caption of message boxes; empty: string AFX_IDS_APP_TITLE.
  explicit CWinApp(const CString& appName = CString());
  ~CWinApp() override;

  virtual bool InitInstance() { return true; }
  // Runs the message loop while the main window exists.
  virtual int Run();
  // The exit status of the program: m_nExitCode unless overridden.
  virtual int ExitInstance() { return m_nExitCode; }

  void SetRegistryKey(const CString& key);
  // The product name below the registry key (by default the application name).
  void SetProfileName(const CString& name);
  const CString& GetProfileError() const { return profileError_; }

  int GetProfileInt(const CString& section, const CString& entry, int defaultValue);
  CString GetProfileString(const CString& section, const CString& entry,
                           const CString& defaultValue = CString());
  bool WriteProfileInt(const CString& section, const CString& entry, int value);
  bool WriteProfileString(const CString& section, const CString& entry, const CString& value);
  // The bound store, or nullptr before SetRegistryKey.
  registry::Store* GetProfileStore() { return store_.get(); }

  HICON LoadIcon(UINT id) const;

  CString m_pszAppName;
  CString m_pszHelpFilePath;
  CString m_pszRegistryKey;
  CString m_pszProfileName;
  CWnd* m_pMainWnd = nullptr;
  int m_nExitCode = 0;

 private:
  void BindStore();
  std::unique_ptr<registry::Store> store_;
  CString profileError_;
};

CWinApp* AfxGetApp();
// Control containers need nothing here.
inline void AfxEnableControlContainer() {}

int AfxWinMain(CWinApp& app, framework::FrontEnd& frontEnd,
               const framework::ResourceTable& resources);
