#include "SceneLayout.h"

#include <cmath>

namespace assetgen {

Vec3 ToView(const CameraKey& key, Vec3 p) {
    const Vec3 z = Normalize(key.target - key.eye);
    const Vec3 x = Normalize(Cross({0, 1, 0}, z));
    const Vec3 y = Cross(z, x);
    const Vec3 d = p - key.eye;
    return {Dot(x, d), Dot(y, d), Dot(z, d)};
}

Vec3 ProjectPoint(const CameraKey& key, Vec3 p) {
    const Vec3 v = ToView(key, p);
    const float c = std::cos(kFieldOfView / 2) / std::sin(kFieldOfView / 2);
    if (v.z <= 1e-6f) return {1e9f, 1e9f, v.z};
    return {v.x * (c / kAspect) / v.z, v.y * c / v.z, v.z};
}

bool InFrustum(const CameraKey& key, Vec3 p, float margin) {
    const Vec3 n = ProjectPoint(key, p);
    const float lim = 1.f - margin;
    return n.z > kNearPlane && n.z < kFarPlane && std::fabs(n.x) <= lim && std::fabs(n.y) <= lim;
}

Vec3 HeartPosition(Vec3 launch, float seconds, float hitSeconds) {
    const float launchTime = kLaunchKey * kKeySeconds;
    const float appear = 1.f / 0.3f;  // alpha rises by 0.3 a second
    Vec3 p = launch;
    float t = seconds - launchTime;
    if (t <= 0) return p;
    const float flyFrom = launchTime + appear;
    if (seconds <= flyFrom) return p + Vec3{0, 5.f * t, 0};
    p.y += 5.f * appear;
    if (seconds <= hitSeconds) return p + Vec3{0, 2.f * (seconds - flyFrom), 0};
    p.y += 2.f * (hitSeconds - flyFrom);
    const float fade = 1.25f;  // the heart fades at 0.8 a second while the text appears
    t = seconds - hitSeconds;
    if (t <= fade) return p + Vec3{0, 1.8f * t, 0};
    return p + Vec3{0, 1.8f * fade + 1.6f * (t - fade), 0};
}

}  // namespace assetgen
