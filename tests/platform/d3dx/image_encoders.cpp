#include "tests/platform/d3dx/image_encoders.h"

#include <algorithm>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#include <stb/stb_image_write.h>
#pragma GCC diagnostic pop

namespace d3dx_test {
namespace {

std::vector<uint8_t> Rgba(const d3dx::ArgbImage& image) {
  std::vector<uint8_t> rgba;
  rgba.reserve(image.pixels.size() * 4);
  for (uint32_t argb : image.pixels) {
    rgba.push_back(static_cast<uint8_t>(argb >> 16));
    rgba.push_back(static_cast<uint8_t>(argb >> 8));
    rgba.push_back(static_cast<uint8_t>(argb));
    rgba.push_back(static_cast<uint8_t>(argb >> 24));
  }
  return rgba;
}

void Append(void* context, void* data, int size) {
  auto* out = static_cast<std::vector<uint8_t>*>(context);
  auto* bytes = static_cast<const uint8_t*>(data);
  out->insert(out->end(), bytes, bytes + size);
}

int Width(const d3dx::ArgbImage& image) { return static_cast<int>(image.width); }
int Height(const d3dx::ArgbImage& image) { return static_cast<int>(image.height); }

}  // namespace

std::vector<uint8_t> EncodePng(const d3dx::ArgbImage& image) {
  std::vector<uint8_t> out;
  stbi_write_png_to_func(Append, &out, Width(image), Height(image), 4, Rgba(image).data(),
                         Width(image) * 4);
  return out;
}

std::vector<uint8_t> EncodeJpeg(const d3dx::ArgbImage& image, int quality) {
  std::vector<uint8_t> out;
  stbi_write_jpg_to_func(Append, &out, Width(image), Height(image), 4, Rgba(image).data(), quality);
  return out;
}

std::vector<uint8_t> EncodeTga(const d3dx::ArgbImage& image) {
  std::vector<uint8_t> out;
  stbi_write_tga_to_func(Append, &out, Width(image), Height(image), 4, Rgba(image).data());
  return out;
}

d3dx::ArgbImage Picture(uint32_t width, uint32_t height) {
  d3dx::ArgbImage image(width, height);
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) {
      uint32_t r = x * 255 / std::max(1u, width - 1);
      uint32_t g = y * 255 / std::max(1u, height - 1);
      uint32_t b = ((x / 8 + y / 8) % 2) ? 200 : 40;
      uint32_t a = 128 + (x + y) % 128;
      image.At(x, y) = a << 24 | r << 16 | g << 8 | b;
    }
  }
  return image;
}

}  // namespace d3dx_test
