// The one translation unit that compiles the stb_vorbis decoder; the others
// include its header part only.
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wall"
#pragma GCC diagnostic ignored "-Wextra"
#endif
#include <stb_vorbis.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
