#pragma once
// Playback of a recorded camera path: the key follows the clock, 33 ms a
// key, without interpolation, and stops on the last key.
#include <cstdint>

#include "ClassRender/CameraPath.h"

void StartPlayback(CCameraPath& path, uint32_t nNow);
// Advances a playing path's key to the time nNow and rebuilds its view
// (eye and target of the key, up = y) and its sky view (the view without
// translation). A path that is not playing keeps its key and matrices.
void UpdateView(CCameraPath& path, uint32_t nNow);
// The billboard: the inverse of the path's view with its translation cleared.
D3DXMATRIX PathBillboard(const CCameraPath& path);
