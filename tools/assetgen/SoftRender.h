#pragma once
// A small software renderer for the preview sheets: perspective-correct
// textured triangles with depth, culling and the scene's blend modes, using
// the saver's projection and look-at conventions.
#include <map>
#include <vector>

#include "Canvas.h"
#include "MeshFormat.h"

namespace assetgen {

// Row-vector placement: world = x * X + y * Y + z * Z + T.
struct Placement {
    Vec3 X{1, 0, 0}, Y{0, 1, 0}, Z{0, 0, 1}, T{0, 0, 0};
    Vec3 Apply(Vec3 p) const { return X * p.x + Y * p.y + Z * p.z + T; }
};

enum class BlendMode { Opaque, Alpha, Additive };

struct DrawState {
    BlendMode blend = BlendMode::Alpha;
    bool depthTest = true;
    bool depthWrite = true;
    bool cull = true;       // drop counter-clockwise triangles, as Direct3D does by default
    float uOffset = 0;      // texture scroll in u
    Color tint{1, 1, 1, 1};  // multiplies the texture
};

class CSoftRenderer {
public:
    CSoftRenderer(int w, int h);
    void Clear(Color c);
    // skyView: the camera's rotation only (the sky and clouds move with it).
    void SetCamera(const CameraKey& key, bool skyView);
    // The camera's orientation as a placement (billboards face the viewer).
    Placement Billboard(Vec3 at) const;
    void DrawMesh(const MeshData& mesh, size_t frame, const Image* texture, const Placement& world, const DrawState& s);
    // A flat-coloured quad facing the camera, for markers.
    void DrawSprite(Vec3 at, float size, const Image* texture, const DrawState& s);
    Image Result() const;

private:
    struct Vertex {
        Vec3 view;
        Vec2 uv;
    };
    void DrawTriangle(const Vertex* v, const Image* texture, const DrawState& s);
    void Raster(const Vertex& a, const Vertex& b, const Vertex& c, const Image* texture, const DrawState& s);
    // Box-filtered mip chain of a texture, made on first use.
    const std::vector<Image>& Mips(const Image* texture);

    int m_nWidth, m_nHeight;
    CCanvas m_Color;
    std::vector<float> m_Depth;
    Vec3 m_Eye, m_X, m_Y, m_Z;
    std::map<const Image*, std::vector<Image>> m_Mips;
};

// Bilinear, wrapping texture fetch of an 8-bit image (u, v in texture space).
Color SampleImage(const Image& img, float u, float v);

}  // namespace assetgen
