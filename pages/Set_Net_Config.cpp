#include "Set_Net_Config.h"

#include "CommandFrames.h"
#include "Dialogs.h"
#include "NetSend.h"

CNetConfigPage g_NetConfigPage;

CNetConfigPage::CNetConfigPage() : CDialog(IDD_NET_CONFIG_PAGE) {}

void CNetConfigPage::ReadAllConfig() { NetSend(Frames::Read(Frames::REG_ALL_CONFIG)); }
