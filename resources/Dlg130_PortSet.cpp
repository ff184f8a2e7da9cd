// Dialog 130: the Port Set page. Four output rows of route buttons with a
// number display each, the "Output All" row, "Status", "Clear", the log box,
// and the hidden all-outputs radios with their group box and status static.
#include "resources/Dialogs.h"
#include "resources/Dlg130_PortSetIds.h"

using namespace Dlg130;

namespace {

constexpr UINT kButton = CS_TABSTOP;
constexpr UINT kDisplay = CS_CENTER | CS_VCENTER | CS_SUNKEN | CS_BORDER | CS_GROUP;

}  // namespace

const DlgTemplate IDD_PORT_SET_PAGE = {
    130, "", 385, 313, "System", 10, true,
    {
        {-1, CK_GROUPBOX, "Output 1", 13, 8, 179, 49, 0},
        {IDC_OUT1_IN1, CK_BUTTON, "1", 19, 25, 22, 19, kButton},
        {IDC_OUT1_IN2, CK_BUTTON, "2", 47, 25, 22, 19, kButton},
        {IDC_OUT1_IN3, CK_BUTTON, "3", 76, 25, 22, 19, kButton},
        {IDC_OUT1_IN4, CK_BUTTON, "4", 105, 25, 22, 19, kButton},
        {IDC_DISPLAY_1, CK_STATIC, "1", 143, 21, 40, 28, kDisplay},
        {-1, CK_GROUPBOX, "Output 2", 13, 61, 179, 49, 0},
        {IDC_OUT2_IN1, CK_BUTTON, "1", 19, 78, 22, 19, kButton},
        {IDC_OUT2_IN2, CK_BUTTON, "2", 47, 78, 22, 19, kButton},
        {IDC_OUT2_IN3, CK_BUTTON, "3", 76, 78, 22, 19, kButton},
        {IDC_OUT2_IN4, CK_BUTTON, "4", 105, 78, 22, 19, kButton},
        {IDC_DISPLAY_2, CK_STATIC, "1", 143, 74, 40, 28, kDisplay},
        {-1, CK_GROUPBOX, "Output 3", 13, 114, 179, 49, 0},
        {IDC_OUT3_IN1, CK_BUTTON, "1", 19, 131, 22, 19, kButton},
        {IDC_OUT3_IN2, CK_BUTTON, "2", 47, 131, 22, 19, kButton},
        {IDC_OUT3_IN3, CK_BUTTON, "3", 76, 131, 22, 19, kButton},
        {IDC_OUT3_IN4, CK_BUTTON, "4", 105, 131, 22, 19, kButton},
        {IDC_DISPLAY_3, CK_STATIC, "1", 143, 127, 40, 28, kDisplay},
        {-1, CK_GROUPBOX, "Output 4", 13, 167, 179, 49, 0},
        {IDC_OUT4_IN1, CK_BUTTON, "1", 19, 184, 22, 19, kButton},
        {IDC_OUT4_IN2, CK_BUTTON, "2", 47, 184, 22, 19, kButton},
        {IDC_OUT4_IN3, CK_BUTTON, "3", 76, 184, 22, 19, kButton},
        {IDC_OUT4_IN4, CK_BUTTON, "4", 105, 184, 22, 19, kButton},
        {IDC_DISPLAY_4, CK_STATIC, "1", 143, 180, 40, 28, kDisplay},
        {IDC_STATUS, CK_BUTTON, "Status", 208, 12, 66, 18, kButton},
        {IDC_SEL_INPUT_1, CK_RADIO, "Sel Input 1", 320, 235, 54, 15, CS_GROUP | CS_HIDDEN},
        {IDC_SEL_INPUT_2, CK_RADIO, "Sel Input 2", 320, 251, 54, 15, CS_HIDDEN},
        {IDC_SEL_INPUT_3, CK_RADIO, "Sel Input 3", 320, 267, 54, 15, CS_HIDDEN},
        {IDC_SEL_INPUT_4, CK_RADIO, "Sel Input 4", 320, 283, 54, 15, CS_HIDDEN},
        {-1, CK_GROUPBOX, "All Output Set", 311, 223, 68, 85, CS_HIDDEN},
        {IDC_STATUS_TEXT, CK_STATIC, "Static", 13, 278, 67, 17, CS_SUNKEN | CS_GROUP | CS_HIDDEN},
        {-1, CK_GROUPBOX, "Output All", 13, 220, 179, 49, 0},
        {IDC_ALL_IN1, CK_BUTTON, "1", 19, 237, 22, 19, kButton},
        {IDC_ALL_IN2, CK_BUTTON, "2", 47, 237, 22, 19, kButton},
        {IDC_ALL_IN3, CK_BUTTON, "3", 76, 237, 22, 19, kButton},
        {IDC_ALL_IN4, CK_BUTTON, "4", 105, 237, 22, 19, kButton},
        {IDC_LOG, CK_EDIT, "", 209, 39, 162, 230, CS_MULTILINE | CS_BORDER | CS_VSCROLL | CS_HSCROLL},
        {IDC_DISPLAY_ALL, CK_STATIC, "1", 143, 233, 40, 28, kDisplay},
        {IDC_CLEAR, CK_BUTTON, "Clear", 300, 12, 66, 18, kButton},
    },
};
