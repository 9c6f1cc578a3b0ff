#pragma once
// Rotations and rigid transforms for posing the cupid (left-handed, y up,
// the character faces negative x and his right hand is on the +z side).
#include <cmath>

#include "../Vec.h"

namespace assetgen::cupid {

struct Quat {
    float w = 1, x = 0, y = 0, z = 0;
};

inline Quat operator*(Quat a, Quat b) {
    return {a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z, a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y,
            a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x, a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w};
}
inline Quat Conjugate(Quat q) { return {q.w, -q.x, -q.y, -q.z}; }
inline Quat NormalizeQ(Quat q) {
    const float l = std::sqrt(q.w * q.w + q.x * q.x + q.y * q.y + q.z * q.z);
    return l > 0 ? Quat{q.w / l, q.x / l, q.y / l, q.z / l} : Quat{};
}
// Rotation by 'angle' radians about 'axis' (right-hand rule about the axis).
inline Quat AxisAngle(Vec3 axis, float angle) {
    const Vec3 a = Normalize(axis);
    const float s = std::sin(angle * 0.5f);
    return {std::cos(angle * 0.5f), a.x * s, a.y * s, a.z * s};
}
inline Vec3 Rotate(Quat q, Vec3 v) {
    const Vec3 u{q.x, q.y, q.z};
    const Vec3 t = Cross(u, v) * 2.f;
    return v + t * q.w + Cross(u, t);
}
inline Quat Nlerp(Quat a, Quat b, float t) {
    const float d = a.w * b.w + a.x * b.x + a.y * b.y + a.z * b.z;
    const float s = d < 0 ? -1.f : 1.f;
    return NormalizeQ({Mix(a.w, s * b.w, t), Mix(a.x, s * b.x, t), Mix(a.y, s * b.y, t), Mix(a.z, s * b.z, t)});
}
// Shortest rotation taking direction a onto direction b.
Quat FromTo(Vec3 a, Vec3 b);
// Rotation taking the orthonormal frame (x0, y0, x0 x y0) onto (x1, y1, x1 x y1);
// the y vectors are made orthogonal to the x vectors first.
Quat FrameToFrame(Vec3 x0, Vec3 y0, Vec3 x1, Vec3 y1);
// Euler-style helper: yaw about y, then pitch about z, then roll about x.
inline Quat Euler(float rx, float ry, float rz) {
    return AxisAngle({0, 1, 0}, ry) * AxisAngle({0, 0, 1}, rz) * AxisAngle({1, 0, 0}, rx);
}

// p -> q p + t.
struct Xform {
    Quat q;
    Vec3 t;
    Vec3 Apply(Vec3 p) const { return Rotate(q, p) + t; }
    Vec3 ApplyDir(Vec3 d) const { return Rotate(q, d); }
};
inline Xform operator*(const Xform& a, const Xform& b) { return {a.q * b.q, a.Apply(b.t)}; }
inline Xform Inverse(const Xform& a) {
    const Quat c = Conjugate(a.q);
    return {c, Rotate(c, a.t) * -1.f};
}

inline Vec3 Mul(Vec3 a, Vec3 b) { return {a.x * b.x, a.y * b.y, a.z * b.z}; }
inline float Smooth01(float t) { return SmoothStep(0.f, 1.f, t); }
// Periodic bump: 1 at phase c, falling to 0 at distance w (phases in [0, 1)).
float PeriodicBump(float phase, float c, float w);

}  // namespace assetgen::cupid
