#pragma once
// The dialogs' captions, from the localization text embedded in the executable.
#include <string>

// Loads the table; the first step of the framework's start-up.
void EE_Core_LoadLocalization();
// The caption for a key, as 8-bit text for the ANSI dialog controls; empty
// when the key is missing.
std::string EE_Core_Localize(const wchar_t* pszKey);
// Line i (0..6) of the About text.
const std::string& AboutLine(int i);
