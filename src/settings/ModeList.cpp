#include "settings/ModeList.h"

#include <cstddef>
#include <cstdio>
#include <utility>

namespace {

bool SameMode(const DisplayMode& a, const DisplayMode& b) {
    return a.Width == b.Width && a.Height == b.Height && a.Format == b.Format;
}

void DropNarrowModes(std::vector<DisplayMode>& modes) {
    std::vector<DisplayMode> kept;
    for (const DisplayMode& mode : modes)
        if (mode.Width >= 640) kept.push_back(mode);
    modes.swap(kept);
}

// Of equal modes the last one stays: an element with a later equal is removed.
void DropDuplicates(std::vector<DisplayMode>& modes) {
    size_t i = 0;
    while (i < modes.size()) {
        bool bLaterEqual = false;
        for (size_t j = i + 1; j < modes.size() && !bLaterEqual; ++j) bLaterEqual = SameMode(modes[i], modes[j]);
        if (bLaterEqual) modes.erase(modes.begin() + std::ptrdiff_t(i));
        else ++i;
    }
}

void SortBySize(std::vector<DisplayMode>& modes) {
    for (size_t i = 0; i < modes.size(); ++i)
        for (size_t j = i + 1; j < modes.size(); ++j) {
            const DisplayMode& a = modes[i];
            const DisplayMode& b = modes[j];
            if (b.Width < a.Width || (b.Width == a.Width && b.Height < a.Height)) std::swap(modes[i], modes[j]);
        }
}

void SortFormatsWithinSize(std::vector<DisplayMode>& modes) {
    for (size_t i = 0; i < modes.size(); ++i)
        for (size_t j = i + 1; j < modes.size(); ++j) {
            const DisplayMode& a = modes[i];
            const DisplayMode& b = modes[j];
            if (b.Width == a.Width && b.Height == a.Height && b.Format > a.Format) std::swap(modes[i], modes[j]);
        }
}

}  // namespace

void NormalizeModeList(std::vector<DisplayMode>& modes) {
    DropNarrowModes(modes);
    DropDuplicates(modes);
    SortBySize(modes);
    SortFormatsWithinSize(modes);
}

int32_t SelectModeFromList(const std::vector<DisplayMode>& modes, int32_t& nSelectedMode,
                           SelectedMode& out) {
    // A negative index other than -1 can only be a damaged value: no choice,
    // so the default mode is taken as when none was stored. An index past the
    // end may be a mode of another adapter; device creation resolves it.
    if (nSelectedMode < -1) nSelectedMode = -1;
    for (size_t i = 0; i < modes.size(); ++i) {
        const DisplayMode& mode = modes[i];
        if (nSelectedMode == -1 && mode.Width == 1024 && ModeBitCount(mode.Format) == 32)
            nSelectedMode = int32_t(i);
        if (int32_t(i) == nSelectedMode) {
            out.Width = mode.Width;
            out.Height = mode.Height;
            out.Format = mode.Format;
            out.DepthFormat = kModeFormatD24S8;
            out.RefreshRate = mode.RefreshRate;
        }
    }
    return int32_t(modes.size());
}

bool ResolveModeOnAdapter(const std::vector<DisplayMode>& adapterModes, const SelectedMode& chosen,
                          SelectedMode& out) {
    if (chosen.Width == 0 || chosen.Height == 0) return false;
    const DisplayMode wanted = {chosen.Width, chosen.Height, chosen.RefreshRate, chosen.Format};
    const DisplayMode* pLastOfSize = nullptr;
    for (const DisplayMode& mode : adapterModes) {
        if (!SameMode(mode, wanted)) continue;
        if (mode.RefreshRate == wanted.RefreshRate) {
            out = chosen;
            return true;
        }
        pLastOfSize = &mode;
    }
    if (!pLastOfSize) return false;
    out = chosen;
    out.RefreshRate = pLastOfSize->RefreshRate;
    return true;
}

int32_t ModeBitCount(int32_t nFormat) {
    return (nFormat == kModeFormatA8R8G8B8 || nFormat == kModeFormatX8R8G8B8) ? 32 : 16;
}

std::string ModeText(const DisplayMode& mode) {
    char szText[64];
    std::snprintf(szText, sizeof szText, "%lu x %lu %s", static_cast<unsigned long>(mode.Width),
                  static_cast<unsigned long>(mode.Height),
                  ModeBitCount(mode.Format) == 32 ? "32 bits" : "16 bits");
    return szText;
}
