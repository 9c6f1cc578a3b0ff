#pragma once
// Builds the shared topology of a character from parametric surfaces: every
// surface becomes a grid of positions, corners with their own texture
// coordinates (one island of the atlas per surface) and triangles facing out.
#include <array>
#include <functional>
#include <vector>

#include "../MeshFormat.h"
#include "Paint.h"
#include "Skeleton.h"

namespace assetgen::cupid {

// How a position follows the pose.
enum class RigKind : uint8_t {
    kSkin,    // linear blend of up to three bones
    kBow,     // rigid in the bow's frame
    kString,  // on the bow string, between the tips and the nock
};

struct VertexRig {
    RigKind kind = RigKind::kSkin;
    std::array<uint8_t, 3> bone{};
    std::array<float, 3> weight{};
    Vec3 local;        // bow frame coordinates, or offset from the string line
    float param = 0;   // along the string, 0 top tip .. 1 bottom tip
    float flutter = 0; // share of the cloth and feather flutter
};

struct Island {
    int x = 0, y = 0, w = 1, h = 1;  // pixels in the atlas
};

struct Texel {
    Vec3 p, n;   // rest-pose surface point and outward normal
    float u, v;  // surface parameters in [0, 1]
};

struct SurfaceDef {
    std::function<Vec3(float u, float v)> at;
    int nu = 8, nv = 8;
    bool closedU = true;            // u wraps around
    bool poleStart = false, poleEnd = false;  // v = 0 or 1 collapses to one point
    bool twoSided = false;
    bool flipOut = false;           // for open sheets: which side counts as outside
    Island island;
    std::function<Rgba(const Texel&)> paint;  // empty: island painted by another surface
    std::vector<int> bones;         // candidates for automatic weights
    RigKind kind = RigKind::kSkin;
    // Optional: adjust the rig of each new position (bow frame, flutter).
    std::function<void(VertexRig&, Vec3 p, float u, float v)> rig;
};

class CTopology {
public:
    // Adds a surface; returns the index of its first position.
    size_t Add(const SurfaceDef& s);
    // Paints every island that has a painter; pad extends it into the gutter.
    void Paint(CAtlas& atlas, int pad) const;
    // Exchanges two positions everywhere (to put chosen points at fixed indices).
    void SwapPositions(size_t a, size_t b);
    size_t Nearest(Vec3 p, size_t first, size_t last) const;

    int atlasSize = 512;
    std::vector<Vec3> rest;
    std::vector<VertexRig> rigs;
    std::vector<Vec2> texCoords;
    std::vector<MeshCorner> corners;
    std::vector<MeshTriangle> triangles;

private:
    std::vector<SurfaceDef> m_Painted;
};

// Normal of a parametric surface by central differences.
Vec3 SurfaceNormal(const std::function<Vec3(float, float)>& at, float u, float v, bool flip);
// Automatic weights from the distance to each candidate bone segment.
VertexRig AutoWeights(Vec3 p, const std::vector<int>& bones);

// A tube along a smooth curve through keys, elliptical in section, with
// rounded caps: the limbs, the torso, the head, curls and the bow.
struct TubeKey {
    Vec3 c;
    float rn, rb;  // half sizes along the section frame's normal and binormal
};
struct Tube {
    std::vector<TubeKey> keys;
    Vec3 refN{-1, 0, 0};      // the section's normal leans towards this
    float theta0 = kPi;       // where u = 0 sits around the section (seam)
    float capStart = 0, capEnd = 0;  // share of v spent on each cap (0: open)
    std::function<float(float theta, float s)> bulge;  // radius factor
};
struct TubeFrame {
    Vec3 c, t, n, b;
    float rn, rb;
};
TubeFrame TubeFrameAt(const Tube& tube, float s);
Vec3 TubePoint(const Tube& tube, float u, float v);

}  // namespace assetgen::cupid
