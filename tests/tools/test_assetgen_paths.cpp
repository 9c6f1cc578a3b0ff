// Camera paths as the saver loads and projects them: key counts, smoothness,
// and what each path keeps in view.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "ClassRender/CameraPath.h"
#include "test_assetgen_fixture.h"

namespace {

constexpr float kKey = 0.033f;  // seconds between keys

CCameraPath LoadPath(const std::string& name) {
    CCameraPath path;
    const std::vector<uint8_t> data = agtest::Extract(agtest::File("media.rar"), name.c_str(), nullptr);
    EXPECT_EQ(path.LoadKeys(data.data(), data.size()), 0u) << name;
    return path;
}

std::string IdleName(int n) { return "camera_idle_" + std::to_string(n + 1) + ".MODEL"; }
std::string ActionName(int n) { return "camera_action_" + std::to_string(n + 1) + ".MODEL"; }

// The point's clip coordinates seen through the path's camera at the key.
bool ClipPosition(const CCameraPath& path, uint32_t key, D3DXVECTOR3 p, float (&c)[4]) {
    const D3DXVECTOR3 eye = path.Eye(key), at = path.Target(key), up{0, 1, 0};
    D3DXMATRIX view, viewProj;
    if (!D3DXMatrixLookAtLH(&view, &eye, &at, &up)) return false;
    D3DXMatrixMultiply(&viewProj, &view, &path.m_Projection);
    for (int i = 0; i < 4; ++i) c[i] = p.x * viewProj(0, i) + p.y * viewProj(1, i) + p.z * viewProj(2, i) + viewProj(3, i);
    return true;
}

// Inside the view frustum of the path's projection, 'margin' in from each side.
bool Sees(const CCameraPath& path, uint32_t key, D3DXVECTOR3 p, float margin = 0.f) {
    float c[4];
    if (!ClipPosition(path, key, p, c)) return false;
    const float lim = c[3] * (1.f - margin);
    return c[3] > 0 && c[2] >= 0 && c[2] <= c[3] && std::fabs(c[0]) <= lim && std::fabs(c[1]) <= lim;
}

D3DXVECTOR3 Add(D3DXVECTOR3 a, D3DXVECTOR3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
D3DXVECTOR3 Scaled(D3DXVECTOR3 a, float s) { return {a.x * s, a.y * s, a.z * s}; }
float Distance(D3DXVECTOR3 a, D3DXVECTOR3 b) { return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) + (a.z - b.z) * (a.z - b.z)); }

const D3DXVECTOR3 kCupid{1, 0, 0};
const D3DXVECTOR3 kLaunch[5] = {{-43, -22, -5}, {-68, -22, 3}, {-36, -22, 19}, {-55, -22, -24}, {-23, -22, -37}};

// The heart's nominal height above its launch point: launched after key 80,
// rising at 5 a second while it fades in (alpha +0.3 a second), then at 2
// until the arrow arrives; the quote then rises at 1.8 (while the heart fades
// out over 1.25 s) and 1.6.
float Rise(float t, float hit) {
    const float launch = 81 * kKey, appear = 1.f / 0.3f;
    if (t <= launch) return 0;
    if (t <= launch + appear) return 5.f * (t - launch);
    float y = 5.f * appear;
    if (t <= hit) return y + 2.f * (t - launch - appear);
    y += 2.f * (hit - launch - appear);
    if (t <= hit + 1.25f) return y + 1.8f * (t - hit);
    return y + 1.8f * 1.25f + 1.6f * (t - hit - 1.25f);
}

TEST(AssetgenPaths, KeyCountsAndNoJumpsBetweenKeys) {
    for (int n = 0; n < 15; ++n) {
        const std::string name = n < 10 ? IdleName(n) : ActionName(n - 10);
        SCOPED_TRACE(name);
        const CCameraPath p = LoadPath(name);
        ASSERT_EQ(p.KeyCount(), n < 10 ? 1001u : 801u);
        float eyeStep = 0, targetStep = 0, turn = 0;
        for (uint32_t k = 1; k < p.KeyCount(); ++k) {
            eyeStep = std::max(eyeStep, Distance(p.Eye(k), p.Eye(k - 1)));
            targetStep = std::max(targetStep, Distance(p.Target(k), p.Target(k - 1)));
            D3DXVECTOR3 a{p.Target(k - 1).x - p.Eye(k - 1).x, p.Target(k - 1).y - p.Eye(k - 1).y, p.Target(k - 1).z - p.Eye(k - 1).z};
            D3DXVECTOR3 b{p.Target(k).x - p.Eye(k).x, p.Target(k).y - p.Eye(k).y, p.Target(k).z - p.Eye(k).z};
            D3DXVec3Normalize(&a, &a);
            D3DXVec3Normalize(&b, &b);
            turn = std::max(turn, std::acos(std::min(1.f, D3DXVec3Dot(&a, &b))));
        }
        // Keys are shown without interpolation 33 ms apart: at most 10 units a
        // second of travel and about 45 degrees a second of turn.
        EXPECT_LT(eyeStep, 0.33f);
        EXPECT_LT(targetStep, 0.8f);
        EXPECT_LT(turn, 0.026f);
        EXPECT_GT(eyeStep, 0.f) << "the camera moves";
        for (uint32_t k = 0; k < p.KeyCount(); ++k) ASSERT_LT(Distance(p.Eye(k), kCupid), 100.f) << "far from the sun sprites";
    }
}

TEST(AssetgenPaths, ActionPathsSeeTheirLaunchPointWhileTheHeartAppears) {
    // From key 81 the heart fades in for 3.3 s (100 keys) where it was launched.
    for (int n = 0; n < 5; ++n) {
        SCOPED_TRACE(ActionName(n));
        const CCameraPath p = LoadPath(ActionName(n));
        for (uint32_t k = 81; k <= 200; ++k) ASSERT_TRUE(Sees(p, k, kLaunch[n], 0.02f)) << "key " << k;
    }
}

TEST(AssetgenPaths, ActionPathsFollowTheCupidTheHeartTheArrowAndTheQuote) {
    // The arrow arrives 7 to 12.5 s into the path, depending on where the
    // cupid's idle pass was when the shot was requested. The camera holds a
    // wide view while the heart rises, then goes to read the quote.
    for (int n = 0; n < 5; ++n) {
        SCOPED_TRACE(ActionName(n));
        const CCameraPath p = LoadPath(ActionName(n));
        for (uint32_t k = 81; k < p.KeyCount(); ++k) {
            const float t = k * kKey;
            // The cupid until he has seen the heart (its alpha passes 0.4 at key 121).
            if (k <= 121) {
                for (float dy : {-1.2f, 0.5f, 2.3f}) ASSERT_TRUE(Sees(p, k, Add(kCupid, {0, dy, 0}), 0.02f)) << "cupid, key " << k;
            }
            for (float hit = 7.f; hit <= 12.5f; hit += 0.5f) {
                const D3DXVECTOR3 heart = Add(kLaunch[n], {0, Rise(t, hit), 0});
                if (t <= hit) {
                    ASSERT_TRUE(Sees(p, k, heart, 0.02f)) << "heart, key " << k << ", hit at " << hit;
                    if (t > hit - 0.5f) {
                        // The arrow's arrival: it flies from the bow to the heart's
                        // position at release, 2 up, in 2 s.
                        const D3DXVECTOR3 from = Add(kCupid, {-2.4f, 1.2f, 0});
                        const D3DXVECTOR3 to = Add(kLaunch[n], {0, Rise(hit - 2.f, hit) + 2.f, 0});
                        const float s = (t - hit + 2.f) / 2.f;
                        ASSERT_TRUE(Sees(p, k, Add(Scaled(from, 1 - s), Scaled(to, s)), 0.02f)) << "arrow, key " << k;
                    }
                    continue;
                }
                // Two seconds after the hit the whole quote is in the picture. It faces
                // the camera: up to 45 units across, its rows from 1.9 below to 7.6 above.
                if (t < hit + 2.f) continue;
                const D3DXVECTOR3 eye = p.Eye(k), at = p.Target(k);
                D3DXVECTOR3 right{at.z - eye.z, 0, -(at.x - eye.x)};
                D3DXVec3Normalize(&right, &right);
                for (D3DXVECTOR3 d : {Scaled(right, 22.5f), Scaled(right, -22.5f), D3DXVECTOR3{0, 7.6f, 0}, D3DXVECTOR3{0, -1.9f, 0}})
                    ASSERT_TRUE(Sees(p, k, Add(heart, d))) << "quote, key " << k << ", hit at " << hit;
            }
        }
    }
}

// Height of the capitals in font.tga ("H", cell 7 of row 0): its opaque
// rows, as a share of the 63-row glyph box the text block maps on one row.
float CapShareOfRow() {
    const std::vector<uint8_t> font = agtest::Extract(agtest::File("media.rar"), "font.tga", nullptr);
    int top = 64, bottom = -1;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 51; ++x)
            if (agtest::TgaAlpha(font, 7 * 51 + x, y) >= 250) {
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    return bottom >= top ? float(bottom - top + 1) / 63.f : 0.f;
}

// A point on the screen in normalised device coordinates (x, y in -1..1).
bool Project(const CCameraPath& path, uint32_t key, D3DXVECTOR3 p, float& x, float& y) {
    float c[4];
    if (!ClipPosition(path, key, p, c) || c[3] <= 0) return false;
    x = c[0] / c[3];
    y = c[1] / c[3];
    return true;
}

TEST(AssetgenPaths, ActionPathsFrameTheQuoteLargeEnoughWithoutTheSunBehindIt) {
    // A text row is 118 / 62 units high and the glyph box fills it.
    const float cap = CapShareOfRow() * 118.f / 62.f;
    ASSERT_GT(cap, 0.9f) << "the capitals fill most of the glyph box";
    const D3DXVECTOR3 suns[2] = {{290, 40, 0}, {-290, 40, 0}};
    const float sunRadius = 40.f;  // the sprite's glow, 46 units to the corner of its quad
    float smallest = 1;
    for (int n = 0; n < 5; ++n) {
        SCOPED_TRACE(ActionName(n));
        const CCameraPath p = LoadPath(ActionName(n));
        // From two seconds after the hit until the cross-fade to the next path.
        for (uint32_t k = 81; k <= 740; ++k) {
            const float t = k * kKey;
            const D3DXVECTOR3 eye = p.Eye(k), at = p.Target(k), up{0, 1, 0};
            D3DXMATRIX view;
            ASSERT_TRUE(D3DXMatrixLookAtLH(&view, &eye, &at, &up));
            // The text faces the camera: its rows run along the view's x axis, up its y axis.
            const D3DXVECTOR3 right{view._11, view._21, view._31}, above{view._12, view._22, view._32};
            for (float hit = 7.f; hit <= 12.5f; hit += 0.5f) {
                if (t < hit + 2.f) continue;
                const D3DXVECTOR3 heart = Add(kLaunch[n], {0, Rise(t, hit), 0});
                // Row 0's capitals, from the baseline up: about 3 % of the screen height
                // at 26 units; at least 2.2 % wherever the arrow arrived.
                float x0, y0, x1, y1;
                ASSERT_TRUE(Project(p, k, Add(heart, Scaled(above, 5.8f)), x0, y0));
                ASSERT_TRUE(Project(p, k, Add(heart, Scaled(above, 5.8f + cap)), x1, y1));
                const float share = (y1 - y0) / 2.f;
                smallest = std::min(smallest, share);
                ASSERT_GE(share, 0.022f) << "key " << k << ", hit at " << hit;
                // The quote's box on the screen, and each sun's disc beside it, never behind it.
                float bx0, by0, bx1, by1;
                ASSERT_TRUE(Project(p, k, Add(Add(heart, Scaled(right, -22.5f)), Scaled(above, -1.9f)), bx0, by0));
                ASSERT_TRUE(Project(p, k, Add(Add(heart, Scaled(right, 22.5f)), Scaled(above, 7.6f)), bx1, by1));
                for (const D3DXVECTOR3& sun : suns) {
                    float sx, sy, ex, ey;
                    if (!Project(p, k, sun, sx, sy) || !Project(p, k, Add(sun, Scaled(above, sunRadius)), ex, ey)) continue;
                    const float ry = std::fabs(ey - sy), rx = ry * 6.f / 7.f;  // the fixed 7:6 aspect
                    const bool overlaps = sx + rx > std::min(bx0, bx1) && sx - rx < std::max(bx0, bx1) &&
                                          sy + ry > std::min(by0, by1) && sy - ry < std::max(by0, by1);
                    ASSERT_FALSE(overlaps) << "a sun behind the quote, key " << k << ", hit at " << hit;
                }
            }
        }
    }
    std::printf("smallest cap height of the quote, 2 s after the hit: %.2f %% of the screen height\n", smallest * 100);
}

TEST(AssetgenPaths, IdlePathsWanderCloseAroundTheCupid) {
    for (int n = 0; n < 10; ++n) {
        SCOPED_TRACE(IdleName(n));
        const CCameraPath p = LoadPath(IdleName(n));
        float nearest = 1e9f, farthest = 0;
        for (uint32_t k = 0; k < p.KeyCount(); ++k) {
            // The whole figure, from his feet 1.2 below his placement point to 2.3 above.
            ASSERT_TRUE(Sees(p, k, {1, -1.2f, 0}, 0.02f)) << "key " << k;
            ASSERT_TRUE(Sees(p, k, {1, 2.3f, 0}, 0.02f)) << "key " << k;
            ASSERT_TRUE(Sees(p, k, {1, 0.5f, 0}, 0.25f)) << "near the middle of the frame, key " << k;
            ASSERT_LT(Distance(p.Target(k), kCupid), 5.f);
            nearest = std::min(nearest, Distance(p.Eye(k), kCupid));
            farthest = std::max(farthest, Distance(p.Eye(k), kCupid));
        }
        EXPECT_GT(nearest, 4.f) << "never inside the cupid";
        EXPECT_LT(farthest, 25.f);
    }
}

}  // namespace
