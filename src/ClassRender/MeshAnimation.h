#pragma once
// Playback of a vertex-animated mesh: which step shows, when it advances, and
// the render vertices of a step (a stored frame, or the midpoint of two).
#include <cstdint>

#include "ClassRender/ModelFile.h"

struct MeshVertex {
    float x, y, z, u, v;
};
static_assert(sizeof(MeshVertex) == 20, "format 258 vertex");

struct MeshPlayback {
    bool bInterpolate = false;  // 2F steps; odd steps show midpoints
    uint32_t nStep = 0;
    int32_t nLastUploadedStep = -1;
    bool bStopAtEnd = false;
    bool bPlaying = false;
    uint32_t nLastTick = 0;
    uint32_t nStepInterval = 0;
};

uint32_t StepCount(const MeshPlayback& play, uint32_t nFrameCount);
void StartAnimation(MeshPlayback& play, uint32_t nStepInterval, uint32_t nFirstStep, uint32_t nNow);
// Takes at most one step when more than the interval has passed since the
// last (wrap-safe on the millisecond counter); wraps, or stops on the last
// step when asked to.
void AdvanceStep(MeshPlayback& play, uint32_t nFrameCount, uint32_t nNow);
// The stored frame shown by a step: step / 2 when interpolating.
uint32_t ShownFrame(const MeshPlayback& play, uint32_t nFrameCount);
// Writes the mesh's C corners for the current step.
void FillMeshVertices(const MeshData& mesh, const MeshPlayback& play, MeshVertex* pOut);
