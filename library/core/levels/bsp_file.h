// Version-30 BSP level files, read from bytes alone so that the fuzz target reaches every step the
// level table takes before it makes device objects: the lumps, checked against each other and the
// file, the faces turned into one vertex and index array, the entity text, the visibility set, the
// leaf search and the packing of the faces' lightmaps into atlases.
//
// The file: int32 version (30), then 15 lumps of {int32 offset, int32 length} from the file's
// start: entities (text), planes (20 bytes: normal, distance, type), textures (int32 count, int32
// offsets from the lump start, each to a 40-byte header: name[16], width, height, four mip
// offsets; an offset of -1 is a texture that was missing when the level was compiled), vertices (12
// bytes), visibility (run-length bytes), nodes (24 bytes: plane, two int16 children whose negative
// c is leaf -(c + 1), bounds and faces not read), texture info (40 bytes: s axis and offset, t axis
// and offset, texture, flags), faces (20 bytes: uint16 plane, uint16 side, int32 first surface
// edge, int16 edge count, int16 texture info, 4 styles, int32 lightmap offset or -1), lighting (3
// bytes a texel), clip nodes (not read), leaves (28 bytes: contents, visibility offset or -1, int16
// box minimum and maximum, uint16 first mark surface and count, 4 ambient bytes), mark surfaces
// (uint16 faces), edges (two uint16 vertices), surface edges (int32; a negative one is the edge
// taken backwards) and models (64 bytes: box, origin, four head nodes, visible leaves, first face,
// face count). Positions keep the file's axes except x, which is negated.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/d3dx/math.h"

inline constexpr int32_t kBspVersion = 30;
inline constexpr int32_t kBspNoLightmap = -1;
inline constexpr int32_t kBspNoVisibility = -1;
inline constexpr size_t kBspEntityKeyLength = 63;
inline constexpr size_t kBspEntityValueLength = 259;
inline constexpr size_t kBspLightmapTexelBytes = 3;
inline constexpr size_t kBspTextureHeaderBytes = 40;
inline constexpr int32_t kBspMissingTexture = -1;  // a texture lump offset

// Position (x negated), normal, texture and lightmap coordinates: vertex format 0x212.
struct BspVertex {
  float x, y, z;
  float nx, ny, nz;
  float u, v;
  float lightU, lightV;
};
static_assert(sizeof(BspVertex) == 40);

struct BspPlane {
  float normal[3];
  float distance;
};

struct BspTexture {
  std::string name;
  int32_t width;
  int32_t height;
  bool missing = false;  // no header in the file: no name, no size, texture identifier 0
};

struct BspFace {
  int32_t plane;
  float lightmapWidth;
  float lightmapHeight;
  int32_t texture;
  // The lightmap's offset in the lighting lump until packing, then its atlas (-1: none).
  int32_t atlas;
  int32_t lightmapOffset;
  int32_t firstVertex;
  int32_t vertexCount;
  int32_t indexCount;  // 3 x (edges - 2)
  int32_t firstIndex;
};

// A child of a node or a model's head: a node at or above 0, else leaf -(child + 1).
struct BspNode {
  int32_t plane;
  int32_t front;
  int32_t back;
};

struct BspLeaf {
  std::vector<uint16_t> faces;
  d3dx::D3DXVECTOR3 centre;  // the box's centre, x negated
  float radius;              // from the centre to the box minimum
  float minimum[3];          // file coordinates
  float maximum[3];
  int32_t visibilityOffset;  // -1: every leaf is visible from it
};

struct BspModel {
  d3dx::D3DXVECTOR3 centre;
  float radius;
  int32_t headNode;
  int32_t firstFace;
  int32_t visibleLeaves;
  int32_t faceCount;
};

struct BspEntity {
  std::string className;
  std::vector<std::pair<std::string, std::string>> pairs;
  float origin[3] = {};  // "position", "origin" and "color" all write it
  float angles[3] = {};
  float light[4] = {};
};

// Everything of a file the level keeps, every count, offset and index checked.
struct BspImage {
  std::vector<BspPlane> planes;
  std::vector<BspTexture> textures;
  std::vector<BspNode> nodes;
  std::vector<BspLeaf> leaves;
  std::vector<BspModel> models;
  std::vector<BspFace> faces;
  std::vector<BspVertex> vertices;
  std::vector<uint32_t> indices;
  std::vector<uint8_t> visibility;
  std::vector<uint8_t> lighting;
  std::string entityText;
};

struct BspReadResult {
  std::optional<BspImage> image;
  bool formatRefused = false;  // the version is not 30
  std::string fault;           // what did not fit, for the log
};

BspReadResult ReadBspFile(std::span<const uint8_t> file);
// The texture lump's headers; nothing when an offset or a size does not fit. An empty lump has
// no textures.
std::optional<std::vector<BspTexture>> ReadBspTextures(std::span<const uint8_t> lump);

// The entity text's records; keys and values longer than their fields are cut, and a quote left
// open ends the text.
std::vector<BspEntity> ParseBspEntities(std::string_view text);

// The leaf holding point (level coordinates, x negated) from a head node; 0 when the walk does not
// end in a leaf within the node count.
int32_t FindBspLeaf(const BspImage& image, int32_t headNode, const d3dx::D3DXVECTOR3& point);
// Marks visible[leaf] for the leaves the run-length set at offset names (leaf numbers from 1); an
// offset of -1 marks every leaf.
void DecodeBspVisibility(std::span<const uint8_t> visibility, int32_t offset,
                         std::vector<uint8_t>& visible);

// Packs the faces' lightmaps into side x side atlases with a one-texel frame repeating each block's
// edge, rewriting their vertices' lightmap coordinates and their atlas index. makeAtlas gets the
// atlas's A8R8G8B8 texels and answers the index it was given, or -1 when it was not made; the
// faces of an atlas not made, and of lightmaps larger than an atlas (each passed to tooLarge), get
// no lightmap.
void PackBspLightmaps(BspImage& image, int32_t side,
                      const std::function<int32_t(const std::vector<uint32_t>&)>& makeAtlas,
                      const std::function<void(int32_t face)>& tooLarge);
