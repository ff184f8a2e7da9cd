#pragma once
// Control IDs of dialog 132, the IP Config page.
namespace Dlg132 {
enum : int {
    IDC_GET_IP_CONFIG = 1001,   // "Get IP Config"
    IDC_SAVE_IP_CONFIG = 1002,  // "Save IP Config"
    IDC_SEND = 1039,            // "Send" beside the raw-text box, hidden
    IDC_DHCP = 1072,            // "DHCP" check box
    IDC_IP_ADDRESS = 1074,      // switcher address
    IDC_IP_MASK = 1075,         // net mask
    IDC_IP_ROUTER = 1076,       // router address
    IDC_MAC = 1077,             // MAC address text, display only
    IDC_LOG = 1078,             // serial output log, hidden
    IDC_RAW_TEXT = 1079,        // raw-text box, hidden
    IDC_CLEAR = 1080,           // "Clear" beside the raw-text box, hidden
};
}  // namespace Dlg132
