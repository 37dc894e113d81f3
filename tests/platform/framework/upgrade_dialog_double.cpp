#include "upgrade_dialog_double.h"

BEGIN_MESSAGE_MAP(UpgradeDialogDouble, CDialog)
ON_WM_SYSCOMMAND()
ON_BN_CLICKED(IDC_BACKOUTUPGRADE, &UpgradeDialogDouble::OnBackoutUpgrade)
END_MESSAGE_MAP()
