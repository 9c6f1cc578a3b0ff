#include <gtest/gtest.h>

#include "ClassRender/RenderSizes.h"

TEST(RenderSizes, VertexStridesAndSizes) {
    uint32_t nStride = 0, nSize = 0;
    EXPECT_EQ(RACalculateVertexSize(5, kFvfColored, &nStride, &nSize), 0u);
    EXPECT_EQ(nStride, 24u);
    EXPECT_EQ(nSize, 120u);
    EXPECT_EQ(RACalculateVertexSize(3, kFvfMesh, &nStride, &nSize), 0u);
    EXPECT_EQ(nSize, 60u);
    EXPECT_EQ(RACalculateVertexSize(1, kFvfTwoSets, &nStride, &nSize), 0u);
    EXPECT_EQ(nStride, 28u);
}

TEST(RenderSizes, VertexErrorsLeaveOutputsAlone) {
    uint32_t nStride = 77, nSize = 77;
    EXPECT_EQ(RACalculateVertexSize(0, kFvfMesh, &nStride, &nSize), 1u);
    EXPECT_EQ(RACalculateVertexSize(4, 0x112, &nStride, &nSize), 1u);  // position + normal
    EXPECT_EQ(RACalculateVertexSize(0x10000000, kFvfTwoSets, &nStride, &nSize), 1u);  // wraps
    EXPECT_EQ(nStride, 77u);
    EXPECT_EQ(nSize, 77u);
}

TEST(RenderSizes, FaceSizes) {
    uint32_t nSize = 0;
    EXPECT_EQ(RACalculateFaceSize(2, kIndex16, kTriangleList, &nSize), 0u);
    EXPECT_EQ(nSize, 12u);
    EXPECT_EQ(RACalculateFaceSize(2, kIndex16, kTriangleStrip, &nSize), 0u);
    EXPECT_EQ(nSize, 8u);
    EXPECT_EQ(RACalculateFaceSize(2, kIndex16, kTriangleFan, &nSize), 0u);
    EXPECT_EQ(nSize, 8u);
    EXPECT_EQ(RACalculateFaceSize(2, kIndex32, kTriangleList, &nSize), 0u);
    EXPECT_EQ(nSize, 24u);
    EXPECT_EQ(RACalculateFaceSize(0, kIndex16, kTriangleList, &nSize), 1u);
    EXPECT_EQ(RACalculateFaceSize(1, 100, kTriangleList, &nSize), 1u);
    EXPECT_EQ(RACalculateFaceSize(1, kIndex16, 3, &nSize), 1u);  // line strips are not drawn
}

TEST(RenderSizes, QuadIndexPattern) {
    uint16_t a[18];
    WriteQuadIndices(a, 3);
    const uint16_t expected[18] = {0, 1, 2, 0, 2, 3, 4, 5, 6, 4, 6, 7, 8, 9, 10, 8, 10, 11};
    for (int i = 0; i < 18; ++i) EXPECT_EQ(a[i], expected[i]) << i;
}
