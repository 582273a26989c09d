// Drawing for the program folder's pictures: filled shapes, lines and text on a 32-bit ARGB image,
// and the files they are written to (PNG, JPEG, and DDS through the D3DX layer's encoder).
// Everything here is exact integer or float arithmetic on the image, so a picture comes out the
// same bytes on every build.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/d3dx/pixels.h"

using d3dx::ArgbImage;

constexpr uint32_t Argb(uint32_t r, uint32_t g, uint32_t b, uint32_t a = 255) {
  return (a << 24) | (r << 16) | (g << 8) | b;
}
constexpr uint32_t Grey(uint32_t v, uint32_t a = 255) { return Argb(v, v, v, a); }

// Blends colour over the pixel with coverage 0..1 (times the colour's own alpha).
void Blend(ArgbImage& image, int x, int y, uint32_t colour, float coverage = 1.0f);
void FillRect(ArgbImage& image, int x0, int y0, int x1, int y1, uint32_t colour);
void FrameRect(ArgbImage& image, int x0, int y0, int x1, int y1, int width, uint32_t colour);
// Filled disc and ring (radii in pixels, edges smoothed over one pixel).
void FillCircle(ArgbImage& image, float cx, float cy, float radius, uint32_t colour);
void Ring(ArgbImage& image, float cx, float cy, float inner, float outer, uint32_t colour);
void Line(ArgbImage& image, float x0, float y0, float x1, float y1, float width, uint32_t colour);

enum class Align { Left, Centre, Right };
// Text of the program folder's one face (a sans-serif of the installed fonts), `height` pixels from
// the top of the capitals to the base line; x is the left end, middle or right end by `align`, y
// the base line. UTF-8.
void Text(ArgbImage& image, std::string_view text, float x, float y, float height, uint32_t colour,
          Align align = Align::Left);
// The width of the text at that height.
float TextWidth(std::string_view text, float height);
// The font file the text is drawn with; main() sets it before any text is drawn.
void SetFontFile(const std::filesystem::path& path);

// Deterministic noise: a hash of integer co-ordinates and seed to 0..1, and smooth value noise.
float Hash01(int32_t x, int32_t y, uint32_t seed);
float ValueNoise(float x, float y, uint32_t seed);
// Octaves of value noise, each half the size and half the weight of the one before; 0..1.
float FractalNoise(float x, float y, int octaves, uint32_t seed);

ArgbImage Resized(const ArgbImage& image, uint32_t width, uint32_t height);

// The files. A writer that fails throws std::runtime_error naming the file.
void WritePng(const std::filesystem::path& path, const ArgbImage& image);
void WriteJpeg(const std::filesystem::path& path, const ArgbImage& image, int quality = 88);
void WriteDds(const std::filesystem::path& path, const ArgbImage& image);
// By the name's extension: .png, .jpg or .dds.
void WriteImage(const std::filesystem::path& path, const ArgbImage& image);
// A picture of an installed package, decoded by the D3DX layer.
ArgbImage ReadImage(const std::filesystem::path& path);
