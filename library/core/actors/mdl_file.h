// The decoder of studio model files ("IDST"), with their texture file and sequence-group files,
// before anything is made of them on the device.
//
// The file, little-endian. Header words by byte offset: 140 bone count, 144 bone offset, 156
// hit-box count, 160 hit-box offset, 164 sequence count, 168 sequence offset, 172 sequence-group
// count, 180 texture count, 184 texture offset, 204 body-part count, 208 body-part offset.
// - Bone (112 bytes): name (32), parent (-1 for a root), flags, six controllers, six defaults
//   (position x, y, z, angles x, y, z), six scales.
// - Hit box (32): bone, group, box minimum and maximum.
// - Sequence (176): name (32) at 0, frame rate at 32, frame count at 56, animation offset at
//   124, sequence group at 156.
// - Texture (80): name (64), flags, width, height, pixel offset: width x height palette indices,
//   then 256 RGB entries.
// - Body part (76): name (64), model count, base, model offset; only its first model is used.
// - Model (112): mesh count at 72, mesh offset at 76, vertex count at 80, vertex-bone offset at 84
//   (a byte a vertex), vertex offset at 88, normal count at 92, normal offset at 100.
// - Mesh (20): triangle-command offset at 4, skin reference (the texture) at 8. The commands: a
//   16-bit count n (0 ends; below 0 a fan of -n vertices, above 0 a strip), each vertex four 16-bit
//   values: vertex, normal, s, t.
// - A sequence's animation (in the model for group 0, else in that group's file): per bone six
//   16-bit channel offsets (0: not animated) from the start of the bone's six, each channel a
//   list of runs: valid count and total count bytes, then the valid 16-bit values; a run's frames
//   past its valid values repeat the last one.
//
// Every count, offset, index and run is checked when the model is decoded: a refused file leaves
// nothing behind and says why.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "library/core/actors/model_shaders.h"
#include "platform/d3dx/math.h"

inline constexpr uint32_t kMdlIdent = 0x54534449;  // "IDST" read as one little-endian word
inline constexpr size_t kMdlHeaderSize = 212;      // bytes up to the body-part offset's end
inline constexpr size_t kMdlMaxFileBytes = 64 << 20;
inline constexpr int32_t kMdlChannels = 6;  // position x, y, z, angles x, y, z
inline constexpr int32_t kMdlMaxBones = 128;
inline constexpr size_t kMdlMaxPoseValues = 1 << 22;  // frames x bones x channels of one sequence
inline constexpr size_t kMdlPaletteBytes = 768;

struct MdlBone {
  std::string name;
  int32_t parent;  // -1 for a root; always before the bone itself
  float value[kMdlChannels];
  float scale[kMdlChannels];
};

struct MdlHitBox {
  int32_t bone;
  d3dx::D3DXVECTOR3 min;
  d3dx::D3DXVECTOR3 max;
};

// One sequence, its channels decoded: for frames 0 .. frames (one past the last, which repeats the
// last frame unless the runs go on), per bone, the six values as posed (default + stored x scale).
struct MdlSequence {
  std::string name;
  float frameRate;
  int32_t frames;
  int32_t group;
  bool hasData;  // false when its group file was missing
  std::vector<float> values;

  const float* At(int32_t frame, int32_t bone, int32_t boneCount) const {
    return &values[(static_cast<size_t>(frame) * static_cast<size_t>(boneCount) +
                    static_cast<size_t>(bone)) *
                   kMdlChannels];
  }
};

struct MdlTexture {
  std::string name;
  int32_t width;
  int32_t height;
  std::vector<uint8_t> pixels;  // palette indices, rows top to bottom
  std::array<uint8_t, kMdlPaletteBytes> palette;
};

struct MdlMesh {
  int32_t firstVertex;
  int32_t triangleCount;
  int32_t texture;  // index of the texture, -1 for none
};

struct MdlModel {
  std::vector<MdlBone> bones;
  std::vector<MdlHitBox> hitBoxes;
  std::vector<MdlSequence> sequences;
  std::vector<MdlTexture> textures;
  std::vector<MdlMesh> meshes;
  // Three a triangle; the bone field holds 3 x the vertex's bone (its first shader constant).
  std::vector<MDLVertex> vertices;
  std::vector<int32_t> vertexBones;
};

// What the header tells before the side files are read: whether the model holds geometry, and
// how many textures and sequence groups it names.
struct MdlPreview {
  bool geometry = false;  // the identifier is right and there are body parts
  int32_t textureCount = 0;
  int32_t groupCount = 0;
};
MdlPreview PreviewMdl(std::span<const uint8_t> bytes);

struct MdlDecoded {
  std::optional<MdlModel> model;
  std::string reason;  // what was wrong, when there is no model
};

// textures: the texture file's bytes when the model holds none of its own, else empty; groups:
// the bytes of group files 1 .. count - 1 (null for one that could not be read).
MdlDecoded DecodeMdl(std::span<const uint8_t> model, std::span<const uint8_t> textures,
                     const std::vector<std::optional<std::vector<uint8_t>>>& groups);
