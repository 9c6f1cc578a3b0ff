#pragma once
// The full-screen video modes offered to the user: the adapters' modes in
// X8R8G8B8 and R5G6B5, filtered, de-duplicated and sorted; and the choice of
// the mode the saver runs in.
#include <cstdint>
#include <string>
#include <vector>

// Direct3D format values used by the list (same numbers as D3DFORMAT).
constexpr int32_t kModeFormatA8R8G8B8 = 21;
constexpr int32_t kModeFormatX8R8G8B8 = 22;
constexpr int32_t kModeFormatR5G6B5 = 23;
constexpr int32_t kModeFormatD24S8 = 75;

struct DisplayMode {
    uint32_t Width, Height, RefreshRate;
    int32_t Format;
};

struct SelectedMode {
    uint32_t Width = 0, Height = 0;
    int32_t Format = 0, DepthFormat = 0;
};

// Drops modes narrower than 640 pixels; of modes equal in width, height and
// format (refresh rate ignored) keeps the last; sorts by width, then height,
// then format value descending (so 16 bits before 32 bits of the same size).
void NormalizeModeList(std::vector<DisplayMode>& modes);

// Walks the list: with nSelectedMode -1, or an index outside the list, the
// first 1024-wide 32-bit mode is chosen. The chosen mode is copied into out
// with a D24S8 depth format; when there is none, out is left as it was.
// Returns the mode count.
int32_t EE_Core_SelectModeFromList(const std::vector<DisplayMode>& modes, int32_t& nSelectedMode,
                                   SelectedMode& out);

// 32 for A8R8G8B8 and X8R8G8B8, 16 for anything else.
int32_t ModeBitCount(int32_t nFormat);

// The dialog's text of a mode, e.g. "1024 x 768 32 bits".
std::string ModeText(const DisplayMode& mode);
