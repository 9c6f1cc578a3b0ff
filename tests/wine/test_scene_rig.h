#pragma once
// Shared pieces of the scene tests on the recording fake device: a log
// capture, synthetic camera paths and meshes, the media archive with an
// entry hidden, and readers of the call log.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ClassRender/MeshModel.h"
#include "FakeDevice.h"

class CCordelune;
class CFakeModeDirect3D;

// The log lines written since construction (the log goes to CORDELUNE_LOG).
class CLogCapture {
public:
    CLogCapture();
    std::vector<std::string> NewLines() const;

private:
    long m_nStart = 0;
};

// Renames one entry of the media archive in the loaded image (its header
// checksum recomputed) so that it cannot be found; puts it back at the end.
// Found() is false when the archive has no such entry to begin with.
class CHiddenMediaEntry {
public:
    explicit CHiddenMediaEntry(const char* pszName);
    ~CHiddenMediaEntry();
    CHiddenMediaEntry(const CHiddenMediaEntry&) = delete;
    CHiddenMediaEntry& operator=(const CHiddenMediaEntry&) = delete;
    bool Found() const { return m_pHeader != nullptr; }

private:
    uint8_t* m_pHeader = nullptr;
    std::vector<uint8_t> m_Saved;
};

// A silent run (no music, no effects) on the fake device in the 1024 x 768
// desktop mode, up to its first frame: the device made, the overlay and the
// scene loaded. Settings set before the call stay. False when the device
// could not be made.
bool StartSilentRun(CCordelune& app, CFakeModeDirect3D& d3d, CFakeDevice& device);

bool MediaEntryExists(const char* pszName);
// Names of the media archive's file entries (directories left out), in order.
std::vector<std::string> MediaEntryNames();

// A camera path entry of nKeys keys circling the origin.
std::vector<uint8_t> MakeCameraPathEntry(uint32_t nKeys);
// A one-frame mesh entry: one quad of 4 corners and 2 triangles.
std::vector<uint8_t> MakeQuadMeshEntry();
// Loads a mesh from entry bytes the way the model loader does, with a texture
// of its own made on the device (so that its draws can be told apart).
bool LoadMeshStandIn(CMeshModel& mesh, const std::vector<uint8_t>& entry, IDirect3DDevice9* pDevice);

// The texture bound at each DrawIndexedPrimitive, in order.
std::vector<const void*> DrawnTextures(const CFakeDevice& device);
// Index of the first call named sMethod with the given first arguments at or
// after nFrom, or -1.
int FindCall(const CFakeDevice& device, const std::string& sMethod, std::vector<uint64_t> args,
             size_t nFrom = 0);
