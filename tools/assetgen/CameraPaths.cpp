#include "CameraPaths.h"

#include <cmath>

#include "SceneLayout.h"

namespace assetgen {
namespace {

constexpr float kDeg = kPi / 180.f;

// One idle shot: the eye moves on a slow arc around the cupid while the
// radius, the height and the look-at point drift from start to end values.
struct IdleShot {
    float angle0, angle1;    // degrees around the cupid; 180 is in front of him
    float radius0, radius1;  // horizontal distance from the cupid
    float height0, height1;  // eye height above his placement point
    float look0, look1;      // look-at height
    float lead;              // look-at shift to the side of travel, units
    float bob;               // slow vertical wave of the eye, units
};

const IdleShot kIdleShots[10] = {
    {150, 230, 7.0f, 6.5f, 1.6f, 1.2f, 0.9f, 0.7f, 0.6f, 0.3f},      // slow orbit in front
    {200, 160, 12.0f, 6.0f, -1.0f, 0.3f, 1.2f, 0.9f, 0.4f, 0.3f},    // dolly in, looking up
    {100, 170, 8.0f, 9.0f, -2.5f, 5.5f, 0.7f, 0.5f, 0.0f, 0.0f},     // crane up from below
    {260, 320, 7.0f, 8.5f, 2.5f, 2.0f, 1.0f, 1.5f, 1.2f, 0.4f},      // past the petals, behind
    {210, 140, 14.0f, 12.0f, 3.5f, 2.5f, -0.5f, 0.2f, -2.5f, 0.5f},  // wide, over the dusk
    {170, 215, 5.0f, 5.5f, 1.2f, 0.9f, 1.0f, 0.8f, 0.3f, 0.2f},      // close-up
    {120, 240, 9.0f, 9.0f, 0.8f, 0.8f, 0.6f, 0.6f, 0.0f, 1.6f},      // long sweep with a wave
    {250, 150, 9.5f, 9.5f, 4.0f, 0.0f, 0.2f, 1.0f, 0.8f, 0.3f},      // descending reverse orbit
    {180, 300, 5.5f, 11.0f, 0.0f, 4.0f, 1.0f, 0.5f, 0.4f, 0.0f},     // rising spiral out
    {140, 200, 11.0f, 7.5f, 5.0f, 1.6f, -0.5f, 0.8f, -0.8f, 0.3f},   // from high, settling
};

Vec3 Around(float angleDeg, float radius, float height) {
    return kCupidPosition + Vec3{radius * std::cos(angleDeg * kDeg), height, radius * std::sin(angleDeg * kDeg)};
}

// A slightly eased parameter: motion never stops, but starts and ends gently.
float Gentle(float t) { return Mix(t, Ease(t), 0.4f); }

}  // namespace

std::vector<CameraKey> BuildIdlePath(int n) {
    const IdleShot& s = kIdleShots[n % 10];
    std::vector<CameraKey> keys(kIdleKeys);
    for (int k = 0; k < kIdleKeys; ++k) {
        const float t = float(k) / float(kIdleKeys - 1);
        const float g = Gentle(t);
        const float angle = Mix(s.angle0, s.angle1, g);
        const float radius = Mix(s.radius0, s.radius1, g);
        const float height = Mix(s.height0, s.height1, g) + s.bob * std::sin(t * 2 * kPi);
        const Vec3 eye = Around(angle, radius, height);
        // The look-at point leads a little in the direction of travel.
        const float dir = s.angle1 > s.angle0 ? 1.f : -1.f;
        const float side = (angle + 90.f * dir) * kDeg;
        const Vec3 lead{s.lead * std::cos(side), 0, s.lead * std::sin(side)};
        const Vec3 target = kCupidPosition + Vec3{0, Mix(s.look0, s.look1, g), 0} + lead;
        keys[size_t(k)] = {eye, target};
    }
    return keys;
}

namespace {

// Poses of an action path in the frame of the shot: 'ahead' points from the
// cupid to the launch point, 'side' across it.
struct ActionFrame {
    Vec3 ahead, side;
    float distance;
};

ActionFrame FrameFor(Vec3 launch, float sideSign) {
    Vec3 d = launch - kCupidPosition;
    d.y = 0;
    ActionFrame f;
    f.distance = Length(d);
    f.ahead = Normalize(d);
    f.side = Vec3{-f.ahead.z, 0, f.ahead.x} * sideSign;
    return f;
}

// Piecewise eased blend through poses placed at the given keys.
Vec3 Through(const Vec3* poses, const float* at, int count, float key) {
    if (key <= at[0]) return poses[0];
    for (int i = 0; i + 1 < count; ++i)
        if (key <= at[i + 1]) return Lerp(poses[i], poses[i + 1], Ease((key - at[i]) / (at[i + 1] - at[i])));
    return poses[count - 1];
}

}  // namespace

std::vector<CameraKey> BuildActionPath(int n) {
    const Vec3 launch = kLaunchPositions[size_t(n % 5)];
    const float sideSign = (n % 2) ? -1.f : 1.f;
    const ActionFrame f = FrameFor(launch, sideSign);
    const Vec3 c = kCupidPosition;
    const Vec3 column{launch.x, 0, launch.z};
    const Vec3 up{0, 1, 0};

    // Over the cupid's shoulder while the heart rises and the arrow flies,
    // then closer to the heart's column so the quote can be read.
    const float back = 7.f + 0.05f * f.distance;
    const Vec3 eyes[5] = {
        c - f.ahead * (back - 2.f) + f.side * 5.f + up * 2.0f,
        c - f.ahead * back + f.side * 6.5f + up * 3.0f,
        c - f.ahead * (back + 3.f) + f.side * 9.f + up * 5.f,
        column - f.ahead * 30.f + f.side * 16.f + up * 4.f,
        column - f.ahead * 34.f + f.side * 19.f + up * 8.f,
    };
    const Vec3 targets[5] = {
        c + f.ahead * (0.40f * f.distance) + up * -7.f,
        c + f.ahead * (0.50f * f.distance) + up * -6.f,
        c + f.ahead * (0.70f * f.distance) + up * 0.f,
        column + up * 3.f,
        column + up * 8.f,
    };
    const float eyeAt[5] = {0.f, 150.f, 300.f, 580.f, 800.f};
    const float targetAt[5] = {0.f, 160.f, 330.f, 580.f, 800.f};

    std::vector<CameraKey> keys(kActionKeys);
    for (int k = 0; k < kActionKeys; ++k) {
        const float t = float(k) / float(kActionKeys - 1);
        const Vec3 sway = f.side * (0.6f * std::sin(t * 2.f * kPi)) + up * (0.3f * std::sin(t * 3.f * kPi));
        keys[size_t(k)] = {Through(eyes, eyeAt, 5, float(k)) + sway, Through(targets, targetAt, 5, float(k))};
    }
    return keys;
}

}  // namespace assetgen
