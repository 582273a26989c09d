// Terrains through the shared object on the headless device: generation, heights, normals,
// picking and edits against surfaces whose answers are known.
#include <bit>
#include <cmath>
#include <cstring>
#include <vector>

#include "platform/d3dx/filter.h"
#include "platform/d3dx/math.h"
#include "platform/d3dx/texture.h"
#include "platform/win/byte_reader.h"
#include "tests/file_size_limit.h"
#include "tests/library/core/library_fixture.h"

namespace {

using namespace d3d;
using d3dx::D3DXMATRIX;
using d3dx::D3DXVECTOR3;

constexpr float kSqrtHalf = 0.70710678f;

constexpr float kTolerance = 1e-3f;  // world units

D3DXVECTOR3 Vec(float x, float y, float z) { return {{x, y, z}}; }

std::vector<float> ProgressValues;
int32_t RecordProgress(int32_t event, int32_t /*id*/, int32_t value, void* /*out*/) {
  if (event == 50) ProgressValues.push_back(std::bit_cast<float>(value));
  return 0;
}

class Terrain : public LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    ASSERT_EQ(CreateDevice(), D3D_OK);
  }

  // A height map whose blue byte is the pixel column: a ramp y = x over one 256-unit chunk.
  std::string RampMap() const {
    d3dx::ArgbImage image(256, 4);
    for (uint32_t y = 0; y < image.height; ++y) {
      for (uint32_t x = 0; x < image.width; ++x) image.At(x, y) = 0xff000000u | x;
    }
    return WriteBmp("ramp.bmp", image);
  }

  static float Height(int32_t id, float x, float z) {
    const D3DXVECTOR3 point = Vec(x, 0, z);
    D3DXVECTOR3 out{};
    EXPECT_EQ(Terrain_GetHeight(id, &point, &out), 1);
    return out.y;
  }

  static TerrainPickResult Pick(int32_t id, float x, float z, float fromY = 1000.0f,
                                float toY = -1000.0f) {
    const D3DXVECTOR3 from = Vec(x, fromY, z);
    const D3DXVECTOR3 to = Vec(x, toY, z);
    TerrainPickResult result{};
    Terrain_RayPicking(id, &from, &to, &result, 0);
    return result;
  }
};

TEST_F(Terrain, RefusesBadPrecisionsSizesAndIdentifiersAndKeepsNoData) {
  ASSERT_EQ(Terrain_Create(0), 0);
  EXPECT_EQ(Terrain_Create(-1), 0);
  for (const int32_t precision : {0, 1, 257, -4}) {
    EXPECT_EQ(Terrain_GenerateEmptyTerrain(0, precision, 1, 1, 0, 0), 0) << precision;
  }
  EXPECT_TRUE(Logged("LANDSCAPE : Can't generate the terrain with a precision of 1"));
  EXPECT_EQ(Terrain_GenerateEmptyTerrain(0, 32, 0, 1, 0, 0), 0);
  EXPECT_TRUE(Logged("LANDSCAPE : Can't generate the terrain with a size of 0x1"));
  EXPECT_EQ(Terrain_GenerateEmptyTerrain(5, 32, 1, 1, 0, 0), 0);
  EXPECT_EQ(Terrain_Generate(0, (Folder() / "missing.bmp").c_str(), 32, 1, 1, 0, 0, 0, 0), 0);
  EXPECT_EQ(Terrain_FreeMemory(0), 0);  // nothing was made
  const D3DXVECTOR3 point = Vec(1, 0, 1);
  D3DXVECTOR3 out = Vec(9, 9, 9);
  EXPECT_EQ(Terrain_GetHeight(0, &point, &out), 0);
  EXPECT_TRUE(Near(out, Vec(0, 0, 0), kTolerance));
  EXPECT_EQ(Terrain_GetHeight(7, &point, &out), 0);
  EXPECT_EQ(Terrain_SetPosition(7, 0, 0, 0), 0);
  EXPECT_EQ(Terrain_SetFactorY(0, 0.0f), 1);
}

TEST_F(Terrain, SizesWhoseCountsDoNotFit32BitsAndNegativeSmoothingAreRefused) {
  ASSERT_EQ(Terrain_Create(0), 0);
  struct Case {
    int32_t precision, columns, rows;
  };
  const Case cases[] = {
      {256, 65536, 65536},   // 2^32 chunks: wraps to 0
      {256, 1 << 20, 4096},  // the same product by other sides
      {256, 46341, 46341},   // just past 2^31 chunks
      {256, 30000, 30000},   // the chunks fit, their four vertices each do not
      {2, 1000, 1000},       // a million chunks of 16641 vertices
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.columns) + "x" + std::to_string(c.rows));
    EXPECT_EQ(Terrain_GenerateEmptyTerrain(0, c.precision, c.columns, c.rows, 0, 0), 0);
    EXPECT_TRUE(Logged("LANDSCAPE : Can't generate the terrain with a size of " +
                       std::to_string(c.columns) + "x" + std::to_string(c.rows)));
    EXPECT_EQ(Terrain_FreeMemory(0), 0);  // nothing was made
  }
  // A negative level is an empty window, which would flatten every height to 0.
  EXPECT_EQ(Terrain_Generate(0, nullptr, 64, 1, 1, 0, 0, 0, -1), 0);
  EXPECT_TRUE(Logged("LANDSCAPE : Can't generate the terrain with a smoothing level of -1"));
  const std::vector<float> heights(9, 5.0f);
  std::vector<TVertex> vertices(9);
  vertices[4].y = 7.0f;
  EXPECT_EQ(Terrain_Affine(3, 3, -1, heights.data(), vertices.data()), 0);
  EXPECT_EQ(vertices[4].y, 7.0f);
}

TEST_F(Terrain, RegeneratingFreesTheOldBuffersAndGroupsHoldAtMost65000Vertices) {
  const size_t before = Control()->LiveObjectCount();
  ASSERT_EQ(Terrain_Create(2), 2);
  // Precision 2: 129 x 129 = 16641 vertices a chunk, three to a group: two groups for 2 x 2.
  ASSERT_EQ(Terrain_GenerateEmptyTerrain(2, 2, 2, 2, 0, 0), 2);
  EXPECT_EQ(Control()->LiveObjectCount(), before + 3);  // two vertex buffers, one index buffer
  ASSERT_EQ(Terrain_GenerateEmptyTerrain(2, 2, 2, 2, 0, 0), 2);
  EXPECT_TRUE(Logged("LANDSCAPE : Id #2 already initialized with data, trying with other"));
  EXPECT_EQ(Control()->LiveObjectCount(), before + 3);
  EXPECT_EQ(Terrain_FreeAll(), 1);
  EXPECT_EQ(Control()->LiveObjectCount(), before);
}

TEST_F(Terrain, ProgressReportsEqualStepsBelowOneHundredAsFloatBits) {
  ProgressValues.clear();
  Engine_SetCallback(RecordProgress);
  ASSERT_EQ(Terrain_Create(0), 0);
  ASSERT_EQ(Terrain_GenerateEmptyTerrain(0, 64, 3, 2, 0, 0), 0);
  ASSERT_EQ(ProgressValues.size(), 10u);  // index list, six chunks, seams, buffers, quadtree
  for (size_t k = 0; k < ProgressValues.size(); ++k) {
    EXPECT_NEAR(ProgressValues[k], 100.0f / 11.0f * static_cast<float>(k + 1), 1e-3f);
  }
}

TEST_F(Terrain, HeightsAndNormalsFollowTheRampInBothHeightModes) {
  ASSERT_EQ(Terrain_Create(0), 0);
  ASSERT_EQ(Terrain_Generate(0, RampMap().c_str(), 32, 1, 1, 0, 0, 0, 0), 0);
  for (const float x : {0.0f, 16.0f, 100.0f, 191.0f}) {
    EXPECT_NEAR(Height(0, x, 77.0f), x, 1e-3f) << x;
  }
  // The last pixel column is 255, not 256, and a point past the edge takes the edge's height.
  EXPECT_NEAR(Height(0, 5000.0f, 77.0f), 255.0f, 1e-2f);
  const D3DXVECTOR3 point = Vec(100, 0, 77);
  D3DXVECTOR3 normal{};
  ASSERT_EQ(Terrain_GetNormal(0, &point, &normal), 1);
  EXPECT_TRUE(Near(normal, Vec(kSqrtHalf, -kSqrtHalf, 0), kTolerance));

  // Mode 1 reads the blue byte as the highest of four: 2^24 times steeper, past 2^31 at the top.
  Terrain_SetHMMode(1);
  ASSERT_EQ(Terrain_Create(1), 1);
  ASSERT_EQ(Terrain_SetFactorY(1, 0.0f), 1);  // the smallest factor, 0.0001
  ASSERT_EQ(Terrain_Generate(1, RampMap().c_str(), 32, 1, 1, 0, 0, 0, 0), 1);
  Terrain_SetHMMode(0);
  for (const float x : {100.0f, 200.0f}) {
    EXPECT_NEAR(Height(1, x, 10.0f) / (16777216.0f * 0.0001f), x, 1e-2f) << x;
  }
}

TEST_F(Terrain, TheExportedSamplerReadsTheFirstOfThreeBytesAsTheGeneratorWould) {
  // A 4 x 2 image whose first byte is 10 x column + 100 x row, sampled as the right half of a
  // terrain two chunks wide and one deep: columns 2, 3, 3 (the last clamped), rows 0, 1, 1.
  std::vector<uint8_t> pixels(4 * 2 * 3, 0xEE);
  for (uint8_t y = 0; y < 2; ++y) {
    for (uint8_t x = 0; x < 4; ++x)
      pixels[(y * 4u + x) * 3] = static_cast<uint8_t>(10 * x + 100 * y);
  }
  std::vector<float> heights(9, -1);
  std::vector<TVertex> vertices(9);
  ASSERT_EQ(Terrain_LoadFromHeightData(3, 3, 1, 0, 2, 1, 4, 2, heights.data(), vertices.data(),
                                       pixels.data(), 128, 256, 512, 0, 0, 0.5f),
            1);
  EXPECT_EQ(heights, (std::vector<float>{10, 15, 15, 60, 65, 65, 60, 65, 65}));
  const TVertex& last = vertices[8];
  EXPECT_EQ(std::vector<float>({last.x, last.z, last.ny, last.colorU, last.detailV}),
            (std::vector<float>{512, 768, 1, 1, 1}));
  // Flat: heights 0 and the pixels never read.
  ASSERT_EQ(Terrain_LoadFromHeightData(3, 3, 1, 0, 2, 1, 0, 0, heights.data(), vertices.data(),
                                       nullptr, 128, 0, 0, 1, 0, 1),
            1);
  EXPECT_EQ(heights, std::vector<float>(9, 0));
  EXPECT_EQ(Terrain_LoadFromHeightData(1, 3, 1, 0, 2, 1, 4, 2, heights.data(), vertices.data(),
                                       pixels.data(), 128, 0, 0, 0, 0, 1),
            0);
  EXPECT_EQ(Terrain_LoadFromHeightData(3, 3, 1, 0, 2, 1, 4, 2, heights.data(), vertices.data(),
                                       nullptr, 128, 0, 0, 0, 0, 1),
            0);
  EXPECT_EQ(Terrain_LoadFromHeightData(3, 3, 1, 0, 0, 1, 4, 2, heights.data(), vertices.data(),
                                       pixels.data(), 128, 0, 0, 0, 0, 1),
            0);
}

TEST_F(Terrain, LevelGroundAnswersItsHeightAndADownwardNormal) {
  ASSERT_EQ(Terrain_Create(0), 0);
  ASSERT_EQ(Terrain_Generate(0, nullptr, 16, 2, 2, 0, 7, 0, 0), 0);
  const D3DXVECTOR3 point = Vec(300, 0, 40);
  D3DXVECTOR3 out{};
  ASSERT_EQ(Terrain_GetHeight(0, &point, &out), 1);
  EXPECT_TRUE(Near(out, Vec(300, 7, 40), kTolerance));
  ASSERT_EQ(Terrain_GetNormal(0, &point, &out), 1);
  EXPECT_TRUE(Near(out, Vec(0, -1, 0), kTolerance));
  // The far edge itself is on the terrain and reads the last chunk, not one past the row.
  const D3DXVECTOR3 edge = Vec(512, 0, 512);
  ASSERT_EQ(Terrain_GetNormal(0, &edge, &out), 1);
  EXPECT_TRUE(Near(out, Vec(0, -1, 0), kTolerance));
  const D3DXVECTOR3 off = Vec(513, 0, 10);
  EXPECT_EQ(Terrain_GetNormal(0, &off, &out), 0);
}

TEST_F(Terrain, QueriesOfAScaledTurnedAndMovedTerrainComeBackInWorldSpace) {
  ASSERT_EQ(Terrain_Create(0), 0);
  ASSERT_EQ(Terrain_Generate(0, RampMap().c_str(), 32, 1, 1, 0, 0, 0, 0), 0);
  ASSERT_EQ(Terrain_SetPosition(0, 1000, 10, -50), 1);
  ASSERT_EQ(Terrain_SetRotation(0, 0, 0.5f, 0), 1);
  ASSERT_EQ(Terrain_SetScaling(0, 2, 0.5f, 3), 1);
  // The surface point of terrain (100, 100, 60) in the world, asked from above it.
  D3DXMATRIX world;
  Pick(0, 0, 0);  // builds the matrix
  ASSERT_EQ(Terrain_GetMatrix(0, &world), 1);
  const D3DXVECTOR3 local = Vec(100, 100, 60);
  D3DXVECTOR3 expected;
  d3dx::D3DXVec3TransformCoord(&expected, &local, &world);
  D3DXVECTOR3 out{};
  const D3DXVECTOR3 above = expected + Vec(0, 40, 0);
  ASSERT_EQ(Terrain_GetHeight(0, &above, &out), 1);
  EXPECT_TRUE(Near(out, expected, 1e-2f));

  const TerrainPickResult hit = Pick(0, expected.x, expected.z, expected.y + 20, expected.y - 20);
  ASSERT_EQ(hit.hit, 1);
  EXPECT_TRUE(Near(Vec(hit.point[0], hit.point[1], hit.point[2]), expected, 1e-2f));
  EXPECT_NEAR(hit.distance, 20.0f, 1e-2f);
  EXPECT_EQ(hit.kind, 2);
  EXPECT_EQ(hit.terrain, 0);
  float width = 0;
  float depth = 0;
  ASSERT_EQ(Terrain_GetExtent(0, &width, &depth), 1);
  EXPECT_EQ(width, 512.0f);
  EXPECT_EQ(depth, 768.0f);
}

TEST_F(Terrain, PicksReportPointDistanceNormalAndChunkOnEveryChunk) {
  ASSERT_EQ(Terrain_Create(0), 0);
  ASSERT_EQ(Terrain_Generate(0, RampMap().c_str(), 32, 1, 1, 0, 0, 0, 0), 0);
  const TerrainPickResult hit = Pick(0, 100, 50);
  ASSERT_EQ(hit.hit, 1);
  EXPECT_TRUE(Near(Vec(hit.point[0], hit.point[1], hit.point[2]), Vec(100, 100, 50), kTolerance));
  EXPECT_NEAR(hit.distance, 900.0f, 1e-2f);
  EXPECT_TRUE(Near(Vec(hit.normal[0], hit.normal[1], hit.normal[2]), Vec(-kSqrtHalf, kSqrtHalf, 0),
                   kTolerance));
  EXPECT_EQ(hit.chunk, 0);
  // A segment that ends above the ground and one whose ends coincide pick nothing.
  EXPECT_EQ(Pick(0, 100, 50, 1000, 500).hit, 0);
  const D3DXVECTOR3 same = Vec(100, 100, 50);
  TerrainPickResult none{};
  EXPECT_EQ(Terrain_RayPicking(0, &same, &same, &none, 0), 0);

  // Precision 128 over 3 x 2 chunks: each leaf is one chunk, so every chunk is found.
  ASSERT_EQ(Terrain_Create(1), 1);
  ASSERT_EQ(Terrain_GenerateEmptyTerrain(1, 128, 3, 2, 0, 0), 1);
  for (int32_t chunk = 0; chunk < 6; ++chunk) {
    const float x = static_cast<float>(chunk % 3) * 256.0f + 100.0f;
    const float z = static_cast<float>(chunk / 3) * 256.0f + 200.0f;
    const TerrainPickResult result = Pick(1, x, z);
    ASSERT_EQ(result.hit, 1) << chunk;
    EXPECT_EQ(result.chunk, chunk);
    EXPECT_TRUE(
        Near(Vec(result.point[0], result.point[1], result.point[2]), Vec(x, 0, z), kTolerance));
  }
  EXPECT_EQ(Pick(1, 800, 100).hit, 0);  // beyond the third column
}

TEST_F(Terrain, PickingAllTakesTheFirstOrTheNearestWithin9999Units) {
  for (const int32_t id : {0, 1, 2}) ASSERT_EQ(Terrain_Create(id), id);
  ASSERT_EQ(Terrain_Generate(0, nullptr, 64, 1, 1, 0, 0, 0, 0), 0);
  ASSERT_EQ(Terrain_Generate(1, nullptr, 64, 1, 1, 0, 50, 0, 0), 1);
  const D3DXVECTOR3 from = Vec(10, 100, 10);
  const D3DXVECTOR3 to = Vec(10, -100, 10);
  TerrainPickResult result{};
  ASSERT_EQ(Terrain_RayPickingAll(&from, &to, &result, 0), 1);
  EXPECT_EQ(result.terrain, 0);
  ASSERT_EQ(Terrain_RayPickingAll(&from, &to, &result, 1), 1);
  EXPECT_EQ(result.terrain, 1);
  EXPECT_NEAR(result.distance, 50.0f, 1e-3f);

  Terrain_FreeMemory(0);
  Terrain_FreeMemory(1);
  ASSERT_EQ(Terrain_Generate(2, nullptr, 64, 1, 1, 0, -9900, 0, 0), 2);
  const D3DXVECTOR3 deep = Vec(10, -20000, 10);
  EXPECT_EQ(Terrain_RayPickingAll(&from, &deep, &result, 1), 0);
  EXPECT_EQ(Terrain_RayPickingAll(&from, &deep, &result, 0), 1);
}

TEST_F(Terrain, SmoothingTablesOnASmallGrid) {
  // 3 x 3 heights; the last column and row never contribute.
  const std::vector<float> heights = {1, 2, 100, 3, 4, 100, 100, 100, 100};
  std::vector<TVertex> vertices(9);
  ASSERT_EQ(Terrain_Affine(3, 3, 1, heights.data(), vertices.data()), 1);
  const float mean[9] = {2.5f, 2.5f, 3, 2.5f, 2.5f, 3, 3.5f, 3.5f, 4};
  for (size_t k = 0; k < 9; ++k) EXPECT_FLOAT_EQ(vertices[k].y, mean[k]) << k;

  ASSERT_EQ(Terrain_Create(0), 0);
  const float weights[9] = {0, 0, 0, 0, 1, 1, 0, 0, 0};  // the point and its right neighbour
  ASSERT_EQ(Terrain_SetAffineFilter(0, 0, 1, weights, 2.0f), 1);
  EXPECT_TRUE(Logged("SET AFFINE FILTER : 9 weights and Affine Level 1"));
  ASSERT_EQ(Terrain_Affine2(0, 3, 3, 1, heights.data(), vertices.data()), 1);
  const float expected[9] = {1.5f, 2, 2, 3.5f, 4, 4, 3.5f, 4, 4};
  for (size_t k = 0; k < 9; ++k) EXPECT_FLOAT_EQ(vertices[k].y, expected[k]) << k;
  EXPECT_EQ(Terrain_Affine(3, 3, 1, nullptr, vertices.data()), 0);
}

TEST_F(Terrain, SmoothingAtGenerationFlattensAStep) {
  d3dx::ArgbImage image(256, 256, 0xff000000u);
  for (uint32_t y = 0; y < 256; ++y) {
    for (uint32_t x = 128; x < 256; ++x) image.At(x, y) = 0xff0000c8u;  // 200
  }
  const std::string map = WriteBmp("step.bmp", image);
  ASSERT_EQ(Terrain_Create(0), 0);
  ASSERT_EQ(Terrain_Generate(0, map.c_str(), 32, 1, 1, 0, 0, 0, 1), 0);
  EXPECT_NEAR(Height(0, 64, 100), 0.0f, 1e-3f);
  EXPECT_NEAR(Height(0, 128, 100), 200.0f * 2 / 3, 1e-2f);  // columns 3, 4, 5: 0, 200, 200
  EXPECT_NEAR(Height(0, 192, 100), 200.0f, 1e-3f);
}

TEST_F(Terrain, ACornerEditRaisesTheCopiesOfAllFourChunks) {
  ASSERT_EQ(Terrain_Create(0), 0);
  ASSERT_EQ(Terrain_GenerateEmptyTerrain(0, 64, 2, 2, 0, 0), 0);
  ASSERT_EQ(Terrain_ChangePointAltitude(0, 256, 256, 30, 0, 1, 1), 1);
  EXPECT_NEAR(Height(0, 256, 256), 30.0f, 1e-3f);
  for (const auto& [x, z] :
       {std::pair{255.0f, 255.0f}, {257.0f, 255.0f}, {255.0f, 257.0f}, {257.0f, 257.0f}}) {
    EXPECT_GT(Height(0, x, z), 25.0f) << x << ", " << z;
  }
  EXPECT_GT(Pick(0, 255, 255).point[1], 25.0f);  // the quadtree took the new height
  ASSERT_EQ(Terrain_ChangePointAltitude(0, 256, 256, 5, 1, 1, 0), 1);
  EXPECT_NEAR(Height(0, 256, 256), 35.0f, 1e-3f);
  EXPECT_EQ(Terrain_ChangePointAltitude(0, 700, 10, 5, 0, 1, 0), 0);

  // Refreshing twice leaves the same normals: they are recomputed from zero each time.
  const D3DXVECTOR3 from = Vec(250, 100, 250);
  const D3DXVECTOR3 to = Vec(250, -100, 250);
  TerrainPickResult once{};
  ASSERT_EQ(Terrain_RefreshTerrain(0, -1), 1);
  ASSERT_EQ(Terrain_RayPicking(0, &from, &to, &once, 0), 1);
  ASSERT_EQ(Terrain_ChangePointAltitude(0, 256, 256, 0, 1, 1, 1), 1);
  ASSERT_EQ(Terrain_RefreshTerrain(0, -1), 1);
  TerrainPickResult twice{};
  ASSERT_EQ(Terrain_RayPicking(0, &from, &to, &twice, 0), 1);
  EXPECT_TRUE(Near(Vec(twice.normal[0], twice.normal[1], twice.normal[2]),
                   Vec(once.normal[0], once.normal[1], once.normal[2]), 1e-5f));
}

TEST_F(Terrain, ChunkFlagsAndFreeingRefuseWhatIsNotThere) {
  ASSERT_EQ(Terrain_Create(0), 0);
  ASSERT_EQ(Terrain_GenerateEmptyTerrain(0, 64, 3, 2, 0, 0), 0);
  EXPECT_EQ(Terrain_EnableChunk(0, 5, 0), 1);
  EXPECT_EQ(Terrain_EnableChunk(0, 6, 0), 0);
  EXPECT_EQ(Terrain_EnableChunk(0, -1, 0), 0);
  EXPECT_EQ(Terrain_EnableChunk2(0, 2, 1, 1), 1);
  EXPECT_EQ(Terrain_EnableChunk2(0, 3, 0, 1), 0);
  EXPECT_EQ(Terrain_IsVisible(0, 0), 0);
  EXPECT_EQ(Terrain_IsVisible(9, 0), 0);
  EXPECT_EQ(Terrain_GenerateQuadtree(0), 1);
  EXPECT_EQ(Terrain_FreeNodes(nullptr), 0);
  EXPECT_EQ(Terrain_RecurseChildsForUpdate(nullptr, 1, 0), 0);
  EXPECT_EQ(Terrain_FreeMemory(0), 1);
  EXPECT_EQ(Terrain_FreeMemory(0), 0);
  EXPECT_EQ(Terrain_GenerateQuadtree(0), 0);
}

}  // namespace

namespace {

class TerrainData : public Terrain {
 protected:
  // A 3 x 2 terrain with a raised vertex in chunk 4, placed, turned and scaled.
  void BuildPlaced(int32_t id) {
    ASSERT_EQ(Terrain_Create(id), id);
    ASSERT_EQ(Terrain_GenerateEmptyTerrain(id, 64, 3, 2, 0, 0), id);
    ASSERT_EQ(Terrain_ChangePointAltitude(id, 300, 300, 40, 0, 1, 1), 1);
    ASSERT_EQ(Terrain_SetPosition(id, 5, 6, 7), 1);
    ASSERT_EQ(Terrain_SetRotation(id, 0, 0.25f, 0), 1);
    ASSERT_EQ(Terrain_SetScaling(id, 2, 1, 2), 1);
  }

  static D3DXVECTOR3 HeightAt(int32_t id, float x, float z) {
    const D3DXVECTOR3 point = Vec(x, 0, z);
    D3DXVECTOR3 out{};
    EXPECT_EQ(Terrain_GetHeight(id, &point, &out), 1);
    return out;
  }

  std::string Path(const char* name) const { return (Folder() / name).string(); }
};

TEST_F(TerrainData, RoundTripsHeightsNormalsAndPlacementFromAStartOffset) {
  BuildPlaced(0);
  // The raised vertex, in the world.
  HeightAt(0, 0, 0);  // builds the matrix
  D3DXMATRIX world;
  ASSERT_EQ(Terrain_GetMatrix(0, &world), 1);
  const D3DXVECTOR3 local = Vec(320, 0, 320);
  D3DXVECTOR3 corner;
  d3dx::D3DXVec3TransformCoord(&corner, &local, &world);
  const D3DXVECTOR3 raised = HeightAt(0, corner.x, corner.z);
  ASSERT_GT(raised.y, 30.0f);
  for (const int32_t flag : {0, 1}) {
    SCOPED_TRACE(flag);
    const std::string path = Path("terrain.dat");
    win::WriteFileBytes(path, std::vector<uint8_t>(12, 0xAB));
    ASSERT_EQ(Terrain_SaveTerrainData(0, path.c_str(), flag, 12), 1);
    const auto bytes = win::ReadFileBytes(path, 1 << 20);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(std::vector<uint8_t>(bytes->begin(), bytes->begin() + 12),
              std::vector<uint8_t>(12, 0xAB));
    // A flat 1 x 1 terrain elsewhere takes the file's shape, heights and placement.
    ASSERT_EQ(Terrain_Create(1), 1);
    ASSERT_EQ(Terrain_GenerateEmptyTerrain(1, 32, 1, 1, 100, 100), 1);
    ASSERT_EQ(Terrain_LoadTerrainData(1, path.c_str(), 12), 1);
    EXPECT_TRUE(Near(HeightAt(1, corner.x, corner.z), raised, kTolerance));
    float width = 0;
    float depth = 0;
    ASSERT_EQ(Terrain_GetExtent(1, &width, &depth), 1);
    EXPECT_EQ(width, 3 * 2 * 256.0f);
    const D3DXVECTOR3 down = Vec(raised.x, 1000, raised.z);
    const D3DXVECTOR3 below = Vec(raised.x, -1000, raised.z);
    TerrainPickResult hit{};
    ASSERT_EQ(Terrain_RayPicking(1, &down, &below, &hit, 0), 1);
    EXPECT_NEAR(hit.point[1], raised.y, 1e-2f);
  }
}

TEST_F(TerrainData, RefusedFilesLeaveTheTerrainAsItWas) {
  BuildPlaced(0);
  const std::string good = Path("good.dat");
  ASSERT_EQ(Terrain_SaveTerrainData(0, good.c_str(), 1, 0), 1);
  const std::vector<uint8_t> bytes = *win::ReadFileBytes(good, 1 << 20);
  ASSERT_EQ(Terrain_Create(1), 1);
  ASSERT_EQ(Terrain_GenerateEmptyTerrain(1, 32, 1, 1, 0, 0), 1);
  const auto variant = [&](size_t offset, uint32_t word) {
    std::vector<uint8_t> changed = bytes;
    std::memcpy(&changed[offset], &word, 4);
    return changed;
  };
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
  };
  const std::vector<Case> cases = {
      {"old format", variant(0, 0x52524554)},
      {"other magic", variant(0, 0x12345678)},
      {"flag 3", variant(4, 3)},
      {"count", variant(8, 7)},
      {"precision", variant(20, 1)},
      {"table", variant(24, 1000)},
      {"truncated", std::vector<uint8_t>(bytes.begin(), bytes.end() - 1)},
      {"header only", std::vector<uint8_t>(bytes.begin(), bytes.begin() + 40)},
      {"empty", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = Path("bad.dat");
    win::WriteFileBytes(path, c.bytes);
    EXPECT_EQ(Terrain_LoadTerrainData(1, path.c_str(), 0), 0);
    float width = 0;
    float depth = 0;
    ASSERT_EQ(Terrain_GetExtent(1, &width, &depth), 1);
    EXPECT_EQ(width, 256.0f);
    EXPECT_NEAR(HeightAt(1, 10, 10).y, 0.0f, 1e-4f);
  }
  EXPECT_TRUE(
      Logged("LANDSCAPE : You're trying to load an terrain data that has been created with the old "
             "terrain format, can't  read it, please update the terrain data"));
  EXPECT_TRUE(
      Logged("LANDSCAPE : The terrain file " + Path("bad.dat") + " isn't a Vortana terrain file."));
  EXPECT_EQ(Terrain_LoadTerrainData(1, Path("missing.dat").c_str(), 0), 0);
  EXPECT_EQ(Terrain_SaveTerrainData(1, (Folder() / "no" / "such.dat").c_str(), 0, 0), 0);
  ASSERT_EQ(Terrain_FreeMemory(1), 1);
  EXPECT_EQ(Terrain_SaveTerrainData(1, good.c_str(), 0, 0), 0);
  EXPECT_TRUE(Logged("LANDSCAPE : Can't save a empty or not generated terrain"));
}

TEST_F(TerrainData, ASaveEndsTheFileWithTheTerrainAndKeepsWhatPrecedesItsOffset) {
  BuildPlaced(0);
  const std::string path = Path("terrain.dat");
  // 68 header bytes, 16 a chunk's sphere, 4 a height of 5 x 5 a chunk: 6 chunks.
  constexpr size_t kSaved = 68 + 6 * (16 + 4 * 25);
  const std::vector<uint8_t> larger(10000, 0xCD);
  for (const int32_t offset : {0, 12}) {
    SCOPED_TRACE(offset);
    ASSERT_TRUE(win::WriteFileBytes(path, larger));
    ASSERT_EQ(Terrain_SaveTerrainData(0, path.c_str(), 0, offset), 1);
    const std::vector<uint8_t> bytes = *win::ReadFileBytes(path, 1 << 20);
    ASSERT_EQ(bytes.size(), offset + kSaved);
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + offset),
              std::vector<uint8_t>(static_cast<size_t>(offset), 0xCD));
    ASSERT_EQ(Terrain_Create(1), 1);
    EXPECT_EQ(Terrain_LoadTerrainData(1, path.c_str(), offset), 1);
  }
}

TEST_F(TerrainData, AFailedSaveLeavesTheOldFileAndNothingElse) {
  ASSERT_EQ(Terrain_Create(0), 0);
  ASSERT_EQ(Terrain_GenerateEmptyTerrain(0, 2, 3, 2, 0, 0), 0);  // 400 kB of heights
  const std::string path = Path("terrain.dat");
  const std::vector<uint8_t> old(100, 0x5A);
  ASSERT_TRUE(win::WriteFileBytes(path, old));
  for (const int32_t offset : {0, 40}) {
    SCOPED_TRACE(offset);
    {
      const tests::FileSizeLimit limit(64 << 10);
      EXPECT_EQ(Terrain_SaveTerrainData(0, path.c_str(), 0, offset), 0);
    }
    EXPECT_EQ(*win::ReadFileBytes(path, 1 << 20), old);
    EXPECT_TRUE(Logged("LANDSCAPE : Can't save the terrain on this file " + path +
                       ", check your path and filename."));
  }
  size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(Folder())) {
    files += entry.path().filename() != "log.txt" ? 1 : 0;
  }
  EXPECT_EQ(files, 1u);
}

}  // namespace

namespace {

TEST_F(Terrain, TextureGeneratorBlendsLayersByHeightPixelExactly) {
  ASSERT_EQ(Terrain_Create(0), 0);
  // Columns of height 0, 200 and 100 (the last under no layer), four rows.
  d3dx::ArgbImage heights(3, 4);
  for (uint32_t y = 0; y < 4; ++y) {
    heights.At(0, y) = 0xFF000000u;
    heights.At(1, y) = 0xFF0000C8u;
    heights.At(2, y) = 0xFF000064u;
  }
  const std::string map = WriteBmp("heights.bmp", heights);
  EXPECT_EQ(Terrain_TexGenAddLayer(0, nullptr, 0, 40, 1, 1, 1, 0), 0);
  EXPECT_EQ(
      Terrain_TexGenAddLayer(0, WriteBmp("red.bmp", 2, 2, 0xFFFF0000u).c_str(), -5, 40, 1, 1, 1, 0),
      0);
  EXPECT_EQ(Terrain_TexGenAddLayer(0, WriteBmp("blue.bmp", 2, 2, 0xFF0000FFu).c_str(), 160, 300,
                                   0.8f, 1, 1, 0),
            1);
  // Minimum equal to maximum without randomness: a range of 0, never contributing.
  EXPECT_EQ(
      Terrain_TexGenAddLayer(0, WriteBmp("green.bmp", 2, 2, 0xFF00FF00u).c_str(), 0, 0, 1, 1, 1, 0),
      2);
  const std::string output = (Folder() / "generated.bmp").string();
  ASSERT_EQ(Terrain_TexGenGenerate(0, map.c_str(), output.c_str(), 3), 1);
  const auto bytes = win::ReadFileBytes(output, 1 << 20);
  ASSERT_TRUE(bytes);
  const auto image = d3dx::DecodeImageFile(*bytes);
  ASSERT_TRUE(image);
  const d3dx::ArgbImage pixels = *d3dx::ReadPixels(image->View(0, 0), nullptr);
  for (uint32_t y = 0; y < 3; ++y) {
    EXPECT_EQ(pixels.At(0, y), 0xFFFF0000u) << y;
    EXPECT_EQ(pixels.At(1, y), 0xFF0000FFu) << y;
    EXPECT_EQ(pixels.At(2, y), 0x00000000u) << y;
  }
  EXPECT_EQ(Terrain_TexGenClearLayers(0), 0);
  EXPECT_TRUE(Logged("LANDSCAPE TEXGEN MANAGER : Clearing layers."));
}

TEST_F(Terrain, ARecreatedTerrainGeneratesFromItsOwnLayersOnly) {
  const std::string map = WriteBmp("flat.bmp", 2, 2, 0xFF000080u);  // height 128 everywhere
  ASSERT_EQ(Terrain_Create(0), 0);
  ASSERT_EQ(
      Terrain_TexGenAddLayer(0, WriteBmp("red.bmp", 2, 2, 0xFFFF0000u).c_str(), 0, 255, 1, 1, 1, 0),
      0);
  ASSERT_EQ(Terrain_Create(0), 0);
  EXPECT_EQ(Terrain_TexGenAddLayer(0, WriteBmp("blue.bmp", 2, 2, 0xFF0000FFu).c_str(), 0, 255, 1, 1,
                                   1, 0),
            0);
  const std::string output = (Folder() / "generated.bmp").string();
  ASSERT_EQ(Terrain_TexGenGenerate(0, map.c_str(), output.c_str(), 2), 1);
  const auto image = d3dx::DecodeImageFile(*win::ReadFileBytes(output, 1 << 20));
  ASSERT_TRUE(image);
  EXPECT_EQ(d3dx::ReadPixels(image->View(0, 0), nullptr)->At(1, 1), 0xFF0000FFu);
}

TEST_F(Terrain, TextureGeneratorLogsEachFailureWithItsResult) {
  ASSERT_EQ(Terrain_Create(0), 0);
  const std::string output = (Folder() / "generated.bmp").string();
  const std::string missing = (Folder() / "missing.bmp").string();
  // The result the height map's load gives, as the device layer reports it.
  IDirect3DSurface8* surface = nullptr;
  ASSERT_EQ(device_->CreateImageSurface(4, 4, D3DFMT_A8R8G8B8, &surface), D3D_OK);
  const HRESULT missingResult = d3dx::D3DXLoadSurfaceFromFileA(
      surface, nullptr, nullptr, missing.c_str(), nullptr, d3dx::D3DX_FILTER_POINT, 0, nullptr);
  surface->Release();
  ASSERT_TRUE(FAILED(missingResult));
  EXPECT_EQ(Terrain_TexGenGenerate(0, missing.c_str(), output.c_str(), 4), 0);
  EXPECT_TRUE(Logged("LANDSCAPE TEXGEN MANAGER : Couldn't load the heightmap. hr : " +
                     std::to_string(missingResult)));
  EXPECT_EQ(Terrain_TexGenGenerate(0, missing.c_str(), output.c_str(), 20000), 0);
  EXPECT_TRUE(
      Logged("LANDSCAPE TEXGEN MANAGER : Couldn't create the heightmap image surface. hr : " +
             std::to_string(D3DERR_INVALIDCALL)));
  // A layer whose picture is missing is skipped and the rest is generated.
  ASSERT_EQ(Terrain_TexGenAddLayer(0, missing.c_str(), 0, 255, 1, 1, 1, 0), 0);
  ASSERT_EQ(
      Terrain_TexGenGenerate(0, WriteBmp("map.bmp", 4, 4, 0xFF000080u).c_str(), output.c_str(), 4),
      1);
  EXPECT_TRUE(Logged("LANDSCAPE TEXGEN MANAGER : Couldn't load the layer file " + missing));
}

}  // namespace
