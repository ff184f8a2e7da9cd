#pragma once
// Control IDs of dialog 133, the Net Config page.
namespace Dlg133 {
enum : int {
    IDC_DEVICE_NUMBER = 1000,        // combo: "1", "2", ... one per table entry
    IDC_SOCKET = 1001,               // "Connect" / "Disconnect": open or close the PC socket
    IDC_SEARCH = 1039,               // "Search Device"
    IDC_LOCAL_IP = 1082,             // PC address
    IDC_LOCAL_PORT = 1083,           // PC port
    IDC_HOST_IP = 1084,              // switcher address
    IDC_HOST_PORT = 1085,            // switcher port, never shown
    IDC_DEVICE_LIST = 1088,          // list of found switchers
    IDC_HOST_CONNECT = 1089,         // "Connect" / "Disconnect": choose or leave the switcher
    IDC_HOST_GROUP = 1090,           // "Host Device Information"
    IDC_CLEAR = 1091,                // "CLEAR"
    IDC_WEB_PAGE = 1092,             // "IE"
    IDC_HOST_PORT_LABEL = 1093,      // "Ports:" of the switcher, never shown
    IDC_DEVICE_NUMBER_LABEL = 1094,  // "Sel Device Number:"
    IDC_HOST_IP_LABEL = 1095,        // "IP Address:" of the switcher
};
}  // namespace Dlg133
