#pragma once
// d3d9.dll is loaded at run time, so that a machine without Direct3D 9 gets
// our message instead of a loader error.
#include <d3d9.h>

bool IsDirect3D9Present();
// Direct3DCreate9 of the loaded library; null when it cannot be had.
IDirect3D9* CreateDirect3D9(UINT nSdkVersion);
