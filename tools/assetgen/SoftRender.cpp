#include "SoftRender.h"

#include <algorithm>
#include <cmath>

#include "SceneLayout.h"

namespace assetgen {

Color SampleImage(const Image& img, float u, float v) {
    const float x = u * img.nWidth - 0.5f, y = v * img.nHeight - 0.5f;
    const float fx = std::floor(x), fy = std::floor(y);
    const float tx = x - fx, ty = y - fy;
    auto fetch = [&](int ix, int iy) {
        ix = ((ix % img.nWidth) + img.nWidth) % img.nWidth;
        iy = ((iy % img.nHeight) + img.nHeight) % img.nHeight;
        const uint8_t* p = &img.pixels[(size_t(iy) * img.nWidth + ix) * img.nChannels];
        return Color{p[0] / 255.f, p[1] / 255.f, p[2] / 255.f, img.nChannels == 4 ? p[3] / 255.f : 1.f};
    };
    const int ix = int(fx), iy = int(fy);
    return MixColor(MixColor(fetch(ix, iy), fetch(ix + 1, iy), tx), MixColor(fetch(ix, iy + 1), fetch(ix + 1, iy + 1), tx), ty);
}

CSoftRenderer::CSoftRenderer(int w, int h)
    : m_nWidth(w), m_nHeight(h), m_Color(w, h, Rgb(0, 0, 0)), m_Depth(size_t(w) * h, 1e30f) {}

void CSoftRenderer::Clear(Color c) {
    for (int y = 0; y < m_nHeight; ++y)
        for (int x = 0; x < m_nWidth; ++x) m_Color.At(x, y) = c;
    std::fill(m_Depth.begin(), m_Depth.end(), 1e30f);
}

void CSoftRenderer::SetCamera(const CameraKey& key, bool skyView) {
    m_Z = Normalize(key.target - key.eye);
    m_X = Normalize(Cross({0, 1, 0}, m_Z));
    m_Y = Cross(m_Z, m_X);
    m_Eye = skyView ? Vec3{0, 0, 0} : key.eye;
}

Placement CSoftRenderer::Billboard(Vec3 at) const { return {m_X, m_Y, m_Z, at}; }

void CSoftRenderer::DrawMesh(const MeshData& mesh, size_t frame, const Image* texture, const Placement& world,
                             const DrawState& s) {
    const auto& pos = mesh.frames[std::min(frame, mesh.frames.size() - 1)];
    for (const MeshTriangle& t : mesh.triangles) {
        Vertex v[3];
        const uint16_t idx[3] = {t.a, t.b, t.c};
        for (int i = 0; i < 3; ++i) {
            const MeshCorner& c = mesh.corners[idx[i]];
            const Vec3 p = world.Apply(pos[c.nPosition]) - m_Eye;
            v[i].view = {Dot(p, m_X), Dot(p, m_Y), Dot(p, m_Z)};
            v[i].uv = mesh.texCoords[c.nTexCoord];
            v[i].uv.x += s.uOffset;
        }
        DrawTriangle(v, texture, s);
    }
}

void CSoftRenderer::DrawSprite(Vec3 at, float size, const Image* texture, const DrawState& s) {
    MeshData q;
    q.frames.resize(1);
    const Vec3 p[4] = {{-size, -size, 0}, {-size, size, 0}, {size, size, 0}, {size, -size, 0}};
    const Vec2 uv[4] = {{0, 1}, {0, 0}, {1, 0}, {1, 1}};
    for (int i = 0; i < 4; ++i) q.AddCorner(q.AddPosition(p[i]), uv[i]);
    q.AddTriangle(0, 1, 2);
    q.AddTriangle(0, 2, 3);
    DrawState st = s;
    st.cull = false;
    DrawMesh(q, 0, texture, Billboard(at), st);
}

void CSoftRenderer::DrawTriangle(const Vertex* v, const Image* texture, const DrawState& s) {
    // Clip against the near plane; the polygon has at most four corners after.
    Vertex poly[4];
    int n = 0;
    for (int i = 0; i < 3; ++i) {
        const Vertex& a = v[i];
        const Vertex& b = v[(i + 1) % 3];
        const bool ina = a.view.z > kNearPlane, inb = b.view.z > kNearPlane;
        if (ina) poly[n++] = a;
        if (ina != inb) {
            const float t = (kNearPlane - a.view.z) / (b.view.z - a.view.z);
            poly[n++] = {Lerp(a.view, b.view, t), {Mix(a.uv.x, b.uv.x, t), Mix(a.uv.y, b.uv.y, t)}};
        }
    }
    for (int i = 1; i + 1 < n; ++i) Raster(poly[0], poly[i], poly[i + 1], texture, s);
}

const std::vector<Image>& CSoftRenderer::Mips(const Image* texture) {
    auto it = m_Mips.find(texture);
    if (it != m_Mips.end()) return it->second;
    std::vector<Image> chain{*texture};
    while (chain.back().nWidth > 1 || chain.back().nHeight > 1) {
        const Image& a = chain.back();
        const int w = std::max(1, a.nWidth / 2), h = std::max(1, a.nHeight / 2), n = a.nChannels;
        Image b{w, h, n, std::vector<uint8_t>(size_t(w) * h * n)};
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                for (int c = 0; c < n; ++c) {
                    int sum = 0;
                    for (int j = 0; j < 2; ++j)
                        for (int i = 0; i < 2; ++i) {
                            const int sx = std::min(a.nWidth - 1, x * 2 + i), sy = std::min(a.nHeight - 1, y * 2 + j);
                            sum += a.pixels[(size_t(sy) * a.nWidth + sx) * n + c];
                        }
                    b.pixels[(size_t(y) * w + x) * n + c] = uint8_t((sum + 2) / 4);
                }
        chain.push_back(std::move(b));
    }
    return m_Mips[texture] = std::move(chain);
}

void CSoftRenderer::Raster(const Vertex& a, const Vertex& b, const Vertex& c, const Image* texture, const DrawState& s) {
    const float cot = std::cos(kFieldOfView / 2) / std::sin(kFieldOfView / 2);
    struct Screen {
        float x, y, iz, u, v;
    };
    auto project = [&](const Vertex& p) {
        const float iz = 1.f / p.view.z;
        return Screen{(p.view.x * (cot / kAspect) * iz * 0.5f + 0.5f) * m_nWidth,
                      (0.5f - p.view.y * cot * iz * 0.5f) * m_nHeight, iz, p.uv.x * iz, p.uv.y * iz};
    };
    const Screen p0 = project(a), p1 = project(b), p2 = project(c);
    const float area = (p1.x - p0.x) * (p2.y - p0.y) - (p1.y - p0.y) * (p2.x - p0.x);
    if (area == 0 || (s.cull && area < 0)) return;  // y runs down: clockwise has positive area
    const int x0 = std::max(0, int(std::floor(std::min({p0.x, p1.x, p2.x}))));
    const int x1 = std::min(m_nWidth - 1, int(std::ceil(std::max({p0.x, p1.x, p2.x}))));
    const int y0 = std::max(0, int(std::floor(std::min({p0.y, p1.y, p2.y}))));
    const int y1 = std::min(m_nHeight - 1, int(std::ceil(std::max({p0.y, p1.y, p2.y}))));
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            const float px = x + 0.5f, py = y + 0.5f;
            float w0 = ((p1.x - px) * (p2.y - py) - (p1.y - py) * (p2.x - px)) / area;
            float w1 = ((p2.x - px) * (p0.y - py) - (p2.y - py) * (p0.x - px)) / area;
            float w2 = 1.f - w0 - w1;
            if (w0 < 0 || w1 < 0 || w2 < 0) continue;
            const float iz = w0 * p0.iz + w1 * p1.iz + w2 * p2.iz;
            const float z = 1.f / iz;
            float& depth = m_Depth[size_t(y) * m_nWidth + x];
            if (s.depthTest && z > depth) continue;
            Color t{1, 1, 1, 1};
            if (texture) {
                // Texture coordinates here and one pixel across and down give the mip level.
                auto uvAt = [&](float qx, float qy, float& u, float& v) {
                    const float b0 = ((p1.x - qx) * (p2.y - qy) - (p1.y - qy) * (p2.x - qx)) / area;
                    const float b1 = ((p2.x - qx) * (p0.y - qy) - (p2.y - qy) * (p0.x - qx)) / area;
                    const float b2 = 1.f - b0 - b1;
                    const float qz = 1.f / (b0 * p0.iz + b1 * p1.iz + b2 * p2.iz);
                    u = (b0 * p0.u + b1 * p1.u + b2 * p2.u) * qz;
                    v = (b0 * p0.v + b1 * p1.v + b2 * p2.v) * qz;
                };
                float u, v, ux, vx, uy, vy;
                uvAt(px, py, u, v);
                uvAt(px + 1, py, ux, vx);
                uvAt(px, py + 1, uy, vy);
                const float tw = float(texture->nWidth), th = float(texture->nHeight);
                const float fx = std::hypot((ux - u) * tw, (vx - v) * th), fy = std::hypot((uy - u) * tw, (vy - v) * th);
                // Trilinear, like the saver's samplers: a blend of the two nearest levels.
                const std::vector<Image>& mips = Mips(texture);
                const int top = int(mips.size()) - 1;
                const float lod = std::min(std::log2(std::max({fx, fy, 1.f})), float(top));
                const int level = int(lod);
                t = SampleImage(mips[size_t(level)], u, v);
                if (level < top) t = MixColor(t, SampleImage(mips[size_t(level + 1)], u, v), lod - float(level));
            }
            t = {t.r * s.tint.r, t.g * s.tint.g, t.b * s.tint.b, t.a * s.tint.a};
            Color& d = m_Color.At(x, y);
            switch (s.blend) {
                case BlendMode::Opaque: d = {t.r, t.g, t.b, 1}; break;
                case BlendMode::Alpha: d = MixColor(d, {t.r, t.g, t.b, 1}, t.a); break;
                case BlendMode::Additive:
                    d = {std::min(1.f, d.r + t.r), std::min(1.f, d.g + t.g), std::min(1.f, d.b + t.b), 1};
                    break;
            }
            if (s.depthWrite) depth = z;
        }
}

Image CSoftRenderer::Result() const { return m_Color.ToImage(3); }

}  // namespace assetgen
