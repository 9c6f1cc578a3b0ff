#pragma once
// The cupid, his bow and arrow on the bow, and the heart: every mesh and
// texture of the characters, baked frame by frame from the rig.
#include <map>
#include <string>

#include "../ImageWriters.h"
#include "../MeshFormat.h"

namespace assetgen::cupid {

// The layout counts the saver's meshes were made with; ours are built within
// them and padded up to them (F aside), so every tool sees the same budgets.
struct MeshCounts {
    size_t nPositions, nTexCoords, nCorners, nTriangles;
};
constexpr MeshCounts kCupidCounts{1730, 2069, 2069, 3425};
constexpr MeshCounts kHeartCounts{494, 617, 540, 984};
// Adds unseen spare positions, coordinates, corners and zero-area triangles
// up to 'target'; false (and unchanged) when the mesh is already larger.
bool PadMesh(MeshData& mesh, const MeshCounts& target);

struct CupidContent {
    MeshData anims[4];   // idle, second idle, alert, shot (one topology)
    MeshData arrowLink;  // the arrow on the bow, one frame per shot step
    MeshData heart;
    Image atlas;         // "kupidon_dif.tga", 512 x 512, 4 channels
    Image heartTexture;  // "heart.tga", 64 x 64, 3 channels
};

// 'arrow' is the flying arrow ("arrow.MODEL": one frame, +z forward, tip
// ahead); the arrow on the bow reuses its corners and texture coordinates so
// both share "arrow.tga". Without one a plain stand-in arrow is used.
CupidContent BuildCupidContent(const MeshData* arrow);

// Adds the eight entries, encoded, under their archive names.
void AddCupidEntries(const CupidContent& content, std::map<std::string, Bytes>& entries);

// Stand-in for the flying arrow, for previews and tests without the real one.
MeshData StandInArrow();

}  // namespace assetgen::cupid
