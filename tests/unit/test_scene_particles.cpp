#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "scene/SceneRandom.h"
#include <vector>

#include "scene/ParticleField.h"

namespace {

std::vector<int> Draws(unsigned nSeed, int nCount) {
    std::srand(nSeed);
    std::vector<int> v;
    for (int i = 0; i < nCount; ++i) v.push_back(SceneRand());
    std::srand(nSeed);
    return v;
}

D3DXMATRIX Identity() {
    D3DXMATRIX m;
    D3DXMatrixIdentity(&m);
    return m;
}

// Where a value lies in its range, from 0 at the low end to 1 at the high end.
float Fraction(float fValue, float fLow, float fHigh) { return (fValue - fLow) / (fHigh - fLow); }

}  // namespace

// Each field takes its own draw, in the order spin, size, position z, y, x,
// direction z, y, x, life, and spreads it over its range: a draw of r lands
// r / 32767 of the way through it.
TEST(SceneParticles, RespawnDrawsInItsOrder) {
    const std::vector<int> r = Draws(1234, 10);
    auto share = [&](int i) { return float(r[i]) / 32767.0f; };
    Particle p{};
    p.fAngle = 2.0f;
    const D3DXVECTOR3 vExtent(60, 40, 30), vCentre(1, 2, 3);
    RespawnParticle(p, vExtent, ParticleSizes{0.2f, 0.4f, 6.0f}, vCentre);
    EXPECT_NEAR(Fraction(p.fSpin, -3.0f, 3.0f), share(0), 1e-5);          // -3 to 3 radians a second
    EXPECT_NEAR(Fraction(p.fSize, 0.2f, 0.4f), share(1), 1e-5);
    EXPECT_NEAR(Fraction(p.vPosition.z, 3.0f - 30, 3.0f + 30), share(2), 1e-5);  // centre +- extent
    EXPECT_NEAR(Fraction(p.vPosition.y, 2.0f - 40, 2.0f + 40), share(3), 1e-5);
    EXPECT_NEAR(Fraction(p.vPosition.x, 1.0f - 60, 1.0f + 60), share(4), 1e-5);
    EXPECT_NEAR(Fraction(p.fLife, 1.5f, 6.0f), share(8), 1e-5);            // a quarter of the lifetime to all of it
    // The direction is a unit vector whose components keep the ratios of
    // their draws, each spread over -1 to 1.
    EXPECT_NEAR(D3DXVec3Length(&p.vDirection), 1.0f, 1e-5);
    const float dz = 2 * share(5) - 1, dy = 2 * share(6) - 1, dx = 2 * share(7) - 1;
    EXPECT_NEAR(p.vDirection.z * dy, p.vDirection.y * dz, 1e-5);
    EXPECT_NEAR(p.vDirection.z * dx, p.vDirection.x * dz, 1e-5);
    EXPECT_GT(p.vDirection.z * dz, 0.0f);
    EXPECT_EQ(p.fAngle, 0.0f);
    EXPECT_EQ(SceneRand(), r[9]) << "a respawn takes exactly nine draws";
}

TEST(SceneParticles, CornerMaths) {
    Particle p{};
    p.vPosition = D3DXVECTOR3(10, 20, 30);
    D3DXVECTOR3 c[4];
    ParticleCorners(p, 2.0f, Identity(), c);
    // Angle 0: corners left, top, right, bottom of a diamond of radius 2.
    EXPECT_NEAR(c[0].x, 8.0f, 1e-3);
    EXPECT_NEAR(c[0].y, 20.0f, 1e-3);
    EXPECT_NEAR(c[1].x, 10.0f, 1e-6);
    EXPECT_NEAR(c[1].y, 22.0f, 1e-6);
    EXPECT_NEAR(c[2].x, 12.0f, 1e-3);
    EXPECT_NEAR(c[2].y, 20.0f, 1e-3);
    EXPECT_NEAR(c[3].x, 10.0f, 1e-6);
    EXPECT_NEAR(c[3].y, 18.0f, 1e-6);
    for (const D3DXVECTOR3& v : c) EXPECT_FLOAT_EQ(v.z, 30.0f);
    // The exact quarter turn is 1.57075, a little short of pi/2.
    EXPECT_NEAR(c[0].y - 20.0f, -std::cos(1.57075f) * 2.0f, 2e-6);

    // The billboard turns the quad: a turn about y maps the plane's x onto -z.
    D3DXMATRIX b;
    D3DXMatrixRotationY(&b, 3.14159265f / 2);
    p.fAngle = 0.5f;
    ParticleCorners(p, 1.0f, b, c);
    EXPECT_NEAR(c[1].x, 10.0f, 1e-5);
    EXPECT_NEAR(c[1].y, 20.0f + std::cos(0.5f), 1e-5);
    EXPECT_NEAR(c[1].z, 30.0f - std::sin(0.5f), 1e-5);
}

TEST(SceneParticles, UpdateWritesQuadsThenMoves) {
    std::srand(1);
    CParticleField field;
    field.Create(2, D3DXVECTOR3(1, 1, 1), ParticleSizes{1.0f, 1.0f, 2.0f}, D3DXVECTOR3(0, -500, 0), 0.0f);
    ASSERT_EQ(field.Count(), 2u);
    Particle& p = field.At(0);
    p.vPosition = D3DXVECTOR3(0, 0, 0);
    p.vDirection = D3DXVECTOR3(1, 0, 0);
    p.fSize = 2.0f;
    p.fSpin = 1.0f;
    p.fLife = 0.5f;  // the last second of life: half size, half alpha
    field.At(1).fLife = 5.0f;
    std::vector<ColorTexVertex> v(8);
    field.Update(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, -1, 0), 0.1f, Identity(), v.data());
    EXPECT_NEAR(v[1].y, 1.0f, 1e-6);  // 0.5 * 2
    EXPECT_EQ(v[0].nColor, 0x7FFFFFFFu);
    EXPECT_EQ(v[0].nColor, v[3].nColor);
    EXPECT_EQ(v[0].u, 0.0f);
    EXPECT_EQ(v[0].v, 0.0f);
    EXPECT_EQ(v[1].u, 1.0f);
    EXPECT_EQ(v[1].v, 0.0f);
    EXPECT_EQ(v[2].u, 1.0f);
    EXPECT_EQ(v[2].v, 1.0f);
    EXPECT_EQ(v[3].u, 0.0f);
    EXPECT_EQ(v[3].v, 1.0f);
    EXPECT_EQ(v[4].nColor, 0xFFFFFFFFu);
    EXPECT_FLOAT_EQ(p.fAngle, 0.1f);
    EXPECT_FLOAT_EQ(p.vPosition.x, 0.1f);
    EXPECT_FLOAT_EQ(p.vPosition.y, -0.1f);
    EXPECT_FLOAT_EQ(p.fLife, 0.4f);
    // A life that runs out respawns the particle around the emitter.
    p.fLife = 0.05f;
    field.Update(D3DXVECTOR3(100, 200, 300), D3DXVECTOR3(0, 0, 0), 0.1f, Identity(), v.data());
    EXPECT_NEAR(p.vPosition.x, 100.0f, 1.0f);
    EXPECT_NEAR(p.vPosition.y, 200.0f, 1.0f);
    EXPECT_NEAR(p.vPosition.z, 300.0f, 1.0f);
    EXPECT_GE(p.fLife, 0.5f);
    EXPECT_LE(p.fLife, 2.0f);
    // The alpha factor scales every particle (the arrow trail fades with it).
    field.m_fAlphaFactor = 0.5f;
    field.At(1).fLife = 5.0f;
    field.Update(D3DXVECTOR3(100, 200, 300), D3DXVECTOR3(0, 0, 0), 0.0f, Identity(), v.data());
    EXPECT_EQ(v[4].nColor, 0x7FFFFFFFu);
}

TEST(SceneParticles, NearCullHidesParticlesCloseToTheEye) {
    std::srand(2);
    CParticleField field;
    field.Create(1, D3DXVECTOR3(0, 0, 0), ParticleSizes{0.2f, 0.2f, 6.0f}, D3DXVECTOR3(0, -500, 0), 200.0f);
    Particle& p = field.At(0);
    std::vector<ColorTexVertex> v(4);
    p.fLife = 3.0f;
    p.vPosition = D3DXVECTOR3(14.0f, 0, 0);  // corner 3 about 14.0 from the eye: inside sqrt(200)
    field.Update(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 0, 0), 0.0f, Identity(), v.data());
    EXPECT_EQ(v[0].nColor, 0u);
    p.vPosition = D3DXVECTOR3(14.3f, 0, 0);
    field.Update(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 0, 0), 0.0f, Identity(), v.data());
    EXPECT_EQ(v[0].nColor, 0xFFFFFFFFu);
}

TEST(SceneParticles, ResetHidesEverythingAndStaggersTheReturn) {
    std::srand(11);
    CParticleField field;
    field.Create(50, D3DXVECTOR3(1, 3, 1), ParticleSizes{0.25f, 0.5f, 10.0f}, D3DXVECTOR3(4, 2.5f, -2), 0.0f);
    std::vector<ColorTexVertex> v(200);
    field.Update(D3DXVECTOR3(4, 2.5f, -2), D3DXVECTOR3(1.5f, -1, 0), 0.016f, Identity(), v.data());
    field.Reset(v.data());
    bool bNegative = false, bPositive = false;
    for (uint32_t i = 0; i < field.Count(); ++i) {
        const Particle& p = field.At(i);
        EXPECT_EQ(p.fSize, 0.0f);
        EXPECT_EQ(p.vPosition.y, -500.0f);
        EXPECT_GE(p.fLife, -1.1f);
        EXPECT_LE(p.fLife, 1.1f + 1e-6f);
        bNegative |= p.fLife < 0;
        bPositive |= p.fLife > 0;
    }
    EXPECT_TRUE(bNegative && bPositive);
    for (const ColorTexVertex& x : v) {
        EXPECT_EQ(x.nColor, 0u);
        EXPECT_EQ(x.x, 0.0f);
    }
    // Nothing shows until a particle respawns: zero size gives empty quads.
    field.Update(D3DXVECTOR3(4, 2.5f, -2), D3DXVECTOR3(1.5f, -1, 0), 0.0f, Identity(), v.data());
    for (uint32_t i = 0; i < field.Count(); ++i)
        EXPECT_EQ(v[4 * i].x, v[4 * i + 2].x) << i;
}

TEST(SceneParticles, AlphaColour) {
    EXPECT_EQ(WhiteWithAlpha(1.0f), 0xFFFFFFFFu);
    EXPECT_EQ(WhiteWithAlpha(0.0f), 0x00FFFFFFu);
    EXPECT_EQ(WhiteWithAlpha(0.5f), 0x7FFFFFFFu);
    EXPECT_EQ(WhiteWithAlpha(-0.3f), 0x00FFFFFFu);
    EXPECT_EQ(WhiteWithAlpha(1.7f), 0xFFFFFFFFu);
}
