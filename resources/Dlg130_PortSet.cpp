// Dialog 130: the Port Set page. Four output rows of route buttons with a
// number display each, the "Output All" row, "Status", "Clear", the log box,
// and the hidden all-outputs radios with their group box and status static.
#include "Dialogs.h"

namespace {

constexpr UINT kButton = CS_TABSTOP;
constexpr UINT kDisplay = CS_CENTER | CS_VCENTER | CS_SUNKEN | CS_BORDER | CS_GROUP;

}  // namespace

const DlgTemplate IDD_PORT_SET_PAGE = {
    130, "", 385, 313, "System", 10, true,
    {
        {-1, CK_GROUPBOX, "Output 1", 13, 8, 179, 49, 0},
        {1003, CK_BUTTON, "1", 19, 25, 22, 19, kButton},
        {1004, CK_BUTTON, "2", 47, 25, 22, 19, kButton},
        {1005, CK_BUTTON, "3", 76, 25, 22, 19, kButton},
        {1006, CK_BUTTON, "4", 105, 25, 22, 19, kButton},
        {1007, CK_STATIC, "1", 143, 21, 40, 28, kDisplay},
        {-1, CK_GROUPBOX, "Output 2", 13, 61, 179, 49, 0},
        {1008, CK_BUTTON, "1", 19, 78, 22, 19, kButton},
        {1009, CK_BUTTON, "2", 47, 78, 22, 19, kButton},
        {1010, CK_BUTTON, "3", 76, 78, 22, 19, kButton},
        {1011, CK_BUTTON, "4", 105, 78, 22, 19, kButton},
        {1012, CK_STATIC, "1", 143, 74, 40, 28, kDisplay},
        {-1, CK_GROUPBOX, "Output 3", 13, 114, 179, 49, 0},
        {1013, CK_BUTTON, "1", 19, 131, 22, 19, kButton},
        {1014, CK_BUTTON, "2", 47, 131, 22, 19, kButton},
        {1015, CK_BUTTON, "3", 76, 131, 22, 19, kButton},
        {1016, CK_BUTTON, "4", 105, 131, 22, 19, kButton},
        {1017, CK_STATIC, "1", 143, 127, 40, 28, kDisplay},
        {-1, CK_GROUPBOX, "Output 4", 13, 167, 179, 49, 0},
        {1018, CK_BUTTON, "1", 19, 184, 22, 19, kButton},
        {1019, CK_BUTTON, "2", 47, 184, 22, 19, kButton},
        {1020, CK_BUTTON, "3", 76, 184, 22, 19, kButton},
        {1021, CK_BUTTON, "4", 105, 184, 22, 19, kButton},
        {1022, CK_STATIC, "1", 143, 180, 40, 28, kDisplay},
        {1023, CK_BUTTON, "Status", 208, 12, 66, 18, kButton},
        {1025, CK_RADIO, "Sel Input 1", 320, 235, 54, 15, CS_GROUP | CS_HIDDEN},
        {1026, CK_RADIO, "Sel Input 2", 320, 251, 54, 15, CS_HIDDEN},
        {1027, CK_RADIO, "Sel Input 3", 320, 267, 54, 15, CS_HIDDEN},
        {1028, CK_RADIO, "Sel Input 4", 320, 283, 54, 15, CS_HIDDEN},
        {-1, CK_GROUPBOX, "All Output Set", 311, 223, 68, 85, CS_HIDDEN},
        {1029, CK_STATIC, "Static", 13, 278, 67, 17, CS_SUNKEN | CS_GROUP | CS_HIDDEN},
        {-1, CK_GROUPBOX, "Output All", 13, 220, 179, 49, 0},
        {1024, CK_BUTTON, "1", 19, 237, 22, 19, kButton},
        {1030, CK_BUTTON, "2", 47, 237, 22, 19, kButton},
        {1031, CK_BUTTON, "3", 76, 237, 22, 19, kButton},
        {1032, CK_BUTTON, "4", 105, 237, 22, 19, kButton},
        {1042, CK_EDIT, "", 209, 39, 162, 230, CS_MULTILINE | CS_BORDER | CS_VSCROLL | CS_HSCROLL},
        {1033, CK_STATIC, "1", 143, 233, 40, 28, kDisplay},
        {1034, CK_BUTTON, "Clear", 300, 12, 66, 18, kButton},
    },
};
