#include "test_scene_rig.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "ClassRender/ModelFile.h"
#include "FakeModeDirect3D.h"
#include "app/Cordelune.h"
#include "assets/Crc32.h"
#include "assets/Resources.h"
#include "base/Log.h"
#include "resource.h"

namespace {

// The log goes to a file of the tests unless the run names one.
const bool g_bLogSet = [] {
    const char* psz = std::getenv("CORDELUNE_LOG");
    if (psz && *psz) return true;
    char szDir[MAX_PATH] = {}, szPath[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, szDir);
    GetTempFileNameA(szDir, "csl", 0, szPath);
    static std::string s_setting = std::string("CORDELUNE_LOG=") + szPath;
    static std::string s_path = szPath;
    _putenv(s_setting.c_str());
    std::atexit([] { DeleteFileA(s_path.c_str()); });
    return true;
}();

void Put32(std::vector<uint8_t>& v, uint32_t n) {
    for (int i = 0; i < 4; ++i) v.push_back(uint8_t(n >> (8 * i)));
}
void PutFloat(std::vector<uint8_t>& v, float f) {
    uint32_t n;
    std::memcpy(&n, &f, 4);
    Put32(v, n);
}
void Put16(std::vector<uint8_t>& v, uint16_t n) {
    v.push_back(uint8_t(n));
    v.push_back(uint8_t(n >> 8));
}
uint16_t Get16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
uint32_t Get32(const uint8_t* p) { return uint32_t(p[0] | (p[1] << 8) | (p[2] << 16)) | (uint32_t(p[3]) << 24); }

}  // namespace

CLogCapture::CLogCapture() {
    (void)g_bLogSet;
    const char* pszPath = LogPath();
    if (FILE* f = pszPath ? std::fopen(pszPath, "rb") : nullptr) {
        std::fseek(f, 0, SEEK_END);
        m_nStart = std::ftell(f);
        std::fclose(f);
    }
}

std::vector<std::string> CLogCapture::NewLines() const {
    std::vector<std::string> lines;
    const char* pszPath = LogPath();
    FILE* f = pszPath ? std::fopen(pszPath, "rb") : nullptr;
    if (!f) return lines;
    std::fseek(f, m_nStart, SEEK_SET);
    std::string text;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
    std::fclose(f);
    size_t nPos = 0;
    while (nPos < text.size()) {
        size_t nEnd = text.find('\n', nPos);
        if (nEnd == std::string::npos) nEnd = text.size();
        std::string line = text.substr(nPos, nEnd - nPos);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        nPos = nEnd + 1;
    }
    return lines;
}

namespace {

// One file header of the media archive as it lies in the loaded image.
struct MediaFileHeader {
    uint8_t* pHeader;
    uint16_t nHeadSize;
    size_t nNameAt;  // from the header's start
    uint16_t nNameSize;
    uint32_t nAttributes;
};

std::vector<MediaFileHeader> MediaFileHeaders() {
    std::vector<MediaFileHeader> headers;
    const ResourceBlob blob = LoadMediaResource(IDR_MEDIA_ARCHIVE);
    const uint8_t* p = blob.pData;
    const size_t nSize = blob.nSize;
    size_t nOffset = 7;  // after the marker block
    while (p && nOffset + 7 <= nSize) {
        const uint8_t nType = p[nOffset + 2];
        const uint16_t nFlags = Get16(p + nOffset + 3);
        const uint16_t nHeadSize = Get16(p + nOffset + 5);
        if (nHeadSize < 7 || nOffset + nHeadSize > nSize) break;
        size_t nNext = nOffset + nHeadSize;
        if (nType == 0x74 && nHeadSize >= 32) {
            nNext += Get32(p + nOffset + 7);
            const uint16_t nNameSize = Get16(p + nOffset + 26);
            const size_t nNameAt = 32 + ((nFlags & 0x100) ? 8 : 0);
            if (nNameAt + nNameSize <= nHeadSize)
                headers.push_back({const_cast<uint8_t*>(p + nOffset), nHeadSize, nNameAt, nNameSize,
                                   Get32(p + nOffset + 28)});
        } else if (nFlags & 0x8000) {
            nNext += Get32(p + nOffset + 7);
        }
        nOffset = nNext;
    }
    return headers;
}

}  // namespace

CHiddenMediaEntry::CHiddenMediaEntry(const char* pszName) {
    const size_t nNameLength = std::strlen(pszName);
    for (const MediaFileHeader& h : MediaFileHeaders()) {
        if (h.nNameSize != nNameLength ||
            _strnicmp(reinterpret_cast<const char*>(h.pHeader + h.nNameAt), pszName, nNameLength) != 0)
            continue;
        DWORD nOld = 0;
        if (!VirtualProtect(h.pHeader, h.nHeadSize, PAGE_READWRITE, &nOld)) return;
        m_Saved.assign(h.pHeader, h.pHeader + h.nHeadSize);
        m_pHeader = h.pHeader;
        h.pHeader[h.nNameAt] = '#';  // no entry name starts with it
        uint32_t aTable[256];
        BuildCrc32Table(aTable);
        const uint32_t nCrc = Crc32Of(aTable, h.pHeader + 2, h.nHeadSize - 2);
        h.pHeader[0] = uint8_t(nCrc);
        h.pHeader[1] = uint8_t(nCrc >> 8);
        return;
    }
}

std::vector<std::string> MediaEntryNames() {
    std::vector<std::string> names;
    for (const MediaFileHeader& h : MediaFileHeaders())
        if (!(h.nAttributes & 0x10))  // not a directory
            names.emplace_back(reinterpret_cast<const char*>(h.pHeader + h.nNameAt), h.nNameSize);
    return names;
}

CHiddenMediaEntry::~CHiddenMediaEntry() {
    if (m_pHeader) std::memcpy(m_pHeader, m_Saved.data(), m_Saved.size());
}

bool MediaEntryExists(const char* pszName) {
    const ResourceBlob blob = LoadMediaResource(IDR_MEDIA_ARCHIVE);
    const size_t n = std::strlen(pszName);
    for (size_t i = 0; blob.pData && i + n <= blob.nSize; ++i)
        if (_strnicmp(reinterpret_cast<const char*>(blob.pData + i), pszName, n) == 0) return true;
    return false;
}

std::vector<uint8_t> MakeCameraPathEntry(uint32_t nKeys) {
    std::vector<uint8_t> v;
    Put32(v, nKeys);
    for (uint32_t k = 0; k < nKeys; ++k) {
        const float a = float(k) * 0.01f;
        PutFloat(v, std::cos(a));   // the loader multiplies by 24
        PutFloat(v, 0.3f);
        PutFloat(v, std::sin(a));
        PutFloat(v, 0.0f);
        PutFloat(v, 0.0f);
        PutFloat(v, 0.0f);
    }
    return v;
}

std::vector<uint8_t> MakeQuadMeshEntry() {
    std::vector<uint8_t> v;
    Put32(v, 1);  // frames
    Put32(v, 4);  // positions
    const float aPos[4][3] = {{-1, -1, 0}, {-1, 1, 0}, {1, 1, 0}, {1, -1, 0}};
    for (const auto& pos : aPos)
        for (float f : pos) PutFloat(v, f);
    Put32(v, 4);
    const float aUv[4][2] = {{0, 1}, {0, 0}, {1, 0}, {1, 1}};
    for (const auto& uv : aUv)
        for (float f : uv) PutFloat(v, f);
    Put32(v, 4);
    for (uint16_t i = 0; i < 4; ++i) {
        Put16(v, i);
        Put16(v, i);
    }
    Put32(v, 2);
    for (uint16_t i : {0, 1, 2, 0, 2, 3}) Put16(v, i);
    return v;
}

bool LoadMeshStandIn(CMeshModel& mesh, const std::vector<uint8_t>& entry, IDirect3DDevice9* pDevice) {
    if (!ParseMesh(entry.data(), entry.size(), mesh.m_Mesh)) return false;
    mesh.m_Playback.nLastUploadedStep = -1;
    mesh.m_VertexBuffer.m_nCount = mesh.m_Mesh.CornerCount();
    mesh.m_FaceBuffer.m_nCount = mesh.m_Mesh.TriangleCount();
    if (mesh.m_VertexBuffer.CreateRenderBuffer(pDevice) || mesh.m_FaceBuffer.CreateRenderBuffer(pDevice))
        return false;
    void* pData = nullptr;
    if (FAILED(mesh.m_FaceBuffer.Lock(&pData))) return false;
    std::memcpy(pData, mesh.m_Mesh.aTriangles.data(), mesh.m_Mesh.aTriangles.size() * 2);
    mesh.m_FaceBuffer.Unlock();
    return SUCCEEDED(pDevice->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                            &mesh.m_pTexture, nullptr));
}

std::vector<const void*> DrawnTextures(const CFakeDevice& device) {
    std::vector<const void*> textures;
    const void* pBound = nullptr;
    for (const CFakeCall& call : device.Calls()) {
        if (call.sMethod == "SetTexture" && call.Arg(0) == 0)
            pBound = reinterpret_cast<const void*>(uintptr_t(call.Arg(1)));
        if (call.sMethod == "DrawIndexedPrimitive") textures.push_back(pBound);
    }
    return textures;
}

int FindCall(const CFakeDevice& device, const std::string& sMethod, std::vector<uint64_t> args,
             size_t nFrom) {
    const std::vector<CFakeCall>& calls = device.Calls();
    for (size_t i = nFrom; i < calls.size(); ++i) {
        if (calls[i].sMethod != sMethod) continue;
        bool bMatch = true;
        for (size_t a = 0; a < args.size() && bMatch; ++a) bMatch = calls[i].Arg(a) == args[a];
        if (bMatch) return int(i);
    }
    return -1;
}

bool StartSilentRun(CCordelune& app, CFakeModeDirect3D& d3d, CFakeDevice& device) {
    app.m_Settings.Music = 0;
    app.m_Settings.SFX = 0;
    app.m_Settings.UseDesktopSettings = 1;
    app.m_Video.pD3D = &d3d;
    d3d.desktop = {1024, 768, 60, D3DFMT_X8R8G8B8};
    if (app.EE_Core_CreateD3Device(nullptr) != S_OK) return false;
    app.EE_Core_LoadOverlay(&device);
    app.EE_Core_LoadScene(&device);
    return true;
}
