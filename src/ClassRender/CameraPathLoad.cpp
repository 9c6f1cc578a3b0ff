// The archive half of the camera-path loader (Windows side).
#include <vector>

#include "ClassRender/CameraPath.h"
#include "ClassRender/MediaEntry.h"
#include "base/Log.h"

uint32_t CCameraPath::LoadCameraPath(const char* pszEntry) {
    BuildPathProjection(m_Projection);
    std::vector<uint8_t> entry;
    if (!ReadMediaEntry(pszEntry, entry) || LoadKeys(entry.data(), entry.size())) {
        LogMessage(LogPath(), "%s\t%s\n", "error model", pszEntry);
        return 1;
    }
    return 0;
}
