#include "CupidMath.h"

namespace assetgen::cupid {

Quat FromTo(Vec3 a, Vec3 b) {
    a = Normalize(a);
    b = Normalize(b);
    const float d = Dot(a, b);
    if (d < -0.9999f) {
        Vec3 axis = Cross(Vec3{1, 0, 0}, a);
        if (Length(axis) < 1e-3f) axis = Cross(Vec3{0, 1, 0}, a);
        return AxisAngle(axis, kPi);
    }
    const Vec3 c = Cross(a, b);
    return NormalizeQ({1.f + d, c.x, c.y, c.z});
}

Quat FrameToFrame(Vec3 x0, Vec3 y0, Vec3 x1, Vec3 y1) {
    x0 = Normalize(x0);
    x1 = Normalize(x1);
    y0 = Normalize(y0 - x0 * Dot(y0, x0));
    y1 = Normalize(y1 - x1 * Dot(y1, x1));
    const Quat a = FromTo(x0, x1);
    const Vec3 ya = Rotate(a, y0);
    // Twist about x1 that brings the rotated y0 onto y1.
    const float ang = std::atan2(Dot(Cross(ya, y1), x1), Dot(ya, y1));
    return AxisAngle(x1, ang) * a;
}

float PeriodicBump(float phase, float c, float w) {
    float d = std::fabs(phase - c);
    d = std::fmin(d, 1.f - d);
    if (d >= w) return 0.f;
    const float t = d / w;
    return 0.5f + 0.5f * std::cos(t * kPi);
}

}  // namespace assetgen::cupid
