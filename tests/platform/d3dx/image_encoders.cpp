#include "tests/platform/d3dx/image_encoders.h"

#include <turbojpeg.h>
#include <zlib.h>

#include <algorithm>
#include <memory>

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

std::vector<uint8_t> Red(const d3dx::ArgbImage& image) {
  std::vector<uint8_t> grey;
  for (uint32_t argb : image.pixels) grey.push_back(static_cast<uint8_t>(argb >> 16));
  return grey;
}

void AppendBigEndian(std::vector<uint8_t>& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

// A chunk: its length, type, data and the checksum of type and data.
void AppendChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
  AppendBigEndian(out, static_cast<uint32_t>(data.size()));
  size_t typeAt = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  auto checked = reinterpret_cast<const Bytef*>(out.data() + typeAt);
  AppendBigEndian(out,
                  static_cast<uint32_t>(crc32(0, checked, static_cast<uInt>(4 + data.size()))));
}

struct TurboFree {
  void operator()(void* handle) const { tjDestroy(handle); }
};

std::vector<uint8_t> CompressJpeg(const std::vector<uint8_t>& pixels, const d3dx::ArgbImage& image,
                                  int pixelFormat, int subsampling, int quality) {
  std::unique_ptr<void, TurboFree> handle(tjInitCompress());
  unsigned char* jpeg = nullptr;
  unsigned long size = 0;
  tjCompress2(handle.get(), pixels.data(), Width(image), 0, Height(image), pixelFormat, &jpeg,
              &size, subsampling, quality, 0);
  std::vector<uint8_t> out(jpeg, jpeg + size);
  tjFree(jpeg);
  return out;
}

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

std::vector<uint8_t> EncodeInterlacedPng(const d3dx::ArgbImage& image) {
  struct Pass {
    uint32_t x, y, xStep, yStep;
  };
  constexpr Pass kAdam7[] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                             {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
  const std::vector<uint8_t> rgba = Rgba(image);
  std::vector<uint8_t> scanlines;
  for (const Pass& pass : kAdam7) {
    if (pass.x >= image.width) continue;  // a pass with no columns has no rows either
    for (uint32_t y = pass.y; y < image.height; y += pass.yStep) {
      scanlines.push_back(0);  // no filter
      for (uint32_t x = pass.x; x < image.width; x += pass.xStep) {
        const uint8_t* pixel = rgba.data() + (size_t{y} * image.width + x) * 4;
        scanlines.insert(scanlines.end(), pixel, pixel + 4);
      }
    }
  }
  std::vector<uint8_t> compressed(compressBound(static_cast<uLong>(scanlines.size())));
  uLongf compressedSize = static_cast<uLongf>(compressed.size());
  compress(compressed.data(), &compressedSize, scanlines.data(),
           static_cast<uLong>(scanlines.size()));
  compressed.resize(compressedSize);

  std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> header;
  AppendBigEndian(header, image.width);
  AppendBigEndian(header, image.height);
  const uint8_t kDepthRgbaDeflateAdaptiveAdam7[] = {8, 6, 0, 0, 1};
  header.insert(header.end(), std::begin(kDepthRgbaDeflateAdaptiveAdam7),
                std::end(kDepthRgbaDeflateAdaptiveAdam7));
  AppendChunk(out, "IHDR", header);
  AppendChunk(out, "IDAT", compressed);
  AppendChunk(out, "IEND", {});
  return out;
}

std::vector<uint8_t> EncodeGreyPng(const d3dx::ArgbImage& image) {
  std::vector<uint8_t> out;
  stbi_write_png_to_func(Append, &out, Width(image), Height(image), 1, Red(image).data(),
                         Width(image));
  return out;
}

std::vector<uint8_t> EncodeGreyJpeg(const d3dx::ArgbImage& image, int quality) {
  return CompressJpeg(Red(image), image, TJPF_GRAY, TJSAMP_GRAY, quality);
}

std::vector<uint8_t> EncodeCmykJpeg(const d3dx::ArgbImage& image, int quality) {
  return CompressJpeg(Rgba(image), image, TJPF_CMYK, TJSAMP_444, quality);
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
