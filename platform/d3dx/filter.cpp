#include "platform/d3dx/filter.h"

#include <algorithm>
#include <cmath>

#include "platform/d3d/format.h"

namespace d3dx {
namespace {

using d3d::DWORD;

constexpr DWORD kFilterKindMask = 0xFFFF;

// Floating-point ARGB for weighted sums.
struct Accumulator {
  float a = 0, r = 0, g = 0, b = 0;

  void Add(uint32_t argb, float weight) {
    a += static_cast<float>(argb >> 24) * weight;
    r += static_cast<float>((argb >> 16) & 0xFF) * weight;
    g += static_cast<float>((argb >> 8) & 0xFF) * weight;
    b += static_cast<float>(argb & 0xFF) * weight;
  }
  uint32_t Pack(float totalWeight) const {
    auto channel = [totalWeight](float sum) {
      return static_cast<uint32_t>(std::clamp(std::lround(sum / totalWeight), 0L, 255L));
    };
    return channel(a) << 24 | channel(r) << 16 | channel(g) << 8 | channel(b);
  }
};

// A coordinate beyond 0..size-1 brought back inside, wrapped or mirrored.
uint32_t Fold(int64_t i, uint32_t size, bool mirror) {
  int64_t n = size;
  if (!mirror) return static_cast<uint32_t>(((i % n) + n) % n);
  int64_t period = 2 * n;
  int64_t m = ((i % period) + period) % period;
  return static_cast<uint32_t>(m < n ? m : period - 1 - m);
}

ArgbImage Crop(const ArgbImage& image, const PixelRect& source, uint32_t width, uint32_t height) {
  ArgbImage out(width, height, 0);
  for (uint32_t y = 0; y < std::min(height, source.Height()); ++y) {
    for (uint32_t x = 0; x < std::min(width, source.Width()); ++x) {
      out.At(x, y) = image.At(source.left + x, source.top + y);
    }
  }
  return out;
}

ArgbImage Nearest(const ArgbImage& image, const PixelRect& source, uint32_t width,
                  uint32_t height) {
  ArgbImage out(width, height);
  for (uint32_t y = 0; y < height; ++y) {
    uint32_t sy = source.top + static_cast<uint32_t>(
                                   (uint64_t{y} * source.Height() + source.Height() / 2) / height);
    sy = std::min(sy, source.bottom - 1);
    for (uint32_t x = 0; x < width; ++x) {
      uint32_t sx = source.left + static_cast<uint32_t>(
                                      (uint64_t{x} * source.Width() + source.Width() / 2) / width);
      out.At(x, y) = image.At(std::min(sx, source.right - 1), sy);
    }
  }
  return out;
}

// Bilinear between sample centres; neighbours beyond the rectangle wrap or mirror within it.
ArgbImage Bilinear(const ArgbImage& image, const PixelRect& source, uint32_t width, uint32_t height,
                   DWORD filter) {
  bool mirrorU = (filter & D3DX_FILTER_MIRROR_U) != 0,
       mirrorV = (filter & D3DX_FILTER_MIRROR_V) != 0;
  ArgbImage out(width, height);
  float scaleX = static_cast<float>(source.Width()) / static_cast<float>(width);
  float scaleY = static_cast<float>(source.Height()) / static_cast<float>(height);
  for (uint32_t y = 0; y < height; ++y) {
    float fy = (static_cast<float>(y) + 0.5f) * scaleY - 0.5f;
    float y0 = std::floor(fy), wy = fy - y0;
    uint32_t rows[2] = {Fold(static_cast<int64_t>(y0), source.Height(), mirrorV),
                        Fold(static_cast<int64_t>(y0) + 1, source.Height(), mirrorV)};
    for (uint32_t x = 0; x < width; ++x) {
      float fx = (static_cast<float>(x) + 0.5f) * scaleX - 0.5f;
      float x0 = std::floor(fx), wx = fx - x0;
      uint32_t columns[2] = {Fold(static_cast<int64_t>(x0), source.Width(), mirrorU),
                             Fold(static_cast<int64_t>(x0) + 1, source.Width(), mirrorU)};
      Accumulator sum;
      for (int j = 0; j < 2; ++j) {
        for (int i = 0; i < 2; ++i) {
          float weight = (i ? wx : 1 - wx) * (j ? wy : 1 - wy);
          if (weight > 0) sum.Add(image.At(source.left + columns[i], source.top + rows[j]), weight);
        }
      }
      out.At(x, y) = sum.Pack(1.0f);
    }
  }
  return out;
}

// Each destination pixel averages the source area it covers, partial pixels by their share.
ArgbImage AreaAverage(const ArgbImage& image, const PixelRect& source, uint32_t width,
                      uint32_t height) {
  ArgbImage out(width, height);
  double scaleX = static_cast<double>(source.Width()) / width;
  double scaleY = static_cast<double>(source.Height()) / height;
  for (uint32_t y = 0; y < height; ++y) {
    double top = y * scaleY, bottom = (y + 1) * scaleY;
    for (uint32_t x = 0; x < width; ++x) {
      double left = x * scaleX, right = (x + 1) * scaleX;
      Accumulator sum;
      float total = 0;
      for (auto sy = static_cast<uint32_t>(top); sy < source.Height() && sy < bottom; ++sy) {
        double coverY = std::min<double>(sy + 1, bottom) - std::max<double>(sy, top);
        for (auto sx = static_cast<uint32_t>(left); sx < source.Width() && sx < right; ++sx) {
          double coverX = std::min<double>(sx + 1, right) - std::max<double>(sx, left);
          auto weight = static_cast<float>(coverX * coverY);
          sum.Add(image.At(source.left + sx, source.top + sy), weight);
          total += weight;
        }
      }
      out.At(x, y) = total > 0 ? sum.Pack(total) : 0;
    }
  }
  return out;
}

}  // namespace

bool IsValidFilter(DWORD filter) {
  if (filter == D3DX_DEFAULT) return true;
  DWORD kind = filter & kFilterKindMask;
  DWORD flags = filter & ~kFilterKindMask;
  return kind >= D3DX_FILTER_NONE && kind <= D3DX_FILTER_BOX &&
         (flags & ~(D3DX_FILTER_MIRROR | D3DX_FILTER_DITHER)) == 0;
}

ArgbImage Resample(const ArgbImage& image, const PixelRect& source, uint32_t width, uint32_t height,
                   DWORD filter) {
  if (width == 0 || height == 0 || source.Width() == 0 || source.Height() == 0) {
    return ArgbImage(width, height, 0);
  }
  DWORD kind = filter == D3DX_DEFAULT ? D3DX_FILTER_BOX : filter & kFilterKindMask;
  if (kind == D3DX_FILTER_NONE) return Crop(image, source, width, height);
  if (width == source.Width() && height == source.Height())
    return Crop(image, source, width, height);
  if (kind == D3DX_FILTER_POINT) return Nearest(image, source, width, height);
  bool shrinking = width <= source.Width() && height <= source.Height();
  if (kind != D3DX_FILTER_LINEAR && shrinking) return AreaAverage(image, source, width, height);
  return Bilinear(image, source, width, height, filter == D3DX_DEFAULT ? 0 : filter);
}

void ApplyColourKey(ArgbImage& image, d3d::D3DCOLOR key) {
  if (key == 0) return;
  std::replace(image.pixels.begin(), image.pixels.end(), key, 0u);
}

std::vector<ArgbImage> BuildMipChain(const ArgbImage& level0, uint32_t count, DWORD filter) {
  std::vector<ArgbImage> levels;
  levels.reserve(count);  // keeps above pointing at a live level
  const ArgbImage* above = &level0;
  for (uint32_t level = 1; level < count; ++level) {
    PixelRect whole{0, 0, above->width, above->height};
    levels.push_back(Resample(*above, whole, d3d::MipDimension(level0.width, level),
                              d3d::MipDimension(level0.height, level), filter));
    above = &levels.back();
  }
  return levels;
}

}  // namespace d3dx
