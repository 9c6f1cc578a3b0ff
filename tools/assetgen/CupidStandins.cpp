#include "CupidStandins.h"

#include <algorithm>
#include <cmath>

#include "ArrowArt.h"
#include "Canvas.h"
#include "WorldMeshes.h"

namespace assetgen {
namespace {

// A closed grid of rows x cols positions (plus optional poles) with corners
// 1:1 on positions, quads joined around, then pole fans; padded with
// degenerate triangles when the required count is larger.
struct Lattice {
    int rows, cols;
    size_t texCoords, corners, triangles;
};

MeshData Grid(const Lattice& l, int frames, Vec3 (*shape)(float s, float t, float phase), bool poles) {
    MeshData m;
    m.frames.resize(size_t(frames));
    for (int r = 0; r < l.rows; ++r)
        for (int c = 0; c < l.cols; ++c) {
            const float s = (r + 0.5f) / l.rows, t = float(c) / l.cols;
            m.AddPosition(shape(s, t, 0));
        }
    if (poles) {
        m.AddPosition(shape(1.f, 0, 0));
        m.AddPosition(shape(0.f, 0, 0));
    }
    for (int f = 0; f < frames; ++f) {
        const float phase = float(f) / float(frames);
        size_t i = 0;
        for (int r = 0; r < l.rows; ++r)
            for (int c = 0; c < l.cols; ++c) m.frames[size_t(f)][i++] = shape((r + 0.5f) / l.rows, float(c) / l.cols, phase);
        if (poles) {
            m.frames[size_t(f)][i++] = shape(1.f, 0, phase);
            m.frames[size_t(f)][i++] = shape(0.f, 0, phase);
        }
    }
    const size_t v = m.VertexCount();
    for (size_t i = 0; i < l.texCoords; ++i) {
        const size_t p = i % v;
        const float s = p < size_t(l.rows * l.cols) ? (float(p / size_t(l.cols)) + 0.5f) / l.rows : (p == v - 2 ? 1.f : 0.f);
        const float t = p < size_t(l.rows * l.cols) ? float(p % size_t(l.cols)) / l.cols : 0.5f;
        m.texCoords.push_back({t, 1.f - s});
    }
    for (size_t i = 0; i < l.corners; ++i) m.corners.push_back({uint16_t(i % v), uint16_t(i % l.texCoords)});
    auto idx = [&](int r, int c) { return uint16_t(r * l.cols + (c % l.cols)); };
    auto outward = [&](uint16_t a) {
        Vec3 p = m.frames[0][m.corners[a].nPosition];
        return Vec3{p.x, 0, p.z};
    };
    for (int r = 0; r + 1 < l.rows && m.triangles.size() + 2 <= l.triangles; ++r)
        for (int c = 0; c < l.cols && m.triangles.size() + 2 <= l.triangles; ++c) {
            AddFacing(m, idx(r, c), idx(r, c + 1), idx(r + 1, c + 1), outward(idx(r, c)));
            AddFacing(m, idx(r, c), idx(r + 1, c + 1), idx(r + 1, c), outward(idx(r, c)));
        }
    if (poles)
        for (int pass = 0; pass < 2; ++pass)
            for (int c = 0; c < l.cols && m.triangles.size() < l.triangles; ++c) {
                const int r = pass == 0 ? l.rows - 1 : 0;
                const uint16_t pole = uint16_t(v - 2 + size_t(pass));
                AddFacing(m, pole, idx(r, c), idx(r, c + 1), Vec3{0, pass == 0 ? 1.f : -1.f, 0});
            }
    while (m.triangles.size() < l.triangles) m.AddTriangle(0, 0, 0);
    return m;
}

// A rounded doll about 4.4 units tall: body, head and a little tuft of hair.
Vec3 Doll(float s, float t, float phase) {
    const float y = -0.6f + 4.4f * s;
    const float body = 0.9f * std::sqrt(std::max(0.f, 1.f - std::pow((y - 1.0f) / 1.7f, 2.f)));
    const float head = 0.75f * std::sqrt(std::max(0.f, 1.f - std::pow((y - 3.05f) / 0.8f, 2.f)));
    const float r = std::max(body, head) + 0.02f;
    const float a = t * 2 * kPi;
    const float bob = 0.08f * std::sin(phase * 2 * kPi);
    return {r * std::cos(a), y + bob, r * std::sin(a)};
}

// A puffy heart about 1.1 units tall, beating once a loop.
Vec3 PuffyHeart(float s, float t, float phase) {
    const float a = t * 2 * kPi;
    const float sa = std::sin(a);
    const float hx = 16.f * sa * sa * sa / 29.f;
    const float hy = (13.f * std::cos(a) - 5.f * std::cos(2 * a) - 2.f * std::cos(3 * a) - std::cos(4 * a) + 2.5f) / 29.f;
    const float w = std::sin(s * kPi);
    const float beat = 1.f + 0.06f * std::pow(std::sin(phase * kPi), 8.f);
    return Vec3{hx * w, hy * w, 0.34f * std::cos(s * kPi)} * beat;
}

}  // namespace

MeshData BuildStandinCupid(int frames) { return Grid({54, 32, 2069, 2069, 3425}, frames, Doll, true); }

MeshData BuildStandinHeart() { return Grid({19, 26, 617, 540, 984}, 61, PuffyHeart, false); }

MeshData BuildStandinBowArrow() {
    // The flying arrow's shape, lying at the bow's release point along -x.
    const MeshData arrow = BuildArrowMesh();
    MeshData m;
    m.frames.resize(67);
    for (int f = 0; f < 67; ++f) {
        const float pull = 0.3f * std::sin(float(f) / 66.f * kPi);
        for (const Vec3& p : arrow.frames[0])
            m.frames[size_t(f)].push_back(Vec3{-2.388f - p.z * 0.8f + pull, 1.229f + p.y * 0.8f, 0.009f + p.x * 0.8f});
    }
    for (size_t i = 0; i < 39; ++i) m.texCoords.push_back(arrow.texCoords[i]);
    for (const MeshCorner& c : arrow.corners) m.corners.push_back({c.nPosition, uint16_t(c.nTexCoord % 39)});
    m.triangles = arrow.triangles;
    return m;
}

Image BuildStandinCupidTexture() {
    CCanvas c(512, 512);
    c.Paint([](float, float y) {
        const float v = y / 512.f;  // 0 at the top of the head
        if (v < 0.12f) return Rgb(236, 190, 96);  // golden hair
        Color skin = MixColor(Rgb(255, 214, 190), Rgb(246, 186, 170), v);
        if (v > 0.42f && v < 0.5f) skin = Rgb(255, 240, 244);  // a sash
        return skin;
    });
    return c.ToImage(4);
}

Image BuildStandinHeartTexture() {
    CCanvas c(64, 64);
    c.Paint([](float x, float y) {
        const float d = std::sqrt((x - 22) * (x - 22) + (y - 20) * (y - 20)) / 64.f;
        return MixColor(Rgb(255, 150, 176), Rgb(190, 20, 60), Clamp01(d * 1.6f));
    });
    return c.ToImage(3);
}

}  // namespace assetgen
