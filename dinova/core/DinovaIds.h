// Resource numbers of the doorbell programmer: the main dialog's controls,
// its icons and dialogs, and the messages the bell posts for each flow.
#pragma once

#include "platform/Types.h"

// Main dialog and its controls. The button and list numbers are the
// command-state table's commands and the string-table keys of their tool tips.
constexpr int IDD_BELL = 101;
constexpr int IDC_WRITE_SET = 1007;
constexpr int IDC_ADD_MELODY = 1008;
constexpr int IDC_READ_SET = 1009;
constexpr int IDC_CLEAR = 1010;
constexpr int IDC_EXIT = 1011;
constexpr int IDC_REFRESH = 1012;
constexpr int IDC_SELECTION_MODE = 1014;
constexpr int IDC_BELL_TYPE = 1016;
constexpr int IDC_PROGRESS = 1017;
constexpr int IDC_CAPACITY = 1018;
constexpr int IDC_FREE = 1019;
constexpr int IDC_MELODY_COUNT = 1020;
constexpr int IDC_CURRENT_MELODY = 1021;
constexpr int IDC_MODE = 1022;

// The checker panels under the open dialogs.
constexpr int IDD_MELODY_CHECK = 126;
constexpr int IDD_SET_CHECK = 133;
constexpr int IDC_PLAY = 1023;
constexpr int IDC_STOP = 1024;
constexpr int IDC_CHECK_TEXT = 1025;

// The selection mode dialog.
constexpr int IDD_MODE = 129;
constexpr int IDC_MODE_SEQUENTIAL = 1026;
constexpr int IDC_MODE_MANUAL = 1027;
constexpr int IDC_MODE_RANDOM = 1028;

constexpr int IDD_ABOUT = 1100;

// Icons.
constexpr int IDI_BELL = 117;
constexpr int IDI_EXIT = 118;
constexpr int IDI_ADD_MELODY = 124;
constexpr int IDI_WRITE_SET = 125;
constexpr int IDI_PLAY = 127;
constexpr int IDI_STOP = 128;
constexpr int IDI_SELECTION_MODE = 130;
constexpr int IDI_CLEAR = 131;
constexpr int IDI_READ_SET = 132;

// Bell types: the indices of the bell type list.
constexpr LONG BELL_TYPE_20 = 0;
constexpr LONG BELL_TYPE_29 = 1;

// What the bell posts to the main dialog during each flow.
constexpr UINT FLOW_REFRESH = 0x8001;
constexpr UINT FLOW_ADD_MELODY = 0x8002;
constexpr UINT FLOW_WRITE_SET = 0x8003;
constexpr UINT FLOW_READ_SET = 0x8004;
