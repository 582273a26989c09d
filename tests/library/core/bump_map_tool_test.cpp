// The bump-map tool through the exported interface on the headless device: tangent-space buffers
// from meshes, the processor's DOT3 lighting and both normal-map makers.
#include <cmath>
#include <cstring>
#include <functional>

#include "platform/d3dx/math.h"
#include "platform/d3dx/mesh.h"
#include "platform/d3dx/texture.h"
#include "tests/library/core/library_fixture.h"

namespace {

using namespace d3d;

struct MeshVertex {  // position, normal, one coordinate pair
  float x, y, z, nx, ny, nz, u, v;
};

class BumpMapTool : public LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    ASSERT_EQ(CreateDevice(), D3D_OK);
  }

  // A mesh of the vertices and faces, 32-bit indices when wide.
  d3dx::ID3DXMesh* Mesh(const std::vector<MeshVertex>& vertices,
                        const std::vector<uint32_t>& indices, bool wide = false) const {
    d3dx::ID3DXMesh* mesh = nullptr;
    EXPECT_EQ(d3dx::D3DXCreateMeshFVF(static_cast<DWORD>(indices.size() / 3),
                                      static_cast<DWORD>(vertices.size()),
                                      d3dx::D3DXMESH_MANAGED | (wide ? d3dx::D3DXMESH_32BIT : 0),
                                      0x112, device_, &mesh),
              D3D_OK);
    BYTE* data = nullptr;
    mesh->LockVertexBuffer(0, &data);
    std::memcpy(data, vertices.data(), vertices.size() * sizeof(MeshVertex));
    mesh->UnlockVertexBuffer();
    mesh->LockIndexBuffer(0, &data);
    for (size_t i = 0; i < indices.size(); ++i) {
      if (wide) {
        std::memcpy(data + 4 * i, &indices[i], 4);
      } else {
        const auto narrow = static_cast<uint16_t>(indices[i]);
        std::memcpy(data + 2 * i, &narrow, 2);
      }
    }
    mesh->UnlockIndexBuffer();
    return mesh;
  }

  // A 2 x 3 quad in the z = 0 plane with u along x and v along y, and a triangle whose coordinates
  // lie on a line.
  static std::vector<MeshVertex> QuadAndFlat() {
    return {{0, 0, 0, 0, 0, 0, 0, 0}, {2, 0, 0, 0, 0, 0, 1, 0}, {0, 3, 0, 0, 0, 0, 0, 1},
            {2, 3, 0, 0, 0, 0, 1, 1}, {5, 0, 0, 0, 0, 0, 0, 0}, {6, 0, 0, 0, 0, 0, 1, 1},
            {5, 1, 0, 0, 0, 0, 2, 2}};
  }
  static std::vector<uint32_t> QuadAndFlatFaces() { return {0, 1, 2, 1, 3, 2, 4, 5, 6}; }

  static std::vector<BumpSourceVertex> ReadBack(IDirect3DVertexBuffer8* buffer) {
    D3DVERTEXBUFFER_DESC desc{};
    buffer->GetDesc(&desc);
    std::vector<BumpSourceVertex> vertices(desc.Size / sizeof(BumpSourceVertex));
    BYTE* data = nullptr;
    buffer->Lock(0, 0, &data, D3DLOCK_READONLY);
    std::memcpy(vertices.data(), data, vertices.size() * sizeof(BumpSourceVertex));
    buffer->Unlock();
    return vertices;
  }

  IDirect3DTexture8* Texture(UINT width, UINT height, const std::function<D3DCOLOR(UINT)>& texel) {
    IDirect3DTexture8* texture = nullptr;
    EXPECT_EQ(d3dx::D3DXCreateTexture(device_, width, height, 1, 0, D3DFMT_A8R8G8B8,
                                      D3DPOOL_MANAGED, &texture),
              D3D_OK);
    D3DLOCKED_RECT locked{};
    texture->LockRect(0, &locked, nullptr, 0);
    for (UINT y = 0; y < height; ++y) {
      for (UINT x = 0; x < width; ++x) {
        static_cast<D3DCOLOR*>(locked.pBits)[y * static_cast<UINT>(locked.Pitch) / 4 + x] =
            texel(x);
      }
    }
    texture->UnlockRect(0);
    return texture;
  }
};

TEST_F(BumpMapTool, AMeshBecomesTangentSpaceBuffersOwnedByTheCaller) {
  const size_t objects = Control()->LiveObjectCount();
  for (bool wide : {false, true}) {
    SCOPED_TRACE(wide ? "32-bit indices" : "16-bit indices");
    d3dx::ID3DXMesh* mesh = Mesh(QuadAndFlat(), QuadAndFlatFaces(), wide);
    IDirect3DVertexBuffer8* vertices = nullptr;
    IDirect3DIndexBuffer8* indices = nullptr;
    ASSERT_EQ(BumpMapTool_GenerateBufferFromMesh(&mesh, &vertices, &indices), 1);
    EXPECT_TRUE(Logged("BUMPMAP TOOL : Generating the bumpmapping-complient vertex buffers..."));

    D3DINDEXBUFFER_DESC indexDesc{};
    indices->GetDesc(&indexDesc);
    EXPECT_EQ(indexDesc.Format, D3DFMT_INDEX16);
    EXPECT_EQ(indexDesc.Size, 6u * 3);
    BYTE* data = nullptr;
    indices->Lock(0, 0, &data, D3DLOCK_READONLY);
    const auto* read = reinterpret_cast<const uint16_t*>(data);
    EXPECT_EQ(std::vector<uint16_t>(read, read + 9),
              (std::vector<uint16_t>{0, 1, 2, 1, 3, 2, 4, 5, 6}));
    indices->Unlock();

    const std::vector<BumpSourceVertex> made = ReadBack(vertices);
    ASSERT_EQ(made.size(), 7u);
    const BumpSourceVertex& corner = made[3];
    EXPECT_EQ(std::vector<float>(corner.position, corner.position + 3),
              (std::vector<float>{2, 3, 0}));
    EXPECT_EQ(std::vector<float>({corner.u, corner.v, corner.u2, corner.v2}),
              (std::vector<float>{1, 1, 1, 1}));
    EXPECT_EQ(std::vector<float>(corner.zero, corner.zero + 3), std::vector<float>(3, 0));
    // u grows along x, v along y: the unit axes, and s x t on the normal's side.
    for (int i = 0; i < 3; ++i) {
      EXPECT_NEAR(corner.s[i], i == 0 ? 1 : 0, 1e-6);
      EXPECT_NEAR(corner.t[i], i == 1 ? 1 : 0, 1e-6);
      EXPECT_NEAR(corner.sxt[i], corner.normal[i], 1e-6);
    }
    EXPECT_NEAR(std::fabs(corner.normal[2]), 1, 1e-6);
    // Coordinates on a line give the triangle no axes.
    EXPECT_EQ(std::vector<float>(made[5].s, made[5].s + 3), std::vector<float>(3, 0));

    // One reference each, handed over.
    EXPECT_EQ(vertices->Release(), 0u);
    EXPECT_EQ(indices->Release(), 0u);
    mesh->Release();
    EXPECT_EQ(Control()->LiveObjectCount(), objects);
  }
}

TEST_F(BumpMapTool, IndicesThatDoNotFit16BitsAndFailedCreationsLeaveNothing) {
  const size_t objects = Control()->LiveObjectCount();
  std::vector<MeshVertex> many(70001, MeshVertex{});
  d3dx::ID3DXMesh* mesh = Mesh(many, {0, 1, 70000}, true);
  IDirect3DVertexBuffer8* vertices = reinterpret_cast<IDirect3DVertexBuffer8*>(1);
  IDirect3DIndexBuffer8* indices = reinterpret_cast<IDirect3DIndexBuffer8*>(1);
  EXPECT_EQ(BumpMapTool_GenerateBufferFromMesh(&mesh, &vertices, &indices), D3DERR_INVALIDCALL);
  EXPECT_EQ(vertices, nullptr);
  EXPECT_EQ(indices, nullptr);
  mesh->Release();

  mesh = Mesh(QuadAndFlat(), QuadAndFlatFaces());
  Control()->FailNextCreation(E_OUTOFMEMORY);
  EXPECT_EQ(BumpMapTool_GenerateBufferFromMesh(&mesh, &vertices, &indices), E_OUTOFMEMORY);
  EXPECT_EQ(vertices, nullptr);
  mesh->Release();
  EXPECT_EQ(Control()->LiveObjectCount(), objects);
  d3dx::ID3DXMesh* none = nullptr;
  EXPECT_EQ(BumpMapTool_GenerateBufferFromMesh(&none, &vertices, &indices), D3DERR_INVALIDCALL);
}

TEST_F(BumpMapTool, ThePseudoShaderLightsEachVertexInItsTurnedFrame) {
  BumpSourceVertex source{};
  const float position[3] = {1, 2, 3};
  std::memcpy(source.position, position, sizeof position);
  source.s[0] = source.t[1] = source.sxt[2] = 1;
  source.u = 0.25f, source.v = 0.5f, source.u2 = 0.75f, source.v2 = 1;
  d3dx::D3DXMATRIX turn, move, identity;
  d3dx::D3DXMatrixRotationZ(&turn, 1.5707963f);
  d3dx::D3DXMatrixTranslation(&move, 10, 0, 0);
  d3dx::D3DXMatrixIdentity(&identity);

  // Turned a quarter about z, s points along y: a light along y lights red fully.
  D3DVECTOR light{0, 2, 0};
  BumpOutputVertex out{};
  ASSERT_EQ(BumpMapTool_PseudoVSDOT3(&source, &out, &turn, &move, &light, 1), 1);
  EXPECT_TRUE(Near({light.x, light.y, light.z}, {0, 1, 0}));  // normalised in place
  EXPECT_EQ(std::vector<float>({out.x, out.y, out.z, out.w}), (std::vector<float>{11, 2, 3, 1}));
  EXPECT_NEAR(out.r, 1, 1e-6);
  EXPECT_NEAR(out.g, 0.5f, 1e-6);
  EXPECT_NEAR(out.b, 0.5f, 1e-6);
  EXPECT_EQ(out.a, 1);
  EXPECT_EQ(std::vector<float>({out.u, out.v, out.u2, out.v2}),
            (std::vector<float>{0.25f, 0.5f, 0.75f, 1}));
  // The identity frame under a light along z.
  light = {0, 0, 5};
  ASSERT_EQ(BumpMapTool_PseudoVSDOT3(&source, &out, &identity, &identity, &light, 1), 1);
  EXPECT_TRUE(Near({out.r, out.g, out.b}, {0.5f, 0.5f, 1}));
  EXPECT_EQ(BumpMapTool_PseudoVSDOT3(nullptr, &out, &identity, &identity, &light, 1), 0);
}

TEST_F(BumpMapTool, NormalMapsOfARampHaveTheHandComputedSlopes) {
  // Heights rising 30 a texel along x: red for the first maker, the low byte for the second.
  IDirect3DTexture8* red = Texture(8, 4, [](UINT x) { return 0xFF000000u | (30 * x) << 16; });
  IDirect3DTexture8* low = Texture(8, 4, [](UINT x) { return 0xFF000000u | 30 * x; });
  IDirect3DTexture8* destination = Texture(8, 4, [](UINT) { return 0u; });

  ASSERT_EQ(BumpMapTool_GenerateNormalMap2(&red, &destination), 0);
  // Central differences: slope 30 / 255, n = normalise(-slope, 0, 1) stored as (n + 1) / 2.
  const float slope = 30.0f / 255;
  const float length = std::sqrt(slope * slope + 1);
  const d3dx::ArgbImage made = Pixels(destination);
  const auto channel = [](D3DCOLOR colour, int shift) { return (colour >> shift) & 0xFF; };
  EXPECT_NEAR(channel(made.At(3, 1), 16), (1 - slope / length) / 2 * 255, 1.0);
  EXPECT_NEAR(channel(made.At(3, 1), 8), 127.5, 1.0);
  EXPECT_NEAR(channel(made.At(3, 1), 0), (1 + 1 / length) / 2 * 255, 1.0);
  IDirect3DTexture8* nothing = nullptr;
  EXPECT_NE(BumpMapTool_GenerateNormalMap2(&nothing, &destination), 0);
  EXPECT_TRUE(
      Logged("BUMPMAP TOOL : BumpMapTool_GenerateNormapMap2 : Error occured in compute "
             "nomrmal map, error " +
             std::to_string(D3DERR_INVALIDCALL)));

  // Forward differences into the destination, the source kept; the last column is flat.
  ASSERT_EQ(BumpMapTool_GenerateNormalMap(&low, &destination), 1);
  EXPECT_TRUE(Logged("TEXTURE FACTORY 2 : Starting Generate Normal map"));
  const auto pack = [](float x, float y, float z, float h) {
    const auto c = [](float v) { return static_cast<uint32_t>(v * 127 + 128) & 0xFF; };
    return (static_cast<uint32_t>(h * 255) & 0xFF) << 24 | c(x) << 16 | c(y) << 8 | c(z);
  };
  const d3dx::ArgbImage forward = Pixels(destination);
  EXPECT_EQ(forward.At(2, 1), pack(-slope / length, 0, 1 / length, 60 / 255.0f));
  EXPECT_EQ(forward.At(7, 3), pack(0, 0, 1, 210 / 255.0f));
  EXPECT_EQ(Pixels(low).At(2, 1), 0xFF00003Cu);
  // With no destination the source takes the map.
  IDirect3DTexture8* none = nullptr;
  ASSERT_EQ(BumpMapTool_GenerateNormalMap(&low, &none), 1);
  EXPECT_EQ(Pixels(low).At(2, 1), forward.At(2, 1));
  // A 16-bit texture cannot be read as 32-bit texels.
  IDirect3DTexture8* narrow = nullptr;
  ASSERT_EQ(d3dx::D3DXCreateTexture(device_, 8, 4, 1, 0, D3DFMT_R5G6B5, D3DPOOL_MANAGED, &narrow),
            D3D_OK);
  EXPECT_EQ(BumpMapTool_GenerateNormalMap(&narrow, &none), D3DERR_INVALIDCALL);
  for (IDirect3DTexture8* texture : {red, low, destination, narrow}) texture->Release();
}

}  // namespace
