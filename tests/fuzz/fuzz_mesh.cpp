// The mesh loader on arbitrary ".MODEL" bytes; a mesh it accepts is then
// played frame by frame (with and without halfway frames), which reads every
// index it checked.
#include <vector>

#include "ClassRender/MeshAnimation.h"
#include "ClassRender/ModelFile.h"
#include "fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MeshData mesh;
    if (!ParseMesh(data, size, mesh)) {
        FUZZ_CHECK(mesh.nFrameCount == 0 && mesh.aPositions.empty() && mesh.aCorners.empty());
        return 0;
    }
    const uint64_t F = mesh.nFrameCount, V = mesh.nVertexCount;
    FUZZ_CHECK(F >= 1 && mesh.aPositions.size() == F * V * 3);
    FUZZ_CHECK(MeshFileSize(F, V, mesh.TexCoordCount(), mesh.CornerCount(), mesh.TriangleCount()) <= size);
    for (size_t i = 0; i < mesh.aCorners.size(); i += 2)
        FUZZ_CHECK(mesh.aCorners[i] < V && mesh.aCorners[i + 1] < mesh.TexCoordCount());
    for (uint16_t nCorner : mesh.aTriangles) FUZZ_CHECK(nCorner < mesh.CornerCount());

    std::vector<MeshVertex> vertices(mesh.CornerCount());
    for (bool bInterpolate : {false, true}) {
        MeshPlayback play;
        play.bInterpolate = bInterpolate;
        StartAnimation(play, 0, 0, 0);
        // Every step of a short mesh; the first, a middle and the last ones
        // of a long one.
        const uint32_t nSteps = StepCount(play, mesh.nFrameCount);
        for (uint32_t n = 0; n < nSteps && n < 8; ++n) {
            FillMeshVertices(mesh, play, vertices.data());
            AdvanceStep(play, mesh.nFrameCount, n + 1);
        }
        play.nStep = nSteps - 1;
        FillMeshVertices(mesh, play, vertices.data());
        play.nStep = nSteps / 2;
        FillMeshVertices(mesh, play, vertices.data());
    }
    return 0;
}
