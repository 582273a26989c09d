// Stencil shadow volumes on the headless device, through the draw recorder.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/d3dx/mesh.h"
#include "tests/library/core/library_fixture.h"
#include "tests/library/core/shadow_box.h"

namespace {

using namespace d3d;

constexpr D3DCOLOR kShadow = 0x80102030;
constexpr float kExtrusion = 50.0f;

std::vector<D3DVECTOR> PositionsOf(const DrawRecord& draw) {
  std::vector<D3DVECTOR> out(draw.vertices.size() / sizeof(D3DVECTOR));
  std::memcpy(out.data(), draw.vertices.data(), out.size() * sizeof(D3DVECTOR));
  return out;
}

class Shadows : public LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    ASSERT_EQ(CreateDevice(Depth()), D3D_OK);
    ShadowVolume_SetShadowParameters(kShadow, kExtrusion);
    ASSERT_EQ(ShadowVolume_AllocVolumes(64), 0);
    ASSERT_EQ(Viewport_Clear(0, 0), 1);
  }
  void TearDown() override {
    Viewport_Present(0, -1);
    EXPECT_TRUE(ShutDownAndRelease());
    LibraryTest::TearDown();
  }

  virtual D3DFORMAT Depth() const { return D3DFMT_D24S8; }

  static void AddBox(int32_t identifier) {
    const ShadowBox box = MakeShadowBox();
    ShadowVolume_Create(identifier);
    ASSERT_EQ(ShadowVolume_InitShadowFromPointers(identifier, box.corners.data(), sizeof(D3DVECTOR),
                                                  8, box.indices.data(), 36, 0),
              1);
  }
  static void AddTriangle(int32_t identifier) {
    const D3DVECTOR points[3] = {{0, 0, 0}, {0, 0, 1}, {1, 0, 0}};  // facing +y
    const uint16_t indices[3] = {0, 1, 2};
    ShadowVolume_Create(identifier);
    ASSERT_EQ(ShadowVolume_InitShadowFromPointers(identifier, points, sizeof(D3DVECTOR), 3, indices,
                                                  3, 0),
              1);
  }

  const std::vector<DrawRecord>& Draws() const { return Control()->Draws(); }

  const D3DMATRIX identity_ = IdentityMatrix();
  const D3DVECTOR down_ = {0, -1, 0};
};

TEST_F(Shadows, ABoxLitFromAboveCastsItsTopOutlineInTwoStencilPasses) {
  AddBox(3);
  Control()->ClearDraws();
  ASSERT_EQ(ShadowVolume_SilhouettePrepare(), 1);
  ASSERT_EQ(ShadowVolume_AddToRenderList(&identity_, 3, 1, 1, &down_, nullptr), 1);
  ASSERT_EQ(ShadowVolume_SilhouetteUnlockRender(), 1);
  // Per pass the four quads around the top (the shared diagonal cancels), then the two lit
  // triangles' front and back caps.
  ASSERT_EQ(Draws().size(), 4u);
  const DWORD depthFail[4] = {D3DSTENCILOP_INCR, D3DSTENCILOP_INCR, D3DSTENCILOP_DECR,
                              D3DSTENCILOP_DECR};
  const DWORD cull[4] = {D3DCULL_CW, D3DCULL_CW, D3DCULL_CCW, D3DCULL_CCW};
  for (size_t i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    const DrawRecord& draw = Draws()[i];
    const auto& rs = draw.state.renderStates;
    EXPECT_EQ(rs[D3DRS_STENCILZFAIL], depthFail[i]);
    EXPECT_EQ(rs[D3DRS_CULLMODE], cull[i]);
    EXPECT_EQ(rs[D3DRS_STENCILENABLE], 1u);
    EXPECT_EQ(rs[D3DRS_STENCILFUNC], D3DCMP_ALWAYS);
    EXPECT_EQ(rs[D3DRS_STENCILREF], 0u);
    EXPECT_EQ(rs[D3DRS_STENCILFAIL], D3DSTENCILOP_KEEP);
    EXPECT_EQ(rs[D3DRS_STENCILPASS], D3DSTENCILOP_KEEP);
    EXPECT_EQ(rs[D3DRS_ZFUNC], D3DCMP_LESS);
    EXPECT_EQ(rs[D3DRS_ZWRITEENABLE], 0u);
    EXPECT_EQ(rs[D3DRS_SRCBLEND], D3DBLEND_ZERO);
    EXPECT_EQ(rs[D3DRS_DESTBLEND], D3DBLEND_ONE);
    EXPECT_EQ(rs[D3DRS_LIGHTING], 0u);
    EXPECT_EQ(rs[D3DRS_SHADEMODE], D3DSHADE_FLAT);
    EXPECT_EQ(draw.fvf, D3DFVF_XYZ);
    EXPECT_EQ(draw.stride, 12u);
  }
  const DrawRecord& quads = Draws()[0];
  EXPECT_EQ(quads.call, DrawCall::IndexedPrimitive);
  EXPECT_EQ(quads.primitiveCount, 8u);
  EXPECT_EQ(quads.vertexCount, 16u);
  EXPECT_EQ(quads.baseVertexIndex, 0u);
  const std::vector<BYTE>& bytes = quads.indices;
  std::vector<uint16_t> pattern(bytes.size() / 2);
  std::memcpy(pattern.data(), bytes.data(), pattern.size() * 2);
  ASSERT_GE(pattern.size(), 12u);
  EXPECT_EQ(std::vector<uint16_t>(pattern.begin(), pattern.begin() + 12),
            (std::vector<uint16_t>{2, 1, 0, 1, 2, 3, 6, 5, 4, 5, 6, 7}));
  // Each quad (a, b, a', b'): the top edge and its copy pushed down by the extrusion.
  const auto quadVertices = PositionsOf(quads);
  ASSERT_EQ(quadVertices.size(), 16u);
  for (size_t q = 0; q < 4; ++q) {
    for (size_t k = 0; k < 2; ++k) {
      const D3DVECTOR& top = quadVertices[4 * q + k];
      const D3DVECTOR& pushed = quadVertices[4 * q + 2 + k];
      EXPECT_EQ(top.y, 1.0f);
      EXPECT_EQ(pushed.y, 1.0f - kExtrusion);
      EXPECT_EQ(pushed.x, top.x);
      EXPECT_EQ(pushed.z, top.z);
    }
  }
  const DrawRecord& caps = Draws()[1];
  EXPECT_EQ(caps.call, DrawCall::Primitive);
  EXPECT_EQ(caps.startVertex, 16u);
  EXPECT_EQ(caps.primitiveCount, 4u);  // 12 cap vertices
  DWORD cullAfter = 0;
  device_->GetRenderState(D3DRS_CULLMODE, &cullAfter);
  EXPECT_EQ(cullAfter, D3DCULL_CW);
}

TEST_F(Shadows, ASingleLitTriangleHasThreeSilhouetteEdgesAndAPointLightPushesThemAway) {
  AddTriangle(0);
  const D3DVECTOR light = {0, 10, 0};
  ShadowVolume_SilhouettePrepare();
  Control()->ClearDraws();
  ASSERT_EQ(ShadowVolume_AddToRenderList(&identity_, 0, 1, 0, &light, nullptr), 1);
  ShadowVolume_SilhouetteUnlockRender();
  ASSERT_EQ(Draws().size(), 4u);
  const auto vertices = PositionsOf(Draws()[0]);
  ASSERT_EQ(vertices.size(), 12u);
  for (size_t q = 0; q < 3; ++q) {
    for (size_t k = 0; k < 2; ++k) {
      const D3DVECTOR& a = vertices[4 * q + k];
      const D3DVECTOR& pushed = vertices[4 * q + 2 + k];
      // Along the ray from the light through the vertex, by the extrusion length (to the precision
      // of the fast normalisation).
      const float dx = a.x - light.x, dy = a.y - light.y, dz = a.z - light.z;
      const float length = std::sqrt(dx * dx + dy * dy + dz * dz);
      EXPECT_NEAR(pushed.x, a.x + dx / length * kExtrusion, 0.2f);
      EXPECT_NEAR(pushed.y, a.y + dy / length * kExtrusion, 0.2f);
      EXPECT_NEAR(pushed.z, a.z + dz / length * kExtrusion, 0.2f);
    }
  }
  // From below, the light sees the triangle's back: nothing is lit and nothing drawn.
  const D3DVECTOR below = {0, -10, 0};
  ShadowVolume_SilhouetteLockBuffer();
  Control()->ClearDraws();
  ShadowVolume_AddToRenderList(&identity_, 0, 1, 0, &below, nullptr);
  ShadowVolume_SilhouetteUnlockRender();
  EXPECT_TRUE(Draws().empty());
}

TEST_F(Shadows, WithoutRebuildTheLastGeometryIsUsedAgainUnderANewWorldMatrix) {
  AddTriangle(1);
  ShadowVolume_SilhouettePrepare();
  ShadowVolume_AddToRenderList(&identity_, 1, 1, 1, &down_, nullptr);
  D3DMATRIX moved = identity_;
  moved.m[3][0] = 5.0f;
  const D3DVECTOR sideways = {1, 0, 0};  // would light nothing if it were used
  ASSERT_EQ(ShadowVolume_AddToRenderList(&moved, 1, 0, 1, &sideways, nullptr), 1);
  Control()->ClearDraws();
  ShadowVolume_SilhouetteUnlockRender();
  ASSERT_EQ(Draws().size(), 8u);
  EXPECT_EQ(Draws()[4].vertices, Draws()[0].vertices);
  EXPECT_EQ(Draws()[4].baseVertexIndex, 12u + 6u);
  EXPECT_EQ(Draws()[4].state.Transform(D3DTS_WORLD).m[3][0], 5.0f);
}

TEST_F(Shadows, OneCasterUnderTwoLightsDrawsEachEntryWithItsOwnCounts) {
  AddBox(0);
  ShadowVolume_SilhouettePrepare();
  // From above the top's outline (4 edges); from above and -x the outline of top and side (6).
  const D3DVECTOR slanted = {1, -1, 0};
  ASSERT_EQ(ShadowVolume_AddToRenderList(&identity_, 0, 1, 1, &down_, nullptr), 1);
  ASSERT_EQ(ShadowVolume_AddToRenderList(&identity_, 0, 1, 1, &slanted, nullptr), 1);
  Control()->ClearDraws();
  ShadowVolume_SilhouetteUnlockRender();
  ASSERT_EQ(Draws().size(), 8u);
  const struct {
    size_t draw;
    UINT vertices, triangles, base;
  } quads[] = {{0, 16, 8, 0}, {2, 16, 8, 0}, {4, 24, 12, 16 + 12}, {6, 24, 12, 16 + 12}};
  for (const auto& q : quads) {
    SCOPED_TRACE(q.draw);
    const DrawRecord& draw = Draws()[q.draw];
    EXPECT_EQ(draw.call, DrawCall::IndexedPrimitive);
    EXPECT_EQ(draw.vertexCount, q.vertices);
    EXPECT_EQ(draw.primitiveCount, q.triangles);
    EXPECT_EQ(draw.baseVertexIndex, q.base);
  }
}

TEST_F(Shadows, AFullBufferIsDrawnBeforeTheNextVolumeAndAnOversizedOneIsRefused) {
  ShadowVolume_AllocVolumes(8);  // 32 vertices: one box volume (16 + 12) at a time
  AddBox(0);
  ShadowVolume_SilhouettePrepare();
  Control()->ClearDraws();
  ASSERT_EQ(ShadowVolume_AddToRenderList(&identity_, 0, 1, 1, &down_, nullptr), 1);
  EXPECT_TRUE(Draws().empty());
  ASSERT_EQ(ShadowVolume_AddToRenderList(&identity_, 0, 0, 1, &down_, nullptr), 1);
  EXPECT_EQ(Draws().size(), 4u);  // the first, flushed
  ShadowVolume_SilhouetteUnlockRender();
  ASSERT_EQ(Draws().size(), 8u);
  EXPECT_EQ(Draws()[4].baseVertexIndex, 0u);
  ShadowVolume_AllocVolumes(4);
  ShadowVolume_SilhouetteLockBuffer();
  EXPECT_EQ(ShadowVolume_AddToRenderList(&identity_, 0, 1, 1, &down_, nullptr), 0);
  EXPECT_TRUE(
      Logged("SHADOW VOLUME : Volume 0 needs 28 vertices, more than the 16 of the volume buffer"));
  ShadowVolume_SilhouetteUnlockRender();
}

TEST_F(Shadows, TheBoxBlendsTheShadowColourWhereTheStencilIsSet) {
  ShadowVolume_SilhouettePrepare();
  ShadowVolume_SilhouetteUnlockRender();
  Control()->ClearDraws();
  ASSERT_EQ(ShadowVolume_RenderAlphaBlendedTri(), 1);
  ASSERT_EQ(Draws().size(), 1u);
  const DrawRecord& box = Draws()[0];
  const auto& rs = box.state.renderStates;
  EXPECT_EQ(rs[D3DRS_STENCILENABLE], 1u);
  EXPECT_EQ(rs[D3DRS_STENCILFUNC], D3DCMP_LESSEQUAL);
  EXPECT_EQ(rs[D3DRS_STENCILREF], 1u);
  EXPECT_EQ(rs[D3DRS_STENCILZFAIL], D3DSTENCILOP_KEEP);
  EXPECT_EQ(rs[D3DRS_ALPHABLENDENABLE], 1u);
  EXPECT_EQ(rs[D3DRS_SRCBLEND], D3DBLEND_SRCALPHA);
  EXPECT_EQ(rs[D3DRS_DESTBLEND], D3DBLEND_INVSRCALPHA);
  EXPECT_EQ(rs[D3DRS_CULLMODE], D3DCULL_NONE);
  struct Vertex2D {
    float x, y, z, rhw;
    D3DCOLOR color;
    float u, v;
  };
  std::vector<Vertex2D> corners(box.vertices.size() / sizeof(Vertex2D));
  std::memcpy(corners.data(), box.vertices.data(), corners.size() * sizeof(Vertex2D));
  float right = 0, bottom = 0;
  for (const Vertex2D& corner : corners) {
    EXPECT_EQ(corner.color, kShadow);
    right = std::max(right, corner.x);
    bottom = std::max(bottom, corner.y);
  }
  EXPECT_EQ(right, 640.0f);
  EXPECT_EQ(bottom, 480.0f);
  ASSERT_EQ(ShadowVolume_ResetAll(), 1);
  DWORD stencil = 1, zWrite = 0, shade = 0;
  device_->GetRenderState(D3DRS_STENCILENABLE, &stencil);
  device_->GetRenderState(D3DRS_ZWRITEENABLE, &zWrite);
  device_->GetRenderState(D3DRS_SHADEMODE, &shade);
  EXPECT_EQ(stencil, 0u);
  EXPECT_EQ(zWrite, 1u);
  EXPECT_EQ(shade, D3DSHADE_GOURAUD);
}

TEST_F(Shadows, BadVolumesAndBuffersAreRefused) {
  EXPECT_EQ(ShadowVolume_Create(5), 6);
  EXPECT_EQ(ShadowVolume_InitShadowFromMesh(0, nullptr), 0);
  EXPECT_TRUE(Logged("SHADOW VOLUME : Null mesh"));
  const D3DVECTOR points[3] = {{0, 0, 0}, {0, 0, 1}, {1, 0, 0}};
  const uint16_t pastTheEnd[3] = {0, 1, 3};
  EXPECT_EQ(ShadowVolume_InitShadowFromPointers(0, points, 12, 3, pastTheEnd, 3, 0), 0);
  EXPECT_EQ(ShadowVolume_InitShadowFromPointers(9, points, 12, 3, pastTheEnd, 3, 0), 0);
  EXPECT_EQ(ShadowVolume_MakeEdges(-1), 0);
  EXPECT_EQ(ShadowVolume_AddToRenderList(&identity_, 0, 1, 1, &down_, nullptr), 0);  // unlocked
  d3dx::ID3DXMesh* wide = nullptr;
  ASSERT_EQ(d3dx::D3DXCreateMeshFVF(1, 3, d3dx::D3DXMESH_MANAGED | d3dx::D3DXMESH_32BIT, D3DFVF_XYZ,
                                    device_, &wide),
            D3D_OK);
  EXPECT_EQ(ShadowVolume_InitShadowFromMesh(0, &wide), 0);
  wide->Release();
  // A mesh of 16-bit indices is copied, and none of its buffers is held afterwards.
  d3dx::ID3DXMesh* mesh = nullptr;
  ASSERT_EQ(d3dx::D3DXCreateMeshFVF(1, 3, d3dx::D3DXMESH_MANAGED, D3DFVF_XYZ | D3DFVF_NORMAL,
                                    device_, &mesh),
            D3D_OK);
  BYTE* data = nullptr;
  mesh->LockIndexBuffer(0, &data);
  const uint16_t indices[3] = {0, 1, 2};
  std::memcpy(data, indices, sizeof indices);
  mesh->UnlockIndexBuffer();
  EXPECT_EQ(ShadowVolume_InitShadowFromMesh(0, &mesh), 1);
  EXPECT_EQ(mesh->Release(), 0u);
  // Without the shared buffers nothing can be locked or drawn.
  ShadowVolume_LostAll();
  EXPECT_EQ(ShadowVolume_SilhouettePrepare(), 0);
  EXPECT_EQ(ShadowVolume_SilhouetteUnlockRender(), 0);
}

// A D16 depth buffer, as the fixtures of the other families make.
class ShadowsWithoutStencil : public Shadows {
 protected:
  D3DFORMAT Depth() const override { return D3DFMT_D16; }
};

TEST_F(ShadowsWithoutStencil, NothingIsDrawnAndOneLineSaysWhy) {
  AddTriangle(0);
  Control()->ClearDraws();
  for (int frame = 0; frame < 2; ++frame) {
    ShadowVolume_SilhouettePrepare();
    ShadowVolume_AddToRenderList(&identity_, 0, 1, 1, &down_, nullptr);
    EXPECT_EQ(ShadowVolume_SilhouetteUnlockRender(), 1);
    EXPECT_EQ(ShadowVolume_RenderAlphaBlendedTri(), 1);
    ShadowVolume_ResetAll();
  }
  EXPECT_TRUE(Draws().empty());
  size_t warnings = 0;
  for (const std::string& line : LogMessages()) {
    warnings += line.find("no stencil bits") != std::string::npos ? 1 : 0;
  }
  EXPECT_EQ(warnings, 1u);
}

}  // namespace
