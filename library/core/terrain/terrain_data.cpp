#include "library/core/terrain/terrain_data.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>

#include "library/core/terrain/terrain.h"
#include "library/core/vortanautil.h"
#include "platform/d3dx/mesh.h"
#include "platform/win/byte_reader.h"
#include "platform/win/byte_writer.h"

namespace {

constexpr uint32_t kMagic = 0x52524555;     // "UERR"
constexpr uint32_t kOldMagic = 0x52524554;  // "TERR"
constexpr uint32_t kHeaderBytes = 68;
constexpr uint32_t kSphereBytes = 16;
constexpr int32_t kMaxNormalsFlag = 2;
constexpr size_t kMaxFileBytes = size_t{1} << 30;

TerrainDataRefusal Refuse(std::string reason) {
  return {TerrainDataRefusal::kDamaged, std::move(reason)};
}

// The first startOffset bytes of the file at path, zero-filled where it has none (or is missing).
std::vector<uint8_t> LeadingBytes(const char* path, int32_t startOffset) {
  std::vector<uint8_t> bytes(static_cast<size_t>(startOffset), 0);
  if (std::FILE* file = std::fopen(path, "rb")) {
    const size_t read = std::fread(bytes.data(), 1, bytes.size(), file);
    std::fill(bytes.begin() + static_cast<std::ptrdiff_t>(read), bytes.end(), 0);
    std::fclose(file);
  }
  return bytes;
}

void ReadFloats(win::ByteReader& reader, std::vector<float>& out, uint64_t count) {
  out.resize(static_cast<size_t>(count));
  for (float& value : out) value = reader.F32();
}

}  // namespace

std::variant<TerrainData, TerrainDataRefusal> ParseTerrainData(std::span<const uint8_t> bytes,
                                                               uint32_t startOffset) {
  win::ByteReader reader(bytes);
  const uint32_t magic = reader.U32();
  if (magic == kOldMagic) return TerrainDataRefusal{TerrainDataRefusal::kOldFormat, {}};
  if (!reader.Ok() || magic != kMagic) {
    return TerrainDataRefusal{TerrainDataRefusal::kNotTerrainData, {}};
  }
  TerrainData data;
  data.normalsFlag = reader.I32();
  const int32_t chunkCount = reader.I32();
  data.chunkColumns = reader.I32();
  data.chunkRows = reader.I32();
  data.precision = reader.I32();
  const uint32_t tablePosition = reader.U32();
  const uint32_t heightPosition = reader.U32();
  for (float* field : {data.position, data.rotation, data.scale}) {
    for (int k = 0; k < 3; ++k) field[k] = reader.F32();
  }
  if (!reader.Ok()) return Refuse("The terrain file is shorter than its header.");
  if (data.normalsFlag < 0 || data.normalsFlag > kMaxNormalsFlag) {
    return Refuse("The terrain file has an unknown normals flag.");
  }
  if (data.chunkColumns < 1 || data.chunkRows < 1 ||
      int64_t{data.chunkColumns} * data.chunkRows != chunkCount || data.precision < kMinPrecision ||
      data.precision > kMaxPrecision) {
    return Refuse("The terrain file's chunk counts or precision are damaged.");
  }
  const uint64_t chunks = static_cast<uint64_t>(chunkCount);
  if (tablePosition != uint64_t{startOffset} + kHeaderBytes ||
      heightPosition != uint64_t{startOffset} + kHeaderBytes + kSphereBytes * chunks) {
    return Refuse("The terrain file's table positions are damaged.");
  }
  const uint64_t side = static_cast<uint64_t>(GridSide(data.precision));
  const uint64_t vertices = chunks * side * side;
  const uint64_t needed = kHeaderBytes + kSphereBytes * chunks + 4 * vertices +
                          (data.normalsFlag != 0 ? 12 * vertices : 0);
  if (needed > bytes.size()) return Refuse("The terrain file is shorter than its data.");
  ReadFloats(reader, data.spheres, 4 * chunks);
  ReadFloats(reader, data.heights, vertices);
  if (data.normalsFlag != 0) ReadFloats(reader, data.normals, 3 * vertices);
  if (!reader.Ok()) return Refuse("The terrain file is shorter than its data.");
  return data;
}

std::vector<uint8_t> EncodeTerrainData(const TerrainData& data, uint32_t startOffset) {
  win::ByteWriter writer;
  const int32_t chunks = data.chunkColumns * data.chunkRows;
  writer.U32(kMagic);
  writer.I32(data.normalsFlag);
  writer.I32(chunks);
  writer.I32(data.chunkColumns);
  writer.I32(data.chunkRows);
  writer.I32(data.precision);
  writer.U32(startOffset + kHeaderBytes);
  writer.U32(startOffset + kHeaderBytes + kSphereBytes * static_cast<uint32_t>(chunks));
  for (const float* field : {data.position, data.rotation, data.scale}) {
    for (int k = 0; k < 3; ++k) writer.F32(field[k]);
  }
  for (const std::vector<float>* values : {&data.spheres, &data.heights, &data.normals}) {
    for (const float value : *values) writer.F32(value);
  }
  return writer.Data();
}

int32_t Terrain_SaveTerrainData(int32_t id, const char* path, int32_t normalsFlag,
                                int32_t startOffset) {
  TerrainRecord* terrain = FindGeneratedTerrain(id);
  if (terrain == nullptr) {
    AddLog("LANDSCAPE : Can't save a empty or not generated terrain");
    return 0;
  }
  if (path == nullptr || startOffset < 0 || normalsFlag < 0 || normalsFlag > kMaxNormalsFlag) {
    AddLog("LANDSCAPE : Can't save the terrain on this file %s, check your path and filename.",
           path != nullptr ? path : "(null)");
    return 0;
  }
  AddLog("LANDSCAPE : Save the terrain data to file %s", path);
  const auto start = std::chrono::steady_clock::now();
  TerrainData data;
  data.normalsFlag = normalsFlag;
  data.chunkColumns = terrain->chunkColumns;
  data.chunkRows = terrain->chunkRows;
  data.precision = terrain->precision;
  std::copy_n(terrain->position, 3, data.position);
  std::copy_n(terrain->rotation, 3, data.rotation);
  std::copy_n(terrain->scale, 3, data.scale);
  for (int32_t c = 0; c < terrain->chunkCount; ++c) {
    const TerrainChunk& chunk = terrain->chunks[c];
    data.spheres.insert(data.spheres.end(), {chunk.sphereCenter.x, chunk.sphereCenter.y,
                                             chunk.sphereCenter.z, chunk.sphereRadius});
    for (int32_t v = 0; v < chunk.vertexCount; ++v) data.heights.push_back(chunk.vertices[v].y);
  }
  if (normalsFlag != 0) {
    for (int32_t c = 0; c < terrain->chunkCount; ++c) {
      const TerrainChunk& chunk = terrain->chunks[c];
      for (int32_t v = 0; v < chunk.vertexCount; ++v) {
        data.normals.insert(data.normals.end(),
                            {chunk.vertices[v].nx, chunk.vertices[v].ny, chunk.vertices[v].nz});
      }
    }
  }
  // The file ends with the terrain, as it always has; what precedes the start offset is kept. The
  // whole file goes through a temporary one, so a failed save leaves the old file as it was.
  std::vector<uint8_t> bytes = LeadingBytes(path, startOffset);
  const std::vector<uint8_t> encoded = EncodeTerrainData(data, static_cast<uint32_t>(startOffset));
  bytes.insert(bytes.end(), encoded.begin(), encoded.end());
  if (!win::WriteFileBytes(path, bytes)) {
    AddLog("LANDSCAPE : Can't save the terrain on this file %s, check your path and filename.",
           path);
    return 0;
  }
  AddLog("LANDSCAPE : Landscape saved to file %s in %d milliseconds", path,
         static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                              std::chrono::steady_clock::now() - start)
                              .count()));
  return 1;
}

int32_t Terrain_LoadTerrainData(int32_t id, const char* path, int32_t startOffset) {
  TerrainRecord* terrain = FindTerrain(id);
  if (terrain == nullptr || path == nullptr || startOffset < 0) {
    AddLog("LANDSCAPE : Couldn't load %s, file not found.", path != nullptr ? path : "(null)");
    return 0;
  }
  const auto file = win::ReadFileBytes(path, kMaxFileBytes);
  if (!file) {
    AddLog("LANDSCAPE : Couldn't load %s, file not found.", path);
    return 0;
  }
  const std::span<const uint8_t> all(*file);
  const std::span<const uint8_t> bytes = static_cast<size_t>(startOffset) <= all.size()
                                             ? all.subspan(size_t(startOffset))
                                             : std::span<const uint8_t>();
  auto parsed = ParseTerrainData(bytes, static_cast<uint32_t>(startOffset));
  if (const auto* refusal = std::get_if<TerrainDataRefusal>(&parsed)) {
    switch (refusal->kind) {
      case TerrainDataRefusal::kOldFormat:
        AddLog(
            "LANDSCAPE : You're trying to load an terrain data that has been created with the old "
            "terrain format, can't  read it, please update the terrain data");
        break;
      case TerrainDataRefusal::kNotTerrainData:
        AddLog("LANDSCAPE : The terrain file %s isn't a Vortana terrain file.", path);
        break;
      case TerrainDataRefusal::kDamaged:
        AddLog("LANDSCAPE : %s (%s)", refusal->reason.c_str(), path);
        break;
    }
    return 0;
  }
  const TerrainData& data = std::get<TerrainData>(parsed);
  if (terrain->chunkCount < 1 || terrain->chunkColumns != data.chunkColumns ||
      terrain->chunkRows != data.chunkRows || terrain->precision != data.precision) {
    Terrain_FreeMemory(id);
    if (Terrain_GenerateEmptyTerrain(id, data.precision, data.chunkColumns, data.chunkRows,
                                     data.position[0], data.position[2]) != id) {
      return 0;
    }
  }
  std::copy_n(data.position, 3, terrain->position);
  std::copy_n(data.rotation, 3, terrain->rotation);
  const bool noScale = data.scale[0] == 0.0f && data.scale[1] == 0.0f && data.scale[2] == 0.0f;
  for (int k = 0; k < 3; ++k) terrain->scale[k] = noScale ? 1.0f : data.scale[k];
  // The placement read must reach the world matrix.
  terrain->matrixDirty = 1;
  size_t height = 0;
  size_t normal = 0;
  for (int32_t c = 0; c < terrain->chunkCount; ++c) {
    TerrainChunk& chunk = terrain->chunks[c];
    chunk.sphereCenter = {{data.spheres[size_t(4 * c)], data.spheres[size_t(4 * c + 1)],
                           data.spheres[size_t(4 * c + 2)]}};
    chunk.sphereRadius = data.spheres[size_t(4 * c + 3)];
    for (int32_t v = 0; v < chunk.vertexCount; ++v) chunk.vertices[v].y = data.heights[height++];
    d3dx::D3DXComputeBoundingBox(chunk.vertices, static_cast<d3d::DWORD>(chunk.vertexCount),
                                 kTerrainFvf, &chunk.boxMin, &chunk.boxMax);
  }
  if (!data.normals.empty()) {
    for (int32_t c = 0; c < terrain->chunkCount; ++c) {
      TerrainChunk& chunk = terrain->chunks[c];
      for (int32_t v = 0; v < chunk.vertexCount; ++v) {
        chunk.vertices[v].nx = data.normals[normal++];
        chunk.vertices[v].ny = data.normals[normal++];
        chunk.vertices[v].nz = data.normals[normal++];
      }
    }
  }
  Terrain_GenerateQuadtree(id);
  Terrain_RefreshTerrain(id, -1);
  return 1;
}
