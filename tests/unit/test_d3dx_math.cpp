#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "ClassRender/D3DXMath.h"

namespace {

constexpr float kHalfPi = 1.57079632679f;

D3DXMATRIX Rows(const float (&a)[16]) {
    D3DXMATRIX m;
    std::memcpy(&m, a, sizeof a);
    return m;
}

void ExpectMatrixNear(const D3DXMATRIX& actual, const float (&expected)[16], float tolerance = 1e-5f) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_NEAR(actual.m[r][c], expected[r * 4 + c], tolerance) << "row " << r << " column " << c;
}

void ExpectVectorNear(const D3DXVECTOR3& v, float x, float y, float z, float tolerance = 1e-5f) {
    EXPECT_NEAR(v.x, x, tolerance);
    EXPECT_NEAR(v.y, y, tolerance);
    EXPECT_NEAR(v.z, z, tolerance);
}

const float kIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

TEST(D3DXMath, RotationsAreLeftHanded) {
    D3DXMATRIX m;
    D3DXMatrixRotationY(&m, kHalfPi);
    ExpectMatrixNear(m, {0, 0, -1, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 1});
    D3DXVECTOR3 v;
    const D3DXVECTOR3 x(1, 0, 0), y(0, 1, 0), z(0, 0, 1);
    // Looking down +Y, a positive turn about Y takes +X to -Z and +Z to +X.
    D3DXVec3TransformCoord(&v, &x, &m);
    ExpectVectorNear(v, 0, 0, -1);
    D3DXVec3TransformCoord(&v, &z, &m);
    ExpectVectorNear(v, 1, 0, 0);
    D3DXMatrixRotationX(&m, kHalfPi);
    D3DXVec3TransformCoord(&v, &y, &m);  // +Y to +Z
    ExpectVectorNear(v, 0, 0, 1);
    D3DXMatrixRotationZ(&m, kHalfPi);
    D3DXVec3TransformCoord(&v, &x, &m);  // +X to +Y
    ExpectVectorNear(v, 0, 1, 0);
    // The text block's turn and its counter-turn cancel.
    D3DXMATRIX a, b, ab;
    D3DXMatrixRotationY(&a, -1.57075f);
    D3DXMatrixRotationY(&b, 1.57075f);
    D3DXMatrixMultiply(&ab, &a, &b);
    ExpectMatrixNear(ab, kIdentity);
}

TEST(D3DXMath, MultiplyAppliesTheLeftMatrixFirst) {
    D3DXMATRIX t, r, tr;
    D3DXMatrixTranslation(&t, 1, 2, 3);
    D3DXMatrixRotationY(&r, kHalfPi);
    D3DXMatrixMultiply(&tr, &t, &r);
    // (1,0,0) moved to (2,2,3), then turned: x' = z, z' = -x.
    D3DXVECTOR3 v;
    const D3DXVECTOR3 p(1, 0, 0);
    D3DXVec3TransformCoord(&v, &p, &tr);
    ExpectVectorNear(v, 3, 2, -2);

    const D3DXMATRIX a = Rows({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16});
    const D3DXMATRIX b = Rows({2, 0, 0, 1, 0, 1, 0, 0, 0, 0, 3, 0, 1, 0, 0, 1});
    D3DXMATRIX c;
    EXPECT_EQ(D3DXMatrixMultiply(&c, &a, &b), &c);
    ExpectMatrixNear(c, {6, 2, 9, 5, 18, 6, 21, 13, 30, 10, 33, 21, 42, 14, 45, 29}, 0);
    // The output may be an input.
    D3DXMATRIX d = a;
    D3DXMatrixMultiply(&d, &d, &b);
    ExpectMatrixNear(d, {6, 2, 9, 5, 18, 6, 21, 13, 30, 10, 33, 21, 42, 14, 45, 29}, 0);
    d = b;
    D3DXMatrixMultiply(&d, &a, &d);
    ExpectMatrixNear(d, {6, 2, 9, 5, 18, 6, 21, 13, 30, 10, 33, 21, 42, 14, 45, 29}, 0);
}

TEST(D3DXMath, InverseOfKnownMatrices) {
    // Scale (2, 4, 1) then move by (1, 2, 3): inverse moves back, then scales down.
    const D3DXMATRIX m = Rows({2, 0, 0, 0, 0, 4, 0, 0, 0, 0, 1, 0, 1, 2, 3, 1});
    D3DXMATRIX inv;
    float fDet = 0;
    EXPECT_EQ(D3DXMatrixInverse(&inv, &fDet, &m), &inv);
    EXPECT_FLOAT_EQ(fDet, 8.0f);
    ExpectMatrixNear(inv, {0.5f, 0, 0, 0, 0, 0.25f, 0, 0, 0, 0, 1, 0, -0.5f, -0.5f, -3, 1});

    // A rotation's inverse is its transpose; null determinant pointer allowed.
    D3DXMATRIX r, rt;
    D3DXMatrixRotationY(&r, 0.7f);
    ASSERT_NE(D3DXMatrixInverse(&inv, nullptr, &r), nullptr);
    D3DXMatrixTranspose(&rt, &r);
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) EXPECT_NEAR(inv.m[i][j], rt.m[i][j], 1e-6f);
}

TEST(D3DXMath, InverseTimesMatrixIsIdentity) {
    const D3DXMATRIX m = Rows({3, -1, 2, 0.5f, 0.25f, 4, -2, 1, 1, 1, 5, -1, 7, -3, 2, 2});
    D3DXMATRIX inv, product;
    float fDet = 0;
    ASSERT_NE(D3DXMatrixInverse(&inv, &fDet, &m), nullptr);
    EXPECT_NE(fDet, 0.0f);
    D3DXMatrixMultiply(&product, &m, &inv);
    ExpectMatrixNear(product, kIdentity, 1e-5f);
    D3DXMatrixMultiply(&product, &inv, &m);
    ExpectMatrixNear(product, kIdentity, 1e-5f);
    // In place.
    D3DXMATRIX same = m;
    ASSERT_NE(D3DXMatrixInverse(&same, nullptr, &same), nullptr);
    ExpectMatrixNear(same, {inv._11, inv._12, inv._13, inv._14, inv._21, inv._22, inv._23, inv._24,
                            inv._31, inv._32, inv._33, inv._34, inv._41, inv._42, inv._43, inv._44}, 0);
}

TEST(D3DXMath, SingularMatrixHasNoInverse) {
    const D3DXMATRIX m = Rows({1, 2, 3, 4, 2, 4, 6, 8, 0, 1, 0, 0, 0, 0, 0, 1});  // row 2 = 2 x row 1
    D3DXMATRIX out = Rows({9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9});
    float fDet = 5;
    EXPECT_EQ(D3DXMatrixInverse(&out, &fDet, &m), nullptr);
    EXPECT_EQ(fDet, 0.0f);
    EXPECT_EQ(out._11, 9.0f);  // untouched
    D3DXMATRIX zero = Rows({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(D3DXMatrixInverse(&out, nullptr, &zero), nullptr);
}

TEST(D3DXMath, LookAtBaseFrame) {
    const D3DXVECTOR3 eye(0, 0, -1), at(0, 0, 0), up(0, 1, 0);
    D3DXMATRIX view;
    EXPECT_EQ(D3DXMatrixLookAtLH(&view, &eye, &at, &up), &view);
    ExpectMatrixNear(view, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 1, 1});
}

TEST(D3DXMath, LookAtAlongPlusX) {
    const D3DXVECTOR3 eye(1, 2, 3), at(6, 2, 3), up(0, 1, 0);
    D3DXMATRIX view;
    ASSERT_NE(D3DXMatrixLookAtLH(&view, &eye, &at, &up), nullptr);
    // Axes: right = (0, 0, -1), up = (0, 1, 0), forward = (1, 0, 0).
    ExpectMatrixNear(view, {0, 0, 1, 0, 0, 1, 0, 0, -1, 0, 0, 0, 3, -2, -1, 1});
    D3DXVECTOR3 v;
    D3DXVec3TransformCoord(&v, &at, &view);
    ExpectVectorNear(v, 0, 0, 5);
    const D3DXVECTOR3 left(1, 2, 4);  // +Z is on the left looking down +X, left-handed
    D3DXVec3TransformCoord(&v, &left, &view);
    ExpectVectorNear(v, -1, 0, 0);
    // The inverse of a view puts the camera back at the eye.
    D3DXMATRIX camera;
    ASSERT_NE(D3DXMatrixInverse(&camera, nullptr, &view), nullptr);
    EXPECT_NEAR(camera._41, 1, 1e-5f);
    EXPECT_NEAR(camera._42, 2, 1e-5f);
    EXPECT_NEAR(camera._43, 3, 1e-5f);
}

TEST(D3DXMath, LookAtWithUpAlongTheViewFallsBack) {
    D3DXMATRIX view;
    // Up parallel to a sideways view: world Y is used.
    const D3DXVECTOR3 eye(0, 0, 0), atX(4, 0, 0), upX(-2, 0, 0);
    ASSERT_NE(D3DXMatrixLookAtLH(&view, &eye, &atX, &upX), nullptr);
    ExpectMatrixNear(view, {0, 0, 1, 0, 0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 0, 1});
    // Looking straight up with up = Y: world Y is parallel too, world Z is used.
    const D3DXVECTOR3 atY(0, 5, 0), upY(0, 1, 0);
    ASSERT_NE(D3DXMatrixLookAtLH(&view, &eye, &atY, &upY), nullptr);
    ExpectMatrixNear(view, {-1, 0, 0, 0, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 1});
    D3DXVECTOR3 v;
    D3DXVec3TransformCoord(&v, &atY, &view);
    ExpectVectorNear(v, 0, 0, 5);
    // A zero or missing up vector behaves like world Y.
    const D3DXVECTOR3 zero(0, 0, 0);
    ASSERT_NE(D3DXMatrixLookAtLH(&view, &eye, &atX, &zero), nullptr);
    EXPECT_NEAR(view._22, 1, 1e-6f);
    ASSERT_NE(D3DXMatrixLookAtLH(&view, &eye, &atX, nullptr), nullptr);
    EXPECT_NEAR(view._22, 1, 1e-6f);
}

TEST(D3DXMath, LookAtFailsWhenEyeAndTargetMeet) {
    D3DXMATRIX view = Rows({7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7});
    const D3DXVECTOR3 eye(1, 1, 1), at(1, 1, 1), tooClose(1.0000001f, 1, 1), up(0, 1, 0);
    EXPECT_EQ(D3DXMatrixLookAtLH(&view, &eye, &at, &up), nullptr);
    EXPECT_EQ(D3DXMatrixLookAtLH(&view, &eye, &tooClose, &up), nullptr);
    const D3DXVECTOR3 notANumber(std::nanf(""), 0, 0);
    EXPECT_EQ(D3DXMatrixLookAtLH(&view, &eye, &notANumber, &up), nullptr);
    EXPECT_EQ(view._11, 7.0f);
    const D3DXVECTOR3 apart(1, 1, 1.00001f);
    EXPECT_NE(D3DXMatrixLookAtLH(&view, &eye, &apart, &up), nullptr);
}

TEST(D3DXMath, PerspectiveMapsNearAndFarToZeroAndOne) {
    D3DXMATRIX proj;
    EXPECT_EQ(D3DXMatrixPerspectiveFovLH(&proj, kHalfPi, 2.0f, 1.0f, 101.0f), &proj);
    ExpectMatrixNear(proj, {0.5f, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1.01f, 1, 0, 0, -1.01f, 0});
    D3DXVECTOR3 v;
    const D3DXVECTOR3 pNear(0, 0, 1), pFar(0, 0, 101), pCorner(20, 10, 10);
    D3DXVec3TransformCoord(&v, &pNear, &proj);
    ExpectVectorNear(v, 0, 0, 0);
    D3DXVec3TransformCoord(&v, &pFar, &proj);
    ExpectVectorNear(v, 0, 0, 1);
    D3DXVec3TransformCoord(&v, &pCorner, &proj);  // on the frustum's top right edge
    ExpectVectorNear(v, 1, 1, (10 * 1.01f - 1.01f) / 10);
    // w = 0 (a point in the eye plane) is left undivided rather than infinite.
    const D3DXVECTOR3 pEye(3, 0, 0);
    D3DXVec3TransformCoord(&v, &pEye, &proj);
    EXPECT_TRUE(std::isfinite(v.x) && std::isfinite(v.z));
}

TEST(D3DXMath, VectorHelpers) {
    const D3DXVECTOR3 a(1, 2, 3), b(4, 5, 6);
    D3DXVECTOR3 v;
    EXPECT_FLOAT_EQ(D3DXVec3Dot(&a, &b), 32.0f);
    D3DXVec3Cross(&v, &a, &b);
    ExpectVectorNear(v, -3, 6, -3, 0);
    const D3DXVECTOR3 c(3, 0, 4);
    EXPECT_FLOAT_EQ(D3DXVec3Length(&c), 5.0f);
    D3DXVec3Normalize(&v, &c);
    ExpectVectorNear(v, 0.6f, 0, 0.8f);
    const D3DXVECTOR3 zero(0, 0, 0);
    D3DXVec3Normalize(&v, &zero);
    ExpectVectorNear(v, 0, 0, 0, 0);
    D3DXMATRIX t;
    D3DXMatrixTranslation(&t, 10, 20, 30);
    D3DXVec3TransformNormal(&v, &a, &t);  // directions ignore the translation
    ExpectVectorNear(v, 1, 2, 3, 0);
}

}  // namespace
