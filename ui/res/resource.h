#pragma once
// Resource and control ids of the launcher.

#define IDD_UPDATE              102
#define IDD_OPTION              103
#define IDI_MAIN                128
#define IDB_OPTION_BACKGROUND   123
#define IDB_OPTION_PRESSED      118
#define IDB_OPTION_NORMAL       119
#define IDB_SAVE_PRESSED        124
#define IDB_SAVE_NORMAL         125
#define IDB_CONNECT_NORMAL      135
#define IDB_CONNECT_PRESSED     136
#define IDB_CLOSE_NORMAL        137
#define IDB_CLOSE_PRESSED       138
#define IDB_BACKGROUND          141

// Main dialog controls.
#define IDC_NOTICE              1004
#define IDC_LINK                1005
#define IDC_STATUS              1020
#define IDC_PROGRESS_FILE       1021
#define IDC_PROGRESS_VERSION    1022
#define IDC_VERSION_COUNTER     1027
#define IDC_FILE_COUNTER        1028
// 1029 is the transfer caption strip, created at run time (patch/win/TransferCaption.h).
#define IDC_LIST                1030
#define IDC_OPTION_BUTTON       1997
#define IDC_CONNECT_BUTTON      1999
#define IDC_CLOSE_BUTTON        2000

// Options dialog controls.
#define IDC_ID_EDIT             1006
#define IDC_SOUND_CHECK         1007
#define IDC_SAVE_BUTTON         1008
#define IDC_MUSIC_CHECK         1010
#define IDC_RES_640             1043
#define IDC_RES_800             1044
#define IDC_RES_1024            1045
#define IDC_RES_1280            1046
#define IDC_REPAIR_LINK         1050
