#include "Preview.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>

#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#define STBI_ONLY_TGA
#define STBI_ONLY_JPEG
#define STBI_ONLY_BMP
#include <stb_image.h>

#include "CameraPaths.h"
#include "Canvas.h"
#include "FontRaster.h"
#include "GlyphTable.h"
#include "Noise.h"
#include "QuoteText.h"
#include "SceneLayout.h"
#include "SoftRender.h"
#include "cupid/Preview.h"

namespace assetgen {
namespace {

// Decodes a TGA, JPEG or BMP with stb_image, independently of our writers.
bool Decode(const Bytes& data, Image& out) {
    int w = 0, h = 0, n = 0;
    unsigned char* p = stbi_load_from_memory(data.data(), int(data.size()), &w, &h, &n, 4);
    if (!p) return false;
    out = Image{w, h, 4, std::vector<uint8_t>(p, p + size_t(w) * h * 4)};
    stbi_image_free(p);
    return true;
}

bool DecodeMember(const std::vector<ArchiveMember>& list, const std::string& name, Image& out) {
    const ArchiveMember* m = FindMember(list, name);
    return m && Decode(m->data, out);
}

bool MeshMember(const std::vector<ArchiveMember>& list, const std::string& name, MeshData& out) {
    const ArchiveMember* m = FindMember(list, name);
    return m && DecodeMesh(m->data, out);
}

class CSheet {
public:
    CSheet(int w, int h) : m_Canvas(w, h, Rgb(34, 26, 40)) { m_Font.Load(FontFace::Serif); }
    CCanvas& Canvas() { return m_Canvas; }
    // Draws an image scaled to fit w x h at (x, y), over a checkerboard where it is transparent.
    void Put(const Image& img, int x, int y, int w, int h, bool checker) {
        for (int j = 0; j < h; ++j)
            for (int i = 0; i < w; ++i) {
                const float u = (i + 0.5f) / w, v = (j + 0.5f) / h;
                const int sx = std::min(img.nWidth - 1, int(u * img.nWidth)), sy = std::min(img.nHeight - 1, int(v * img.nHeight));
                const uint8_t* p = &img.pixels[(size_t(sy) * img.nWidth + sx) * img.nChannels];
                const float a = img.nChannels == 4 ? p[3] / 255.f : 1.f;
                const bool dark = ((i / 8) + (j / 8)) % 2 == 0;
                Color back = checker ? (dark ? Rgb(90, 90, 96) : Rgb(140, 140, 146)) : Rgb(0, 0, 0);
                Color px = MixColor(back, Rgb(p[0], p[1], p[2]), a);
                if (x + i < m_Canvas.Width() && y + j < m_Canvas.Height()) m_Canvas.At(x + i, y + j) = px;
            }
    }
    void Label(const std::string& text, float x, float y, float size = 15.f) {
        Coverage c{m_Canvas.Width(), m_Canvas.Height(), std::vector<float>(size_t(m_Canvas.Width()) * m_Canvas.Height())};
        m_Font.DrawText(c, text, x, y, m_Font.ScaleForHeight(size));
        for (int j = 0; j < m_Canvas.Height(); ++j)
            for (int i = 0; i < m_Canvas.Width(); ++i) m_Canvas.BlendOver(i, j, Rgb(240, 230, 236), c.values[size_t(j) * c.nWidth + i]);
    }
    bool Save(const std::string& path) const { return WriteFile(path, EncodePng(m_Canvas.ToImage(3))); }

private:
    CCanvas m_Canvas;
    CFont m_Font;
};

bool TextureSheet(const ContentSet& c, const std::string& dir) {
    std::vector<std::string> names;
    for (const ArchiveMember& m : c.media)
        if (m.name.size() > 4 && m.name.compare(m.name.size() - 4, 4, ".tga") == 0) names.push_back(m.name);
    const int cell = 200, cols = 6, rows = int(names.size() + cols - 1) / cols;
    CSheet sheet(cols * (cell + 16) + 16, rows * (cell + 40) + 16);
    for (size_t i = 0; i < names.size(); ++i) {
        Image img;
        if (!DecodeMember(c.media, names[i], img)) return false;
        const int x = 16 + int(i % cols) * (cell + 16), y = 16 + int(i / cols) * (cell + 40);
        const float k = std::min(float(cell) / img.nWidth, float(cell) / img.nHeight);
        sheet.Put(img, x, y, std::max(1, int(img.nWidth * k)), std::max(1, int(img.nHeight * k)), true);
        sheet.Label(names[i] + "  " + std::to_string(img.nWidth) + "x" + std::to_string(img.nHeight), float(x), float(y + cell + 22));
    }
    return sheet.Save(dir + "/textures.png");
}

// The heart's quote as the text block lays it out: rows centred on their
// measured width, glyph boxes 50 x 63 pixels of the font image.
void DrawQuote(CSoftRenderer& r, const Image& font, const Quote& q, Vec3 at, float alpha) {
    const float glyphScale = 18.f, lineScale = 118.f;
    const int columns = 62, rows = 6;
    const float h = float(rows) / columns, h0 = -0.5f * h;
    MeshData m;
    m.frames.resize(1);
    for (int i = 0; i < rows && i < int(q.size()); ++i) {
        float width = 0;
        for (char ch : q[size_t(i)]) width += GlyphAdvance(ch) / 512.f;
        float x = -0.5f * width * glyphScale;
        const float top = ((1 - float(i) / rows + 1.f / rows) * h + h0) * lineScale;
        const float bottom = ((1 - float(i) / rows) * h + h0) * lineScale;
        for (char ch : q[size_t(i)]) {
            const GlyphCell* g = FindGlyph(ch);
            const int col = g ? g->nColumn : 9, row = g ? g->nRow : 7;
            const float uL = col * 0.099609375f + 0.0009765625f, vT = row * 0.125f + 0.0009765625f;
            const float uW = 0.09765625f, vH = 0.123046875f;
            const float right = x + glyphScale * 0.09765625f;
            const uint16_t a = m.AddCorner(m.AddPosition({x, top, 0}), {uL, vT});
            const uint16_t b = m.AddCorner(m.AddPosition({right, top, 0}), {uL + uW, vT});
            const uint16_t c = m.AddCorner(m.AddPosition({right, bottom, 0}), {uL + uW, vT + vH});
            const uint16_t d = m.AddCorner(m.AddPosition({x, bottom, 0}), {uL, vT + vH});
            m.AddTriangle(a, b, c);
            m.AddTriangle(a, c, d);
            x += GlyphAdvance(ch) / 512.f * glyphScale;
        }
    }
    DrawState s;
    s.cull = false;
    s.depthTest = false;
    s.depthWrite = false;
    s.tint.a = alpha;
    r.DrawMesh(m, 0, &font, r.Billboard(at), s);
}

struct SceneAssets {
    MeshData sky, clouds[3], sun, glow, arrow, cupid, heart;
    Image skyTex, cloudTex[3], sunTex, glowTex, arrowTex, cupidTex, heartTex, font, petal, chamomile, sparkle;
    std::vector<Quote> quotes;
};

bool LoadScene(const ContentSet& c, SceneAssets& a) {
    const char* clouds[3] = {"Sky_05.tga", "Sky_18.tga", "Sky_16.tga"};
    bool ok = MeshMember(c.media, "sky.MODEL", a.sky) && MeshMember(c.media, "sun_outer.model", a.sun) &&
              MeshMember(c.media, "glow.MODEL", a.glow) && MeshMember(c.media, "arrow.MODEL", a.arrow) &&
              MeshMember(c.media, "kupidon_idle.MODEL", a.cupid) && MeshMember(c.media, "heart.MODEL", a.heart) &&
              DecodeMember(c.media, "nebo_gradient.tga", a.skyTex) && DecodeMember(c.media, "sun_outer.tga", a.sunTex) &&
              DecodeMember(c.media, "glow.tga", a.glowTex) && DecodeMember(c.media, "arrow.tga", a.arrowTex) &&
              DecodeMember(c.media, "kupidon_dif.tga", a.cupidTex) && DecodeMember(c.media, "heart.tga", a.heartTex) &&
              DecodeMember(c.media, "font.tga", a.font) && DecodeMember(c.media, "rose01.tga", a.petal) &&
              DecodeMember(c.media, "romashka.tga", a.chamomile) && DecodeMember(c.media, "1.tga", a.sparkle);
    for (int i = 0; i < 3 && ok; ++i)
        ok = MeshMember(c.media, "cloud" + std::to_string(i + 1) + ".MODEL", a.clouds[i]) &&
             DecodeMember(c.media, clouds[i], a.cloudTex[i]);
    const ArchiveMember* q = FindMember(c.files, "quotes.txt");
    if (q) a.quotes = ParseQuotes(std::string(q->data.begin(), q->data.end()));
    return ok && !a.quotes.empty();
}

// One frame of the scene as the saver draws it, with the heart and the quote
// where the nominal flight puts them (the cupid as he first looks, facing -x).
Image RenderScene(const SceneAssets& a, const CameraKey& key, int w, int h, int actionPath, float seconds, int quote) {
    CSoftRenderer r(w, h);
    r.Clear(Rgb(0, 0, 0));
    r.SetCamera(key, true);
    DrawState opaque;
    r.DrawMesh(a.sky, 0, &a.skyTex, {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0, 1.4f, 0}}, opaque);
    DrawState cloud;
    cloud.depthTest = cloud.depthWrite = false;
    cloud.uOffset = -seconds * 0.014f;
    for (int i = 2; i >= 0; --i) r.DrawMesh(a.clouds[i], 0, &a.cloudTex[i], {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0, -0.2f, 0}}, cloud);
    r.SetCamera(key, false);
    DrawState sun = cloud;
    sun.uOffset = 0;
    for (const Vec3& p : kSunPositions) r.DrawMesh(a.sun, size_t(seconds / 0.06f) % a.sun.frames.size(), &a.sunTex, r.Billboard(p), sun);
    DrawState solid;
    r.DrawMesh(a.cupid, 0, &a.cupidTex, {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, kCupidPosition}, solid);
    DrawState add;
    add.blend = BlendMode::Additive;
    add.depthTest = add.depthWrite = false;
    Placement glow = r.Billboard(kCupidPosition + Vec3{0, 1.4f, 0});
    glow.X = glow.X * 3.f;
    glow.Y = glow.Y * 3.f;
    r.DrawMesh(a.glow, 0, &a.glowTex, glow, add);
    if (actionPath >= 0) {
        const Vec3 launch = kLaunchPositions[size_t(actionPath)];
        const float hit = 9.f;
        const Vec3 heart = HeartPosition(launch, seconds, hit);
        if (seconds > kLaunchKey * kKeySeconds && seconds < hit + 1.25f) {
            const float s = 4.75f;
            const float spin = seconds * 2.f;
            Placement p{{std::cos(spin) * s, 0, -std::sin(spin) * s}, {0, s, 0}, {std::sin(spin) * s, 0, std::cos(spin) * s}, heart};
            r.DrawMesh(a.heart, 0, &a.heartTex, p, solid);
        }
        if (seconds > hit - 2.f && seconds < hit) {
            // The arrow on its way: it left the bow at hit - 2 s.
            const Vec3 from = kCupidPosition + Vec3{-2.f, 1.2f, 0}, to = HeartPosition(launch, hit - 2.f, hit) + Vec3{0, 2, 0};
            const Vec3 at = Lerp(from, to, (seconds - hit + 2.f) / 2.f);
            const Vec3 z = Normalize(to - from), x = Normalize(Cross({0, 1, 0}, z)), y = Cross(z, x);
            r.DrawMesh(a.arrow, 0, &a.arrowTex, {x, y, z, at}, solid);
        }
        if (seconds > hit) DrawQuote(r, a.font, a.quotes[size_t(quote) % a.quotes.size()], heart, Clamp01((seconds - hit) / 1.25f));
    }
    DrawState sprite;
    sprite.depthWrite = false;
    CRandom rnd(7);
    for (int i = 0; i < 14; ++i) {
        const Vec3 p = kPetalCentre + Vec3{rnd.Uniform(-1.5f, 1.5f), rnd.Uniform(-3.f, 3.f), rnd.Uniform(-1.5f, 1.5f)};
        r.DrawSprite(p, rnd.Uniform(0.25f, 0.5f), i % 2 ? &a.petal : &a.chamomile, sprite);
    }
    for (int i = 0; i < 40; ++i) {
        const Vec3 p = key.eye + Vec3{rnd.Uniform(-40, 40), rnd.Uniform(-30, 30), rnd.Uniform(-40, 40)};
        if (Length(p - key.eye) > 14.2f) r.DrawSprite(p, rnd.Uniform(0.2f, 0.4f), &a.sparkle, sprite);
    }
    return r.Result();
}

bool SceneSheets(const ContentSet& c, const std::string& dir) {
    SceneAssets a;
    if (!LoadScene(c, a)) return false;
    const int w = 420, h = 360;
    {
        CSheet sheet(4 * (w + 12) + 12, 3 * (h + 34) + 12);
        for (int n = 0; n < 10; ++n) {
            const std::vector<CameraKey> keys = BuildIdlePath(n);
            const int k = n % 2 ? 300 : 700;
            const Image img = RenderScene(a, keys[size_t(k)], w, h, -1, k * kKeySeconds + 40.f * n, 0);
            const int x = 12 + (n % 4) * (w + 12), y = 12 + (n / 4) * (h + 34);
            sheet.Put(img, x, y, w, h, false);
            sheet.Label("camera_idle_" + std::to_string(n + 1) + " key " + std::to_string(k), float(x), float(y + h + 22));
        }
        if (!sheet.Save(dir + "/scene_idle.png")) return false;
    }
    const int keysShown[4] = {120, 250, 380, 700};
    CSheet sheet(4 * (w + 12) + 12, 5 * (h + 34) + 12);
    for (int n = 0; n < 5; ++n) {
        const std::vector<CameraKey> keys = BuildActionPath(n);
        for (int i = 0; i < 4; ++i) {
            const int k = keysShown[i];
            const Image img = RenderScene(a, keys[size_t(k)], w, h, n, k * kKeySeconds, n * 7 + 3);
            const int x = 12 + i * (w + 12), y = 12 + n * (h + 34);
            sheet.Put(img, x, y, w, h, false);
            sheet.Label("camera_action_" + std::to_string(n + 1) + " key " + std::to_string(k), float(x), float(y + h + 22));
        }
    }
    return sheet.Save(dir + "/scene_action.png");
}

void Dot(CCanvas& c, float x, float y, float r, Color col) {
    for (int j = int(y - r - 1); j <= int(y + r + 1); ++j)
        for (int i = int(x - r - 1); i <= int(x + r + 1); ++i) {
            const float d = std::sqrt((i + 0.5f - x) * (i + 0.5f - x) + (j + 0.5f - y) * (j + 0.5f - y));
            c.BlendOver(i, j, col, Clamp01(r + 0.5f - d));
        }
}

void Line(CCanvas& c, float x0, float y0, float x1, float y1, float r, Color col) {
    const float len = std::sqrt((x1 - x0) * (x1 - x0) + (y1 - y0) * (y1 - y0));
    const int steps = std::max(1, int(len * 2));
    for (int i = 0; i <= steps; ++i) Dot(c, Mix(x0, x1, float(i) / steps), Mix(y0, y1, float(i) / steps), r, col);
}

bool PathSheet(const std::string& dir) {
    const int panel = 330;
    CSheet sheet(5 * (panel + 12) + 12, 3 * (panel + 34) + 12);
    bool action = false;
    // Action paths: world x from -85 to 35 across, z from -60 to 60 up the
    // panel. Idle paths: 50 units around the cupid.
    auto map = [&](Vec3 p, float ox, float oy) {
        const float cx = action ? -25.f : kCupidPosition.x, span = action ? 120.f : 50.f;
        return Vec2{ox + (p.x - cx + span / 2) / span * panel, oy + (span / 2 - p.z) / span * panel};
    };
    for (int n = 0; n < 15; ++n) {
        action = n >= 10;
        const std::vector<CameraKey> keys = action ? BuildActionPath(n - 10) : BuildIdlePath(n);
        const float ox = 12.f + (n % 5) * (panel + 12), oy = 12.f + (n / 5) * (panel + 34);
        for (int y = 0; y < panel; ++y)
            for (int x = 0; x < panel; ++x) sheet.Canvas().At(int(ox) + x, int(oy) + y) = Rgb(48, 38, 58);
        const Vec2 cupid = map(kCupidPosition, ox, oy);
        Dot(sheet.Canvas(), cupid.x, cupid.y, 4, Rgb(255, 214, 140));
        if (action) {
            const Vec2 l = map(kLaunchPositions[size_t(n - 10)], ox, oy);
            Dot(sheet.Canvas(), l.x, l.y, 5, Rgb(255, 70, 110));
        }
        for (size_t k = 0; k < keys.size(); k += 50) {
            const Vec2 e = map(keys[k].eye, ox, oy), t = map(keys[k].target, ox, oy);
            Line(sheet.Canvas(), e.x, e.y, t.x, t.y, 0.4f, Rgb(160, 150, 200, 0.5f));
        }
        for (size_t k = 1; k < keys.size(); ++k) {
            const Vec2 a = map(keys[k - 1].eye, ox, oy), b = map(keys[k].eye, ox, oy);
            const float t = float(k) / keys.size();
            Line(sheet.Canvas(), a.x, a.y, b.x, b.y, 1.f, MixColor(Rgb(120, 220, 255), Rgb(255, 255, 255), t));
        }
        const std::string name = action ? "camera_action_" + std::to_string(n - 9) : "camera_idle_" + std::to_string(n + 1);
        sheet.Label(name + (action ? " (top view, 120 units)" : " (top view, 50 units)"), ox, oy + panel + 22);
    }
    return sheet.Save(dir + "/paths_top.png");
}

bool MeshSheet(const ContentSet& c, const std::string& dir) {
    SceneAssets a;
    if (!LoadScene(c, a)) return false;
    const int w = 300, h = 257;
    struct Shot {
        const char* label;
        const MeshData* mesh;
        const Image* tex;
        CameraKey key;
        size_t frame;
        BlendMode blend;
    };
    const Shot shots[] = {
        {"arrow.MODEL", &a.arrow, &a.arrowTex, {{2.5f, 1.2f, 0.f}, {0, 0, 0}}, 0, BlendMode::Alpha},
        {"arrow.MODEL (from the tip)", &a.arrow, &a.arrowTex, {{1.2f, 0.6f, 2.8f}, {0, 0, 0.4f}}, 0, BlendMode::Alpha},
        {"glow.MODEL", &a.glow, &a.glowTex, {{0, 0, -1.6f}, {0, 0, 0}}, 0, BlendMode::Additive},
        {"sun_outer.model frame 0", &a.sun, &a.sunTex, {{0, 0, -130.f}, {0, 0, 0}}, 0, BlendMode::Alpha},
        {"sun_outer.model frame 360", &a.sun, &a.sunTex, {{0, 0, -130.f}, {0, 0, 0}}, 360, BlendMode::Alpha},
        {"sky.MODEL (inside, up)", &a.sky, &a.skyTex, {{0, 0, 0}, {0.3f, 1.f, 0.1f}}, 0, BlendMode::Opaque},
        {"cloud1.MODEL (from below)", &a.clouds[0], &a.cloudTex[0], {{0, 0, 0}, {1.f, 0.6f, 0}}, 0, BlendMode::Alpha},
        {"cloud2.MODEL (looking down)", &a.clouds[1], &a.cloudTex[1], {{0, 0, 0}, {1.f, -0.6f, 0}}, 0, BlendMode::Alpha},
        {"cloud3.MODEL (from below)", &a.clouds[2], &a.cloudTex[2], {{0, 0, 0}, {1.f, 0.8f, 0.2f}}, 0, BlendMode::Alpha},
        {"kupidon_idle.MODEL", &a.cupid, &a.cupidTex, {{9.f, 3.f, 2.f}, {0, 1.6f, 0}}, 0, BlendMode::Alpha},
        {"heart.MODEL", &a.heart, &a.heartTex, {{0.4f, 0.5f, -2.6f}, {0, 0, 0}}, 0, BlendMode::Alpha},
    };
    CSheet sheet(4 * (w + 12) + 12, 3 * (h + 34) + 12);
    for (size_t i = 0; i < sizeof shots / sizeof shots[0]; ++i) {
        CSoftRenderer r(w, h);
        r.Clear(shots[i].blend == BlendMode::Additive ? Rgb(0, 0, 0) : Rgb(60, 50, 70));
        r.SetCamera(shots[i].key, false);
        DrawState s;
        s.blend = shots[i].blend;
        r.DrawMesh(*shots[i].mesh, shots[i].frame, shots[i].tex, {}, s);
        const int x = 12 + int(i % 4) * (w + 12), y = 12 + int(i / 4) * (h + 34);
        sheet.Put(r.Result(), x, y, w, h, false);
        sheet.Label(shots[i].label, float(x), float(y + h + 22));
    }
    return sheet.Save(dir + "/meshes.png");
}

bool HostSheet(const ContentSet& c, const std::string& dir) {
    Image bg, corner, preview, config, about;
    auto file = [&](const char* n, Image& img) { const ArchiveMember* m = FindMember(c.files, n); return m && Decode(m->data, img); };
    if (!file("loading_bg.jpg", bg) || !file("loading_corner.tga", corner) || !file("preview.bmp", preview) ||
        !file("config.bmp", config) || !file("about.bmp", about))
        return false;
    CSheet sheet(1024 + 24 + 300, 768 + 24 + 60);
    // The loading screen at 1024 x 768: background stretched, corner image at the bottom right.
    sheet.Put(bg, 12, 12, 1024, 768, false);
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 256; ++x) {
            const uint8_t* p = &corner.pixels[(size_t(y) * 256 + x) * 4];
            sheet.Canvas().BlendOver(12 + 768 + x, 12 + 640 + y, Rgb(p[0], p[1], p[2]), p[3] / 255.f);
        }
    sheet.Label("loading screen at 1024 x 768", 12, 768 + 40);
    sheet.Put(preview, 1060, 12, 155 * 1, 115 * 1, false);
    sheet.Label("preview.bmp", 1060, 150);
    sheet.Put(config, 1060, 170, 190, 142, false);
    sheet.Label("config.bmp", 1060, 335);
    sheet.Put(about, 1060, 355, 70, 70, false);
    sheet.Label("about.bmp", 1060, 448);
    // Clock as the overlay draws it: a darkening pass, then an additive pass.
    CCanvas& cv = sheet.Canvas();
    const char* clock = "12:05:09";
    for (int i = 0; clock[i]; ++i) {
        const std::string entry = clock[i] == ':' ? "Digits\\digit_ddot.tga" : std::string("Digits\\digit_") + clock[i] + ".tga";
        Image d;
        if (!DecodeMember(c.digits, entry, d)) return false;
        const int x0 = 1060 + i * 28, y0 = 470;
        for (int y = 0; y < 34; ++y)
            for (int x = 0; x < 29; ++x) {
                const uint8_t* p = &d.pixels[(size_t(std::min(31, y * 32 / 34)) * 24 + std::min(23, x * 24 / 29)) * 4];
                Color& px = cv.At(x0 + x, y0 + y);
                px = {px.r * (1 - p[0] / 255.f), px.g * (1 - p[1] / 255.f), px.b * (1 - p[2] / 255.f), 1};
            }
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 28; ++x) {
                const uint8_t* p = &d.pixels[(size_t(y) * 24 + std::min(23, x * 24 / 28)) * 4];
                const float a = p[3] / 255.f;
                cv.BlendAdd(x0 + x, y0 + y, Rgb(p[0], p[1], p[2]), a);
            }
    }
    sheet.Label("clock overlay (am sign below)", 1060, 530);
    Image am;
    if (DecodeMember(c.digits, "Digits\\digit_am.tga", am)) sheet.Put(am, 1060, 540, 48, 64, true);
    if (DecodeMember(c.digits, "Digits\\digit_pm.tga", am)) sheet.Put(am, 1116, 540, 48, 64, true);
    // The icon's images at their own sizes, from the icon file.
    if (const ArchiveMember* ico = FindMember(c.files, "cordelune.ico")) {
        const Bytes& b = ico->data;
        int x = 1060;
        for (int i = 0; i < int(b[4]); ++i) {
            const uint8_t* e = &b[6 + size_t(i) * 16];
            const int n = e[0] ? e[0] : 256;
            const size_t at = size_t(e[12] | e[13] << 8 | e[14] << 16 | e[15] << 24) + 40;
            Image img{n, n, 4, std::vector<uint8_t>(size_t(n) * n * 4)};
            for (int y = 0; y < n; ++y)
                for (int xx = 0; xx < n; ++xx) {
                    const uint8_t* p = &b[at + (size_t(n - 1 - y) * n + xx) * 4];
                    uint8_t* q = &img.pixels[(size_t(y) * n + xx) * 4];
                    q[0] = p[2];
                    q[1] = p[1];
                    q[2] = p[0];
                    q[3] = p[3];
                }
            const int shown = n == 256 ? 128 : n;
            sheet.Put(img, x, 620, shown, shown, true);
            x += shown + 10;
        }
        sheet.Label("cordelune.ico: 16, 32, 48, 256 (shown at 128)", 1060, 770);
    }
    return sheet.Save(dir + "/host.png");
}

bool FontSheet(const ContentSet& c, const std::string& dir) {
    SceneAssets a;
    if (!LoadScene(c, a)) return false;
    // Quotes as the text block draws them on an 800 x 600 screen, seen the
    // way the action paths frame them: 26 units away, from 10 units above.
    const int w = 800, h = 600;
    CSheet sheet(2 * (w + 12) + 12, 2 * (h + 34) + 12);
    for (int i = 0; i < 4; ++i) {
        CSoftRenderer r(w, h);
        const CameraKey key{{0, 14.f + 3 * i, 0}, {-26, 4.f + 3 * i, 0}};
        r.SetCamera(key, true);
        r.DrawMesh(a.sky, 0, &a.skyTex, {}, DrawState{BlendMode::Opaque});
        DrawState cloud;
        cloud.depthTest = cloud.depthWrite = false;
        for (int l = 2; l >= 0; --l) r.DrawMesh(a.clouds[l], 0, &a.cloudTex[l], {}, cloud);
        r.SetCamera(key, false);
        DrawQuote(r, a.font, a.quotes[size_t(i * 17) % a.quotes.size()], {-26, 1.15f + 3 * i, 0}, 1.f);
        const int x = 12 + (i % 2) * (w + 12), y = 12 + (i / 2) * (h + 34);
        sheet.Put(r.Result(), x, y, w, h, false);
        sheet.Label("quote " + std::to_string(i * 17 % a.quotes.size() + 1) + " at 26 units", float(x), float(y + h + 22));
    }
    return sheet.Save(dir + "/quotes.png");
}

}  // namespace

bool WritePreview(const ContentSet& content, const std::string& dir) {
    return TextureSheet(content, dir) && MeshSheet(content, dir) && SceneSheets(content, dir) && PathSheet(dir) &&
           HostSheet(content, dir) && FontSheet(content, dir) && cupid::WriteCupidPreviewSheets(dir);
}

}  // namespace assetgen
