// The terrain data file: a generated terrain's heights (optionally its normals), chunk spheres and
// placement, so that it can be rebuilt without its height map.
//
// Little-endian 32-bit words from a start offset S (0 for a file of its own):
//   0   "UERR" (0x52524555; the older "TERR" is not read)
//   4   normals flag: 0 heights only, 1 or 2 heights and normals
//   8   chunk count = columns x rows      12  chunk columns       16  chunk rows
//   20  precision (2 to 256; L = 256 / precision + 1 vertices a chunk side)
//   24  file position of the chunk table: S + 68
//   28  file position of the heights: S + 68 + 16 x chunk count
//   32  position x, y, z    44  rotation x, y, z (radians)    56  scale x, y, z
//   68  chunk table: per chunk, bounding-sphere centre x, y, z and radius
//   then per chunk L x L heights in grid order (rows, x fastest), then with the flag set per chunk
//   L x L normals of three floats. Nothing follows; there is no checksum.
// The reader checks every field and every size against the bytes before anything is applied.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <variant>
#include <vector>

struct TerrainData {
  int32_t normalsFlag = 0;
  int32_t chunkColumns = 0;
  int32_t chunkRows = 0;
  int32_t precision = 0;
  float position[3] = {};
  float rotation[3] = {};
  float scale[3] = {};
  std::vector<float> spheres;  // four floats a chunk
  std::vector<float> heights;  // L x L a chunk
  std::vector<float> normals;  // 3 x L x L a chunk, or empty
};

// Why a file was refused. The two kinds of file the format never was have their own log lines;
// for a damaged one, reason is the log line's text after "LANDSCAPE : ".
struct TerrainDataRefusal {
  enum Kind { kOldFormat, kNotTerrainData, kDamaged } kind;
  std::string reason;
};

// The file's contents from its start offset, where bytes begins; startOffset is S, against which
// the two position fields are checked.
std::variant<TerrainData, TerrainDataRefusal> ParseTerrainData(std::span<const uint8_t> bytes,
                                                               uint32_t startOffset);
// The bytes ParseTerrainData reads back.
std::vector<uint8_t> EncodeTerrainData(const TerrainData& data, uint32_t startOffset);
