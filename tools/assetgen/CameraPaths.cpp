#include "CameraPaths.h"

#include <algorithm>
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

// The text's height above its launch point, seconds into the path, for an
// arrow that arrives at the middle of its range (the quote's camera follows
// it; earlier and later hits lie within a few units).
constexpr float kNominalHit = 9.5f;
// From this key on the camera frames the heart's column at the quote's
// reading distance; until key 81 it holds a wide view of the cupid and the
// column, and in between it glides from one to the other.
constexpr int kTextViewKey = 270;
constexpr float kTextDistance = 26.f;  // a cap height of about 3 % of the screen
constexpr float kTextAbove = 10.f;     // the eye above the text: the sea of clouds behind it

float TextHeight(Vec3 launch, float seconds) {
    // The middle of the text block, 2.85 above the heart, and the heart itself
    // before the hit: aim between them.
    return launch.y + HeartPosition({0, 0, 0}, seconds, kNominalHit).y + 1.5f;
}

// Gliding parameter: eased at both ends, yet never faster than 1.25 times
// the mean speed.
float Glide(float t) { return Mix(t, Ease(t), 0.5f); }

}  // namespace

std::vector<CameraKey> BuildActionPath(int n) {
    const Vec3 launch = kLaunchPositions[size_t(n % 5)];
    const Vec3 c = kCupidPosition;
    const Vec3 column{launch.x, 0, launch.z};
    const Vec3 up{0, 1, 0};
    Vec3 ahead = column - Vec3{c.x, 0, c.z};
    const float distance = Length(ahead);
    ahead = Normalize(ahead);
    // The quote is read from beside its column, looking across the line of
    // the two suns (which stand on the x axis), never towards either.
    const Vec3 across{0, 0, launch.z > 0 ? 1.f : -1.f};
    // The wide view: the cupid, the rising heart and the arrow's flight in
    // one frame, seen from that same side, a little above.
    Vec3 side{-ahead.z, 0, ahead.x};
    if (Dot(side, across) < 0) side = side * -1.f;
    const Vec3 middle = c + ahead * (0.5f * distance);
    const Vec3 wideEye = middle + side * (0.75f * distance) + up * 6.f;
    const Vec3 wideTarget = middle + up * -6.f;

    std::vector<CameraKey> keys(kActionKeys);
    for (int k = 0; k < kActionKeys; ++k) {
        const float t = float(k) / float(kActionKeys - 1), seconds = float(k) * kKeySeconds;
        const float y = TextHeight(launch, std::max(seconds, kTextViewKey * kKeySeconds));
        const Vec3 textEye = column + across * kTextDistance + up * (y + kTextAbove);
        const Vec3 textTarget = column + up * y;
        const float glide = float(k - kLaunchKey) / float(kTextViewKey - kLaunchKey);
        const float g = k <= kLaunchKey ? 0.f : k >= kTextViewKey ? 1.f : Glide(glide);
        const Vec3 sway = side * (0.6f * std::sin(t * 2.f * kPi)) + up * (0.3f * std::sin(t * 3.f * kPi));
        keys[size_t(k)] = {Lerp(wideEye, textEye, g) + sway, Lerp(wideTarget, textTarget, g)};
    }
    return keys;
}

}  // namespace assetgen
