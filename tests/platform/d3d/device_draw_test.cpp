// Scenes and the draw recorder.
#include "tests/platform/d3d/headless_fixture.h"

#include <array>
#include <cstring>

namespace {

using namespace d3dtest;

// A vertex of the 2D overlay format.
struct ScreenVertex {
  float x, y, z, rhw;
  D3DCOLOR color;
  float u, v;
};
constexpr DWORD kScreenFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;

struct Position {
  float x, y, z;
};

class DrawTest : public HeadlessDeviceTest {
 protected:
  void SetUp() override {
    HeadlessDeviceTest::SetUp();
    ASSERT_EQ(device->BeginScene(), D3D_OK);
  }

  // A managed vertex buffer of count XYZ vertices whose x is the vertex number.
  IDirect3DVertexBuffer8* Positions(UINT count) {
    IDirect3DVertexBuffer8* buffer = nullptr;
    EXPECT_EQ(device->CreateVertexBuffer(count * sizeof(Position), 0, D3DFVF_XYZ, D3DPOOL_MANAGED,
                                         &buffer),
              D3D_OK);
    BYTE* data = nullptr;
    buffer->Lock(0, 0, &data, 0);
    for (UINT i = 0; i < count; ++i) {
      const Position p = {static_cast<float>(i), 0.0f, 0.0f};
      std::memcpy(data + i * sizeof(Position), &p, sizeof p);
    }
    buffer->Unlock();
    return buffer;
  }

  IDirect3DIndexBuffer8* Indices16(std::initializer_list<uint16_t> values) {
    IDirect3DIndexBuffer8* buffer = nullptr;
    EXPECT_EQ(device->CreateIndexBuffer(static_cast<UINT>(values.size() * 2), D3DUSAGE_WRITEONLY,
                                        D3DFMT_INDEX16, D3DPOOL_MANAGED, &buffer),
              D3D_OK);
    BYTE* data = nullptr;
    buffer->Lock(0, 0, &data, 0);
    std::memcpy(data, values.begin(), values.size() * 2);
    buffer->Unlock();
    return buffer;
  }

  static float VertexX(const DrawRecord& record, UINT vertex) {
    float x = 0;
    std::memcpy(&x, record.vertices.data() + vertex * record.stride, sizeof x);
    return x;
  }
};

TEST_F(HeadlessDeviceTest, ScenesDoNotNestAndDrawsNeedOne) {
  EXPECT_EQ(device->EndScene(), D3DERR_INVALIDCALL);
  device->SetVertexShader(D3DFVF_XYZ);
  const Position triangle[3] = {};
  EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, triangle, sizeof(Position)),
            D3DERR_INVALIDCALL);
  ASSERT_EQ(device->BeginScene(), D3D_OK);
  EXPECT_EQ(device->BeginScene(), D3DERR_INVALIDCALL);
  EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, triangle, sizeof(Position)), D3D_OK);
  EXPECT_EQ(device->EndScene(), D3D_OK);
  EXPECT_EQ(control->Draws().size(), 1u);
}

TEST_F(DrawTest, UserPointerDrawsRecordACopyAndTheStateOfTheMoment) {
  IDirect3DTexture8* texture = nullptr;
  ASSERT_EQ(device->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
  IDirect3DVertexBuffer8* stream = Positions(4);
  device->SetStreamSource(0, stream, sizeof(Position));
  device->SetTexture(1, texture);
  device->SetVertexShader(kScreenFvf);
  device->SetRenderState(D3DRS_ZWRITEENABLE, 0);
  std::array<ScreenVertex, 4> quad{};
  for (UINT i = 0; i < quad.size(); ++i)
    quad[i] = {float(i), 2.0f, 0.001f, 0.001f, 0xFF00FF00u, 0, 1};
  ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad.data(), sizeof(ScreenVertex)),
            D3D_OK);
  quad[0].x = 99.0f;  // the record must not see later changes
  device->SetRenderState(D3DRS_ZWRITEENABLE, 1);
  ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad.data(), sizeof(ScreenVertex)),
            D3D_OK);

  ASSERT_EQ(control->Draws().size(), 2u);
  const DrawRecord& first = control->Draws()[0];
  EXPECT_EQ(first.call, DrawCall::PrimitiveUP);
  EXPECT_EQ(first.primitive, D3DPT_TRIANGLESTRIP);
  EXPECT_EQ(first.primitiveCount, 2u);
  EXPECT_EQ(first.fvf, kScreenFvf);
  EXPECT_EQ(first.stride, 28u);
  EXPECT_EQ(first.vertexCount, 4u);
  ASSERT_EQ(first.vertices.size(), 4 * sizeof(ScreenVertex));
  EXPECT_EQ(VertexX(first, 0), 0.0f);
  EXPECT_EQ(VertexX(first, 3), 3.0f);
  EXPECT_EQ(first.textures[0], nullptr);
  EXPECT_EQ(first.textures[1], texture);
  EXPECT_EQ(first.streamSource, nullptr);
  EXPECT_EQ(first.state.renderStates[D3DRS_ZWRITEENABLE], 0u);
  const DrawRecord& second = control->Draws()[1];
  EXPECT_EQ(VertexX(second, 0), 99.0f);
  EXPECT_NE(first.stateDigest, second.stateDigest);

  IDirect3DVertexBuffer8* bound = stream;
  UINT stride = 1;
  ASSERT_EQ(device->GetStreamSource(0, &bound, &stride), D3D_OK);
  EXPECT_EQ(bound, nullptr) << "a user-pointer draw unbinds stream 0";
  EXPECT_EQ(stride, 0u);
  EXPECT_EQ(stream->Release(), 0u) << "and drops the binding's reference";

  control->ClearDraws();
  EXPECT_TRUE(control->Draws().empty());
  control->SetRecording(false);
  EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad.data(), sizeof(ScreenVertex)),
            D3D_OK);
  EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, nullptr, sizeof(ScreenVertex)),
            D3DERR_INVALIDCALL)
      << "draws are checked while not recorded";
  EXPECT_TRUE(control->Draws().empty());
  device->SetTexture(1, nullptr);
  texture->Release();
}

TEST_F(DrawTest, BufferDrawsReadOnlyTheRangeTheyCover) {
  IDirect3DVertexBuffer8* buffer = Positions(6);
  device->SetVertexShader(D3DFVF_XYZ);
  device->SetStreamSource(0, buffer, sizeof(Position));
  ASSERT_EQ(device->DrawPrimitive(D3DPT_LINELIST, 2, 2), D3D_OK);
  const DrawRecord& record = control->Draws().at(0);
  EXPECT_EQ(record.call, DrawCall::Primitive);
  EXPECT_EQ(record.startVertex, 2u);
  EXPECT_EQ(record.streamSource, buffer);
  ASSERT_EQ(record.vertices.size(), 4 * sizeof(Position));
  EXPECT_EQ(VertexX(record, 0), 2.0f);
  EXPECT_EQ(VertexX(record, 3), 5.0f);

  EXPECT_EQ(device->DrawPrimitive(D3DPT_LINELIST, 3, 2), D3DERR_INVALIDCALL) << "past the end";
  BYTE* data = nullptr;
  buffer->Lock(0, 0, &data, 0);
  EXPECT_EQ(device->DrawPrimitive(D3DPT_POINTLIST, 0, 1), D3DERR_INVALIDCALL) << "still locked";
  buffer->Unlock();
  device->SetStreamSource(0, buffer, 8);
  EXPECT_EQ(device->DrawPrimitive(D3DPT_POINTLIST, 0, 1), D3DERR_INVALIDCALL)
      << "stride smaller than a vertex";
  device->SetStreamSource(0, buffer, sizeof(Position));
  device->SetVertexShader(0);
  EXPECT_EQ(device->DrawPrimitive(D3DPT_POINTLIST, 0, 1), D3DERR_INVALIDCALL) << "no format";
  EXPECT_EQ(control->Draws().size(), 1u);
  device->SetStreamSource(0, nullptr, 0);
  buffer->Release();
}

TEST_F(DrawTest, IndexedDrawsAddTheBaseVertexAndCheckEveryIndex) {
  IDirect3DVertexBuffer8* vertices = Positions(10);
  IDirect3DIndexBuffer8* indices = Indices16({9, 0, 1, 2, 1, 3, 2, 9});
  device->SetVertexShader(D3DFVF_XYZ);
  device->SetStreamSource(0, vertices, sizeof(Position));
  device->SetIndices(indices, 4);
  // Indices 1 to 6 (0, 1, 2, 1, 3, 2) reach vertices 4 + 0 to 4 + 3.
  ASSERT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 1, 2), D3D_OK);
  const DrawRecord& record = control->Draws().at(0);
  EXPECT_EQ(record.call, DrawCall::IndexedPrimitive);
  EXPECT_EQ(record.baseVertexIndex, 4u);
  EXPECT_EQ(record.indexFormat, D3DFMT_INDEX16);
  EXPECT_EQ(record.indexBuffer, indices);
  ASSERT_EQ(record.vertices.size(), 4 * sizeof(Position));
  EXPECT_EQ(VertexX(record, 0), 4.0f);
  ASSERT_EQ(record.indices.size(), 12u);
  EXPECT_EQ(record.indices[2], 1);

  EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 0, 2), D3DERR_INVALIDCALL)
      << "index 9 lies outside the declared vertex range";
  EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 4, 2), D3DERR_INVALIDCALL)
      << "past the end of the index buffer";
  device->SetIndices(indices, 7);
  EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 1, 2), D3DERR_INVALIDCALL)
      << "the range passes the end of the vertex buffer";
  device->SetIndices(nullptr, 0);
  device->SetStreamSource(0, nullptr, 0);
  indices->Release();
  vertices->Release();
}

TEST_F(DrawTest, BlendedFormatsDrawButTweeningNeedsASecondPosition) {
  struct BlendedVertex {
    float x, y, z;
    float weights[2];
    float nx, ny, nz;
  };
  const BlendedVertex triangle[3] = {};
  device->SetVertexShader(D3DFVF_XYZB2 | D3DFVF_NORMAL);
  device->SetRenderState(D3DRS_VERTEXBLEND, D3DVBF_2WEIGHTS);
  ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, triangle, sizeof(BlendedVertex)),
            D3D_OK);
  EXPECT_EQ(control->Draws().at(0).vertices.size(), sizeof triangle);
  EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, triangle, 28), D3DERR_INVALIDCALL)
      << "a stride that leaves out one weight";
  device->SetRenderState(D3DRS_VERTEXBLEND, D3DVBF_TWEENING);
  EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, triangle, sizeof(BlendedVertex)),
            D3DERR_INVALIDCALL);
}

TEST_F(DrawTest, IndexedUserPointerDrawsCopyTheReachedVertices) {
  struct ColouredVertex {
    float x, y, z;
    D3DCOLOR color;
  };
  std::array<ColouredVertex, 8> corners{};
  for (UINT i = 0; i < corners.size(); ++i) corners[i] = {float(i), 0, 0, 0xFFFFFFFFu};
  const std::array<uint16_t, 24> edges = {0, 1, 1, 2, 2, 3, 3, 0, 4, 5, 5, 6,
                                          6, 7, 7, 4, 0, 4, 1, 5, 2, 6, 3, 7};
  device->SetVertexShader(D3DFVF_XYZ | D3DFVF_DIFFUSE);
  ASSERT_EQ(device->DrawIndexedPrimitiveUP(D3DPT_LINELIST, 0, 8, 12, edges.data(), D3DFMT_INDEX16,
                                           corners.data(), sizeof(ColouredVertex)),
            D3D_OK);
  const DrawRecord& record = control->Draws().at(0);
  EXPECT_EQ(record.call, DrawCall::IndexedPrimitiveUP);
  EXPECT_EQ(record.vertices.size(), 8 * sizeof(ColouredVertex));
  EXPECT_EQ(record.indices.size(), 48u);
  EXPECT_EQ(VertexX(record, 7), 7.0f);
  EXPECT_EQ(device->DrawIndexedPrimitiveUP(D3DPT_LINELIST, 0, 7, 12, edges.data(), D3DFMT_INDEX16,
                                           corners.data(), sizeof(ColouredVertex)),
            D3DERR_INVALIDCALL)
      << "index 7 is outside 0 to 6";
  EXPECT_EQ(device->DrawIndexedPrimitiveUP(D3DPT_LINELIST, 0, 8, 12, edges.data(), D3DFMT_A8,
                                           corners.data(), sizeof(ColouredVertex)),
            D3DERR_INVALIDCALL);
}

}  // namespace
