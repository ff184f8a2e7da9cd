// Dialog 129: the EDID Config page. One group per HDMI input (mode combo,
// Read, Apply, option check boxes, audio radio group), then the one-line log.
// Controls are created input by input; within an input the audio radios come
// last, so each radio group ends at the next input's group box.
#include "resources/Dialogs.h"
#include "resources/Dlg129_EdidConfigIds.h"

using namespace Dlg129;

namespace {

constexpr UINT kCheck = CS_TABSTOP;
constexpr UINT kCombo = CS_DROPDOWN | CS_SORT | CS_VSCROLL | CS_TABSTOP;

}  // namespace

const DlgTemplate IDD_EDID_CONFIG_PAGE = {
    129, "", 385, 299, "System", 10, true,
    {
        // Input 1
        {IDC_GROUP_1, CK_GROUPBOX, "Set Input HDMI  1", 18, 14, 353, 54, CS_CENTER},
        {IDC_MODE_LABEL_1, CK_STATIC, "EDID Mode:", 28, 30, 44, 10, 0},
        {IDC_MODE_1, CK_COMBO, "", 77, 29, 133, 79, kCombo},
        {IDC_READ_1, CK_BUTTON, "Read", 223, 27, 66, 16, CS_TABSTOP},
        {IDC_APPLY_1, CK_BUTTON, "Apply", 298, 27, 66, 16, CS_TABSTOP},
        {IDC_HDR_1, CK_CHECKBOX, "HDR", 27, 46, 27, 15, kCheck},
        {IDC_3D_1, CK_CHECKBOX, "3D", 67, 49, 25, 11, kCheck},
        {IDC_30BIT_1, CK_CHECKBOX, "30Bit", 100, 49, 32, 11, kCheck},
        {IDC_36BIT_1, CK_CHECKBOX, "36Bit", 142, 49, 32, 11, kCheck},
        {IDC_48BIT_1, CK_CHECKBOX, "48Bit", 187, 49, 32, 11, kCheck},
        {IDC_AUDIO71_1, CK_RADIO, "7.1 CH", 225, 49, 34, 12, CS_GROUP},
        {IDC_AUDIO51_1, CK_RADIO, "5.1 CH", 277, 49, 34, 12, 0},
        {IDC_AUDIO20_1, CK_RADIO, "2.0 CH", 329, 49, 34, 12, 0},
        // Input 2
        {IDC_GROUP_2, CK_GROUPBOX, "Set Input HDMI  2", 18, 76, 353, 54, CS_CENTER},
        {IDC_MODE_LABEL_2, CK_STATIC, "EDID Mode:", 28, 92, 44, 10, 0},
        {IDC_MODE_2, CK_COMBO, "", 77, 91, 133, 79, kCombo},
        {IDC_READ_2, CK_BUTTON, "Read", 223, 88, 66, 16, CS_TABSTOP},
        {IDC_APPLY_2, CK_BUTTON, "Apply", 298, 89, 66, 16, CS_TABSTOP},
        {IDC_HDR_2, CK_CHECKBOX, "HDR", 27, 108, 27, 15, kCheck},
        {IDC_3D_2, CK_CHECKBOX, "3D", 67, 110, 25, 11, kCheck},
        {IDC_30BIT_2, CK_CHECKBOX, "30Bit", 100, 111, 32, 11, kCheck},
        {IDC_36BIT_2, CK_CHECKBOX, "36Bit", 142, 111, 32, 11, kCheck},
        {IDC_48BIT_2, CK_CHECKBOX, "48Bit", 187, 111, 32, 11, kCheck},
        {IDC_AUDIO71_2, CK_RADIO, "7.1 CH", 227, 110, 34, 12, CS_GROUP},
        {IDC_AUDIO51_2, CK_RADIO, "5.1 CH", 277, 110, 34, 12, 0},
        {IDC_AUDIO20_2, CK_RADIO, "2.0 CH", 324, 110, 34, 12, 0},
        // Input 3
        {IDC_GROUP_3, CK_GROUPBOX, "Set Input HDMI  3", 18, 140, 353, 54, CS_CENTER},
        {IDC_MODE_LABEL_3, CK_STATIC, "EDID Mode:", 28, 156, 44, 10, 0},
        {IDC_MODE_3, CK_COMBO, "", 77, 155, 133, 79, kCombo},
        {IDC_READ_3, CK_BUTTON, "Read", 223, 153, 66, 16, CS_TABSTOP},
        {IDC_APPLY_3, CK_BUTTON, "Apply", 298, 153, 66, 16, CS_TABSTOP},
        {IDC_HDR_3, CK_CHECKBOX, "HDR", 28, 172, 27, 15, kCheck},
        {IDC_3D_3, CK_CHECKBOX, "3D", 67, 174, 25, 11, kCheck},
        {IDC_30BIT_3, CK_CHECKBOX, "30Bit", 100, 175, 32, 11, kCheck},
        {IDC_36BIT_3, CK_CHECKBOX, "36Bit", 142, 175, 32, 11, kCheck},
        {IDC_48BIT_3, CK_CHECKBOX, "48Bit", 187, 175, 32, 11, kCheck},
        {IDC_AUDIO71_3, CK_RADIO, "7.1 CH", 227, 174, 34, 12, CS_GROUP},
        {IDC_AUDIO51_3, CK_RADIO, "5.1 CH", 277, 174, 34, 12, 0},
        {IDC_AUDIO20_3, CK_RADIO, "2.0 CH", 324, 174, 34, 12, 0},
        // Input 4
        {IDC_GROUP_4, CK_GROUPBOX, "Set Input HDMI  4", 18, 202, 353, 54, CS_CENTER},
        {IDC_MODE_LABEL_4, CK_STATIC, "EDID Mode:", 28, 218, 44, 10, 0},
        {IDC_MODE_4, CK_COMBO, "", 77, 217, 133, 79, kCombo},
        {IDC_READ_4, CK_BUTTON, "Read", 223, 214, 66, 16, CS_TABSTOP},
        {IDC_APPLY_4, CK_BUTTON, "Apply", 298, 215, 66, 16, CS_TABSTOP},
        {IDC_HDR_4, CK_CHECKBOX, "HDR", 28, 233, 27, 15, kCheck},
        {IDC_3D_4, CK_CHECKBOX, "3D", 67, 236, 25, 11, kCheck},
        {IDC_30BIT_4, CK_CHECKBOX, "30Bit", 100, 236, 32, 11, kCheck},
        {IDC_36BIT_4, CK_CHECKBOX, "36Bit", 142, 236, 32, 11, kCheck},
        {IDC_48BIT_4, CK_CHECKBOX, "48Bit", 187, 236, 32, 11, kCheck},
        {IDC_AUDIO71_4, CK_RADIO, "7.1 CH", 227, 236, 34, 12, CS_GROUP},
        {IDC_AUDIO51_4, CK_RADIO, "5.1 CH", 277, 236, 34, 12, 0},
        {IDC_AUDIO20_4, CK_RADIO, "2.0 CH", 324, 236, 34, 12, 0},
        // The page's one-line log
        {IDC_LOG, CK_EDIT, "", 17, 270, 355, 17, CS_BORDER | CS_AUTOHSCROLL | CS_TABSTOP},
    },
};
