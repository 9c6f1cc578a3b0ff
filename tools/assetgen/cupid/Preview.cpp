#include "Preview.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "../ArrowArt.h"
#include "Poses.h"

namespace assetgen::cupid {
namespace {

struct Frame {
    int w, h;
    std::vector<float> rgb, depth;
    Frame(int w_, int h_) : w(w_), h(h_), rgb(size_t(w_) * h_ * 3), depth(size_t(w_) * h_, 1e30f) {}
};

struct View {
    Vec3 eye, target;
    float focal;  // 1 / tan(half field of view)
};

struct Sampler {
    const Image* img;
    // Bilinear with wrap, straight alpha.
    void Sample(float u, float v, float out[4]) const {
        const float x = u * float(img->nWidth) - 0.5f, y = v * float(img->nHeight) - 0.5f;
        const int x0 = int(std::floor(x)), y0 = int(std::floor(y));
        const float fx = x - float(x0), fy = y - float(y0);
        for (int c = 0; c < 4; ++c) out[c] = 0;
        for (int j = 0; j < 2; ++j)
            for (int i = 0; i < 2; ++i) {
                const int xi = ((x0 + i) % img->nWidth + img->nWidth) % img->nWidth;
                const int yi = ((y0 + j) % img->nHeight + img->nHeight) % img->nHeight;
                const float wgt = (i ? fx : 1 - fx) * (j ? fy : 1 - fy);
                const uint8_t* p = &img->pixels[(size_t(yi) * img->nWidth + xi) * img->nChannels];
                for (int c = 0; c < 3; ++c) out[c] += wgt * p[c] / 255.f;
                out[3] += wgt * (img->nChannels == 4 ? p[3] / 255.f : 1.f);
            }
    }
};

void Background(Frame& f) {
    for (int y = 0; y < f.h; ++y)
        for (int x = 0; x < f.w; ++x) {
            const float t = float(y) / float(f.h);
            float* p = &f.rgb[(size_t(y) * f.w + x) * 3];
            p[0] = Mix(0.55f, 0.98f, t);
            p[1] = Mix(0.42f, 0.74f, t);
            p[2] = Mix(0.62f, 0.55f, t);
        }
}

// Draws one mesh frame as the saver would: culling of counter-clockwise
// triangles, alpha test at 2 and source-alpha blending, depth test.
void Draw(Frame& f, const View& v, const std::vector<Vec3>& pos, const MeshData& m, const Sampler* tex,
          const float flat[3]) {
    const Vec3 z = Normalize(v.target - v.eye);
    const Vec3 x = Normalize(Cross(Vec3{0, 1, 0}, z));
    const Vec3 y = Cross(z, x);
    const float s = 0.5f * float(std::min(f.w, f.h)) * v.focal;
    struct P {
        float sx, sy, iz, u, v;
        bool ok;
    };
    std::vector<P> pc(m.corners.size());
    for (size_t i = 0; i < m.corners.size(); ++i) {
        const Vec3 d = pos[m.corners[i].nPosition] - v.eye;
        const float vz = Dot(d, z);
        P& p = pc[i];
        p.ok = vz > 0.05f;
        if (!p.ok) continue;
        p.iz = 1.f / vz;
        p.sx = 0.5f * float(f.w) + Dot(d, x) * p.iz * s;
        p.sy = 0.5f * float(f.h) - Dot(d, y) * p.iz * s;
        p.u = m.texCoords[m.corners[i].nTexCoord].x * p.iz;
        p.v = m.texCoords[m.corners[i].nTexCoord].y * p.iz;
    }
    for (const MeshTriangle& t : m.triangles) {
        const P &a = pc[t.a], &b = pc[t.b], &c = pc[t.c];
        if (!a.ok || !b.ok || !c.ok) continue;
        // Screen y points down here, so a clockwise triangle on screen has a positive area.
        const float area = (b.sx - a.sx) * (c.sy - a.sy) - (b.sy - a.sy) * (c.sx - a.sx);
        if (area <= 0) continue;
        const int x0 = std::max(0, int(std::floor(std::min({a.sx, b.sx, c.sx}))));
        const int x1 = std::min(f.w - 1, int(std::ceil(std::max({a.sx, b.sx, c.sx}))));
        const int y0 = std::max(0, int(std::floor(std::min({a.sy, b.sy, c.sy}))));
        const int y1 = std::min(f.h - 1, int(std::ceil(std::max({a.sy, b.sy, c.sy}))));
        for (int py = y0; py <= y1; ++py)
            for (int px = x0; px <= x1; ++px) {
                const float qx = float(px) + 0.5f, qy = float(py) + 0.5f;
                const float w0 = ((b.sx - qx) * (c.sy - qy) - (b.sy - qy) * (c.sx - qx)) / area;
                const float w1 = ((c.sx - qx) * (a.sy - qy) - (c.sy - qy) * (a.sx - qx)) / area;
                const float w2 = 1.f - w0 - w1;
                if (w0 < 0 || w1 < 0 || w2 < 0) continue;
                const float iz = w0 * a.iz + w1 * b.iz + w2 * c.iz;
                const float depth = 1.f / iz;
                const size_t idx = size_t(py) * f.w + px;
                if (depth >= f.depth[idx]) continue;
                float col[4] = {flat ? flat[0] : 1.f, flat ? flat[1] : 1.f, flat ? flat[2] : 1.f, 1.f};
                if (tex) tex->Sample((w0 * a.u + w1 * b.u + w2 * c.u) / iz, (w0 * a.v + w1 * b.v + w2 * c.v) / iz, col);
                if (col[3] < 2.f / 255.f) continue;
                f.depth[idx] = depth;
                float* o = &f.rgb[idx * 3];
                for (int k = 0; k < 3; ++k) o[k] = Mix(o[k], col[k], col[3]);
            }
    }
}

void Blit(std::vector<uint8_t>& sheet, int sw, const Frame& f, int ox, int oy, int down) {
    for (int y = 0; y < f.h / down; ++y)
        for (int x = 0; x < f.w / down; ++x)
            for (int c = 0; c < 3; ++c) {
                float sum = 0;
                for (int j = 0; j < down; ++j)
                    for (int i = 0; i < down; ++i) sum += f.rgb[(size_t(y * down + j) * f.w + x * down + i) * 3 + c];
                sheet[(size_t(oy + y) * sw + ox + x) * 3 + c] = uint8_t(Clamp01(sum / float(down * down)) * 255.f + 0.5f);
            }
}

bool WritePng(const std::string& path, int w, int h, int ch, const uint8_t* px) {
    const Image img{w, h, ch, std::vector<uint8_t>(px, px + size_t(w) * h * ch)};
    const Bytes b = EncodePng(img);
    return !b.empty() && WriteFile(path, b);
}

Vec3 ViewDir(int view) {
    // Front (he faces -x), his right side, back.
    static const Vec3 d[3] = {{-1.f, 0.08f, -0.05f}, {0.f, 0.08f, 1.f}, {1.f, 0.12f, 0.05f}};
    return Normalize(d[view]);
}

void RenderCupid(Frame& fr, const CupidContent& c, int anim, int frame, const View& v, const Sampler& atlas,
                 const Sampler* arrowTex) {
    Background(fr);
    Draw(fr, v, c.anims[anim].frames[size_t(frame)], c.anims[anim], &atlas, nullptr);
    const int step = frame * 2;
    if (anim == kAnimShot && step < 66) {
        static const float gold[3] = {0.95f, 0.78f, 0.35f};
        Draw(fr, v, c.arrowLink.frames[size_t(step)], c.arrowLink, arrowTex, arrowTex ? nullptr : gold);
    }
}

}  // namespace

bool WriteCupidPreview(const CupidContent& c, const Image* arrowTexture, const std::string& dir) {
    const Sampler atlas{&c.atlas};
    Sampler arrowS{arrowTexture};
    const Sampler* arrowTex = arrowTexture ? &arrowS : nullptr;
    static const char* names[kAnimCount] = {"idle", "idle2", "achtung", "shot"};
    const int cw = 300, ch = 340, ss = 2;
    bool ok = true;
    const Vec3 centre{-0.45f, 0.42f, 0.f};
    for (int a = 0; a < kAnimCount; ++a) {
        const int frames = AnimFrames(a);
        const int pick[3] = {0, frames / 2, a == kAnimShot ? kReleaseFrame - 1 : frames - 1};
        std::vector<uint8_t> sheet(size_t(cw * 3) * ch * 3 * 3, 0);
        for (int r = 0; r < 3; ++r)
            for (int view = 0; view < 3; ++view) {
                Frame fr(cw * ss, ch * ss);
                const View v{centre + ViewDir(view) * 4.9f, centre, 1.8f};
                RenderCupid(fr, c, a, pick[r], v, atlas, arrowTex);
                Blit(sheet, cw * 3, fr, view * cw, r * ch, ss);
            }
        ok = ok && WritePng(dir + "/cupid_" + names[a] + ".png", cw * 3, ch * 3, 3, sheet.data());
    }
    // Close-ups of the face and the draw, and the figure small, as from afar.
    {
        const int w = 420, h = 420;
        std::vector<uint8_t> sheet(size_t(w * 3) * h * 3 * 3, 0);
        const int anims[3] = {kAnimIdle, kAnimAlert, kAnimShot};
        const int frames[3] = {0, 25, kReleaseFrame - 1};
        for (int r = 0; r < 3; ++r)
            for (int k = 0; k < 3; ++k) {
                Frame fr(w * ss, h * ss);
                const Vec3 dirs[3] = {Normalize(Vec3{-1.f, 0.05f, 0.25f}), Normalize(Vec3{-1.f, 0.1f, -0.6f}),
                                      Normalize(Vec3{-0.6f, 0.4f, 1.f})};
                const Vec3 at = k == 2 ? Vec3{-1.2f, 1.1f, 0.f} : Vec3{-0.65f, 1.45f, 0.f};
                const View v{at + dirs[k] * (k == 2 ? 3.6f : 2.4f), at, 1.8f};
                RenderCupid(fr, c, anims[r], frames[r], v, atlas, arrowTex);
                Blit(sheet, w * 3, fr, k * w, r * h, ss);
            }
        ok = ok && WritePng(dir + "/cupid_closeup.png", w * 3, h * 3, 3, sheet.data());
    }
    {
        // The shot frame by frame from his right, steps 0 to 74 (the release is at step 66).
        const int w = 180, h = 220, cols = 10;
        std::vector<uint8_t> sheet(size_t(w * cols) * h * 2 * 3, 0);
        for (int k = 0; k < 2 * cols; ++k) {
            Frame fr(w * ss, h * ss);
            const int frame = std::min(AnimFrames(kAnimShot) - 1, k * 2 + (k >= 16 ? (k - 15) * 4 : 0));
            const Vec3 at{-0.9f, 0.5f, 0.f};
            RenderCupid(fr, c, kAnimShot, frame, View{at + Normalize(Vec3{-0.3f, 0.1f, 1.f}) * 5.2f, at, 1.8f}, atlas,
                        arrowTex);
            Blit(sheet, w * cols, fr, (k % cols) * w, (k / cols) * h, ss);
        }
        ok = ok && WritePng(dir + "/cupid_shot_strip.png", w * cols, h * 2, 3, sheet.data());
    }
    {
        // His face, large: straight on and three-quarter, and his back.
        const int w = 480, h = 480;
        std::vector<uint8_t> sheet(size_t(w * 3) * h * 3, 0);
        const Vec3 at{-0.62f, 1.5f, 0.f};
        const Vec3 dirs[3] = {Normalize(Vec3{-1.f, 0.05f, 0.f}), Normalize(Vec3{-1.f, 0.15f, 0.8f}),
                              Normalize(Vec3{1.f, 0.3f, -0.5f})};
        for (int k = 0; k < 3; ++k) {
            Frame fr(w * ss, h * ss);
            const Vec3 c0 = k == 2 ? Vec3{-0.4f, 1.1f, 0.f} : at;
            RenderCupid(fr, c, kAnimIdle, 0, View{c0 + dirs[k] * (k == 2 ? 3.f : 1.7f), c0, 1.8f}, atlas, arrowTex);
            Blit(sheet, w * 3, fr, k * w, 0, ss);
        }
        ok = ok && WritePng(dir + "/cupid_face.png", w * 3, h, 3, sheet.data());
    }
    {
        const int w = 160, h = 160;
        std::vector<uint8_t> sheet(size_t(w * 4) * h * 3, 0);
        const float dist[4] = {12.f, 20.f, 32.f, 50.f};
        for (int k = 0; k < 4; ++k) {
            Frame fr(w * 4, h * 4);
            const Vec3 d = Normalize(Vec3{-1.f, 0.2f, 0.5f});
            const View v{centre + d * dist[k], centre, 1.0f / std::tan(0.698f)};
            RenderCupid(fr, c, kAnimIdle2, 20, v, atlas, arrowTex);
            Blit(sheet, w * 4, fr, k * w, 0, 4);
        }
        ok = ok && WritePng(dir + "/cupid_distance.png", w * 4, h, 3, sheet.data());
    }
    {
        const int w = 260, h = 260;
        std::vector<uint8_t> sheet(size_t(w * 3) * h * 2 * 3, 0);
        const int frames[3] = {0, 10, 40};
        for (int r = 0; r < 2; ++r)
            for (int k = 0; k < 3; ++k) {
                Frame fr(w * ss, h * ss);
                Background(fr);
                const float ang = r == 0 ? 0.f : 1.2f;
                const Vec3 d{-std::cos(ang), 0.1f, std::sin(ang)};
                const View v{Normalize(d) * 3.2f, {0.f, 0.f, 0.f}, 1.8f};
                const Sampler hs{&c.heartTexture};
                Draw(fr, v, c.heart.frames[size_t(frames[k])], c.heart, &hs, nullptr);
                Blit(sheet, w * 3, fr, k * w, r * h, ss);
            }
        ok = ok && WritePng(dir + "/cupid_heart.png", w * 3, h * 2, 3, sheet.data());
    }
    ok = ok && WritePng(dir + "/cupid_atlas.png", c.atlas.nWidth, c.atlas.nHeight, 4, c.atlas.pixels.data());
    ok = ok && WritePng(dir + "/cupid_heart_texture.png", c.heartTexture.nWidth, c.heartTexture.nHeight, 3,
                        c.heartTexture.pixels.data());
    return ok;
}

}  // namespace assetgen::cupid

namespace assetgen::cupid {

bool WriteCupidPreviewSheets(const std::string& dir) {
    const MeshData arrow = BuildArrowMesh();
    const Image arrowTexture = BuildArrowTexture();
    return WriteCupidPreview(BuildCupidContent(&arrow), &arrowTexture, dir);
}

}  // namespace assetgen::cupid
