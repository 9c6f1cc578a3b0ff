#pragma once
// Floating-point painting surface and the shape functions the artwork uses.
#include <functional>
#include <vector>

#include "ImageWriters.h"
#include "Vec.h"

namespace assetgen {

struct Color {
    float r = 0, g = 0, b = 0, a = 0;
};

inline Color Rgb(int r, int g, int b, float a = 1.f) {
    return {r / 255.f, g / 255.f, b / 255.f, a};
}
inline Color MixColor(Color p, Color q, float t) {
    return {Mix(p.r, q.r, t), Mix(p.g, q.g, t), Mix(p.b, q.b, t), Mix(p.a, q.a, t)};
}
inline Color Scale(Color c, float s) { return {c.r * s, c.g * s, c.b * s, c.a}; }

// Straight (not premultiplied) alpha, rows top to bottom.
class CCanvas {
public:
    CCanvas(int w, int h, Color fill = {});
    int Width() const { return m_nWidth; }
    int Height() const { return m_nHeight; }
    Color& At(int x, int y) { return m_Pixels[size_t(y) * m_nWidth + x]; }
    const Color& At(int x, int y) const { return m_Pixels[size_t(y) * m_nWidth + x]; }
    // Bilinear sample in pixel coordinates, clamped or wrapped at the borders.
    Color Sample(float x, float y, bool wrap) const;

    // Source-over with the colour's alpha scaled by coverage.
    void BlendOver(int x, int y, Color c, float coverage);
    void BlendAdd(int x, int y, Color c, float amount);
    // Paints every pixel: f(x, y) in pixel centres returns colour and coverage.
    void Paint(const std::function<Color(float x, float y)>& f);
    // Coverage from a signed distance (negative inside), antialiased over 'soft' pixels.
    void FillSdf(const std::function<float(float x, float y)>& sdf, Color c, float soft = 1.f);

    Image ToImage(int channels) const;

private:
    int m_nWidth, m_nHeight;
    std::vector<Color> m_Pixels;
};

// Separable Gaussian blur of a single channel field.
std::vector<float> BlurField(const std::vector<float>& f, int w, int h, float sigma, bool wrap);

// Signed distances in shape space.
// Heart with its tip at (0, 0) and its lobes reaching y of about 1.1, y up.
float SdHeart(float x, float y);
float SdCircle(float x, float y, float r);
float SdSegment(float px, float py, float ax, float ay, float bx, float by);
// Ellipse approximation good enough for soft shapes.
float SdEllipse(float x, float y, float rx, float ry);

}  // namespace assetgen
