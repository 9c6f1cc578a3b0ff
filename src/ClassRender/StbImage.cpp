// The one stb_image implementation: only the decoders we ship images in,
// memory input only, and a size limit so damaged headers cannot ask for
// huge allocations.
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_JPEG
#define STBI_ONLY_TGA
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_MAX_DIMENSIONS 4096
#include <stb_image.h>
