// CWinApp: the application object, its settings store and the program's entry.
#include "platform/framework/app.h"

#include "platform/framework/front_end.h"
#include "platform/framework/internal.h"
#include "platform/framework/resource_table.h"
#include "platform/framework/strings.h"
#include "platform/registry/registry.h"

namespace detail = framework::detail;

CWinApp::CWinApp(const CString& appName) : m_pszAppName(appName) {
  detail::S().app = this;
}

CWinApp::~CWinApp() {
  if (detail::S().app == this) {
    detail::S().app = nullptr;
  }
}

CWinApp* AfxGetApp() {
  return detail::S().app;
}

int CWinApp::Run() {
  while (m_pMainWnd != nullptr && IsWindow(m_pMainWnd->m_hWnd)) {
    MSG msg;
    if (!GetMessage(&msg, nullptr, 0, 0)) {
      break;
    }
    DispatchMessage(&msg);
  }
  return ExitInstance();
}

void CWinApp::SetRegistryKey(const CString& key) {
  m_pszRegistryKey = key;
  if (m_pszProfileName.empty()) {
    m_pszProfileName = m_pszAppName;
  }
  BindStore();
}

void CWinApp::SetProfileName(const CString& name) {
  m_pszProfileName = name;
  if (!m_pszRegistryKey.empty()) {
    BindStore();
  }
}

void CWinApp::BindStore() {
  store_ = std::make_unique<registry::Store>(m_pszRegistryKey, m_pszProfileName);
  profileError_.clear();
  if (!store_->Load()) {
    profileError_ = store_->error().empty() ? store_->path() + ": unreadable" : store_->error();
  }
}

int CWinApp::GetProfileInt(const CString& section, const CString& entry, int defaultValue) {
  return store_ ? store_->GetInt(section, entry, defaultValue) : defaultValue;
}

CString CWinApp::GetProfileString(const CString& section, const CString& entry,
                                  const CString& defaultValue) {
  return store_ ? store_->GetString(section, entry, defaultValue) : defaultValue;
}

bool CWinApp::WriteProfileInt(const CString& section, const CString& entry, int value) {
  return store_ && profileError_.empty() && store_->WriteInt(section, entry, value);
}

bool CWinApp::WriteProfileString(const CString& section, const CString& entry,
                                 const CString& value) {
  return store_ && profileError_.empty() && store_->WriteString(section, entry, value);
}

HICON CWinApp::LoadIcon(UINT id) const {
  return framework::Resources().FindIcon(static_cast<int>(id));
}

int AfxWinMain(CWinApp& app, framework::FrontEnd& frontEnd,
               const framework::ResourceTable& resources) {
  framework::FrontEnd* previousFrontEnd = framework::CurrentFrontEnd();
  framework::SetResources(&resources);
  framework::SetFrontEnd(&frontEnd);
  detail::S().app = &app;
  if (app.m_pszAppName.empty()) {
    app.m_pszAppName = LoadString(AFX_IDS_APP_TITLE);
  }
  int status = 0;
  if (app.InitInstance()) {
    status = app.Run();
  } else {
    if (app.m_pMainWnd != nullptr && IsWindow(app.m_pMainWnd->m_hWnd)) {
      app.m_pMainWnd->DestroyWindow();
    }
    status = app.ExitInstance();
  }
  framework::SetFrontEnd(previousFrontEnd);
  return status;
}
