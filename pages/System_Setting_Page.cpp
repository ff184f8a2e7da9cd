#include "System_Setting_Page.h"

#include "Dialogs.h"

CSystemConfigPage g_SystemConfigPage;

CSystemConfigPage::CSystemConfigPage() : CDialog(IDD_SYSTEM_CONFIG_PAGE) {}
