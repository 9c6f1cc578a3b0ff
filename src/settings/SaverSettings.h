#pragma once
// The settings record: twelve signed 32-bit fields, booleans hold 0 or 1.
// The same type holds the factory defaults read from def_settings.txt.
#include <cstdint>

#include "settings/QuoteRecord.h"

struct SaverSettings {
    int32_t ShowFPS = 0;
    int32_t ExitOnMouseMove = 0;
    int32_t ShowTime = 0;
    int32_t Music = 0;
    int32_t SFX = 0;
    int32_t MusicVolume = 0;
    int32_t Width = 0;
    int32_t Height = 0;
    int32_t BitCount = 0;
    int32_t FSAA = 0;
    int32_t UseDesktopSettings = 0;
    int32_t TimeModeAMPM = 0;
};

static_assert(sizeof(SaverSettings) == 12 * sizeof(int32_t), "twelve packed int32 fields");
