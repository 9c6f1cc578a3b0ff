#pragma once
// Software renders of the cupid and the heart into PNG contact sheets, so the
// characters can be judged without Windows.
#include <string>

#include "CupidAssets.h"

namespace assetgen::cupid {

// Writes cupid_<animation>.png (front, side and back at the first, middle and
// release or last frame), cupid_shot_strip.png (the shot frame by frame),
// cupid_closeup.png, cupid_face.png, cupid_distance.png,
// cupid_heart.png (three frames of the beat from two sides), cupid_atlas.png
// and cupid_heart_texture.png into 'dir'. 'arrowTexture' may be null (the arrow on
// the bow is then drawn plain gold). Returns false when a file cannot be written.
bool WriteCupidPreview(const CupidContent& content, const Image* arrowTexture, const std::string& dir);
// The same for a fresh build with the saver's own arrow.
bool WriteCupidPreviewSheets(const std::string& dir);

}  // namespace assetgen::cupid
