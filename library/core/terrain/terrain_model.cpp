#include <algorithm>
#include <bit>
#include <chrono>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <new>
#include <vector>

#include "library/core/frame/buffers.h"
#include "library/core/frame/frame_state.h"
#include "library/core/terrain/terrain.h"
#include "library/core/terrain/terrain_texgen.h"
#include "library/core/vortanautil.h"
#include "platform/d3dx/filter.h"
#include "platform/d3dx/mesh.h"
#include "platform/d3dx/texture.h"

using namespace d3d;
using namespace d3dx;

TerrainRecord* TerrainTable = nullptr;
int32_t TerrainCount = 0;

namespace {

constexpr int32_t kProgressEvent = 50;
constexpr int32_t kProgressStages = 5;
constexpr int32_t kExtraProgressSteps = 5;  // index list, seams, buffers, log, quadtree
constexpr float kPercent = 100.0f;
constexpr float kNoRangeMin = 99999.0f;  // terrain units; any box lies below it
constexpr int32_t kLeafCells = 4;        // cells a leaf side spans at most

int32_t HeightMapMode = 0;
float TerrainFlipSign = 1.0f;
// One word a generation stage, handed to the callback; the library neither writes nor reads them.
int32_t TerrainProgressWords[kProgressStages] = {};

// The progress of generation as event 50; the value slot carries the float's bits.
class Progress {
 public:
  Progress(int32_t id, int32_t chunks)
      : id_(id), step_(kPercent / static_cast<float>(chunks + kExtraProgressSteps)) {}
  void Report(int32_t stage) {
    value_ += step_;
    if (EngineCallback != nullptr) {
      EngineCallback(kProgressEvent, id_, std::bit_cast<int32_t>(value_),
                     &TerrainProgressWords[stage]);
    }
  }

 private:
  int32_t id_;
  float step_;
  float value_ = 0.0f;
};

void ResetRecord(TerrainRecord& terrain, int32_t id) {
  terrain = TerrainRecord{};
  terrain.flipSign = 1.0f;
  terrain.id = id;
  terrain.chunkCount = -1;
  terrain.detailMapMode = D3DTOP_ADDSIGNED;
  terrain.lightmapBlend = 1.0f;
  terrain.matrixDirty = 1;
  std::fill(std::begin(terrain.weights), std::end(terrain.weights), 1.0f);
  terrain.weightSum = kNoWeightTable;
  D3DXMatrixIdentity(&terrain.world);
  std::fill(std::begin(terrain.scale), std::end(terrain.scale), 1.0f);
  TerrainWater& water = terrain.water;
  std::fill(std::begin(water.colour), std::end(water.colour), 1.0f);
  water.textureScale[0] = water.textureScale[1] = 1.0f;
  // As the caller's settings have always defaulted: inverse source alpha over source alpha.
  water.sourceBlend = D3DBLEND_INVSRCALPHA;
  water.destinationBlend = D3DBLEND_SRCALPHA;
  water.speed = 1.0f;
}

// The pixels of a height map as X8R8G8B8, four bytes a pixel.
struct HeightMap {
  uint32_t width = 0;
  uint32_t height = 0;
  std::vector<uint8_t> pixels;
};

bool ReadHeightMap(const char* file, HeightMap& map) {
  D3DXIMAGE_INFO info{};
  if (FAILED(D3DXGetImageInfoFromFileA(file, &info))) {
    AddLog("LANDSCAPE : ERROR Couldn't open the heightmap %s. File not found", file);
    return false;
  }
  IDirect3DSurface8* surface = nullptr;
  if (FAILED(
          CurrentDevice->CreateImageSurface(info.Width, info.Height, D3DFMT_X8R8G8B8, &surface))) {
    AddLog(
        "LANDSCAPE : ERROR Couldn't create a image surface in memory of size %dx%d. Ask the "
        "Vortana Team about it.",
        static_cast<int>(info.Width), static_cast<int>(info.Height));
    return false;
  }
  const HRESULT loaded = D3DXLoadSurfaceFromFileA(surface, nullptr, nullptr, file, nullptr,
                                                  D3DX_FILTER_POINT, 0, nullptr);
  if (FAILED(loaded)) {
    SafeRelease(surface);
    AddLog("LANDSCAPE : ERROR Couldn't load the heightmap %s in memory. hr : %d", file,
           static_cast<int>(loaded));
    return false;
  }
  D3DLOCKED_RECT locked{};
  const HRESULT lockResult = surface->LockRect(&locked, nullptr, D3DLOCK_READONLY);
  if (FAILED(lockResult)) {
    SafeRelease(surface);
    AddLog("LANDSCAPE : Couldn't lock the heightmap surface. hr : %d",
           static_cast<int>(lockResult));
    return false;
  }
  map.width = info.Width;
  map.height = info.Height;
  const size_t rowBytes = size_t{info.Width} * 4;
  map.pixels.resize(rowBytes * info.Height);
  for (uint32_t row = 0; row < info.Height; ++row) {
    std::memcpy(&map.pixels[row * rowBytes],
                static_cast<const uint8_t*>(locked.pBits) + size_t(locked.Pitch) * row, rowBytes);
  }
  surface->UnlockRect();
  SafeRelease(surface);
  return true;
}

float PixelValue(const uint8_t* pixel) {
  if (HeightMapMode == 0) return pixel[0];
  // Up to 2^32 - 1: unsigned, as a blue byte of 128 or more passes the signed range.
  return static_cast<float>((uint32_t{pixel[0]} * 65536u + pixel[1]) * 256u + pixel[2]);
}

// Where a grid samples its image: the grid of columns x rows vertices is chunk (chunkColumn,
// chunkRow) of chunkColumns x chunkRows across the whole image.
struct SampledGrid {
  int32_t columns, rows;
  float chunkColumn, chunkRow, chunkColumns, chunkRows;
  int32_t precision;
  int32_t originX, originZ;
  float heightFactor;
};

// A grid's vertices (positions, normals and coordinates; y is left to the caller) and heights
// from width x height pixels whose value (px, py) gives; no value: flat.
void SampleGrid(const SampledGrid& grid, uint32_t width, uint32_t height,
                const std::function<float(uint32_t, uint32_t)>& value, TVertex* vertices,
                float* heights) {
  const float lastColumn = static_cast<float>(grid.columns - 1);
  const float lastRow = static_cast<float>(grid.rows - 1);
  for (int32_t i = 0; i < grid.rows; ++i) {
    for (int32_t j = 0; j < grid.columns; ++j) {
      TVertex& vertex = vertices[i * grid.columns + j];
      const float u = static_cast<float>(j) / lastColumn;
      const float v = static_cast<float>(i) / lastRow;
      vertex.x = static_cast<float>(grid.originX + j * grid.precision);
      vertex.z = static_cast<float>(grid.originZ + i * grid.precision);
      vertex.nx = 0.0f;
      vertex.ny = 1.0f;
      vertex.nz = 0.0f;
      vertex.colorU = vertex.detailU = u;
      vertex.colorV = vertex.detailV = v;
      float sampled = 0.0f;
      if (value) {
        uint32_t px =
            static_cast<uint32_t>(static_cast<float>(width) *
                                  (grid.chunkColumn / grid.chunkColumns + u / grid.chunkColumns));
        uint32_t py = static_cast<uint32_t>(static_cast<float>(height) *
                                            (grid.chunkRow / grid.chunkRows + v / grid.chunkRows));
        sampled = grid.heightFactor * value(std::min(px, width - 1), std::min(py, height - 1));
      }
      heights[i * grid.columns + j] = sampled;
    }
  }
}

// One chunk's vertices from the height map (or flat), heights into heights.
void SampleHeightMap(const TerrainRecord& terrain, const HeightMap* map, int32_t chunkColumn,
                     int32_t chunkRow, TerrainChunk& chunk, std::vector<float>& heights) {
  const SampledGrid grid{chunk.columns,
                         chunk.rows,
                         static_cast<float>(chunkColumn),
                         static_cast<float>(chunkRow),
                         static_cast<float>(terrain.chunkColumns),
                         static_cast<float>(terrain.chunkRows),
                         terrain.precision,
                         chunk.originX,
                         chunk.originZ,
                         terrain.heightFactor};
  std::function<float(uint32_t, uint32_t)> value;
  if (map != nullptr) {
    value = [map](uint32_t px, uint32_t py) {
      return PixelValue(&map->pixels[(size_t{py} * map->width + px) * 4]);
    };
  }
  SampleGrid(grid, map != nullptr ? map->width : 0, map != nullptr ? map->height : 0, value,
             chunk.vertices, heights.data());
}

void AverageVertices(TVertex& a, TVertex& b) {
  const float height = (a.y + b.y) * 0.5f;
  a.y = b.y = height;
  D3DXVECTOR3 normal{{a.nx + b.nx, a.ny + b.ny, a.nz + b.nz}};
  D3DXVec3Normalize(&normal, &normal);
  a.nx = b.nx = normal.x;
  a.ny = b.ny = normal.y;
  a.nz = b.nz = normal.z;
}

bool CreateIndexBuffer(TerrainRecord& terrain, const std::vector<uint16_t>& indices) {
  const UINT bytes = static_cast<UINT>(std::max<size_t>(indices.size(), 1) * sizeof(uint16_t));
  const HRESULT created = CurrentDevice->CreateIndexBuffer(
      bytes, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED, &terrain.indexBuffer);
  if (FAILED(created)) {
    terrain.indexBuffer = nullptr;
    AddLog(
        "LANDSCAPE : ERROR Couldn't create index buffer for the terrain engine with precision %d. "
        "hr : %d",
        terrain.precision, static_cast<int>(created));
    return false;
  }
  BYTE* data = nullptr;
  if (FAILED(terrain.indexBuffer->Lock(0, bytes, &data, 0))) {
    AddLog("LANDSCAPE : ERROR Couldn't lock the indices buffer with a size of %d.",
           static_cast<int>(bytes));
    return false;
  }
  std::memcpy(data, indices.data(), indices.size() * sizeof(uint16_t));
  terrain.indexBuffer->Unlock();
  terrain.indexCount = static_cast<int32_t>(indices.size());
  return true;
}

// Chunks in index order, each appended to the last group while it holds 65000 vertices or fewer.
bool BuildChunks(TerrainRecord& terrain, const HeightMap* map, int32_t smoothLevel,
                 Progress& progress) {
  const int32_t side = GridSide(terrain.precision);
  terrain.chunks = new (std::nothrow) TerrainChunk[static_cast<size_t>(terrain.chunkCount)]();
  terrain.groups = new (std::nothrow) ChunkVertexBuffer[static_cast<size_t>(terrain.chunkCount)]();
  if (terrain.chunks == nullptr || terrain.groups == nullptr) return false;
  terrain.groupCount = 1;
  std::vector<float> heights(static_cast<size_t>(side * side));
  for (int32_t row = 0; row < terrain.chunkRows; ++row) {
    for (int32_t column = 0; column < terrain.chunkColumns; ++column) {
      const int32_t index = row * terrain.chunkColumns + column;
      TerrainChunk& chunk = terrain.chunks[index];
      chunk.vertexCount = side * side;
      chunk.originX = column * kChunkSide;
      chunk.originZ = row * kChunkSide;
      chunk.columns = chunk.rows = side;
      chunk.enabled = 1;
      ChunkVertexBuffer* group = &terrain.groups[terrain.groupCount - 1];
      if (group->vertexCount + chunk.vertexCount > kMaxGroupVertices) {
        group = &terrain.groups[terrain.groupCount++];
        group->firstChunk = index;
      }
      group->lastChunk = index;
      group->vertexCount += chunk.vertexCount;
      chunk.vertices = new (std::nothrow) TVertex[static_cast<size_t>(chunk.vertexCount)]();
      chunk.normalWork = new (std::nothrow) float[static_cast<size_t>(chunk.vertexCount) * 3]();
      if (chunk.vertices == nullptr || chunk.normalWork == nullptr) return false;
      SampleHeightMap(terrain, map, column, row, chunk, heights);
      if (smoothLevel == 0) {
        for (int32_t v = 0; v < chunk.vertexCount; ++v) chunk.vertices[v].y = heights[size_t(v)];
      } else if (terrain.weightSum == kNoWeightTable) {
        Terrain_Affine(side, side, smoothLevel, heights.data(), chunk.vertices);
      } else {
        Terrain_Affine2(terrain.id, side, side, smoothLevel, heights.data(), chunk.vertices);
      }
      Terrain_ComputeNormals(side, side, chunk.vertices, chunk.normalWork);
      progress.Report(1);
    }
  }
  return true;
}

void AverageSeams(TerrainRecord& terrain) {
  const int32_t side = GridSide(terrain.precision);
  for (int32_t row = 0; row < terrain.chunkRows; ++row) {
    for (int32_t column = 0; column + 1 < terrain.chunkColumns; ++column) {
      TerrainChunk& left = terrain.chunks[row * terrain.chunkColumns + column];
      TerrainChunk& right = terrain.chunks[row * terrain.chunkColumns + column + 1];
      for (int32_t k = 0; k < side; ++k) {
        AverageVertices(GridVertex(left, k, side - 1), GridVertex(right, k, 0));
      }
    }
  }
  for (int32_t row = 0; row + 1 < terrain.chunkRows; ++row) {
    for (int32_t column = 0; column < terrain.chunkColumns; ++column) {
      TerrainChunk& upper = terrain.chunks[row * terrain.chunkColumns + column];
      TerrainChunk& lower = terrain.chunks[(row + 1) * terrain.chunkColumns + column];
      for (int32_t k = 0; k < side; ++k) {
        AverageVertices(GridVertex(upper, side - 1, k), GridVertex(lower, 0, k));
      }
    }
  }
}

bool FillVertexBuffers(TerrainRecord& terrain) {
  for (int32_t g = 0; g < terrain.groupCount; ++g) {
    ChunkVertexBuffer& group = terrain.groups[g];
    if (FAILED(CurrentDevice->CreateVertexBuffer(
            static_cast<UINT>(group.vertexCount) * sizeof(TVertex), 0, kTerrainFvf, D3DPOOL_MANAGED,
            &group.buffer))) {
      group.buffer = nullptr;
      AddLog(
          "LANDSCAPE : ERROR Couldn't create the vertex buffer #%d for the chunks %d to %d. Maybe "
          "out of memory.",
          g, group.firstChunk, group.lastChunk);
      return false;
    }
  }
  int32_t group = 0;
  int32_t firstVertex = 0;
  for (int32_t index = 0; index < terrain.chunkCount; ++index) {
    TerrainChunk& chunk = terrain.chunks[index];
    if (index > terrain.groups[group].lastChunk) {
      ++group;
      firstVertex = 0;
    }
    chunk.group = group;
    chunk.firstVertex = firstVertex;
    firstVertex += chunk.vertexCount;
    D3DXComputeBoundingBox(chunk.vertices, static_cast<DWORD>(chunk.vertexCount), kTerrainFvf,
                           &chunk.boxMin, &chunk.boxMax);
    D3DXComputeBoundingSphere(chunk.vertices, static_cast<DWORD>(chunk.vertexCount), kTerrainFvf,
                              &chunk.sphereCenter, &chunk.sphereRadius);
    IDirect3DVertexBuffer8* buffer = terrain.groups[group].buffer;
    BYTE* data = nullptr;
    const HRESULT locked =
        buffer->Lock(static_cast<UINT>(chunk.firstVertex) * sizeof(TVertex),
                     static_cast<UINT>(chunk.vertexCount) * sizeof(TVertex), &data, 0);
    if (FAILED(locked)) {
      AddLog("LANDSCAPE : ERROR Couldn't lock the vertex buffer. hr %d", static_cast<int>(locked));
      return false;
    }
    std::memcpy(data, chunk.vertices, static_cast<size_t>(chunk.vertexCount) * sizeof(TVertex));
    buffer->Unlock();
  }
  return true;
}

int32_t ChunkAt(const TerrainRecord& terrain, float x, float z) {
  return static_cast<int32_t>(std::floor(x / kChunkSideF)) +
         terrain.chunkColumns * static_cast<int32_t>(std::floor(z / kChunkSideF));
}

int32_t CellOf(float coordinate, int32_t precision) {
  return static_cast<int32_t>(
      std::floor(std::fmod(coordinate, kChunkSideF) / static_cast<float>(precision)));
}

void BuildNode(TerrainRecord& terrain, Land_TerrainQuadtree* node) {
  node->leaf = node->outside = 0;
  node->chunk = 0;
  if (node->minX >= static_cast<float>(terrain.chunkColumns * kChunkSide) ||
      node->minZ >= static_cast<float>(terrain.chunkRows * kChunkSide)) {
    node->outside = 1;
    node->leaf = 1;
    return;
  }
  const float side = node->maxX - node->minX;
  // A node never spans more than one chunk, whatever the precision, so every leaf names its chunk.
  const float leafSide = std::min(static_cast<float>(kLeafCells * terrain.precision), kChunkSideF);
  node->chunk = ChunkAt(terrain, node->minX, node->minZ);
  if (side > leafSide) {
    if (side == kChunkSideF) {
      node->minY = terrain.chunks[node->chunk].boxMin.y;
      node->maxY = terrain.chunks[node->chunk].boxMax.y;
    }
    const float midX = (node->minX + node->maxX) * 0.5f;
    const float midZ = (node->minZ + node->maxZ) * 0.5f;
    for (int32_t k = 0; k < 4; ++k) {
      auto* child = new Land_TerrainQuadtree{};
      child->parent = node;
      child->minX = (k & 1) != 0 ? midX : node->minX;
      child->maxX = (k & 1) != 0 ? node->maxX : midX;
      child->minZ = (k & 2) != 0 ? midZ : node->minZ;
      child->maxZ = (k & 2) != 0 ? node->maxZ : midZ;
      child->minY = node->minY;
      child->maxY = node->maxY;
      node->children[k] = child;
      BuildNode(terrain, child);
    }
    return;
  }
  node->leaf = 1;
  terrain.chunks[node->chunk].leaf = node;
  const int32_t lastCell = kChunkSide / terrain.precision;
  node->firstColumn = CellOf(node->minX, terrain.precision);
  node->firstRow = CellOf(node->minZ, terrain.precision);
  node->lastColumn = CellOf(node->maxX, terrain.precision);
  node->lastRow = CellOf(node->maxZ, terrain.precision);
  if (node->lastColumn == 0) node->lastColumn = lastCell;
  if (node->lastRow == 0) node->lastRow = lastCell;
}

void FreeChunks(TerrainRecord& terrain) {
  if (terrain.groups != nullptr) {
    for (int32_t g = 0; g < terrain.groupCount; ++g) SafeRelease(terrain.groups[g].buffer);
  }
  delete[] terrain.groups;
  terrain.groups = nullptr;
  terrain.groupCount = 0;
  if (terrain.chunks != nullptr) {
    for (int32_t c = 0; c < terrain.chunkCount; ++c) {
      delete[] terrain.chunks[c].vertices;
      delete[] terrain.chunks[c].normalWork;
    }
  }
  delete[] terrain.chunks;
  terrain.chunks = nullptr;
  SafeRelease(terrain.indexBuffer);
  terrain.indexCount = 0;
  Terrain_FreeNodes(terrain.root);
  terrain.root = nullptr;
  terrain.chunkCount = -1;
}

int64_t ElapsedMilliseconds(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                               start)
      .count();
}

void SetPlacement(int32_t id, float* field, float x, float y, float z) {
  field[0] = x;
  field[1] = y;
  field[2] = z;
  TerrainTable[id].matrixDirty = 1;
}

}  // namespace

TerrainRecord* FindTerrain(int32_t id) {
  if (id < 0 || id >= TerrainCount) return nullptr;
  return &TerrainTable[id];
}

TerrainRecord* FindGeneratedTerrain(int32_t id) {
  TerrainRecord* terrain = FindTerrain(id);
  return terrain != nullptr && terrain->chunkCount >= 1 ? terrain : nullptr;
}

void UpdateWorldMatrix(TerrainRecord& terrain) {
  if (terrain.matrixDirty == 0) return;
  if (terrain.scale[0] == 0.0f || terrain.scale[1] == 0.0f || terrain.scale[2] == 0.0f) {
    std::fill(std::begin(terrain.scale), std::end(terrain.scale), 1.0f);
  }
  D3DXMATRIX rotation;
  D3DXMATRIX scaling;
  D3DXMatrixRotationYawPitchRoll(&rotation, terrain.rotation[1], terrain.rotation[0],
                                 terrain.rotation[2]);
  D3DXMatrixScaling(&scaling, terrain.scale[0], terrain.scale[1], terrain.scale[2]);
  D3DXMatrixMultiply(&terrain.world, &rotation, &scaling);
  terrain.world(3, 0) = terrain.position[0];
  terrain.world(3, 1) = terrain.position[1];
  terrain.world(3, 2) = terrain.position[2];
  terrain.matrixDirty = 0;
}

bool IsAntiDiagonalCell(int32_t column, int32_t row, int32_t columns, int32_t rows) {
  if (column >= row) return row < columns - column - 1;
  return column >= rows - row - 2;
}

void BuildSpiralStrip(int32_t side, std::vector<uint16_t>& indices) {
  indices.clear();
  const auto pair = [&](int32_t a, int32_t b) {
    indices.push_back(static_cast<uint16_t>(a));
    indices.push_back(static_cast<uint16_t>(b));
  };
  const int32_t l = side;
  int32_t r = 0;
  int32_t c = 0;
  int32_t s = side;
  while (s > 2) {
    for (int32_t k = 0; k < s; ++k, ++c) pair(l * r + c, l * (r + 1) + c);
    ++r;
    for (int32_t k = 0; k < s - 1; ++k, ++r) pair(l * r + c - 1, l * r + c - 2);
    c -= 2;
    for (int32_t k = 0; k < s - 1; ++k, --c) pair(l * (r - 1) + c, l * (r - 2) + c);
    r -= 2;
    for (int32_t k = 0; k < s - 2; ++k, --r) pair(l * r + c + 1, l * r + c + 2);
    ++r;
    c += 2;
    s -= 2;
  }
  // An even side leaves the centre cell: the first run of one more ring covers it.
  if (s == 2) {
    for (int32_t k = 0; k < s; ++k, ++c) pair(l * r + c, l * (r + 1) + c);
  }
}

void CopyChunkToBuffer(TerrainRecord& terrain, int32_t index) {
  TerrainChunk& chunk = terrain.chunks[index];
  IDirect3DVertexBuffer8* buffer = terrain.groups[chunk.group].buffer;
  BYTE* data = nullptr;
  const UINT bytes = static_cast<UINT>(chunk.vertexCount) * sizeof(TVertex);
  if (buffer == nullptr ||
      FAILED(
          buffer->Lock(static_cast<UINT>(chunk.firstVertex) * sizeof(TVertex), bytes, &data, 0))) {
    return;
  }
  std::memcpy(data, chunk.vertices, bytes);
  chunk.sphereCenter = (chunk.boxMin + chunk.boxMax) * 0.5f;
  const D3DXVECTOR3 diagonal = chunk.boxMax - chunk.boxMin;
  chunk.sphereRadius = D3DXVec3Length(&diagonal) * 0.5f;
  buffer->Unlock();
}

int32_t Terrain_Create(int32_t id) {
  if (id < 0) {
    AddLog("LANDSCAPE : Can't create the landscape object #%d", id);
    return 0;
  }
  if (id >= TerrainCount && !GrowTable(&TerrainTable, &TerrainCount, id + 1 - TerrainCount)) {
    return 0;
  }
  if (TerrainTable[id].chunkCount >= 0) Terrain_FreeMemory(id);
  ResetRecord(TerrainTable[id], id);
  TexGenForgetLayers(id);
  AddLog("LANDSCAPE : Landscape object #%d has been created", id);
  return id;
}

int32_t Terrain_Generate(int32_t id, const char* heightMapFile, int32_t precision,
                         int32_t chunkColumns, int32_t chunkRows, float x, float y, float z,
                         int32_t smoothLevel) {
  TerrainRecord* terrain = FindTerrain(id);
  if (terrain == nullptr) {
    AddLog("LANDSCAPE : Landscape object #%d doesn't exist", id);
    return 0;
  }
  if (precision < kMinPrecision || precision > kMaxPrecision) {
    AddLog("LANDSCAPE : Can't generate the terrain with a precision of %d", precision);
    return 0;
  }
  // Chunk and vertex counts are 32-bit throughout: a size whose product does not fit would wrap
  // to a chunk table too small for the chunks written into it.
  const int64_t chunks = int64_t{chunkColumns} * chunkRows;
  const int64_t side = GridSide(precision);
  if (chunkColumns <= 0 || chunkRows <= 0 ||
      chunks * side * side > std::numeric_limits<int32_t>::max()) {
    AddLog("LANDSCAPE : Can't generate the terrain with a size of %dx%d", chunkColumns, chunkRows);
    return 0;
  }
  if (smoothLevel < 0) {
    AddLog("LANDSCAPE : Can't generate the terrain with a smoothing level of %d", smoothLevel);
    return 0;
  }
  if (CurrentDevice == nullptr) {
    AddLog("LANDSCAPE : Can't generate the terrain #%d without a 3D device", id);
    return 0;
  }
  const auto start = std::chrono::steady_clock::now();
  if (heightMapFile != nullptr) {
    AddLog("LANDSCAPE : Generating landscape #%d from heightmap %s", id, heightMapFile);
  } else {
    AddLog("LANDSCAPE : heightmap filename is a NULL ! Creating a empty terrain #%d", id);
  }
  if (terrain->heightFactor == 0.0f) terrain->heightFactor = 1.0f;
  if (terrain->chunkCount >= 0) {
    AddLog("LANDSCAPE : Id #%d already initialized with data, trying with other", id);
    Terrain_FreeMemory(id);
  }
  terrain->flipSign = TerrainFlipSign;
  D3DXMatrixTranslation(&terrain->world, x, y, z);
  terrain->matrixDirty = 1;
  terrain->position[0] = x;
  terrain->position[1] = y;
  terrain->position[2] = z;
  HeightMap map;
  if (heightMapFile != nullptr && !ReadHeightMap(heightMapFile, map)) return 0;

  terrain->chunkColumns = chunkColumns;
  terrain->chunkRows = chunkRows;
  terrain->chunkCount = chunkColumns * chunkRows;
  terrain->precision = precision;
  Progress progress(id, terrain->chunkCount);
  std::vector<uint16_t> indices;
  BuildSpiralStrip(GridSide(precision), indices);
  progress.Report(0);
  // A failure frees what was made, so that the terrain reads as holding no data.
  if (!CreateIndexBuffer(*terrain, indices) ||
      !BuildChunks(*terrain, heightMapFile != nullptr ? &map : nullptr, smoothLevel, progress)) {
    FreeChunks(*terrain);
    return 0;
  }
  AverageSeams(*terrain);
  progress.Report(2);
  if (!FillVertexBuffers(*terrain)) {
    FreeChunks(*terrain);
    return 0;
  }
  int32_t vertices = 0;
  for (int32_t c = 0; c < terrain->chunkCount; ++c) vertices += terrain->chunks[c].vertexCount;
  AddLog(
      "LANDSCAPE : %dx%d Landscape successfully generated with %d vertices and %d indices in %d "
      "milliseconds.",
      chunkColumns, chunkRows, vertices, terrain->chunkCount * terrain->indexCount,
      static_cast<int>(ElapsedMilliseconds(start)));
  progress.Report(3);
  Terrain_GenerateQuadtree(id);
  progress.Report(4);
  return id;
}

int32_t Terrain_GenerateEmptyTerrain(int32_t id, int32_t precision, int32_t chunkColumns,
                                     int32_t chunkRows, float x, float z) {
  return Terrain_Generate(id, nullptr, precision, chunkColumns, chunkRows, x, 0.0f, z, 0);
}

int32_t Terrain_GenerateQuadtree(int32_t id) {
  TerrainRecord* terrain = FindGeneratedTerrain(id);
  if (terrain == nullptr) return 0;
  const auto start = std::chrono::steady_clock::now();
  Terrain_FreeNodes(terrain->root);
  int32_t side = 1;
  while (side < std::max(terrain->chunkColumns, terrain->chunkRows)) side *= 2;
  auto* root = new Land_TerrainQuadtree{};
  root->minY = kNoRangeMin;
  root->maxY = -kNoRangeMin;
  for (int32_t c = 0; c < terrain->chunkCount; ++c) {
    root->minY = std::min(root->minY, terrain->chunks[c].boxMin.y);
    root->maxY = std::max(root->maxY, terrain->chunks[c].boxMax.y);
  }
  root->maxX = root->maxZ = static_cast<float>(side * kChunkSide);
  terrain->root = root;
  BuildNode(*terrain, root);
  AddLog("LANDSCAPE : Quadtree created for the landscape in %d milliseconds.",
         static_cast<int>(ElapsedMilliseconds(start)));
  return 1;
}

int32_t Terrain_FreeNodes(Land_TerrainQuadtree* node) {
  if (node == nullptr) return 0;
  if (node->leaf == 0) {
    for (Land_TerrainQuadtree* child : node->children) Terrain_FreeNodes(child);
  }
  delete node;
  return 0;
}

int32_t Terrain_FreeMemory(int32_t id) {
  TerrainRecord* terrain = FindTerrain(id);
  if (terrain == nullptr || terrain->chunkCount < 0) return 0;
  FreeChunks(*terrain);
  return 1;
}

int32_t Terrain_FreeAll() {
  for (int32_t id = 0; id < TerrainCount; ++id) Terrain_FreeMemory(id);
  TexGenFreeLayers();
  void* table = TerrainTable;
  FreeTable(&table, &TerrainCount);
  TerrainTable = nullptr;
  return 1;
}

int32_t Terrain_SetHMMode(int32_t mode) {
  HeightMapMode = mode;
  return 1;
}

int32_t Terrain_SetFlipMode(int32_t flip) {
  TerrainFlipSign = flip != 0 ? -1.0f : 1.0f;
  return 1;
}

int32_t Terrain_ChangeFlipMode(int32_t id, int32_t flip) {
  TerrainRecord* terrain = FindTerrain(id);
  if (terrain == nullptr) return 0;
  terrain->flipSign = flip != 0 ? -1.0f : 1.0f;
  return 1;
}

int32_t Terrain_SetFactorY(int32_t id, float factor) {
  constexpr float kMinimumFactor = 0.0001f;
  TerrainRecord* terrain = FindTerrain(id);
  if (terrain == nullptr) return 0;
  terrain->heightFactor = std::max(factor, kMinimumFactor);
  return 1;
}

int32_t Terrain_SetPosition(int32_t id, float x, float y, float z) {
  if (FindTerrain(id) == nullptr) return 0;
  SetPlacement(id, TerrainTable[id].position, x, y, z);
  return 1;
}

int32_t Terrain_SetRotation(int32_t id, float x, float y, float z) {
  if (FindTerrain(id) == nullptr) return 0;
  SetPlacement(id, TerrainTable[id].rotation, x, y, z);
  return Terrain_ComputeWater(id);
}

int32_t Terrain_SetScaling(int32_t id, float x, float y, float z) {
  if (FindTerrain(id) == nullptr) return 0;
  SetPlacement(id, TerrainTable[id].scale, x, y, z);
  return Terrain_ComputeWater(id);
}

int32_t Terrain_SetMatrix(int32_t id, const D3DXMATRIX* matrix) {
  TerrainRecord* terrain = FindTerrain(id);
  if (terrain == nullptr || matrix == nullptr) return 0;
  terrain->matrixDirty = 0;
  terrain->world = *matrix;
  return 1;
}

int32_t Terrain_GetMatrix(int32_t id, D3DXMATRIX* matrix) {
  TerrainRecord* terrain = FindTerrain(id);
  if (terrain == nullptr || matrix == nullptr) return 0;
  *matrix = terrain->world;
  return 1;
}

int32_t Terrain_GetExtent(int32_t id, float* width, float* depth) {
  TerrainRecord* terrain = FindTerrain(id);
  if (terrain == nullptr || width == nullptr || depth == nullptr) return 0;
  *width = static_cast<float>(terrain->chunkColumns) * terrain->scale[0] * kChunkSideF;
  *depth = static_cast<float>(terrain->chunkRows) * terrain->scale[2] * kChunkSideF;
  return 1;
}

namespace {
TerrainChunk* FindChunk(int32_t id, int32_t chunk) {
  TerrainRecord* terrain = FindGeneratedTerrain(id);
  if (terrain == nullptr || chunk < 0 || chunk >= terrain->chunkCount) return nullptr;
  return &terrain->chunks[chunk];
}
}  // namespace

int32_t Terrain_EnableChunk(int32_t id, int32_t chunk, int32_t enabled) {
  TerrainChunk* found = FindChunk(id, chunk);
  if (found == nullptr) return 0;
  found->enabled = enabled;
  return 1;
}

int32_t Terrain_EnableChunk2(int32_t id, int32_t column, int32_t row, int32_t enabled) {
  const TerrainRecord* terrain = FindGeneratedTerrain(id);
  if (terrain == nullptr || column < 0 || column >= terrain->chunkColumns) return 0;
  return Terrain_EnableChunk(id, column + row * terrain->chunkColumns, enabled);
}

int32_t Terrain_IsVisible(int32_t id, int32_t chunk) {
  const TerrainChunk* found = FindChunk(id, chunk);
  return found != nullptr ? found->visible : 0;
}

int32_t Terrain_GetTexture(int32_t id, int32_t chunk) {
  const TerrainChunk* found = FindChunk(id, chunk);
  return found != nullptr ? found->texture : 0;
}

int32_t Terrain_GetMaterial(int32_t id, int32_t chunk) {
  const TerrainChunk* found = FindChunk(id, chunk);
  return found != nullptr ? found->material : 0;
}

int32_t Terrain_RecurseChildsForUpdate(Land_TerrainQuadtree* node, float maxY, float minY) {
  if (node == nullptr || node->outside != 0 || node->leaf != 0) return 0;
  node->minY = minY;
  node->maxY = maxY;
  for (Land_TerrainQuadtree* child : node->children)
    Terrain_RecurseChildsForUpdate(child, maxY, minY);
  return 1;
}

int32_t Terrain_UpdateQuadtreeForChunk(int32_t id, int32_t chunk) {
  TerrainChunk* found = FindChunk(id, chunk);
  if (found == nullptr || found->leaf == nullptr) return 0;
  Terrain_RecurseChildsForUpdate(found->leaf, found->boxMax.y, found->boxMin.y);
  for (Land_TerrainQuadtree* node = found->leaf; node != nullptr; node = node->parent) {
    node->minY = std::min(node->minY, found->boxMin.y);
    node->maxY = std::max(node->maxY, found->boxMax.y);
  }
  return 1;
}

int32_t Terrain_UpdateQuadtreeForPoint(int32_t id, float x, float z, float y) {
  TerrainRecord* terrain = FindGeneratedTerrain(id);
  if (terrain == nullptr || terrain->root == nullptr) return 0;
  // The root widens too, or a ray above its old range would never reach the raised point.
  Land_TerrainQuadtree* node = terrain->root;
  while (node != nullptr) {
    node->minY = std::min(node->minY, y);
    node->maxY = std::max(node->maxY, y);
    if (node->leaf != 0) break;
    Land_TerrainQuadtree* next = nullptr;
    for (Land_TerrainQuadtree* child : node->children) {
      if (x >= child->minX && x <= child->maxX && z >= child->minZ && z <= child->maxZ) {
        next = child;
        break;
      }
    }
    node = next;
  }
  return 1;
}

int32_t Terrain_LoadFromHeightData(int32_t columns, int32_t rows, float chunkColumn, float chunkRow,
                                   float chunkColumns, float chunkRows, int32_t imageWidth,
                                   int32_t imageHeight, float* heights, TVertex* vertices,
                                   const uint8_t* pixels, int32_t precision, int32_t originX,
                                   int32_t originZ, int32_t flat, int32_t, float heightFactor) {
  const bool sampled = flat == 0;
  if (columns < 2 || rows < 2 || heights == nullptr || vertices == nullptr || !(chunkColumns > 0) ||
      !(chunkRows > 0) || (sampled && (pixels == nullptr || imageWidth <= 0 || imageHeight <= 0))) {
    return 0;
  }
  const auto width = static_cast<uint32_t>(std::max(imageWidth, 0));
  std::function<float(uint32_t, uint32_t)> value;
  if (sampled) {
    // Three bytes a pixel; the first is the height.
    value = [pixels, width](uint32_t px, uint32_t py) {
      return static_cast<float>(pixels[(size_t{py} * width + px) * 3]);
    };
  }
  SampleGrid({columns, rows, chunkColumn, chunkRow, chunkColumns, chunkRows, precision, originX,
              originZ, heightFactor},
             width, static_cast<uint32_t>(std::max(imageHeight, 0)), value, vertices, heights);
  return 1;
}
