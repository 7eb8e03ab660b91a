// Identifiers of the program's resources and of the controls in its three
// dialog templates, unique across the program. Plain #defines, so that the
// resource compiler and the portable dialog code read the same file. The
// templates themselves are found by name: "VMID_Dlg_Main", "VMID_Dlg_Sound",
// "VMID_Dlg_Log", "VMID_Dlg_Health".
#pragma once

// ----- icons 1..13: the tray and class icons, by power kind and charge
#define IDI_BATTERY_PLAIN 1         // blue battery: nothing measured yet
#define IDI_PLUG_BLUE 2             // mains without a battery reading
#define IDI_DISCHARGE_FIRST 3       // 3..7: blue turning red from the top
#define IDI_CHARGE_FIRST 8          // 8..12: green turning yellow
#define IDI_PLUG_GREEN 13           // mains, battery nearly full
#define IDI_COUNT 13

// ----- buttons the system knows by number
#define IDC_OK 1
#define IDC_CANCEL 2
#define IDC_HELP_BUTTON 9
#define IDC_APPLY 16
#define IDC_STATIC_TEXT (-1)

// ----- VMID_Dlg_Main
#define IDC_CHARGE_SECONDS 10002
#define IDC_CHARGE_AUTO 10003
#define IDC_DISCHARGE_SECONDS 10005
#define IDC_DISCHARGE_AUTO 10006
#define IDC_LOG_BROWSE 10007
#define IDC_LOG_ENABLE 10008
#define IDC_LOG_FILE 10009
#define IDC_LOG_BY_TIME 10010
#define IDC_LOG_INTERVAL 10012
#define IDC_LOG_BY_BATTERY 10013
#define IDC_EXIT 10014
#define IDC_VERSION 10015
#define IDC_SOUND 10016
#define IDC_LOG_VIEW 10017
#define IDC_ITEM_FIRST 10150        // 10150..10154: the five display slots
#define IDC_HIDE_TASKBAR 10155
#define IDC_SHOW_TRAY 10156
#define IDC_ASK_SUSPEND 10157

// Window-menu commands added to the main dialog's system menu.
#define CMD_VERSION 30000
#define CMD_EXIT 30001

// ----- VMID_Dlg_Sound: one row per sound (AC, AC&Batt, Charge, Discharge,
// Full, Low). In the AC&Batt row the edit has the lower id.
#define IDC_AC_ENABLE 10201
#define IDC_AC_FILE 10202
#define IDC_AC_PLAY 10203
#define IDC_AC_BROWSE 10204
#define IDC_ACBATT_FILE 10205
#define IDC_ACBATT_ENABLE 10206
#define IDC_ACBATT_PLAY 10207
#define IDC_ACBATT_BROWSE 10208
#define IDC_CHARGE_ENABLE 10209
#define IDC_CHARGE_FILE 10210
#define IDC_CHARGE_PLAY 10211
#define IDC_CHARGE_BROWSE 10212
#define IDC_DISCHARGE_ENABLE 10213
#define IDC_DISCHARGE_FILE 10214
#define IDC_DISCHARGE_PLAY 10215
#define IDC_DISCHARGE_BROWSE 10216
#define IDC_FULL_ENABLE 10217
#define IDC_FULL_FILE 10218
#define IDC_FULL_PLAY 10219
#define IDC_FULL_BROWSE 10220
#define IDC_FULL_PERCENT 10222
#define IDC_LOW_ENABLE 10223
#define IDC_LOW_FILE 10224
#define IDC_LOW_PLAY 10225
#define IDC_LOW_BROWSE 10226
#define IDC_LOW_PERCENT 10228

// ----- VMID_Dlg_Log
#define IDC_LOG_TEXT 10301

// ----- VMID_Dlg_Health
#define IDC_HEALTH_TEXT 10401
#define IDC_HEALTH_CHART 10402
#define CMD_HEALTH 30002

// ----- the program's own words, one STRINGTABLE per language. From
// IDS_FIRST without gaps, in the script's order (the Linux build checks it):
// the lookup indexes them.
#define IDS_FIRST 2000
#define IDS_ITEM_NONE 2000           // the display items' list entries, in their codes' order
#define IDS_ITEM_CHARGE 2001
#define IDS_ITEM_PER_PERCENT 2002
#define IDS_ITEM_ENDS_AT 2003
#define IDS_ITEM_TIME_LEFT 2004
#define IDS_ITEM_CLOCK 2005
#define IDS_MENU_VERSION 2006
#define IDS_MENU_EXIT 2007
#define IDS_NO_SUSPEND_QUESTION 2008
#define IDS_VERSION_TEXT 2009
#define IDS_VERSION_CAPTION 2010
#define IDS_SUSPEND_QUESTION 2011
#define IDS_SUSPEND_CAPTION 2012
#define IDS_LOG_CHOOSER_TITLE 2013
#define IDS_LOG_CHOOSER_FILTER 2014
#define IDS_WAV_CHOOSER_TITLE 2015
#define IDS_WAV_CHOOSER_FILTER 2016
#define IDS_REFUSED_SETTINGS 2017
#define IDS_REFUSED_SCRIPT 2018
#define IDS_YES 2019
#define IDS_NO 2020
#define IDS_MENU_RESTORE 2021
#define IDS_FULL_SUMMARY 2022
#define IDS_FULL_BODY 2023              // %1: the charge in percent
#define IDS_LOW_SUMMARY 2024
#define IDS_LOW_BODY 2025               // %1: the charge in percent
#define IDS_CHOOSER_NO_FOLDER 2026      // %1: the folder
#define IDS_CHOOSER_BAD_NAME 2027       // %1: the file name
#define IDS_CHOOSER_LONG_NAME 2028      // %1: the file name
#define IDS_INHIBIT_WHY 2029
#define IDS_SHOW_TRAY_LINUX 2030        // the main dialog's tray switch on Linux
#define IDS_MENU_HEALTH 2031
#define IDS_HEALTH_BATTERY 2032
#define IDS_HEALTH_COMBINED 2033
#define IDS_HEALTH_NO_BATTERY 2034
#define IDS_HEALTH_MAKER 2035
#define IDS_HEALTH_MODEL 2036
#define IDS_HEALTH_SERIAL 2037
#define IDS_HEALTH_TECHNOLOGY 2038
#define IDS_HEALTH_DESIGN 2039
#define IDS_HEALTH_FULL 2040
#define IDS_HEALTH_HEALTH 2041
#define IDS_HEALTH_WEAR 2042
#define IDS_HEALTH_CYCLES 2043
#define IDS_HEALTH_POWER 2044
#define IDS_HEALTH_VOLTAGE 2045
#define IDS_HEALTH_RELATIVE 2046
#define IDS_HEALTH_UNKNOWN 2047
#define IDS_HEALTH_PACE 2048
#define IDS_HEALTH_PACE_PER_MONTH 2049  // printf: %s the points a month
#define IDS_HEALTH_PACE_PER_CYCLES 2050  // printf: %s the points per 100 cycles
#define IDS_HEALTH_FORECAST 2051
#define IDS_HEALTH_REACHES_IN 2052  // printf: %d year, %d month
#define IDS_HEALTH_NEVER_REACHES 2053
#define IDS_HEALTH_LIST_SEPARATOR 2054
#define IDS_HEALTH_READING 2055
#define IDS_CHART_AC_LINE 2056  // the log chart's kinds of power
#define IDS_CHART_AC_BATTERY 2057
#define IDS_CHART_CHARGING 2058
#define IDS_CHART_DISCHARGING 2059
#define IDS_CHART_STOPPED 2060
#define IDS_CHART_RANGE_SECONDS 2061  // printf: year, month, day, h, m, s to h, m, s
#define IDS_CHART_RANGE_MINUTES 2062  // printf: year, month, day, h, m twice
#define IDS_CHART_CHARGE_AXIS 2063
#define IDS_CHART_NOTHING 2064
#define IDS_CHART_RATE_AXIS 2065
#define IDS_CHART_CHARGE 2066
#define IDS_CHART_DISCHARGE 2067
#define IDS_CHART_LOG_TITLE 2068  // before the log file's name
#define IDS_REPORT_HISTORY 2069
#define IDS_REPORT_HEALTH_AXIS 2070
#define IDS_REPORT_CYCLES_AXIS 2071
#define IDS_REPORT_SWAPPED 2072
#define IDS_REPORT_NO_LINES 2073
#define IDS_REPORT_DATE_RANGE 2074  // printf: year, month, day twice
#define IDS_REPORT_TITLE 2075
#define IDS_REPORT_LOG_FILE 2076
#define IDS_REPORT_NOT_FOUND 2077
#define IDS_REPORT_NOTHING_FOUND 2078
#define IDS_REPORT_LINES 2079  // printf: %lld the lines
#define IDS_REPORT_BATTERIES 2080
#define IDS_REPORT_REPLACED 2081
#define IDS_REPORT_PERIOD 2082
#define IDS_REPORT_HISTORY_HEADING 2083
#define IDS_REPORT_NO_HISTORY 2084
#define IDS_REPORT_LOG_HEADING 2085
#define IDS_REPORT_NO_LOG 2086
#define IDS_REPORT_USAGE 2087
#define IDS_REPORT_WHOLE 2088
#define IDS_REPORT_MONTH 2089  // printf: %d year, %d month
#define IDS_REPORT_DAYS 2090
#define IDS_REPORT_RUNNING_PER_DAY 2091
#define IDS_REPORT_BATTERY_PER_DAY 2092
#define IDS_REPORT_DRAIN 2093
#define IDS_REPORT_POWER_FROM_LOG 2094
#define IDS_REPORT_POWER_MEASURED 2095
#define IDS_REPORT_NOTE_DAYS 2096  // the usage table's notes
#define IDS_REPORT_NOTE_DRAIN 2097
#define IDS_REPORT_NOTE_ESTIMATED 2098
#define IDS_REPORT_NOTE_MEASURED 2099
#define IDS_COUNT 100
