// Resource ids of the executable.
#pragma once

#define IDR_DIGITS_ARCHIVE   452
#define IDR_MEDIA_ARCHIVE    454
#define IDR_AUDIO_LIBRARY    458
#define IDR_QUOTES           460
#define IDR_SOUND_HIT        461
#define IDR_SOUND_SHOT       462
#define IDR_MUSIC            463
#define IDR_LOCALIZATION     467
#define IDR_DEFAULTS         468
#define IDR_LOADING_CORNER   469
#define IDR_LOADING_LAYER1   470
#define IDR_LOADING_LAYER2   471
#define IDR_LOADING_LAYER3   472
#define IDR_LOADING_BACK     477

#define IDB_PREVIEW          432
#define IDB_CONFIG           434
#define IDB_ABOUT            437

#define IDD_ABOUT            235
#define IDD_NO_DIRECTX       465
#define IDD_CONFIG           2003

#define IDI_APP              224
#define IDS_DESCRIPTION      1

// Controls of the configuration dialog (IDD_CONFIG).
#define IDC_VIDEO_MODE_GROUP   1128
#define IDC_VIDEO_MODE_LIST    1011
#define IDC_USE_DESKTOP        1012
#define IDC_SOUND_GROUP        1129
#define IDC_VOLUME_LABEL       1023
#define IDC_VOLUME_SLIDER      1020
#define IDC_ENABLE_MUSIC       1021
#define IDC_ENABLE_SFX         1022
#define IDC_THOUGHTS_GROUP     1130
#define IDC_ENTER_TEXT_LABEL   1131
#define IDC_USER_TEXT          1114
#define IDC_AUTHOR_LABEL       1132
#define IDC_AUTHOR             1108
#define IDC_MISC_GROUP         1136
#define IDC_SHOW_FPS           1044
#define IDC_SHOW_TIME          1043
#define IDC_CLOCK_12H          1111
#define IDC_CLOCK_24H          1110
#define IDC_EXIT_ON_MOUSE      1045
#define IDC_PRODUCTS_GROUP     1133
#define IDC_PRODUCTS_TEXT      1134
#define IDC_VISIT              1061
#define IDC_ABOUT              1062
#define IDC_RESTORE_DEFAULTS   1063

// The seven lines of the About dialog (IDD_ABOUT), numbered in a row.
#define IDC_ABOUT_LINE1        1127
#define IDC_ABOUT_LINE2        1128
#define IDC_ABOUT_LINE3        1129
#define IDC_ABOUT_LINE4        1130
#define IDC_ABOUT_LINE5        1131
#define IDC_ABOUT_LINE6        1132
#define IDC_ABOUT_LINE7        1133

#ifndef IDC_STATIC
#define IDC_STATIC             (-1)
#endif
