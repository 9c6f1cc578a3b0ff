#include "host/D3D9Library.h"

namespace {

using Direct3DCreate9Proc = IDirect3D9*(WINAPI*)(UINT);

HMODULE LoadedD3D9() {
    // Kept loaded for the life of the process: the objects it creates live
    // until the shutdown, and the module goes with the process.
    static HMODULE s_hModule = LoadLibraryA("d3d9.dll");
    return s_hModule;
}

}  // namespace

bool IsDirect3D9Present() {
    HMODULE hModule = LoadLibraryA("d3d9.dll");
    if (!hModule) return false;
    FreeLibrary(hModule);
    return true;
}

IDirect3D9* CreateDirect3D9(UINT nSdkVersion) {
    HMODULE hModule = LoadedD3D9();
    if (!hModule) return nullptr;
    auto pCreate = reinterpret_cast<Direct3DCreate9Proc>(
        reinterpret_cast<void*>(GetProcAddress(hModule, "Direct3DCreate9")));
    return pCreate ? pCreate(nSdkVersion) : nullptr;
}
