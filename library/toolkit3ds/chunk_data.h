// The decoded data of each kind of 3DS chunk: the part of a chunk between its 6-byte header (tag
// word, length double word) and its sub-chunks.
//
// Layouts, all little-endian (word = unsigned 16-bit, short = signed 16-bit, dword = 32-bit,
// point = three floats x, y, z, name = zero-terminated text of a bounded length):
//   versions (0x0002, 0x3D3E), 0x1440, KFCURTIME 0xB009 ....... dword
//   COLOR_F, LIN_COLOR_F (0x0010, 0x0013) ..................... three floats r, g, b
//   COLOR_24, LIN_COLOR_24, map tints (0x0011, 0x0012, 0xA36x). three bytes r, g, b
//   INT_PERCENTAGE 0x0030, shadow sizes, MAT_SHADING 0xA100,
//   MAT_BUMP_PERCENT 0xA252, NODE_ID 0xB030 ................... short
//   FLOAT_PERCENTAGE 0x0031, MASTER_SCALE 0x0100, biases, map
//   scales, offsets, angle and blur, MORPH_SMOOTH 0xB015 ...... float
//   O_CONSTS 0x1500, N_DIRECT_LIGHT 0x4600, PIVOT 0xB013 ...... point
//   object, material, map, bitmap and instance names .......... name (10, 12 or 16 characters)
//   FOG 0x2200, DISTANCE_CUE 0x2300 ........................... four floats
//   LAYER_FOG 0x2302 .......................................... three floats, dword
//   VIEW_TOP..VIEW_BACK (0x3010..0x3060) ...................... float width, point target
//   VIEW_USER 0x3070 .......................................... four floats, point target
//   POINT_ARRAY 0x4110 ........................................ word n, n points
//   POINT_FLAG_ARRAY 0x4111 ................................... word n, n flag words
//   FACE_ARRAY 0x4120 ......................................... word n, n faces (four words each)
//   MSH_MAT_GROUP 0x4130 ...................................... name 16, word n, n face indexes
//   TEX_VERTS 0x4140 .......................................... word n, n (u, v) pairs
//   SMOOTH_GROUP 0x4150 ....................................... one dword mask per 4 bytes of data
//   MESH_MATRIX 0x4160 ........................................ twelve floats (three axes, origin)
//   MESH_COLOR 0x4165 ......................................... byte
//   MESH_TEXTURE_INFO 0x4170 .................................. word, 2 floats, point, float,
//                                                               12 floats, 3 floats
//   MSH_BOXMAP 0x4190 ......................................... six names 16
//   DL_SPOTLIGHT 0x4610 ....................................... point, two floats
//   DL_LOCAL_SHADOW2 0x4641 ................................... two floats, short
//   N_CAMERA 0x4700 ........................................... two points, two floats
//   CAM_RANGES 0x4720 ......................................... two floats
//   VIEWPORT_LAYOUT 0x7001 .................................... seven shorts
//   VIEWPORT_DATA 0x7011, VIEWPORT_DATA_3 0x7012 .............. seven shorts, float, point,
//                                                               two floats, 11-byte name field
//   VIEWPORT_SIZE 0x7020 ...................................... four words
//   MAT_ACUBIC 0xA310 ......................................... two bytes, short, two dwords
//   MAT_MAP_TILING 0xA351 ..................................... word
//   KFSEG 0xB008 .............................................. two dwords
//   KFHDR 0xB00A .............................................. short, name 512, dword
//   NODE_HDR 0xB010 ........................................... name 10, two words, short parent
//   BOUNDBOX 0xB014 ........................................... two points
//   tracks 0xB020..0xB029 ..................................... track header (word, three dwords),
//                                                               then per key a key header and
//                                                               its value
//   PROC_DATA, MAT_SXP_* data, XDATA_ENTRY, unknown tags ...... the raw bytes
// Containers (M3DMAGIC, MDATA, MAT_ENTRY, the colour, percentage and map containers, KFDATA and
// its nodes, ...) have no data of their own.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "library/toolkit3ds/toolkit_types.h"

struct DwordData3ds {
  uint32_t value = 0;
};
struct WordData3ds {
  uint16_t value = 0;
};
struct ShortData3ds {
  int16_t value = 0;
};
struct FloatData3ds {
  float value = 0.0f;
};
struct ByteData3ds {
  uint8_t value = 0;
};
struct ColorFloatData3ds {
  float red = 0.0f, green = 0.0f, blue = 0.0f;
};
struct Color24Data3ds {
  uint8_t red = 0, green = 0, blue = 0;
};
struct PointData3ds {
  point3ds point;
};
struct NameData3ds {
  std::string name;
};
struct FogData3ds {
  float nearPlane = 0.0f, nearDensity = 0.0f, farPlane = 0.0f, farDensity = 0.0f;
};
struct LayerFogData3ds {
  float zMin = 0.0f, zMax = 0.0f, density = 0.0f;
  uint32_t flags = 0;
};
struct ViewData3ds {
  point3ds target;
  float width = 0.0f;
};
struct ViewUserData3ds {
  point3ds target;
  float width = 0.0f, horizontalAngle = 0.0f, verticalAngle = 0.0f, bankAngle = 0.0f;
};
struct PointArrayData3ds {
  std::vector<point3ds> points;
};
struct PointFlagArrayData3ds {
  std::vector<uint16_t> flags;
};
struct FaceArrayData3ds {
  std::vector<face3ds> faces;
};
struct MaterialGroupData3ds {
  std::string materialName;
  std::vector<uint16_t> faces;
};
struct TexVertsData3ds {
  std::vector<textvert3ds> vertices;
};
struct SmoothGroupData3ds {
  std::vector<uint32_t> masks;
};
struct MeshMatrixData3ds {
  std::array<float, 12> matrix{};
};
struct MeshTextureInfoData3ds {
  uint16_t mapType = 0;
  float tileX = 0.0f, tileY = 0.0f;
  point3ds iconPosition;
  float scale = 0.0f;
  std::array<float, 12> matrix{};
  float planarWidth = 0.0f, planarHeight = 0.0f, cylinderHeight = 0.0f;
};
struct RawData3ds {
  std::vector<uint8_t> bytes;
};
struct BoxMapData3ds {
  std::array<std::string, 6> materials;
};
struct SpotlightData3ds {
  point3ds target;
  float hotspot = 0.0f, falloff = 0.0f;
};
struct LocalShadowData3ds {
  float bias = 0.0f, filter = 0.0f;
  int16_t mapSize = 0;
};
struct CameraData3ds {
  point3ds position, target;
  float bankAngle = 0.0f, focalLength = 0.0f;
};
struct CameraRangesData3ds {
  float nearPlane = 0.0f, farPlane = 0.0f;
};
struct ViewportLayoutData3ds {
  std::array<int16_t, 7> values{};  // form, top, ready, wstate, swap ws, swap port, swap cur
};
struct ViewportData3ds {
  std::array<int16_t, 7> values{};  // flags, axis lockouts, window x, y, width, height, view
  float zoom = 0.0f;
  point3ds center;
  float horizontalAngle = 0.0f, verticalAngle = 0.0f;
  std::string camera;
};
struct ViewportSizeData3ds {
  uint16_t x = 0, y = 0, width = 0, height = 0;
};
struct AcubicData3ds {
  uint8_t shadeLevel = 0, antialiasLevel = 0;
  int16_t flags = 0;
  uint32_t mapSize = 0, frameSkip = 0;
};
struct KfSegmentData3ds {
  uint32_t first = 0, last = 0;
};
struct KfHeaderData3ds {
  int16_t revision = 0;
  std::string fileName;
  uint32_t animationLength = 0;
};
struct NodeHeaderData3ds {
  std::string name;
  uint16_t flags1 = 0, flags2 = 0;
  int16_t parentIndex = -1;
};
struct BoundBoxData3ds {
  point3ds minimum, maximum;
};

struct RotationKey3ds {
  float angle = 0.0f, x = 0.0f, y = 0.0f, z = 0.0f;
  bool operator==(const RotationKey3ds&) const = default;
};
struct ColorKey3ds {
  float red = 0.0f, green = 0.0f, blue = 0.0f;
  bool operator==(const ColorKey3ds&) const = default;
};
struct MorphKey3ds {
  std::string object;
  bool operator==(const MorphKey3ds&) const = default;
};
// A hide track's keys carry no value.
struct HideKey3ds {
  bool operator==(const HideKey3ds&) const = default;
};

template <typename Value>
struct TrackData3ds {
  trackheader3ds header;
  std::vector<keyheader3ds> keys;
  std::vector<Value> values;
};
using PointTrackData3ds = TrackData3ds<point3ds>;  // position and scale
using RotationTrackData3ds = TrackData3ds<RotationKey3ds>;
using FloatTrackData3ds = TrackData3ds<float>;  // field of view, roll, hotspot, falloff
using ColorTrackData3ds = TrackData3ds<ColorKey3ds>;
using MorphTrackData3ds = TrackData3ds<MorphKey3ds>;
using HideTrackData3ds = TrackData3ds<HideKey3ds>;

// std::monostate: no data (a container, a chunk of length 6, or data not read yet).
using ChunkData3ds =
    std::variant<std::monostate, DwordData3ds, WordData3ds, ShortData3ds, FloatData3ds, ByteData3ds,
                 ColorFloatData3ds, Color24Data3ds, PointData3ds, NameData3ds, FogData3ds,
                 LayerFogData3ds, ViewData3ds, ViewUserData3ds, PointArrayData3ds,
                 PointFlagArrayData3ds, FaceArrayData3ds, MaterialGroupData3ds, TexVertsData3ds,
                 SmoothGroupData3ds, MeshMatrixData3ds, MeshTextureInfoData3ds, RawData3ds,
                 BoxMapData3ds, SpotlightData3ds, LocalShadowData3ds, CameraData3ds,
                 CameraRangesData3ds, ViewportLayoutData3ds, ViewportData3ds, ViewportSizeData3ds,
                 AcubicData3ds, KfSegmentData3ds, KfHeaderData3ds, NodeHeaderData3ds,
                 BoundBoxData3ds, PointTrackData3ds, RotationTrackData3ds, FloatTrackData3ds,
                 ColorTrackData3ds, MorphTrackData3ds, HideTrackData3ds>;

// The colour, percentage, map and mask containers of a material entry.
bool IsMaterialContainer3ds(uint16_t tag);
// An empty record of the kind a tag holds; a tag without data (and an unknown one of length 6)
// gives none, any other unknown tag a block of length - 6 bytes.
ChunkData3ds NewChunkDataFor3ds(uint16_t tag, uint32_t length);
// Reads the data of a chunk of that tag from the current file, positioned just after its header;
// bytes is the room the chunk leaves for it. Pushes the error and gives none on failure.
ChunkData3ds ReadChunkDataFromFile3ds(uint16_t tag, uint32_t bytes);
// Writes a record in its file layout at the current file's position.
void WriteChunkDataToFile3ds(const ChunkData3ds& data);
