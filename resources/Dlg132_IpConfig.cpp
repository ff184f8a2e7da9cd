// Dialog 132: the IP Config page. The switcher's address, mask, router, DHCP
// flag and MAC address with Get and Save; below them the serial output log,
// the raw-text box and its two buttons, which the page hides at start.
#include "resources/Dialogs.h"
#include "resources/Dlg132_IpConfigIds.h"

namespace {

using namespace Dlg132;

constexpr UINT kButton = CS_TABSTOP;
constexpr UINT kIp = CS_TABSTOP | CS_BORDER;
constexpr UINT kMultiLine = CS_MULTILINE | CS_BORDER | CS_TABSTOP;

}  // namespace

const DlgTemplate IDD_IP_CONFIG_PAGE = {
    132, "", 385, 313, "System", 10, true,
    {
        {-1, CK_GROUPBOX, "IP Address Setting", 20, 12, 240, 150, 0},
        {-1, CK_STATIC, "Host IP Address:", 32, 34, 80, 10, 0},
        {IDC_IP_ADDRESS, CK_IPADDRESS, "", 118, 31, 120, 15, kIp},
        {-1, CK_STATIC, "Net Mask:", 32, 58, 80, 10, 0},
        {IDC_IP_MASK, CK_IPADDRESS, "", 118, 55, 120, 15, kIp},
        {-1, CK_STATIC, "Router IP Address:", 32, 82, 80, 10, 0},
        {IDC_IP_ROUTER, CK_IPADDRESS, "", 118, 79, 120, 15, kIp},
        {IDC_DHCP, CK_CHECKBOX, "DHCP", 118, 103, 60, 12, CS_TABSTOP},
        {-1, CK_STATIC, "MAC Address:", 32, 127, 80, 10, 0},
        {IDC_MAC, CK_EDIT, "", 118, 124, 120, 15, CS_BORDER | CS_CENTER | CS_DISABLED | CS_AUTOHSCROLL},
        {IDC_GET_IP_CONFIG, CK_BUTTON, "Get IP Config", 278, 40, 80, 18, kButton},
        {IDC_SAVE_IP_CONFIG, CK_BUTTON, "Save IP Config", 278, 74, 80, 18, kButton},
        {IDC_LOG, CK_EDIT, "", 20, 172, 240, 130, kMultiLine | CS_VSCROLL | CS_HSCROLL},
        {IDC_RAW_TEXT, CK_EDIT, "", 270, 172, 100, 96, kMultiLine | CS_VSCROLL},
        {IDC_SEND, CK_BUTTON, "Send", 270, 280, 46, 18, kButton},
        {IDC_CLEAR, CK_BUTTON, "Clear", 324, 280, 46, 18, kButton},
    },
};
