#include "Canvas.h"

#include <algorithm>
#include <cmath>

namespace assetgen {

CCanvas::CCanvas(int w, int h, Color fill)
    : m_nWidth(w), m_nHeight(h), m_Pixels(size_t(w) * h, fill) {}

Color CCanvas::Sample(float x, float y, bool wrap) const {
    x -= 0.5f;
    y -= 0.5f;
    const float fx = std::floor(x), fy = std::floor(y);
    const float tx = x - fx, ty = y - fy;
    auto fetch = [&](int ix, int iy) -> const Color& {
        if (wrap) {
            ix = ((ix % m_nWidth) + m_nWidth) % m_nWidth;
            iy = ((iy % m_nHeight) + m_nHeight) % m_nHeight;
        } else {
            ix = std::clamp(ix, 0, m_nWidth - 1);
            iy = std::clamp(iy, 0, m_nHeight - 1);
        }
        return At(ix, iy);
    };
    const int ix = int(fx), iy = int(fy);
    const Color a = MixColor(fetch(ix, iy), fetch(ix + 1, iy), tx);
    const Color b = MixColor(fetch(ix, iy + 1), fetch(ix + 1, iy + 1), tx);
    return MixColor(a, b, ty);
}

void CCanvas::BlendOver(int x, int y, Color c, float coverage) {
    if (x < 0 || y < 0 || x >= m_nWidth || y >= m_nHeight) return;
    const float sa = Clamp01(c.a * coverage);
    if (sa <= 0) return;
    Color& d = At(x, y);
    const float oa = sa + d.a * (1 - sa);
    if (oa <= 0) return;
    d.r = (c.r * sa + d.r * d.a * (1 - sa)) / oa;
    d.g = (c.g * sa + d.g * d.a * (1 - sa)) / oa;
    d.b = (c.b * sa + d.b * d.a * (1 - sa)) / oa;
    d.a = oa;
}

void CCanvas::BlendAdd(int x, int y, Color c, float amount) {
    if (x < 0 || y < 0 || x >= m_nWidth || y >= m_nHeight) return;
    Color& d = At(x, y);
    d.r += c.r * amount;
    d.g += c.g * amount;
    d.b += c.b * amount;
}

void CCanvas::Paint(const std::function<Color(float, float)>& f) {
    for (int y = 0; y < m_nHeight; ++y)
        for (int x = 0; x < m_nWidth; ++x) At(x, y) = f(x + 0.5f, y + 0.5f);
}

void CCanvas::FillSdf(const std::function<float(float, float)>& sdf, Color c, float soft) {
    for (int y = 0; y < m_nHeight; ++y)
        for (int x = 0; x < m_nWidth; ++x) {
            const float d = sdf(x + 0.5f, y + 0.5f);
            const float cover = Clamp01(0.5f - d / soft);
            if (cover > 0) BlendOver(x, y, c, cover);
        }
}

static uint8_t ToByte(float v) { return uint8_t(std::lround(Clamp01(v) * 255.f)); }

Image CCanvas::ToImage(int channels) const {
    Image img{m_nWidth, m_nHeight, channels, std::vector<uint8_t>(size_t(m_nWidth) * m_nHeight * channels)};
    for (size_t i = 0; i < m_Pixels.size(); ++i) {
        const Color& c = m_Pixels[i];
        uint8_t* p = &img.pixels[i * channels];
        p[0] = ToByte(c.r);
        p[1] = ToByte(c.g);
        p[2] = ToByte(c.b);
        if (channels == 4) p[3] = ToByte(c.a);
    }
    return img;
}

std::vector<float> BlurField(const std::vector<float>& f, int w, int h, float sigma, bool wrap) {
    const int r = std::max(1, int(std::ceil(sigma * 3)));
    std::vector<float> k(size_t(2 * r + 1));
    float sum = 0;
    for (int i = -r; i <= r; ++i) sum += k[size_t(i + r)] = std::exp(-0.5f * i * i / (sigma * sigma));
    for (float& v : k) v /= sum;
    auto idx = [&](int v, int n) { return wrap ? ((v % n) + n) % n : std::clamp(v, 0, n - 1); };
    std::vector<float> tmp(f.size()), out(f.size());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            float s = 0;
            for (int i = -r; i <= r; ++i) s += k[size_t(i + r)] * f[size_t(y) * w + idx(x + i, w)];
            tmp[size_t(y) * w + x] = s;
        }
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            float s = 0;
            for (int i = -r; i <= r; ++i) s += k[size_t(i + r)] * tmp[size_t(idx(y + i, h)) * w + x];
            out[size_t(y) * w + x] = s;
        }
    return out;
}

float SdHeart(float x, float y) {
    // Exact distance to the classic two-arc heart.
    x = std::fabs(x);
    auto len = [](float a, float b) { return std::sqrt(a * a + b * b); };
    if (y + x > 1.0f) return len(x - 0.25f, y - 0.75f) - 0.35355339f;
    const float m = 0.5f * std::max(x + y, 0.0f);
    const float d = std::min(len(x, y - 1.0f), len(x - m, y - m));
    return d * (x - y > 0 ? 1.f : -1.f);
}

float SdCircle(float x, float y, float r) { return std::sqrt(x * x + y * y) - r; }

float SdSegment(float px, float py, float ax, float ay, float bx, float by) {
    const float pax = px - ax, pay = py - ay, bax = bx - ax, bay = by - ay;
    const float h = Clamp01((pax * bax + pay * bay) / (bax * bax + bay * bay));
    const float dx = pax - bax * h, dy = pay - bay * h;
    return std::sqrt(dx * dx + dy * dy);
}

float SdEllipse(float x, float y, float rx, float ry) {
    const float k0 = std::sqrt((x / rx) * (x / rx) + (y / ry) * (y / ry));
    const float k1 = std::sqrt((x / (rx * rx)) * (x / (rx * rx)) + (y / (ry * ry)) * (y / (ry * ry)));
    return k1 > 0 ? k0 * (k0 - 1.0f) / k1 : -std::min(rx, ry);
}

}  // namespace assetgen
