#include "tools/common/canvas.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "platform/d3d/format.h"
#include "platform/d3dx/dds.h"
#include "platform/d3dx/image_file.h"
#include "platform/win/byte_reader.h"
#include "platform/win/byte_writer.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wconversion"
#pragma GCC diagnostic ignored "-Wsign-conversion"
#pragma GCC diagnostic ignored "-Wshadow"
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-but-set-variable"
#pragma GCC diagnostic ignored "-Wpedantic"
#define STB_TRUETYPE_IMPLEMENTATION
#define STBTT_STATIC
#include <stb/stb_truetype.h>
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#define STBIW_ZLIB_COMPRESS_LEVEL 8
#include <stb/stb_image_write.h>
#pragma GCC diagnostic pop

namespace {

uint32_t Channel(uint32_t colour, int shift) { return (colour >> shift) & 0xFFu; }

float Clamp01(float v) { return std::clamp(v, 0.0f, 1.0f); }

struct Font {
  std::vector<uint8_t> bytes;
  stbtt_fontinfo info{};
};

Font& TheFont() {
  static Font font;
  return font;
}

// The code points of a UTF-8 text; a broken sequence counts as '?'.
std::vector<int> CodePoints(std::string_view text) {
  std::vector<int> points;
  for (size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    int length = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (length == 0 || i + static_cast<size_t>(length) > text.size()) {
      points.push_back('?');
      ++i;
      continue;
    }
    int point = length == 1 ? c : c & (0x3F >> (length - 1));
    for (int k = 1; k < length; ++k)
      point = (point << 6) | (static_cast<unsigned char>(text[i + static_cast<size_t>(k)]) & 0x3F);
    points.push_back(point);
    i += static_cast<size_t>(length);
  }
  return points;
}

float FontScale(float capitalHeight) {
  Font& font = TheFont();
  if (font.bytes.empty()) throw std::runtime_error("no font file was set");
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  stbtt_GetCodepointBox(&font.info, 'H', &x0, &y0, &x1, &y1);
  return capitalHeight / static_cast<float>(y1);
}

std::vector<uint8_t> Argb8ToRgba(const ArgbImage& image) {
  std::vector<uint8_t> rgba;
  rgba.reserve(image.pixels.size() * 4);
  for (uint32_t p : image.pixels)
    rgba.insert(rgba.end(),
                {static_cast<uint8_t>(Channel(p, 16)), static_cast<uint8_t>(Channel(p, 8)),
                 static_cast<uint8_t>(Channel(p, 0)), static_cast<uint8_t>(Channel(p, 24))});
  return rgba;
}

void AppendBytes(void* context, void* data, int size) {
  auto* out = static_cast<std::vector<uint8_t>*>(context);
  const auto* bytes = static_cast<const uint8_t*>(data);
  out->insert(out->end(), bytes, bytes + size);
}

void Save(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
  if (bytes.empty() || !win::WriteFileBytes(path, bytes))
    throw std::runtime_error("cannot write " + path.string());
}

}  // namespace

void Blend(ArgbImage& image, int x, int y, uint32_t colour, float coverage) {
  if (x < 0 || y < 0 || x >= static_cast<int>(image.width) || y >= static_cast<int>(image.height))
    return;
  uint32_t& pixel = image.At(static_cast<uint32_t>(x), static_cast<uint32_t>(y));
  const float a = Clamp01(coverage) * static_cast<float>(Channel(colour, 24)) / 255.0f;
  if (a <= 0) return;
  const float da = static_cast<float>(Channel(pixel, 24)) / 255.0f;
  const float outA = a + da * (1 - a);
  const auto mix = [&](int shift) {
    const float c = static_cast<float>(Channel(colour, shift));
    const float d = static_cast<float>(Channel(pixel, shift));
    const float v = outA > 0 ? (c * a + d * da * (1 - a)) / outA : 0;
    return static_cast<uint32_t>(std::lround(std::clamp(v, 0.0f, 255.0f)));
  };
  pixel = Argb(mix(16), mix(8), mix(0), static_cast<uint32_t>(std::lround(outA * 255.0f)));
}

void FillRect(ArgbImage& image, int x0, int y0, int x1, int y1, uint32_t colour) {
  for (int y = std::max(0, y0); y < std::min(y1, static_cast<int>(image.height)); ++y)
    for (int x = std::max(0, x0); x < std::min(x1, static_cast<int>(image.width)); ++x)
      image.At(static_cast<uint32_t>(x), static_cast<uint32_t>(y)) = colour;
}

void FrameRect(ArgbImage& image, int x0, int y0, int x1, int y1, int width, uint32_t colour) {
  FillRect(image, x0, y0, x1, y0 + width, colour);
  FillRect(image, x0, y1 - width, x1, y1, colour);
  FillRect(image, x0, y0, x0 + width, y1, colour);
  FillRect(image, x1 - width, y0, x1, y1, colour);
}

void Ring(ArgbImage& image, float cx, float cy, float inner, float outer, uint32_t colour) {
  const int x0 = static_cast<int>(std::floor(cx - outer - 1));
  const int x1 = static_cast<int>(std::ceil(cx + outer + 1));
  const int y0 = static_cast<int>(std::floor(cy - outer - 1));
  const int y1 = static_cast<int>(std::ceil(cy + outer + 1));
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x) {
      const float dx = static_cast<float>(x) + 0.5f - cx;
      const float dy = static_cast<float>(y) + 0.5f - cy;
      const float d = std::sqrt(dx * dx + dy * dy);
      const float coverage = Clamp01(outer - d + 0.5f) * Clamp01(d - inner + 0.5f);
      if (coverage > 0) Blend(image, x, y, colour, coverage);
    }
}

void FillCircle(ArgbImage& image, float cx, float cy, float radius, uint32_t colour) {
  Ring(image, cx, cy, -1.0f, radius, colour);
}

void Line(ArgbImage& image, float x0, float y0, float x1, float y1, float width, uint32_t colour) {
  const float half = width / 2;
  const int minX = static_cast<int>(std::floor(std::min(x0, x1) - half - 1));
  const int maxX = static_cast<int>(std::ceil(std::max(x0, x1) + half + 1));
  const int minY = static_cast<int>(std::floor(std::min(y0, y1) - half - 1));
  const int maxY = static_cast<int>(std::ceil(std::max(y0, y1) + half + 1));
  const float dx = x1 - x0, dy = y1 - y0;
  const float length2 = std::max(dx * dx + dy * dy, 1e-6f);
  for (int y = minY; y <= maxY; ++y)
    for (int x = minX; x <= maxX; ++x) {
      const float px = static_cast<float>(x) + 0.5f - x0;
      const float py = static_cast<float>(y) + 0.5f - y0;
      const float t = std::clamp((px * dx + py * dy) / length2, 0.0f, 1.0f);
      const float ex = px - t * dx, ey = py - t * dy;
      const float coverage = Clamp01(half - std::sqrt(ex * ex + ey * ey) + 0.5f);
      if (coverage > 0) Blend(image, x, y, colour, coverage);
    }
}

void SetFontFile(const std::filesystem::path& path) {
  Font& font = TheFont();
  auto bytes = win::ReadFileBytes(path, 64u << 20);
  if (!bytes) throw std::runtime_error("cannot read the font " + path.string());
  font.bytes = std::move(*bytes);
  if (!stbtt_InitFont(&font.info, font.bytes.data(),
                      stbtt_GetFontOffsetForIndex(font.bytes.data(), 0)))
    throw std::runtime_error("cannot read the font " + path.string());
}

float TextWidth(std::string_view text, float height) {
  const float scale = FontScale(height);
  float width = 0;
  for (int point : CodePoints(text)) {
    int advance = 0, bearing = 0;
    stbtt_GetCodepointHMetrics(&TheFont().info, point, &advance, &bearing);
    width += static_cast<float>(advance) * scale;
  }
  return width;
}

void Text(ArgbImage& image, std::string_view text, float x, float y, float height, uint32_t colour,
          Align align) {
  const float scale = FontScale(height);
  const float width = TextWidth(text, height);
  float pen = align == Align::Left ? x : align == Align::Centre ? x - width / 2 : x - width;
  const stbtt_fontinfo& info = TheFont().info;
  for (int point : CodePoints(text)) {
    int advance = 0, bearing = 0;
    stbtt_GetCodepointHMetrics(&info, point, &advance, &bearing);
    const float shiftX = pen - std::floor(pen);
    int w = 0, h = 0, ox = 0, oy = 0;
    unsigned char* bitmap =
        stbtt_GetCodepointBitmapSubpixel(&info, scale, scale, shiftX, 0, point, &w, &h, &ox, &oy);
    const int left = static_cast<int>(std::floor(pen)) + ox;
    const int top = static_cast<int>(std::lround(y)) + oy;
    for (int row = 0; row < h; ++row)
      for (int column = 0; column < w; ++column) {
        const uint8_t value = bitmap[row * w + column];
        if (value != 0)
          Blend(image, left + column, top + row, colour, static_cast<float>(value) / 255.0f);
      }
    stbtt_FreeBitmap(bitmap, nullptr);
    pen += static_cast<float>(advance) * scale;
  }
}

float Hash01(int32_t x, int32_t y, uint32_t seed) {
  uint32_t h = seed * 0x9E3779B1u ^ static_cast<uint32_t>(x) * 0x85EBCA77u ^
               static_cast<uint32_t>(y) * 0xC2B2AE3Du;
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  h ^= h >> 12;
  h *= 0x297A2D39u;
  h ^= h >> 15;
  return static_cast<float>(h >> 8) / 16777216.0f;
}

float ValueNoise(float x, float y, uint32_t seed) {
  const float fx = std::floor(x), fy = std::floor(y);
  const auto ix = static_cast<int32_t>(fx), iy = static_cast<int32_t>(fy);
  const float tx = x - fx, ty = y - fy;
  const float sx = tx * tx * (3 - 2 * tx), sy = ty * ty * (3 - 2 * ty);
  const float a = Hash01(ix, iy, seed), b = Hash01(ix + 1, iy, seed);
  const float c = Hash01(ix, iy + 1, seed), d = Hash01(ix + 1, iy + 1, seed);
  return (a + (b - a) * sx) * (1 - sy) + (c + (d - c) * sx) * sy;
}

float FractalNoise(float x, float y, int octaves, uint32_t seed) {
  float sum = 0, weight = 1, total = 0;
  for (int k = 0; k < octaves; ++k) {
    sum += ValueNoise(x, y, seed + static_cast<uint32_t>(k)) * weight;
    total += weight;
    weight *= 0.5f;
    x *= 2;
    y *= 2;
  }
  return sum / total;
}

ArgbImage Resized(const ArgbImage& image, uint32_t width, uint32_t height) {
  ArgbImage out(width, height);
  const float sx = static_cast<float>(image.width) / static_cast<float>(width);
  const float sy = static_cast<float>(image.height) / static_cast<float>(height);
  for (uint32_t y = 0; y < height; ++y)
    for (uint32_t x = 0; x < width; ++x) {
      // The mean of the source pixels under the destination pixel.
      const auto x0 = static_cast<uint32_t>(static_cast<float>(x) * sx);
      const auto y0 = static_cast<uint32_t>(static_cast<float>(y) * sy);
      const uint32_t x1 = std::max(
          x0 + 1, std::min(image.width, static_cast<uint32_t>(static_cast<float>(x + 1) * sx)));
      const uint32_t y1 = std::max(
          y0 + 1, std::min(image.height, static_cast<uint32_t>(static_cast<float>(y + 1) * sy)));
      uint64_t sum[4] = {0, 0, 0, 0};
      for (uint32_t v = y0; v < y1; ++v)
        for (uint32_t u = x0; u < x1; ++u)
          for (int c = 0; c < 4; ++c) sum[c] += Channel(image.At(u, v), c * 8);
      const uint64_t n = uint64_t{x1 - x0} * (y1 - y0);
      uint32_t pixel = 0;
      for (int c = 0; c < 4; ++c) pixel |= static_cast<uint32_t>((sum[c] + n / 2) / n) << (c * 8);
      out.At(x, y) = pixel;
    }
  return out;
}

void WritePng(const std::filesystem::path& path, const ArgbImage& image) {
  const std::vector<uint8_t> rgba = Argb8ToRgba(image);
  std::vector<uint8_t> bytes;
  stbi_write_png_to_func(AppendBytes, &bytes, static_cast<int>(image.width),
                         static_cast<int>(image.height), 4, rgba.data(),
                         static_cast<int>(image.width * 4));
  Save(path, bytes);
}

void WriteJpeg(const std::filesystem::path& path, const ArgbImage& image, int quality) {
  std::vector<uint8_t> rgb;
  rgb.reserve(image.pixels.size() * 3);
  for (uint32_t p : image.pixels)
    rgb.insert(rgb.end(),
               {static_cast<uint8_t>(Channel(p, 16)), static_cast<uint8_t>(Channel(p, 8)),
                static_cast<uint8_t>(Channel(p, 0))});
  std::vector<uint8_t> bytes;
  stbi_write_jpg_to_func(AppendBytes, &bytes, static_cast<int>(image.width),
                         static_cast<int>(image.height), 3, rgb.data(), quality);
  Save(path, bytes);
}

void WriteDds(const std::filesystem::path& path, const ArgbImage& image) {
  d3dx::ImageFile file;
  file.info.Width = image.width;
  file.info.Height = image.height;
  file.info.Depth = 1;
  file.info.MipLevels = 1;
  file.info.Format = d3d::D3DFMT_A8R8G8B8;
  file.info.ResourceType = d3d::D3DRTYPE_TEXTURE;
  file.info.ImageFileFormat = d3dx::D3DXIFF_DDS;
  file.storedFormat = d3d::D3DFMT_A8R8G8B8;
  std::vector<uint8_t> level;
  level.reserve(image.pixels.size() * 4);
  for (uint32_t p : image.pixels)
    for (int shift : {0, 8, 16, 24}) level.push_back(static_cast<uint8_t>(Channel(p, shift)));
  file.levels = {{std::move(level)}};
  const auto bytes = d3dx::EncodeDds(file);
  if (!bytes) throw std::runtime_error("cannot encode " + path.string());
  Save(path, *bytes);
}

void WriteImage(const std::filesystem::path& path, const ArgbImage& image) {
  const std::string extension = path.extension().string();
  if (extension == ".png")
    WritePng(path, image);
  else if (extension == ".jpg")
    WriteJpeg(path, image);
  else if (extension == ".dds")
    WriteDds(path, image);
  else
    throw std::runtime_error("no writer for " + path.string());
}

ArgbImage ReadImage(const std::filesystem::path& path) {
  const auto bytes = win::ReadFileBytes(path, d3dx::kMaxImageFileBytes);
  if (!bytes) throw std::runtime_error("cannot read " + path.string());
  const auto file = d3dx::DecodeImageFile(*bytes);
  if (!file || file->storedFormat != d3d::D3DFMT_A8R8G8B8)
    throw std::runtime_error("cannot decode " + path.string());
  ArgbImage image(file->info.Width, file->info.Height);
  const std::vector<uint8_t>& level = file->levels[0][0];
  const size_t pitch = d3d::RowPitch(d3d::D3DFMT_A8R8G8B8, image.width);
  for (uint32_t y = 0; y < image.height; ++y)
    for (uint32_t x = 0; x < image.width; ++x) {
      const uint8_t* p = &level[y * pitch + x * 4];
      image.At(x, y) =
          uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
    }
  return image;
}
