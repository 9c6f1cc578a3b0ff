// The cloud layers as the camera paths see them. Their textures tile without
// a border, and, rendered with trilinear filtering the way the saver draws
// them, they show no straight brightness step: neither along a triangle edge
// (a fold between faces changes the texture's mip level and bends its
// pattern) nor where two tiles of a texture meet.
#include <algorithm>
#include <cstdio>
#include <cmath>
#include <map>
#include <sstream>

#include "ClassRender/ImageDecode.h"
#include "MeshFormat.h"
#include "SceneLayout.h"
#include "SoftRender.h"
#include "test_assetgen_fixture.h"

namespace {

using assetgen::Vec2;
using assetgen::Vec3;

constexpr int kWidth = 480, kHeight = 360;
const char* const kCloudMeshes[3] = {"cloud1.MODEL", "cloud2.MODEL", "cloud3.MODEL"};
const char* const kCloudTextures[3] = {"Sky_05.tga", "Sky_18.tga", "Sky_16.tga"};
const Vec3 kCloudPlace{0, -0.2f, 0};  // the layers' world translation

assetgen::Bytes Entry(const std::string& name) {
    const std::vector<uint8_t> d = agtest::Extract(agtest::File("media.rar"), name.c_str(), nullptr);
    return assetgen::Bytes(d.begin(), d.end());
}

assetgen::Image Texture(const char* name) {
    const assetgen::Bytes data = Entry(name);
    DecodedImage d;
    EXPECT_TRUE(DecodeImage(data.data(), data.size(), d)) << name;
    return assetgen::Image{int(d.image.nWidth), int(d.image.nHeight), 4, d.image.aPixels};
}

// Brightness (0..255) of a rendered frame, sampled at the nearest pixel.
// Within 6 degrees of the horizon, where every layer ends in its rim and the
// texture shrinks to its smallest levels, nothing is judged.
struct Luma {
    std::vector<float> v;
    std::vector<uint8_t> judged;
    Luma(const assetgen::Image& img, const assetgen::CameraKey& sky) : v(size_t(kWidth) * kHeight), judged(v.size()) {
        const Vec3 z = assetgen::Normalize(sky.target - sky.eye), x = assetgen::Normalize(assetgen::Cross({0, 1, 0}, z)),
                   y = assetgen::Cross(z, x);
        const float c = std::cos(assetgen::kFieldOfView / 2) / std::sin(assetgen::kFieldOfView / 2);
        for (int j = 0; j < kHeight; ++j)
            for (int i = 0; i < kWidth; ++i) {
                const size_t n = size_t(j) * kWidth + i;
                const uint8_t* p = &img.pixels[n * img.nChannels];
                v[n] = 0.299f * p[0] + 0.587f * p[1] + 0.114f * p[2];
                const float sx = ((i + 0.5f) / kWidth * 2 - 1) * assetgen::kAspect / c, sy = (1 - (j + 0.5f) / kHeight * 2) / c;
                judged[n] = std::fabs(assetgen::Normalize(z + x * sx + y * sy).y) > std::sin(6.f * assetgen::kPi / 180);
            }
    }
    bool Inside(float x, float y) const {
        return x >= 0 && y >= 0 && x < kWidth && y < kHeight && judged[size_t(y) * kWidth + size_t(x)];
    }
    float At(float x, float y) const { return v[size_t(y) * kWidth + size_t(x)]; }
};

// A line on the screen, made of segments: a triangle edge, or all the pieces
// of one tile border of a layer.
using ScreenLine = std::vector<std::pair<Vec2, Vec2>>;

// Mean brightness step across the line, shifted by 'offset' pixels along
// its normal: the pixel on one side against the pixel on the other.
bool MeanStep(const Luma& l, const ScreenLine& line, float offset, float& step, int& samples) {
    double sum = 0;
    samples = 0;
    for (const auto& [a, b] : line) {
        const float dx = b.x - a.x, dy = b.y - a.y, len = std::sqrt(dx * dx + dy * dy);
        if (len < 0.5f) continue;
        const float nx = -dy / len, ny = dx / len;
        for (float s = 0.5f; s < len; s += 1) {
            const float x = a.x + dx * s / len + nx * offset, y = a.y + dy * s / len + ny * offset;
            float plus = 0, minus = 0;
            bool inside = true;
            for (float d : {1.f}) {
                inside = inside && l.Inside(x + nx * d, y + ny * d) && l.Inside(x - nx * d, y - ny * d);
                if (!inside) break;
                plus += l.At(x + nx * d, y + ny * d);
                minus += l.At(x - nx * d, y - ny * d);
            }
            if (!inside) continue;
            sum += plus - minus;
            ++samples;
        }
    }
    if (samples == 0) return false;
    step = float(sum / samples);
    return true;
}

// How much more the line steps than the parallel lines a few pixels away
// (a step that is the clouds' own soft edge shows there too), each step
// averaged over the frames given; 0 when the line is too short to judge.
float Crease(const std::vector<Luma>& frames, const ScreenLine& line) {
    const float offsets[7] = {0, -6, -4, -3, 3, 4, 6};
    float mean[7] = {};
    int count[7] = {};
    for (const Luma& l : frames)
        for (int i = 0; i < 7; ++i) {
            float s = 0;
            int n = 0;
            if (!MeanStep(l, line, offsets[i], s, n)) continue;
            mean[i] += s / float(frames.size());
            count[i] += n;
        }
    const int n0 = count[0] / int(frames.size());
    if (n0 < 60) return 0;
    std::vector<float> near;
    for (int i = 1; i < 7; ++i)
        if (count[i] >= count[0] / 2) near.push_back(std::fabs(mean[i]));
    if (near.size() < 4) return 0;
    std::sort(near.begin(), near.end());
    return std::fabs(mean[0]) - near[near.size() / 2];
}

// The sky view of a camera key: only its rotation.
struct SkyCamera {
    assetgen::CameraKey key;
    // A world segment on the screen, cut at 1 unit in front of the eye.
    bool Project(Vec3 p, Vec3 q, std::pair<Vec2, Vec2>& out) const {
        Vec3 vp = assetgen::ToView(key, p), vq = assetgen::ToView(key, q);
        if (vp.z < 1 && vq.z < 1) return false;
        if (vp.z < 1) p = assetgen::Lerp(p, q, (1 - vp.z) / (vq.z - vp.z));
        if (vq.z < 1) q = assetgen::Lerp(q, p, (1 - vq.z) / (vp.z - vq.z));
        auto screen = [](Vec3 n) { return Vec2{(n.x * 0.5f + 0.5f) * kWidth, (0.5f - n.y * 0.5f) * kHeight}; };
        out = {screen(assetgen::ProjectPoint(key, p)), screen(assetgen::ProjectPoint(key, q))};
        return true;
    }
};

struct Worst {
    float score = 0;
    std::string where;
};

// Every triangle edge two faces share, as a line on the screen.
std::vector<ScreenLine> FoldLines(const assetgen::MeshData& m, const SkyCamera& cam) {
    const auto& pos = m.frames[0];
    std::map<std::pair<uint16_t, uint16_t>, int> faces;
    for (const auto& t : m.triangles) {
        const uint16_t c[3] = {m.corners[t.a].nPosition, m.corners[t.b].nPosition, m.corners[t.c].nPosition};
        for (int e = 0; e < 3; ++e) ++faces[{std::min(c[e], c[(e + 1) % 3]), std::max(c[e], c[(e + 1) % 3])}];
    }
    std::vector<ScreenLine> lines;
    for (const auto& [edge, n] : faces) {
        std::pair<Vec2, Vec2> s;
        if (n >= 2 && cam.Project(pos[edge.first] + kCloudPlace, pos[edge.second] + kCloudPlace, s)) lines.push_back({s});
    }
    return lines;
}

// The borders of the texture's tiles on the layer (u, with the scroll, or v
// a whole number), one line each, its pieces all turned one way so that
// their steps add up instead of cancelling.
std::vector<ScreenLine> BorderLines(const assetgen::MeshData& m, const SkyCamera& cam, float scroll) {
    const auto& pos = m.frames[0];
    auto P = [&](uint16_t corner) { return pos[m.corners[corner].nPosition] + kCloudPlace; };
    auto UV = [&](uint16_t corner, int axis) {
        const Vec2 t = m.texCoords[m.corners[corner].nTexCoord];
        return axis ? t.y : t.x + scroll;
    };
    std::map<std::pair<int, int>, ScreenLine> borders;  // (axis, whole number)
    for (const auto& t : m.triangles) {
        const uint16_t c[3] = {t.a, t.b, t.c};
        for (int axis = 0; axis < 2; ++axis) {
            const float f[3] = {UV(c[0], axis), UV(c[1], axis), UV(c[2], axis)};
            const int lo = int(std::ceil(std::min({f[0], f[1], f[2]}))), hi = int(std::floor(std::max({f[0], f[1], f[2]})));
            for (int k = lo; k <= hi; ++k) {
                Vec3 ends[2];
                int found = 0;
                for (int e = 0; e < 3 && found < 2; ++e) {
                    const float a = f[e], b = f[(e + 1) % 3];
                    if ((a - k) * (b - k) < 0 || (a == k && b != k))
                        ends[found++] = assetgen::Lerp(P(c[e]), P(c[(e + 1) % 3]), (k - a) / (b - a));
                }
                std::pair<Vec2, Vec2> s;
                if (found == 2 && cam.Project(ends[0], ends[1], s)) borders[{axis, k}].push_back(s);
            }
        }
    }
    std::vector<ScreenLine> lines;
    for (auto& [id, line] : borders) {
        const Vec2 d0{line[0].second.x - line[0].first.x, line[0].second.y - line[0].first.y};
        for (auto& [a, b] : line)
            if ((b.x - a.x) * d0.x + (b.y - a.y) * d0.y < 0) std::swap(a, b);
        lines.push_back(line);
    }
    return lines;
}

// Mean absolute difference of neighbouring texels (colour weighted by alpha,
// and alpha) across the tile's wrap, and between neighbours inside the tile.
void WrapAndInside(const assetgen::Image& t, bool across, double& wrap, double& inside) {
    const int n = across ? t.nWidth : t.nHeight, m = across ? t.nHeight : t.nWidth;
    auto texel = [&](int i, int j, int c) {
        const uint8_t* p = &t.pixels[(across ? size_t(j) * t.nWidth + i : size_t(i) * t.nWidth + j) * 4];
        return c < 3 ? p[c] * p[3] / 255.0 : double(p[3]);
    };
    auto diff = [&](int i0, int i1) {
        double d = 0;
        for (int j = 0; j < m; ++j)
            for (int c = 0; c < 4; ++c) d += std::fabs(texel(i0, j, c) - texel(i1, j, c));
        return d / (4.0 * m);
    };
    wrap = diff(n - 1, 0);
    inside = 0;
    for (int i = 1; i < n; ++i) inside += diff(i - 1, i) / (n - 1);
}

}  // namespace

TEST(AssetgenCloudSeams, CloudTexturesWrapWithoutABorder) {
    // Today's textures: 6 to 20 times the inside difference at the wrap.
    for (const char* name : kCloudTextures) {
        const assetgen::Image t = Texture(name);
        ASSERT_EQ(t.pixels.size(), size_t(t.nWidth) * t.nHeight * 4) << name;
        for (bool across : {true, false}) {
            double wrap = 0, inside = 0;
            WrapAndInside(t, across, wrap, inside);
            EXPECT_LT(wrap, 1.5 * inside) << name << (across ? " left to right" : " top to bottom");
        }
    }
}

TEST(AssetgenCloudSeams, NoStraightStepFromAnyPathsCamera) {
    assetgen::MeshData layers[3];
    assetgen::Image textures[3];
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(assetgen::DecodeMesh(Entry(kCloudMeshes[i]), layers[i])) << kCloudMeshes[i];
        textures[i] = Texture(kCloudTextures[i]);
        ASSERT_EQ(textures[i].pixels.size(), size_t(textures[i].nWidth) * textures[i].nHeight * 4);
    }
    const float scrolls[3] = {0.f, 0.31f, 0.62f};  // the clouds drift on
    Worst worst;
    auto judge = [&](float c, const std::string& where) {
        if (c > worst.score) worst = {c, where};
    };
    for (int path = 0; path < 15; ++path) {
        const std::string name = path < 10 ? "camera_idle_" + std::to_string(path + 1) + ".MODEL"
                                           : "camera_action_" + std::to_string(path - 9) + ".MODEL";
        std::vector<assetgen::CameraKey> keys;
        ASSERT_TRUE(assetgen::DecodeCameraPath(Entry(name), keys)) << name;
        for (size_t k : {100u, 400u, 700u}) {
            const SkyCamera cam{{{0, 0, 0}, keys[k].target - keys[k].eye}};
            std::vector<Luma> frames;
            for (float scroll : scrolls) {
                assetgen::CSoftRenderer r(kWidth, kHeight);
                r.Clear(assetgen::Rgb(128, 128, 128));
                r.SetCamera(keys[k], true);
                assetgen::DrawState s;
                s.depthTest = s.depthWrite = false;
                s.uOffset = scroll;
                const assetgen::Placement place{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, kCloudPlace};
                for (int i = 2; i >= 0; --i) r.DrawMesh(layers[i], 0, &textures[i], place, s);
                frames.emplace_back(r.Result(), cam.key);
            }
            const std::string at = name + " key " + std::to_string(k) + ", ";
            for (int i = 0; i < 3; ++i) {
                // A fold stays where it is while the clouds drift over it.
                for (const ScreenLine& line : FoldLines(layers[i], cam)) {
                    std::ostringstream where;
                    where << at << kCloudMeshes[i] << " edge from " << line[0].first.x << "," << line[0].first.y;
                    judge(Crease(frames, line), where.str());
                }
                // A tile border drifts with them.
                for (size_t f = 0; f < frames.size(); ++f)
                    for (const ScreenLine& line : BorderLines(layers[i], cam, scrolls[f])) {
                        std::ostringstream where;
                        where << at << kCloudMeshes[i] << " tile border from " << line[0].first.x << ","
                              << line[0].first.y;
                        judge(Crease({frames[f]}, line), where.str());
                    }
            }
        }
    }
    // A tile border of a texture that does not wrap stands out by 13 levels
    // of 255; a soft cloud edge that happens to follow a line, about 7.
    EXPECT_LT(worst.score, 10.f) << "largest straight step " << worst.score << " at " << worst.where;
    std::printf("largest straight step across the clouds: %.2f of 255 (%s)\n", worst.score, worst.where.c_str());
}
