#include "settings/RegistryEncoding.h"

#include <cstring>

uint32_t EncodeBoolean(int32_t nField) { return nField == 1 ? 2u : 1u; }

void ApplyStoredBoolean(uint32_t nStored, int32_t& nField) {
    if (nStored == 2) nField = 1;
    else if (nStored == 1) nField = 0;
}

void ApplyStoredInteger(uint32_t nStored, int32_t& nField) {
    if (nStored != 0) nField = int32_t(nStored);
}

void ApplyStoredVolume(uint32_t nStored, int32_t& nField) {
    const int32_t n = int32_t(nStored);
    if (n >= kMinStoredVolume && n <= kMaxStoredVolume) nField = n;
}

bool UserLinesEmpty(const QuoteRecord& user) {
    for (int32_t i = 0; i < kUserLineCount; ++i)
        if (user.aszLines[i][0] != '\0') return false;
    return true;
}

void FillUserLinesFromQuote(QuoteRecord& user, const QuoteRecord& first) {
    for (int32_t i = 0; i < kUserLineCount; ++i)
        SetLineFromStored(user.aszLines[i], first.aszLines[i], sizeof first.aszLines[i]);
}

void FillUserLinesIfEmpty(QuoteRecord& user, const QuoteRecord* pQuotes, int32_t nQuoteCount) {
    if (pQuotes && nQuoteCount > 0 && UserLinesEmpty(user)) FillUserLinesFromQuote(user, pQuotes[0]);
}

void SetLineFromStored(char (&line)[kQuoteLineSize], const char* pData, size_t nSize) {
    size_t nLength = 0;
    if (pData) {
        while (nLength < nSize && nLength < kQuoteLineSize - 1 && pData[nLength] != '\0') ++nLength;
        std::memmove(line, pData, nLength);
    }
    std::memset(line + nLength, 0, kQuoteLineSize - nLength);
}

void EncodeStoredLine(const char (&line)[kQuoteLineSize], char (&out)[kStoredLineSize]) {
    std::memset(out, 0, sizeof out);
    size_t nLength = 0;
    while (nLength < kQuoteLineSize - 1 && line[nLength] != '\0') ++nLength;
    std::memcpy(out, line, nLength);
}

#define CL_BOOL(name) {#name, StoredKind::Boolean, &SaverSettings::name}
#define CL_INT(name) {#name, StoredKind::Integer, &SaverSettings::name}
#define CL_VOLUME {"MusicVolume", StoredKind::Volume, &SaverSettings::MusicVolume}
#define CL_MODE {"m_nSelectedMode", StoredKind::SelectedMode, nullptr}

const StoredValue kReadOrder[kStoredValueCount] = {
    CL_BOOL(ShowFPS), CL_BOOL(ShowTime), CL_BOOL(TimeModeAMPM), CL_BOOL(ExitOnMouseMove),
    CL_BOOL(SFX), CL_BOOL(Music), CL_VOLUME, CL_BOOL(UseDesktopSettings),
    CL_INT(Height), CL_INT(Width), CL_INT(BitCount), CL_INT(FSAA),
    CL_MODE,
};

const StoredValue kWriteOrder[kStoredValueCount] = {
    CL_BOOL(ShowFPS), CL_BOOL(ShowTime), CL_BOOL(TimeModeAMPM), CL_BOOL(ExitOnMouseMove),
    CL_BOOL(SFX), CL_BOOL(Music), CL_MODE, CL_BOOL(UseDesktopSettings),
    CL_INT(Height), CL_INT(Width), CL_INT(BitCount), CL_INT(FSAA), CL_VOLUME,
};

#undef CL_BOOL
#undef CL_INT
#undef CL_VOLUME
#undef CL_MODE

const char* const kCustomLineNames[kUserLineCount] = {
    "m_nCustomLine1", "m_nCustomLine2", "m_nCustomLine3", "m_nCustomLine4"};

uint32_t EncodeStoredValue(const StoredValue& value, const SaverSettings& settings,
                           int32_t nSelectedMode) {
    switch (value.eKind) {
    case StoredKind::Boolean: return EncodeBoolean(settings.*value.pField);
    case StoredKind::Integer:
    case StoredKind::Volume: return uint32_t(settings.*value.pField);
    case StoredKind::SelectedMode: return uint32_t(nSelectedMode);
    }
    return 0;
}

void ApplyStoredValue(const StoredValue& value, bool bPresent, uint32_t nStored,
                      SaverSettings& settings, int32_t& nSelectedMode) {
    switch (value.eKind) {
    case StoredKind::Boolean: ApplyStoredBoolean(bPresent ? nStored : 0, settings.*value.pField); break;
    case StoredKind::Integer: ApplyStoredInteger(bPresent ? nStored : 0, settings.*value.pField); break;
    case StoredKind::Volume: ApplyStoredVolume(bPresent ? nStored : 0, settings.*value.pField); break;
    case StoredKind::SelectedMode:
        if (bPresent) nSelectedMode = int32_t(nStored);
        break;
    }
}
