// Dialog 133: the Net Config page. The PC's address and port with the socket
// button; below them the host group: the switcher's address, search, the
// list of found switchers, the device number, CLEAR and IE. The page hides
// the host group until the socket is open.
#include "resources/Dialogs.h"
#include "resources/Dlg133_NetConfigIds.h"

namespace {

using namespace Dlg133;
constexpr UINT kButton = CS_TABSTOP;
constexpr UINT kIp = CS_TABSTOP | CS_BORDER;
constexpr UINT kEdit = CS_TABSTOP | CS_BORDER | CS_AUTOHSCROLL;

}  // namespace

const DlgTemplate IDD_NET_CONFIG_PAGE = {
    133, "", 385, 313, "System", 10, true,
    {
        {-1, CK_GROUPBOX, "Current PC Information", 13, 8, 359, 52, 0},
        {-1, CK_STATIC, "IP Address:", 25, 30, 50, 10, 0},
        {IDC_LOCAL_IP, CK_IPADDRESS, "", 78, 27, 110, 15, kIp},
        {-1, CK_STATIC, "Ports:", 200, 30, 28, 10, 0},
        {IDC_LOCAL_PORT, CK_EDIT, "", 230, 27, 50, 15, kEdit},
        {IDC_SOCKET, CK_BUTTON, "Connect", 296, 26, 66, 18, kButton},
        {IDC_HOST_GROUP, CK_GROUPBOX, "Host Device Information", 13, 68, 359, 238, 0},
        {IDC_HOST_IP_LABEL, CK_STATIC, "IP Address:", 25, 90, 50, 10, 0},
        {IDC_HOST_IP, CK_IPADDRESS, "", 78, 87, 110, 15, kIp},
        {IDC_HOST_PORT_LABEL, CK_STATIC, "Ports:", 200, 90, 28, 10, 0},
        {IDC_HOST_PORT, CK_EDIT, "", 230, 87, 50, 15, kEdit},
        {IDC_SEARCH, CK_BUTTON, "Search Device", 25, 112, 72, 18, kButton},
        {IDC_HOST_CONNECT, CK_BUTTON, "Connect", 296, 86, 66, 18, kButton},
        {IDC_DEVICE_LIST, CK_EDIT, "", 25, 136, 337, 136, CS_MULTILINE | CS_BORDER | CS_VSCROLL | CS_TABSTOP},
        {IDC_DEVICE_NUMBER_LABEL, CK_STATIC, "Sel Device Number:", 25, 284, 78, 10, 0},
        {IDC_DEVICE_NUMBER, CK_COMBO, "", 105, 281, 50, 100, CS_VSCROLL | CS_TABSTOP},
        {IDC_CLEAR, CK_BUTTON, "CLEAR", 222, 280, 66, 18, kButton},
        {IDC_WEB_PAGE, CK_BUTTON, "IE", 296, 280, 66, 18, kButton},
    },
};
