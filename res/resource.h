#pragma once
// Ids of the program's resources, commands, controls and strings.

#define IDD_ABOUTBOX            100
#define IDD_MAIN                102
#define IDR_MAINFRAME           128
#define IDR_MAINMENU            130
#define IDR_TOOLBAR             135
#define IDB_TOOLBAR_COLD        137
#define IDB_TOOLBAR_HOT         138
// The same pictures at 36 and 48 pixels, for scaled displays; one strip each for hot and cold
#define IDB_TOOLBAR_36          139
#define IDB_TOOLBAR_48          140

// Status texts (string ids, a numbering of their own)
#define IDS_READY_INITIAL       102
#define IDS_PAUSED              32779
#define IDS_STOPPED             32780
#define IDS_RECORDING           32781
#define IDS_READY               32782
#define IDS_PLAYING             32783
#define IDS_RECORDED            32784
#define IDS_SAVING              32787

// The level meter's words, beside its bars in the status line
#define IDS_LEVEL_CLIPPED       32785
#define IDS_LEVEL_SILENT        32786

// Commands
#define ID_SAVE                 32771
#define ID_EXIT                 32772
#define ID_ABOUT                32773
#define ID_RECORD               32774
#define ID_STOP                 32775
#define ID_PLAY                 32776
#define ID_PAUSE                32777
#define ID_HELP_CONTENTS        32779
#define ID_AUDIO_PROPERTIES     32780

// Controls
#define IDC_BROWSE              1004
#define IDC_FILENAME            1005
#define IDC_POSITION            1017
#define IDC_LENGTH              1018
#define IDC_SAMPLERATE          1021
#define IDC_CHANNELS            1022
#define IDC_BITS                1023
#define IDC_SLIDER              1025
#define IDC_HOMELINK            1026
#define IDC_PRODUCTLINK         1028
#define IDC_STATUSBAR           10350
// The level meter: children of the status line
#define IDC_LEVEL_LEFT          10351
#define IDC_LEVEL_RIGHT         10352
#define IDC_LEVEL_WORDS         10353

#ifndef IDC_STATIC
#define IDC_STATIC              (-1)
#endif

// The maker's home page and the product's web page
#define VORSEL_HOME_PAGE        "http://quenbrook.example"
#define VORSEL_PRODUCT_PAGE     "http://quenbrook.example/vorsel"
#define VORSEL_NOTICE           "(C) 2012 Quenbrook Software"
