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
