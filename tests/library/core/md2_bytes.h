// Small MD2 files written by the tests: a skin, texture coordinates, triangles over a few
// vertices and frames of the given names, with fields open to spoiling one at a time.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace md2test {

struct Md2Contents {
  int32_t skinWidth = 64;
  int32_t skinHeight = 32;
  std::string skin = "models/skin.bmp";
  int32_t vertexCount = 4;
  // Vertex, then texture-coordinate indices of each triangle.
  std::vector<uint16_t> triangles = {0, 1, 2, 0, 1, 2, 0, 2, 3, 0, 2, 3};
  std::vector<int16_t> texCoords = {0, 0, 32, 0, 32, 16, 0, 16};
  std::vector<std::string> frameNames = {"stand01", "stand02", "run1"};
  // When set, vertex v's packed bytes in frame f are (x + f, y, z) in place of the formula below.
  std::vector<std::array<int32_t, 3>> packed;
};

// Header word positions, for spoiling a file.
enum Word {
  kSkinWidth = 2,
  kFrameSize = 4,
  kSkinCount = 5,
  kVertexCount = 6,
  kTexCoordCount = 7,
  kTriangleCount = 8,
  kFrameCount = 10,
  kSkinOffset = 11,
  kTriangleOffset = 13,
  kFrameOffset = 14,
};

inline void Put32(std::vector<uint8_t>& out, uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

inline void PutFloat(std::vector<uint8_t>& out, float value) {
  uint32_t raw;
  std::memcpy(&raw, &value, 4);
  Put32(out, raw);
}

inline void SetWord(std::vector<uint8_t>& file, int word, int32_t value) {
  std::vector<uint8_t> raw;
  Put32(raw, static_cast<uint32_t>(value));
  std::memcpy(file.data() + word * 4, raw.data(), 4);
}

// Frame f puts vertex v at (v + f, 2v + 2, 3) through a scale of (1, 0.5, 2) and a translation of
// (0, 1, -1): bytes (v + f, 4v + 2, 2).
inline std::vector<uint8_t> Md2File(const Md2Contents& contents = {}) {
  const int32_t header = 68, skinSize = 64;
  const int32_t triangleCount = static_cast<int32_t>(contents.triangles.size() / 6);
  const int32_t texCoordCount = static_cast<int32_t>(contents.texCoords.size() / 2);
  const int32_t frameSize = 40 + 4 * contents.vertexCount;
  const int32_t skinOffset = header;
  const int32_t texCoordOffset = skinOffset + skinSize;
  const int32_t triangleOffset = texCoordOffset + 4 * texCoordCount;
  const int32_t frameOffset = triangleOffset + 12 * triangleCount;
  const int32_t frameCount = static_cast<int32_t>(contents.frameNames.size());
  const int32_t end = frameOffset + frameSize * frameCount;
  std::vector<uint8_t> out;
  for (int32_t word : {0x32504449, 8, contents.skinWidth, contents.skinHeight, frameSize, 1,
                       contents.vertexCount, texCoordCount, triangleCount, 0, frameCount,
                       skinOffset, texCoordOffset, triangleOffset, frameOffset, end, end})
    Put32(out, static_cast<uint32_t>(word));
  std::string skin = contents.skin;
  skin.resize(skinSize, '\0');
  out.insert(out.end(), skin.begin(), skin.end());
  for (int16_t texel : contents.texCoords) {
    out.push_back(static_cast<uint8_t>(texel));
    out.push_back(static_cast<uint8_t>(static_cast<uint16_t>(texel) >> 8));
  }
  for (uint16_t index : contents.triangles) {
    out.push_back(static_cast<uint8_t>(index));
    out.push_back(static_cast<uint8_t>(index >> 8));
  }
  for (size_t f = 0; f < contents.frameNames.size(); ++f) {
    for (float value : {1.0f, 0.5f, 2.0f, 0.0f, 1.0f, -1.0f}) PutFloat(out, value);
    std::string name = contents.frameNames[f];
    name.resize(16, '\0');
    out.insert(out.end(), name.begin(), name.end());
    for (int32_t v = 0; v < contents.vertexCount; ++v) {
      std::array<int32_t, 3> bytes = {v, 4 * v + 2, 2};
      if (!contents.packed.empty()) bytes = contents.packed[static_cast<size_t>(v)];
      for (int32_t byte : {bytes[0] + static_cast<int32_t>(f), bytes[1], bytes[2], 0})
        out.push_back(static_cast<uint8_t>(byte));
    }
  }
  return out;
}

}  // namespace md2test
