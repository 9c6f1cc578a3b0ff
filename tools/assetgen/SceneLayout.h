#pragma once
// Where the scene's actors stand and how its cameras see, as the saver places
// them; the camera paths are composed around these and checked against them.
#include <array>

#include "MeshFormat.h"
#include "Vec.h"

namespace assetgen {

constexpr int kIdleKeys = 1001;
constexpr int kActionKeys = 801;
constexpr float kKeySeconds = 0.033f;
constexpr int kLaunchKey = 81;  // the heart leaves and the shot is requested after key 80

const Vec3 kCupidPosition{1.f, 0.f, 0.f};
// Middle of the cupid's body (about 3.5 units tall, from 1.2 below his
// placement point to 2.3 above).
const Vec3 kCupidCentre{1.f, 0.5f, 0.f};
const Vec3 kPetalCentre{4.f, 2.5f, -2.f};
const Vec3 kSunPositions[2] = {{290.f, 40.f, 0.f}, {-290.f, 40.f, 0.f}};

// Heart launch position of each action path.
const std::array<Vec3, 5> kLaunchPositions = {{
    {-43.f, -22.f, -5.f}, {-68.f, -22.f, 3.f}, {-36.f, -22.f, 19.f}, {-55.f, -22.f, -24.f}, {-23.f, -22.f, -37.f}}};

// Fixed projection of every camera path.
constexpr float kFieldOfView = 1.396f;
constexpr float kAspect = 1.1666666f;
constexpr float kNearPlane = 0.1f;
constexpr float kFarPlane = 380.f;

// A point in camera space (left-handed look-at, y up).
Vec3 ToView(const CameraKey& key, Vec3 p);
// Normalised device x, y and view depth; x, y in [-1, 1] when inside.
Vec3 ProjectPoint(const CameraKey& key, Vec3 p);
// Inside the view frustum with 'margin' kept from the sides (in NDC units).
bool InFrustum(const CameraKey& key, Vec3 p, float margin = 0.f);

// Nominal flight of the heart: seconds since the path began, hit time in
// seconds. Returns the heart (or, after the hit, the quote's) centre.
Vec3 HeartPosition(Vec3 launch, float seconds, float hitSeconds);
// Earliest and latest moment the arrow can arrive (the cupid finishes his
// current idle pass first, then shoots after step 66 and the arrow flies 2 s).
constexpr float kEarliestHit = 7.0f;
constexpr float kLatestHit = 12.5f;
// Half width and the vertical extent of the quote block around its centre.
constexpr float kQuoteHalfWidth = 22.5f;
constexpr float kQuoteTop = 7.6f;
constexpr float kQuoteBottom = -1.9f;  // the sixth row is always empty

}  // namespace assetgen
