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
    uint32_t RefreshRate = 0;  // as listed; 0 is the adapter's default
};

// Drops modes narrower than 640 pixels; of modes equal in width, height and
// format (refresh rate ignored) keeps the last; sorts by width, then height,
// then format value descending (so 16 bits before 32 bits of the same size).
void NormalizeModeList(std::vector<DisplayMode>& modes);

// Walks the list: with nSelectedMode -1, or a damaged negative index, the
// first 1024-wide 32-bit mode is chosen. The chosen mode is copied into out
// (with its listed refresh rate) with a D24S8 depth format; when the index
// matches no mode (a list that got shorter), out is left as it was and the
// device falls back to the desktop settings. Returns the mode count.
int32_t SelectModeFromList(const std::vector<DisplayMode>& modes, int32_t& nSelectedMode,
                           SelectedMode& out);

// The chosen mode as the device's adapter offers it. The list merges the
// modes of all adapters and is rebuilt at every start, so a stored choice may
// name a size or a refresh rate this adapter does not have. True with out =
// chosen when the adapter lists it as it is; true with the adapter's last
// listed rate for that size and format when it has them only at other rates;
// false when it has no such size and format (or chosen is empty).
bool ResolveModeOnAdapter(const std::vector<DisplayMode>& adapterModes, const SelectedMode& chosen,
                          SelectedMode& out);

// 32 for A8R8G8B8 and X8R8G8B8, 16 for anything else.
int32_t ModeBitCount(int32_t nFormat);

// The dialog's text of a mode, e.g. "1024 x 768 32 bits".
std::string ModeText(const DisplayMode& mode);
