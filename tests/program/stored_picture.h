// A screen picture kept as a test fixture: read back as opaque pixels, written again on request,
// and compared within a tolerance, so that pictures of another rasteriser still match.
#pragma once

#include <gtest/gtest.h>
#include <stb/stb_image_write.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/d3dx/image_file.h"

namespace tests {

// The stored picture's pixels (0xAARRGGBB, opaque); none when it is missing or of another size.
inline std::vector<uint32_t> ReadStoredPicture(const std::string& path, int32_t width,
                                               int32_t height) {
  std::ifstream file(path, std::ios::binary);
  const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(file), {}};
  const auto image = d3dx::DecodeImageFile(bytes);
  if (!image || image->LevelWidth(0) != static_cast<uint32_t>(width) ||
      image->LevelHeight(0) != static_cast<uint32_t>(height))
    return {};
  const std::vector<uint8_t>& level = image->levels[0][0];
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
  for (size_t i = 0; i < pixels.size(); ++i)
    pixels[i] = 0xFF000000u | level[4 * i] | level[4 * i + 1] << 8 | level[4 * i + 2] << 16;
  return pixels;
}

// Writes the pixels as the stored picture (RGB PNG).
inline void WriteStoredPicture(const std::string& path, const std::vector<uint32_t>& pixels,
                               int32_t width, int32_t height) {
  std::vector<uint8_t> rgb;
  for (uint32_t pixel : pixels)
    for (int shift : {16, 8, 0}) rgb.push_back(static_cast<uint8_t>(pixel >> shift));
  stbi_write_png(path.c_str(), width, height, 3, rgb.data(), width * 3);
}

// How many pixels differ from the stored ones by more than 8 in some colour channel.
inline size_t CountDifferingPixels(const std::vector<uint32_t>& pixels,
                                   const std::vector<uint32_t>& stored) {
  size_t differing = 0;
  for (size_t i = 0; i < pixels.size(); ++i) {
    for (int shift : {0, 8, 16}) {
      const int a = static_cast<int>(pixels[i] >> shift & 0xFF);
      const int b = static_cast<int>(stored[i] >> shift & 0xFF);
      if (std::abs(a - b) > 8) {
        ++differing;
        break;
      }
    }
  }
  return differing;
}

// Whether the pixels match the stored picture, at most `allowed` of them differing.
inline ::testing::AssertionResult MatchesStoredPicture(const std::string& path,
                                                       const std::vector<uint32_t>& pixels,
                                                       int32_t width, int32_t height,
                                                       size_t allowed) {
  const std::vector<uint32_t> stored = ReadStoredPicture(path, width, height);
  if (stored.size() != pixels.size())
    return ::testing::AssertionFailure() << "no stored picture at " << path;
  const size_t differing = CountDifferingPixels(pixels, stored);
  if (differing > allowed)
    return ::testing::AssertionFailure()
           << differing << " pixels differ from " << path << ", at most " << allowed << " may";
  return ::testing::AssertionSuccess();
}

}  // namespace tests
