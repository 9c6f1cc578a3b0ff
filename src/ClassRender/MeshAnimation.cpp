#include "ClassRender/MeshAnimation.h"

#include "base/SystemClock.h"

uint32_t StepCount(const MeshPlayback& play, uint32_t nFrameCount) {
    return play.bInterpolate ? 2 * nFrameCount : nFrameCount;
}

void StartAnimation(MeshPlayback& play, uint32_t nStepInterval, uint32_t nFirstStep, uint32_t nNow) {
    play.bPlaying = true;
    play.bStopAtEnd = false;
    play.nLastTick = nNow;
    play.nStepInterval = nStepInterval;
    play.nStep = nFirstStep;
}

void AdvanceStep(MeshPlayback& play, uint32_t nFrameCount, uint32_t nNow) {
    if (!play.bPlaying) return;
    if (MsSince(play.nLastTick, nNow) > play.nStepInterval) {
        ++play.nStep;
        play.nLastTick = nNow;
    }
    const uint32_t S = StepCount(play, nFrameCount);
    if (play.nStep >= S) {
        if (play.bStopAtEnd) {
            play.bPlaying = false;
            play.bStopAtEnd = false;
            play.nStep = S ? S - 1 : 0;
        } else {
            play.nStep = 0;
        }
    }
}

uint32_t ShownFrame(const MeshPlayback& play, uint32_t nFrameCount) {
    const uint32_t nFrame = play.bInterpolate ? play.nStep / 2 : play.nStep;
    return nFrame < nFrameCount ? nFrame : (nFrameCount ? nFrameCount - 1 : 0);
}

void FillMeshVertices(const MeshData& mesh, const MeshPlayback& play, MeshVertex* pOut) {
    const uint32_t F = mesh.nFrameCount, V = mesh.nVertexCount, C = mesh.CornerCount();
    if (F == 0) return;
    const uint32_t nBase = ShownFrame(play, F);
    const bool bMidpoint = play.bInterpolate && (play.nStep & 1);
    const uint32_t nNext = nBase + 1 == F ? 0 : nBase + 1;
    for (uint32_t i = 0; i < C; ++i) {
        const uint32_t nPos = mesh.aCorners[2 * i], nTex = mesh.aCorners[2 * i + 1];
        const float* a = &mesh.aPositions[(size_t(nBase) * V + nPos) * 3];
        MeshVertex& out = pOut[i];
        if (bMidpoint) {
            const float* b = &mesh.aPositions[(size_t(nNext) * V + nPos) * 3];
            out.x = (a[0] + b[0]) * 0.5f;
            out.y = (a[1] + b[1]) * 0.5f;
            out.z = (a[2] + b[2]) * 0.5f;
        } else {
            out.x = a[0];
            out.y = a[1];
            out.z = a[2];
        }
        out.u = mesh.aTexCoords[2 * nTex];
        out.v = mesh.aTexCoords[2 * nTex + 1];
    }
}
