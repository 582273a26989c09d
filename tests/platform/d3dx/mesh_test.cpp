#include "platform/d3dx/mesh.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "platform/d3d/headless.h"
#include "platform/d3dx/com_ptr.h"
#include "tests/platform/d3dx/headless_fixture.h"

namespace {

using namespace d3d;
using namespace d3dx;

constexpr DWORD kPositionNormalTexture = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;  // 32 bytes

struct Vertex {
  D3DXVECTOR3 position, normal;
  float u, v;
};

ULONG References(IUnknown* object) {
  object->AddRef();
  return object->Release();
}

class D3dxMesh : public d3dx_test::DeviceTest {
 protected:
  // A mesh of the given triangles over the given positions (format 0x112, texture u = vertex
  // number).
  ComPtr<ID3DXMesh> Make(const std::vector<D3DXVECTOR3>& positions,
                         const std::vector<DWORD>& indices,
                         const std::vector<DWORD>& attributes = {},
                         DWORD options = D3DXMESH_MANAGED) {
    ComPtr<ID3DXMesh> mesh;
    EXPECT_EQ(D3D_OK, D3DXCreateMeshFVF(static_cast<DWORD>(indices.size() / 3),
                                        static_cast<DWORD>(positions.size()), options,
                                        kPositionNormalTexture, device, mesh.Out()));
    Vertex* vertices = nullptr;
    EXPECT_EQ(D3D_OK, mesh->LockVertexBuffer(0, reinterpret_cast<BYTE**>(&vertices)));
    for (size_t i = 0; i < positions.size(); ++i)
      vertices[i] = {positions[i], {}, static_cast<float>(i), 0};
    mesh->UnlockVertexBuffer();
    BYTE* index = nullptr;
    EXPECT_EQ(D3D_OK, mesh->LockIndexBuffer(0, &index));
    for (size_t i = 0; i < indices.size(); ++i) {
      if (options & D3DXMESH_32BIT) {
        reinterpret_cast<uint32_t*>(index)[i] = indices[i];
      } else {
        reinterpret_cast<uint16_t*>(index)[i] = static_cast<uint16_t>(indices[i]);
      }
    }
    mesh->UnlockIndexBuffer();
    if (!attributes.empty()) {
      DWORD* attribute = nullptr;
      EXPECT_EQ(D3D_OK, mesh->LockAttributeBuffer(0, &attribute));
      std::copy(attributes.begin(), attributes.end(), attribute);
      mesh->UnlockAttributeBuffer();
    }
    return mesh;
  }

  static std::vector<Vertex> Vertices(ID3DXBaseMesh* mesh) {
    Vertex* data = nullptr;
    mesh->LockVertexBuffer(D3DLOCK_READONLY, reinterpret_cast<BYTE**>(&data));
    std::vector<Vertex> copy(data, data + mesh->GetNumVertices());
    mesh->UnlockVertexBuffer();
    return copy;
  }

  static std::vector<DWORD> Indices(ID3DXBaseMesh* mesh) {
    BYTE* data = nullptr;
    mesh->LockIndexBuffer(D3DLOCK_READONLY, &data);
    std::vector<DWORD> indices(mesh->GetNumFaces() * 3);
    for (size_t i = 0; i < indices.size(); ++i) {
      indices[i] = (mesh->GetOptions() & D3DXMESH_32BIT) ? reinterpret_cast<uint32_t*>(data)[i]
                                                         : reinterpret_cast<uint16_t*>(data)[i];
    }
    mesh->UnlockIndexBuffer();
    return indices;
  }

  static std::vector<DWORD> Adjacency(ID3DXBaseMesh* mesh, float epsilon = 0) {
    std::vector<DWORD> adjacency(mesh->GetNumFaces() * 3);
    EXPECT_EQ(D3D_OK, mesh->GenerateAdjacency(epsilon, adjacency.data()));
    return adjacency;
  }
};

constexpr DWORD N = kNoNeighbour;

// A unit square in the z = 0 plane as two triangles sharing the diagonal 1-2, and a third
// triangle over the edge 1-3 whose corner is a separate vertex at the position of vertex 1.
const std::vector<D3DXVECTOR3> kSquare = {{0, 0, 0}, {0, 1, 0}, {1, 0, 0},
                                          {1, 1, 0}, {2, 1, 0}, {0, 1, 0}};
const std::vector<DWORD> kSquareFaces = {0, 1, 2, 2, 1, 3, 5, 4, 3};

TEST_F(D3dxMesh, CreationBuffersAndReferences) {
  ComPtr<ID3DXMesh> mesh;
  ASSERT_EQ(D3D_OK,
            D3DXCreateMeshFVF(12, 8, D3DXMESH_MANAGED, kPositionNormalTexture, device, mesh.Out()));
  EXPECT_EQ(12u, mesh->GetNumFaces());
  EXPECT_EQ(8u, mesh->GetNumVertices());
  EXPECT_EQ(32u, mesh->GetNumBytesPerVertex());
  EXPECT_EQ(kPositionNormalTexture, mesh->GetFVF());
  EXPECT_EQ(D3DXMESH_MANAGED, mesh->GetOptions());

  IDirect3DVertexBuffer8* vertexBuffer = nullptr;
  ASSERT_EQ(D3D_OK, mesh->GetVertexBuffer(&vertexBuffer));
  EXPECT_EQ(2u, References(vertexBuffer)) << "the mesh's and the caller's";
  D3DVERTEXBUFFER_DESC vertexDesc{};
  vertexBuffer->GetDesc(&vertexDesc);
  EXPECT_EQ(8u * 32u, vertexDesc.Size);
  EXPECT_EQ(D3DPOOL_MANAGED, vertexDesc.Pool);
  EXPECT_EQ(1u, vertexBuffer->Release());

  ComPtr<IDirect3DIndexBuffer8> indexBuffer;
  ASSERT_EQ(D3D_OK, mesh->GetIndexBuffer(indexBuffer.Out()));
  D3DINDEXBUFFER_DESC indexDesc{};
  indexBuffer->GetDesc(&indexDesc);
  EXPECT_EQ(D3DFMT_INDEX16, indexDesc.Format);
  EXPECT_EQ(12u * 3u * 2u, indexDesc.Size);

  ComPtr<ID3DXMesh> wide;
  ASSERT_EQ(D3D_OK, D3DXCreateMeshFVF(1, 70000,
                                      D3DXMESH_SYSTEMMEM | D3DXMESH_32BIT | D3DXMESH_VB_DYNAMIC |
                                          D3DXMESH_VB_WRITEONLY,
                                      D3DFVF_XYZ, device, wide.Out()));
  ComPtr<IDirect3DVertexBuffer8> wideVertices;
  wide->GetVertexBuffer(wideVertices.Out());
  wideVertices->GetDesc(&vertexDesc);
  EXPECT_EQ(D3DPOOL_SYSTEMMEM, vertexDesc.Pool);
  EXPECT_EQ(D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, vertexDesc.Usage);

  ID3DXMesh* refused = nullptr;
  EXPECT_EQ(D3DERR_INVALIDCALL,
            D3DXCreateMeshFVF(1, 70000, D3DXMESH_MANAGED, D3DFVF_XYZ, device, &refused));
  EXPECT_EQ(D3DERR_INVALIDCALL,
            D3DXCreateMeshFVF(0, 3, D3DXMESH_MANAGED, D3DFVF_XYZ, device, &refused));
  EXPECT_EQ(D3DERR_INVALIDCALL,
            D3DXCreateMeshFVF(1, 3, D3DXMESH_MANAGED, D3DFVF_NORMAL, device, &refused));
  Headless(device)->FailNextCreation(E_OUTOFMEMORY);
  EXPECT_EQ(E_OUTOFMEMORY, D3DXCreateMeshFVF(1, 3, D3DXMESH_MANAGED, D3DFVF_XYZ, device, &refused));
  EXPECT_EQ(nullptr, refused);

  ComPtr<ID3DXBaseMesh> base;
  ASSERT_EQ(D3D_OK, mesh->QueryInterface(IID_ID3DXBaseMesh, reinterpret_cast<void**>(base.Out())));
  EXPECT_EQ(2u, References(mesh.Get()));
}

TEST_F(D3dxMesh, AdjacencyMatchesPointsNotVertexNumbers) {
  auto mesh = Make(kSquare, kSquareFaces);
  // Face 0's edges: 0-1 open, 1-2 to face 1, 2-0 open. Face 1: 2-1 to face 0, 1-3 to face 2 (whose
  // vertex 5 sits where vertex 1 is), 3-2 open. Face 2: 5-4 open, 4-3 open, 3-5 to face 1.
  EXPECT_EQ((std::vector<DWORD>{N, 1, N, 0, 2, N, N, N, 1}), Adjacency(mesh.Get()));

  // Within an epsilon, nearly equal points join too.
  auto nudged = kSquare;
  nudged[5].x = 0.001f;
  auto close = Make(nudged, kSquareFaces);
  EXPECT_EQ(N, Adjacency(close.Get())[4]);
  EXPECT_EQ(2u, Adjacency(close.Get(), 0.01f)[4]);
}

TEST_F(D3dxMesh, NormalsFromFacesAndSharedPoints) {
  // A tent: two faces meeting along the ridge 1-2, at right angles to each other.
  const std::vector<D3DXVECTOR3> tent = {{-1, 0, 0}, {0, 1, 0}, {0, 1, 1},
                                         {0, 1, 0},  {0, 1, 1}, {1, 0, 0}};
  const std::vector<DWORD> faces = {0, 2, 1, 3, 4, 5};
  auto mesh = Make(tent, faces);
  ASSERT_EQ(D3D_OK, D3DXComputeNormals(mesh.Get(), nullptr));
  const float r = 0.70710677f;
  auto alone = Vertices(mesh.Get());
  EXPECT_NEAR(-r, alone[1].normal.x, 1e-6);
  EXPECT_NEAR(r, alone[1].normal.y, 1e-6);
  EXPECT_NEAR(r, alone[3].normal.x, 1e-6);

  auto adjacency = Adjacency(mesh.Get());
  ASSERT_EQ(D3D_OK, D3DXComputeNormals(mesh.Get(), adjacency.data()));
  auto shared = Vertices(mesh.Get());
  for (DWORD ridge : {1u, 2u, 3u, 4u}) {
    EXPECT_NEAR(0, shared[ridge].normal.x, 1e-6) << ridge;
    EXPECT_NEAR(1, shared[ridge].normal.y, 1e-6) << ridge;
  }
  EXPECT_NEAR(-r, shared[0].normal.x, 1e-6) << "a corner of one face keeps that face's normal";

  ComPtr<ID3DXMesh> positionsOnly;
  ASSERT_EQ(D3D_OK,
            mesh->CloneMeshFVF(D3DXMESH_SYSTEMMEM, D3DFVF_XYZ, device, positionsOnly.Out()));
  EXPECT_EQ(D3DERR_INVALIDCALL, D3DXComputeNormals(positionsOnly.Get(), nullptr));
}

TEST_F(D3dxMesh, CloneKeepsSharedMembersAndFaces) {
  auto mesh = Make(kSquare, kSquareFaces, {3, 1, 3});
  const DWORD format = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX2;  // 12 + 4 + 8 + 8 bytes
  ComPtr<ID3DXMesh> clone;
  ASSERT_EQ(D3D_OK,
            mesh->CloneMeshFVF(D3DXMESH_SYSTEMMEM | D3DXMESH_32BIT, format, device, clone.Out()));
  EXPECT_EQ(32u, clone->GetNumBytesPerVertex());
  EXPECT_EQ(Indices(mesh.Get()), Indices(clone.Get()));
  struct Cloned {
    D3DXVECTOR3 position;
    DWORD diffuse;
    float u0, v0, u1, v1;
  };
  Cloned* vertices = nullptr;
  ASSERT_EQ(D3D_OK, clone->LockVertexBuffer(D3DLOCK_READONLY, reinterpret_cast<BYTE**>(&vertices)));
  EXPECT_EQ(kSquare[4], vertices[4].position);
  EXPECT_EQ(0u, vertices[4].diffuse);
  EXPECT_EQ(4.0f, vertices[4].u0);
  EXPECT_EQ(0.0f, vertices[4].u1);
  clone->UnlockVertexBuffer();
  DWORD* attributes = nullptr;
  clone->LockAttributeBuffer(D3DLOCK_READONLY, &attributes);
  EXPECT_EQ(1u, attributes[1]);
  clone->UnlockAttributeBuffer();
}

TEST_F(D3dxMesh, CleanMeshGivesACopyWithItsAdjacency) {
  auto mesh = Make(kSquare, kSquareFaces, {3, 1, 3});
  auto adjacency = Adjacency(mesh.Get());
  ComPtr<ID3DXMesh> cleaned;
  ComPtr<ID3DXBuffer> errors;
  std::vector<DWORD> cleanedAdjacency(9);
  ASSERT_EQ(D3D_OK, D3DXCleanMesh(mesh.Get(), nullptr, cleaned.Out(), cleanedAdjacency.data(),
                                  errors.Out()));
  EXPECT_NE(mesh.Get(), cleaned.Get());
  EXPECT_EQ(adjacency, cleanedAdjacency);
  EXPECT_EQ(Indices(mesh.Get()), Indices(cleaned.Get()));
  EXPECT_EQ(mesh->GetOptions(), cleaned->GetOptions());
  EXPECT_EQ(0u, errors->GetBufferSize());
}

TEST_F(D3dxMesh, OptimizeSortsByAttributeAndCompacts) {
  // Vertex 6 is used by no face.
  auto positions = kSquare;
  positions.push_back({9, 9, 9});
  auto mesh = Make(positions, kSquareFaces, {7, 2, 7});
  auto adjacency = Adjacency(mesh.Get());
  std::vector<DWORD> adjacencyOut(9), faceRemap(3);
  ComPtr<ID3DXBuffer> vertexRemap;
  ComPtr<ID3DXMesh> optimized;
  ASSERT_EQ(D3D_OK, mesh->Optimize(D3DXMESHOPT_COMPACT | D3DXMESHOPT_ATTRSORT |
                                       D3DXMESHOPT_STRIPREORDER | D3DXMESH_MANAGED,
                                   adjacency.data(), adjacencyOut.data(), faceRemap.data(),
                                   vertexRemap.Out(), optimized.Out()));
  EXPECT_EQ(6u, optimized->GetNumVertices());
  EXPECT_EQ(D3DXMESH_MANAGED, optimized->GetOptions());
  EXPECT_EQ((std::vector<DWORD>{1, 0, 2}), faceRemap);
  EXPECT_EQ((std::vector<DWORD>{2, 1, 3, 0, 1, 2, 5, 4, 3}), Indices(optimized.Get()));
  EXPECT_EQ(6u * sizeof(DWORD), vertexRemap->GetBufferSize());
  // Face 1 became face 0: its neighbours 0 and 2 are now 1 and 2.
  EXPECT_EQ((std::vector<DWORD>{1, 2, N, N, 0, N, N, N, 0}), adjacencyOut);

  DWORD count = 0;
  ASSERT_EQ(D3D_OK, optimized->GetAttributeTable(nullptr, &count));
  ASSERT_EQ(2u, count);
  D3DXATTRIBUTERANGE table[2];
  optimized->GetAttributeTable(table, &count);
  EXPECT_EQ(2u, table[0].AttribId);
  EXPECT_EQ(0u, table[0].FaceStart);
  EXPECT_EQ(1u, table[0].FaceCount);
  EXPECT_EQ(1u, table[0].VertexStart);
  EXPECT_EQ(3u, table[0].VertexCount);
  EXPECT_EQ(7u, table[1].AttribId);
  EXPECT_EQ(1u, table[1].FaceStart);
  EXPECT_EQ(2u, table[1].FaceCount);
  EXPECT_EQ(0u, table[1].VertexStart);
  EXPECT_EQ(6u, table[1].VertexCount);

  // In place: the same result in the same mesh, its options kept.
  ASSERT_EQ(D3D_OK, mesh->OptimizeInplace(D3DXMESHOPT_COMPACT | D3DXMESHOPT_ATTRSORT, nullptr,
                                          nullptr, nullptr, nullptr));
  EXPECT_EQ(6u, mesh->GetNumVertices());
  EXPECT_EQ(Indices(optimized.Get()), Indices(mesh.Get()));
  ASSERT_EQ(D3D_OK, mesh->GetAttributeTable(nullptr, &count));
  EXPECT_EQ(2u, count);
  // Writing the attributes drops the table.
  DWORD* attributes = nullptr;
  mesh->LockAttributeBuffer(0, &attributes);
  mesh->UnlockAttributeBuffer();
  mesh->GetAttributeTable(nullptr, &count);
  EXPECT_EQ(0u, count);
}

TEST_F(D3dxMesh, DrawSubsetDrawsTheFacesOfOneAttribute) {
  auto mesh = Make(kSquare, kSquareFaces, {4, 4, 9});
  auto* control = Headless(device);
  ASSERT_EQ(D3D_OK, device->BeginScene());
  ASSERT_EQ(D3D_OK, mesh->DrawSubset(4));
  ASSERT_EQ(1u, control->Draws().size());
  const DrawRecord& run = control->Draws()[0];
  EXPECT_EQ(DrawCall::IndexedPrimitive, run.call);
  EXPECT_EQ(D3DPT_TRIANGLELIST, run.primitive);
  EXPECT_EQ(0u, run.startIndex);
  EXPECT_EQ(2u, run.primitiveCount);
  EXPECT_EQ(kPositionNormalTexture, run.fvf);
  EXPECT_EQ(32u, run.stride);

  ComPtr<ID3DXMesh> sorted;
  ASSERT_EQ(D3D_OK, mesh->Optimize(D3DXMESHOPT_ATTRSORT | D3DXMESH_MANAGED, nullptr, nullptr,
                                   nullptr, nullptr, sorted.Out()));
  control->ClearDraws();
  ASSERT_EQ(D3D_OK, sorted->DrawSubset(9));
  ASSERT_EQ(1u, control->Draws().size());
  EXPECT_EQ(6u, control->Draws()[0].startIndex);
  EXPECT_EQ(1u, control->Draws()[0].primitiveCount);
  EXPECT_EQ(3u, control->Draws()[0].minIndex);
  EXPECT_EQ(3u, control->Draws()[0].vertexCount);
  control->ClearDraws();
  ASSERT_EQ(D3D_OK, sorted->DrawSubset(5));
  EXPECT_TRUE(control->Draws().empty());
  ASSERT_EQ(D3D_OK, device->EndScene());
  // The device holds the mesh's buffers until they are unbound.
  device->SetStreamSource(0, nullptr, 0);
  device->SetIndices(nullptr, 0);
}

TEST_F(D3dxMesh, SphereGeneratorAndRayQueries) {
  ComPtr<ID3DXMesh> sphere;
  ComPtr<ID3DXBuffer> adjacency;
  ASSERT_EQ(D3D_OK, D3DXCreateSphere(device, 2.0f, 10, 5, sphere.Out(), adjacency.Out()));
  EXPECT_EQ(10u * 4u + 2u, sphere->GetNumVertices());
  EXPECT_EQ(2u * 10u * 4u, sphere->GetNumFaces());
  EXPECT_EQ(D3DFVF_XYZ | D3DFVF_NORMAL, sphere->GetFVF());

  struct PositionNormal {
    D3DXVECTOR3 position, normal;
  };
  PositionNormal* vertices = nullptr;
  ASSERT_EQ(D3D_OK,
            sphere->LockVertexBuffer(D3DLOCK_READONLY, reinterpret_cast<BYTE**>(&vertices)));
  std::vector<PositionNormal> copy(vertices, vertices + sphere->GetNumVertices());
  sphere->UnlockVertexBuffer();
  for (const auto& vertex : copy) {
    EXPECT_NEAR(2.0f, D3DXVec3Length(&vertex.position), 1e-5);
    EXPECT_NEAR(1.0f, D3DXVec3Length(&vertex.normal), 1e-5);
  }
  EXPECT_EQ(D3DXVECTOR3({0, 0, 2}), copy.front().position);
  // Every face is wound to face outward, and every edge has a neighbour.
  auto indices = Indices(sphere.Get());
  for (size_t f = 0; f < indices.size(); f += 3) {
    D3DXVECTOR3 a = copy[indices[f]].position, b = copy[indices[f + 1]].position,
                c = copy[indices[f + 2]].position;
    D3DXVECTOR3 normal, e1 = b - a, e2 = c - a, centre = a + b + c;
    D3DXVec3Cross(&normal, &e1, &e2);
    EXPECT_GT(D3DXVec3Dot(&normal, &centre), 0) << "face " << f / 3;
  }
  ASSERT_EQ(indices.size() * sizeof(DWORD), adjacency->GetBufferSize());
  const auto* neighbours = static_cast<const DWORD*>(adjacency->GetBufferPointer());
  EXPECT_EQ(0, std::count(neighbours, neighbours + indices.size(), N));

  // Down the z axis the ray meets the pole at distance 3, and leaves by the other at 7.
  BOOL hit = 0;
  DWORD face = N;
  float u = -1, v = -1, distance = -1;
  D3DXVECTOR3 start{0, 0, 5}, down{0, 0, -1};
  ASSERT_EQ(D3D_OK, D3DXIntersect(sphere.Get(), &start, &down, &hit, &face, &u, &v, &distance));
  EXPECT_TRUE(hit);
  EXPECT_NEAR(3.0f, distance, 1e-5);
  EXPECT_LT(face, 10u) << "a face of the top fan";
  D3DXVECTOR3 inside{0, 0, 0};
  ASSERT_EQ(D3D_OK, D3DXIntersect(sphere.Get(), &inside, &down, &hit, &face, &u, &v, &distance));
  EXPECT_NEAR(2.0f, distance, 1e-5);
  EXPECT_GE(face, 70u) << "a face of the bottom fan";
  D3DXVECTOR3 aside{3, 0, 5};
  ASSERT_EQ(D3D_OK, D3DXIntersect(sphere.Get(), &aside, &down, &hit, &face, &u, &v, &distance));
  EXPECT_FALSE(hit);

  EXPECT_EQ(D3DERR_INVALIDCALL, D3DXCreateSphere(device, 1, 2, 5, sphere.Out(), nullptr));
}

TEST_F(D3dxMesh, BoundingVolumesOfVertices) {
  struct PositionColour {
    D3DXVECTOR3 position;
    DWORD colour;
  } const points[] = {{{1, 2, 3}, 0}, {{-1, 0, 3}, 0}, {{1, 0, -1}, 0}, {{-1, 2, -1}, 0}};
  const DWORD format = D3DFVF_XYZ | D3DFVF_DIFFUSE;
  D3DXVECTOR3 low{}, high{}, centre{};
  float radius = 0;
  ASSERT_EQ(D3D_OK, D3DXComputeBoundingBox(points, 4, format, &low, &high));
  EXPECT_EQ(D3DXVECTOR3({-1, 0, -1}), low);
  EXPECT_EQ(D3DXVECTOR3({1, 2, 3}), high);
  ASSERT_EQ(D3D_OK, D3DXComputeBoundingSphere(points, 4, format, &centre, &radius));
  EXPECT_EQ(D3DXVECTOR3({0, 1, 1}), centre);
  EXPECT_FLOAT_EQ(std::sqrt(6.0f), radius);
  EXPECT_EQ(D3DERR_INVALIDCALL, D3DXComputeBoundingSphere(points, 0, format, &centre, &radius));
  EXPECT_EQ(D3DERR_INVALIDCALL, D3DXComputeBoundingBox(points, 4, D3DFVF_DIFFUSE, &low, &high));
}

}  // namespace
