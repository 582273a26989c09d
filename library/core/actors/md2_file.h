// The decoder of MD2 keyframe model files, before anything is made of them on the device.
//
// The file, little-endian: a header of seventeen 32-bit words (identifier "IDP2", version, skin
// width and height, frame size in bytes, the counts of skins, vertices, texture coordinates,
// triangles, commands and frames, then the offsets of skins, texture coordinates, triangles,
// frames and commands, and the end offset). A skin is a 64-character path; a texture coordinate two
// 16-bit texel numbers s, t; a triangle three 16-bit vertex indices, then three 16-bit
// texture-coordinate indices; a frame a scale and a translation (3 floats each), a 16-character
// name, then 4 bytes per vertex: x, y, z as unsigned bytes and a normal index nothing uses.
//
// Every count, offset and index is checked before anything is kept: a file the decoder refuses
// leaves nothing behind and says why.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

inline constexpr uint32_t kMd2Ident = 0x32504449;  // "IDP2" read as one little-endian word
inline constexpr size_t kMd2HeaderSize = 68;       // bytes: seventeen words
inline constexpr size_t kMd2SkinNameSize = 64;     // bytes
inline constexpr size_t kMd2FrameNameSize = 16;    // bytes
inline constexpr size_t kMd2FrameHeaderSize = 40;  // bytes: scale, translation, name
inline constexpr size_t kMd2TriangleSize = 12;     // bytes
inline constexpr size_t kMd2FrameVertexSize = 4;   // bytes
inline constexpr size_t kMd2TexCoordSize = 4;      // bytes

// One triangle corner: its texture coordinates as fractions of the skin, and its vertex.
struct Md2Corner {
  float u;
  float v;
  uint16_t vertex;
};

struct Md2Frame {
  std::string name;
  std::vector<float> positions;  // x, y, z of each corner, three corners a triangle
  float boxMin[3];
  float boxMax[3];
  float centre[3];  // the box's midpoint
  float radius;     // half the box's diagonal
};

// The frames first .. last (inclusive) that share a name once its trailing digits are cut off.
struct Md2Animation {
  std::string name;
  int32_t first;
  int32_t last;
};

struct Md2Model {
  int32_t skinWidth;   // texels
  int32_t skinHeight;  // texels
  std::string skin;    // the first skin's path; empty when the file names none
  int32_t triangleCount;
  std::vector<Md2Corner> corners;  // three a triangle
  std::vector<Md2Frame> frames;
  std::vector<Md2Animation> animations;
};

enum class Md2Refusal {
  BadIdent,  // not an MD2 file at all
  Damaged,   // an MD2 file whose counts, offsets or indices do not hold
};

struct Md2Decoded {
  std::optional<Md2Model> model;
  Md2Refusal refusal = Md2Refusal::Damaged;
  std::string reason;  // what was wrong, for the log, when there is no model
};

Md2Decoded DecodeMd2(std::span<const uint8_t> bytes);

// The frame name without its trailing decimal digits: "stand01" gives "stand".
std::string Md2AnimationName(const std::string& frameName);
