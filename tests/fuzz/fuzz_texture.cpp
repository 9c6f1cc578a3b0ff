// The texture path on arbitrary image bytes: TGA or JPEG decoding through our
// wrapper, the resize to the asked (or power-of-two) size and the mip chain.
// Two leading bytes choose the size and level arguments a caller could pass;
// the rest is the image file.
#include <string>

#include "ClassRender/ImageDecode.h"
#include "fuzz_common.h"

namespace {

// What the saver and D3DX callers pass, and a few odd explicit sizes.
const uint32_t kSizes[] = {kTextureDefault, 0, kTextureNonPow2, kTextureFromFile, 1, 3, 64, 100, 256, 5000};
const uint32_t kLevels[] = {kTextureDefault, 0, 1, 2, kTextureFromFile, 20};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const uint32_t nSize = kSizes[data[0] % (sizeof kSizes / sizeof kSizes[0])];
    const uint32_t nHeight = kSizes[(data[0] / 16) % (sizeof kSizes / sizeof kSizes[0])];
    const uint32_t nLevels = kLevels[data[1] % (sizeof kLevels / sizeof kLevels[0])];
    data += 2;
    size -= 2;

    TextureImage texture;
    std::string strError;
    if (!BuildTextureImage(data, size, nSize, nHeight, nLevels, texture, &strError)) {
        FUZZ_CHECK(!strError.empty() && texture.aLevels.empty());
        return 0;
    }
    FUZZ_CHECK(!texture.aLevels.empty());
    FUZZ_CHECK(texture.nSourceWidth >= 1 && texture.nSourceWidth <= kMaxImageDimension);
    FUZZ_CHECK(texture.nSourceHeight >= 1 && texture.nSourceHeight <= kMaxImageDimension);
    const ImageRGBA& top = texture.aLevels[0];
    if (nSize == kTextureDefault || nSize == 0) FUZZ_CHECK(top.nWidth == NextPowerOfTwo(texture.nSourceWidth));
    if (nSize == kTextureNonPow2 || nSize == kTextureFromFile) FUZZ_CHECK(top.nWidth == texture.nSourceWidth);
    FUZZ_CHECK(texture.aLevels.size() <= FullMipCount(top.nWidth, top.nHeight));
    for (size_t i = 0; i < texture.aLevels.size(); ++i) {
        const ImageRGBA& level = texture.aLevels[i];
        FUZZ_CHECK(level.aPixels.size() == size_t(level.nWidth) * level.nHeight * 4);
        if (i > 0) {
            const ImageRGBA& above = texture.aLevels[i - 1];
            FUZZ_CHECK(level.nWidth == (above.nWidth > 1 ? above.nWidth / 2 : 1));
            FUZZ_CHECK(level.nHeight == (above.nHeight > 1 ? above.nHeight / 2 : 1));
        }
    }
    return 0;
}
