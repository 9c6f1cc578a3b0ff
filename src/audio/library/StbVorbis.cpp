// The one translation unit that compiles the stb_vorbis decoder; the others
// include its header part only. Its heap goes through VorbisMemory, which
// puts a ceiling on what one stream may take.
// The C headers it uses come first, so that the macros below reach only the
// decoder's own code.
#include <assert.h>
#include <limits.h>
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#if defined(_WIN32)
#include <malloc.h>
#endif

#include "audio/library/VorbisMemory.h"

#define malloc(n) VorbisMalloc(n)
#define realloc(p, n) VorbisRealloc(p, n)
#define free(p) VorbisFree(p)

#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wall"
#pragma GCC diagnostic ignored "-Wextra"
#endif
#include <stb_vorbis.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
