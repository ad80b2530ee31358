// Resource ids, timers and texts of the load meter, the process tree and the
// processor identifier. Plain defines: the resource compiler reads this header.
#pragma once

// ---- load meter
#define IDM_MEMSTAT 80
#define IDC_MEMSTAT_CLIENT_EDGE 9500
#define IDC_MEMSTAT_TOPMOST 9501
#define IDC_MEMSTAT_QUIT 9502
#define IDC_MEMSTAT_ALPHA_OFF 8000
#define IDC_MEMSTAT_ALPHA_10 8010
#define IDC_MEMSTAT_ALPHA_20 8020
#define IDC_MEMSTAT_ALPHA_30 8030
#define IDC_MEMSTAT_ALPHA_40 8040
#define IDC_MEMSTAT_ALPHA_50 8050
#define IDC_MEMSTAT_ALPHA_60 8060
#define IDC_MEMSTAT_ALPHA_70 8070
#define IDC_MEMSTAT_ALPHA_80 8080
#define IDC_MEMSTAT_ALPHA_90 8090

#define MEMSTAT_CLASS "ZettliesMemStat"
#define MEMSTAT_REGISTRY_KEY "software\\Kestrova\\MemStat"
#define MEMSTAT_VALUE "MemStatInfo"
#define MEMSTAT_TIMER 2
#define MEMSTAT_PERIOD_MS 1000

// ---- process tree
#define IDD_PROCESS_TREE_DIALOG 9000
#define IDC_PT_QUIT 3001
#define IDC_PT_REFRESH 3002
#define IDC_PT_PERIOD 3003
#define IDC_PT_AUTO_REFRESH 3004
#define IDC_PT_CLEAR 3005
#define IDC_PT_DUMP 3006
#define IDC_PT_KILL 3008
#define IDC_PT_KILL_NODE 3009
#define IDC_PT_GRAPH 3010
#define IDC_PT_DUMP_TEXT 3011
#define IDC_PT_CPU_INFO 3012
#define IDC_PT_TREE 3060
// Controls that keep their size and follow the dialog's bottom right corner.
#define IDC_PT_FIRST_MOVING 3001
#define IDC_PT_LAST_MOVING 3009

// Processor use in eighths.
#define IDI_PT_LOAD_FIRST 900
#define IDI_PT_LOAD_1 901
#define IDI_PT_LOAD_2 902
#define IDI_PT_LOAD_3 903
#define IDI_PT_LOAD_4 904
#define IDI_PT_LOAD_5 905
#define IDI_PT_LOAD_6 906
#define IDI_PT_LOAD_7 907
#define IDI_PT_LOAD_LAST 908
#define IDI_PT_DIALOG 910

#define PT_TIMER_REFRESH 1
#define PT_TIMER_GRAPH 2

// ---- processor identifier
#define IDD_CPU_ID 101
#define IDC_CPU_VENDOR 1001
#define IDC_CPU_TYPE 1002
#define IDC_CPU_FAMILY 1003
#define IDC_CPU_MODEL 1004
#define IDC_CPU_STEPPING 1005
#define IDC_CPU_NAME 1006
#define IDC_CPU_PLATFORM 1007
#define IDC_CPU_TREE 1008
#define IDC_CPU_NOTICE 1009
#define IDC_CPU_GROUP 1010

#define CPU_ID_CAPTION "DEZEV - CPU Identifier"

#ifndef RC_INVOKED
static_assert(IDC_MEMSTAT_ALPHA_90 - IDC_MEMSTAT_ALPHA_OFF == 90, "transparency steps of 10");
static_assert(IDC_MEMSTAT_QUIT < 9600 && IDC_MEMSTAT_ALPHA_90 < IDC_MEMSTAT_CLIENT_EDGE,
              "meter menu ids");
static_assert(IDC_PT_QUIT >= 3001 && IDC_PT_TREE < 3100, "process tree controls 3001..3099");
static_assert(IDI_PT_LOAD_LAST - IDI_PT_LOAD_FIRST == 8 && IDI_PT_DIALOG < 1000,
              "nine load icons then the dialog's own");
static_assert(IDC_CPU_VENDOR >= 1001 && IDC_CPU_GROUP < 1100, "processor identifier 1001..1099");
static_assert(IDD_CPU_ID < IDI_PT_LOAD_FIRST && IDM_MEMSTAT < IDD_CPU_ID, "sysmon resources");
#endif
