#pragma once
// Control IDs of dialog 130, the Port Set page.
namespace Dlg130 {
enum : int {
    // Route buttons: output o from input i.
    IDC_OUT1_IN1 = 1003, IDC_OUT1_IN2 = 1004, IDC_OUT1_IN3 = 1005, IDC_OUT1_IN4 = 1006,
    IDC_OUT2_IN1 = 1008, IDC_OUT2_IN2 = 1009, IDC_OUT2_IN3 = 1010, IDC_OUT2_IN4 = 1011,
    IDC_OUT3_IN1 = 1013, IDC_OUT3_IN2 = 1014, IDC_OUT3_IN3 = 1015, IDC_OUT3_IN4 = 1016,
    IDC_OUT4_IN1 = 1018, IDC_OUT4_IN2 = 1019, IDC_OUT4_IN3 = 1020, IDC_OUT4_IN4 = 1021,
    // Number displays: the source of each output, and the "Output All" row's.
    IDC_DISPLAY_1 = 1007, IDC_DISPLAY_2 = 1012, IDC_DISPLAY_3 = 1017, IDC_DISPLAY_4 = 1022,
    IDC_DISPLAY_ALL = 1033,
    // "Output All" buttons: every output from input i.
    IDC_ALL_IN1 = 1024, IDC_ALL_IN2 = 1030, IDC_ALL_IN3 = 1031, IDC_ALL_IN4 = 1032,
    IDC_STATUS = 1023,
    IDC_CLEAR = 1034,
    IDC_LOG = 1042,
    // Hidden: the all-outputs radios and the status static.
    IDC_SEL_INPUT_1 = 1025, IDC_SEL_INPUT_2 = 1026, IDC_SEL_INPUT_3 = 1027, IDC_SEL_INPUT_4 = 1028,
    IDC_STATUS_TEXT = 1029,
};

// The same IDs by output and input index (0..3).
inline constexpr int ROUTE[4][4] = {
    {IDC_OUT1_IN1, IDC_OUT1_IN2, IDC_OUT1_IN3, IDC_OUT1_IN4},
    {IDC_OUT2_IN1, IDC_OUT2_IN2, IDC_OUT2_IN3, IDC_OUT2_IN4},
    {IDC_OUT3_IN1, IDC_OUT3_IN2, IDC_OUT3_IN3, IDC_OUT3_IN4},
    {IDC_OUT4_IN1, IDC_OUT4_IN2, IDC_OUT4_IN3, IDC_OUT4_IN4},
};
inline constexpr int DISPLAY[4] = {IDC_DISPLAY_1, IDC_DISPLAY_2, IDC_DISPLAY_3, IDC_DISPLAY_4};
inline constexpr int ALL[4] = {IDC_ALL_IN1, IDC_ALL_IN2, IDC_ALL_IN3, IDC_ALL_IN4};
inline constexpr int SEL_INPUT[4] = {IDC_SEL_INPUT_1, IDC_SEL_INPUT_2, IDC_SEL_INPUT_3, IDC_SEL_INPUT_4};
}  // namespace Dlg130
