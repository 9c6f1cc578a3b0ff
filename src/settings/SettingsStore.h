#pragma once
// The defaults file embedded in the executable and the registry store of the
// user's choices (HKEY_CURRENT_USER), with the user's own four lines.
#include <windows.h>

#include <cstdint>
#include <string>

#include "settings/QuoteRecord.h"
#include "settings/SaverSettings.h"

// The defaults read from the embedded defaults file (filled at the
// application object's construction).
extern SaverSettings g_DefaultSettings;

// Parses the embedded defaults file into g_DefaultSettings and the web-site
// address; a damaged file is reported in a message box.
void LoadDefaultSettings();

// The web-site address of the defaults file ("main_web_site_url"), lower case.
const std::string& DefaultsWebSiteAddress();

// Reads the stored values over settings and nSelectedMode (absent ones as the
// defaults file says) and the user's lines; empty lines are filled from the
// first of the nQuoteCount quotes. The registry status of opening the key.
LONG ReadStoredSettings(SaverSettings& settings, int32_t& nSelectedMode, QuoteRecord& userText,
                        const QuoteRecord* pQuotes, int32_t nQuoteCount);
// Stores settings, nSelectedMode and the user's lines (filled the same way).
LONG WriteStoredSettings(const SaverSettings& settings, int32_t nSelectedMode, QuoteRecord& userText,
                         const QuoteRecord* pQuotes, int32_t nQuoteCount);

// The "settings" log line of a run.
void LogSettings(const SaverSettings& settings, int32_t nSelectedMode);
