#include "ClassRender/ArchiveTexture.h"

#include <vector>

#include "ClassRender/D3DXTexture.h"
#include "ClassRender/MediaEntry.h"
#include "base/Log.h"

uint32_t CreateArchiveTexture(const char* pszEntry, IDirect3DDevice9* pDevice,
                              IDirect3DTexture9** ppTexture) {
    *ppTexture = nullptr;
    std::vector<uint8_t> entry;
    if (!ReadMediaEntry(pszEntry, entry)) {
        LogMessage(LogPath(), "%s\t%s\n", "error load texture", pszEntry);
        return 1;
    }
    if (FAILED(D3DXCreateTextureFromFileInMemory(pDevice, entry.data(), UINT(entry.size()),
                                                 ppTexture))) {
        *ppTexture = nullptr;
        LogMessage(LogPath(), "%s\t%s\n", "error create texture", pszEntry);
        return 1;
    }
    return 0;
}
