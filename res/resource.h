/* Resource and control identifiers. The numbers are fixed (tools and users
   rely on them); the names are ours. Plain #defines only: the resource
   compiler reads this file too. */
#ifndef TAVRO_RESOURCE_H
#define TAVRO_RESOURCE_H

/* About box and program icon */
#define IDD_ABOUTBOX 100
#define IDR_MAINFRAME 128
#define IDM_ABOUTBOX 0x0010

/* Main window */
#define IDD_DOWNLOAD_DIALOG 102
#define IDC_EDIT_FILE 1000
#define IDC_BUTTON_BROWSE 1004
#define IDC_BUTTON_DOWNLOAD 1006
#define IDC_BUTTON_EXIT 1008
#define IDC_RADIO_PRIM 1009
#define IDC_RADIO_RED 1010
#define IDC_BUTTON_HELP 1028
#define IDC_COMBO_PORT 1357
#define IDC_EDIT_CPMADR 1568

/* Firmware header preview */
#define IDD_FDL_INFO 132
#define IDC_EDIT_INFO 1011

/* Download status window */
#define IDD_DOWNLOAD_STATUS 700
#define IDB_LED_OFF 138
#define IDB_LED_RED 139
#define IDB_LED_GREEN 140
#define IDC_STATIC_MESSAGE 1015
#define IDC_STATIC_TIME 1016
#define IDC_STATIC_FILE 1017
#define IDC_STATIC_COM 1018
#define IDC_STATIC_CPM 1019
#define IDC_STATIC_PERCENT 1020
#define IDC_STATIC_ESTIMATE 1022
#define IDC_STATIC_RETRY 1023
#define IDC_LED_ERROR 1024
#define IDC_LED_RUN 1025
#define IDC_BUTTON_REPEAT 1027
#define IDC_PROGRESS 1514

/* Scripted downloads and the download record */
#define IDS_SCRIPT_USAGE 800
#define IDS_SCRIPT_UNKNOWN_SWITCH 801
#define IDS_SCRIPT_BAD_VALUE 802
#define IDS_SCRIPT_TWICE 803
#define IDS_SCRIPT_SECOND_FILE 804
#define IDS_SCRIPT_BAD_ADDRESS 805
#define IDS_SCRIPT_NOT_FIRST 806
#define IDS_SCRIPT_QUIET_AND_WAIT 807
#define IDS_SCRIPT_SETTINGS_INVALID 808
#define IDS_SCRIPT_SETTINGS_PORT 809
#define IDS_SCRIPT_PORT_UNUSABLE 810
#define IDS_RECORD_NOT_WRITTEN 811
#define IDS_OUTCOME_DOWNLOADED 820 /* one word per run::Outcome, in its order */
#define IDS_OUTCOME_NOT_RUN 826
#define IDS_SCRIPT_SUMMARY 830

/* String table */
#define IDS_ABOUTBOX 101
#define IDS_DOWNLOAD_ERROR 103
#define IDS_DOWNLOAD_INIT_ERROR 104
#define IDS_LIBRARY_MISSING 105
#define IDS_NO_FILE 107
#define IDS_APP_TITLE 108
#define IDS_NO_PORT 703
#define IDS_CPM_ADDRESS_RANGE 725
#define IDS_DEFAULT_INI 726
#define IDS_PORT_NOT_AVAILABLE 739
#define IDS_NO_PORT_SELECTED 741
#define IDS_PATH_NOT_PASSABLE 742
#define IDS_STATUS_WINDOW_FAILED 743
#define IDS_HELP_FAILED 744
#define IDS_END_NOT_CONFIRMED 745
#define IDS_DEFAULT_INI_NOT_WRITTEN 746
#define IDS_SETTINGS_NOT_WRITTEN 747
#define IDS_PARSE_INT 61712

#endif
