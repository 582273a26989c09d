// The one place the stb image decoder and the block compressor are compiled. Decoding is limited to
// the file types no better decoder here reads, from memory only, and to images no larger than
// kMaxImageSide.
#include "platform/d3dx/image_file.h"

#define STBI_ONLY_BMP
#define STBI_ONLY_TGA
#define STBI_ONLY_PNM
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_MAX_DIMENSIONS d3dx::kMaxImageSide
#define STB_IMAGE_IMPLEMENTATION
#define STB_DXT_IMPLEMENTATION

#include <string.h>  // the block compressor uses memcpy without including it

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#include <stb/stb_dxt.h>
#include <stb/stb_image.h>
#pragma GCC diagnostic pop
