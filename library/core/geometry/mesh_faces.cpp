#include "library/core/geometry/mesh_faces.h"

#include <cstring>

#include "platform/d3dx/com_ptr.h"
#include "platform/d3dx/mesh.h"

using d3d::FAILED;
using d3d::SUCCEEDED;
using d3dx::D3DXVECTOR3;

std::optional<std::vector<FaceCorners>> MeshFaceCorners(d3dx::ID3DXMesh* mesh) {
  if (mesh == nullptr) return std::nullopt;
  d3dx::ComPtr<d3d::IDirect3DDevice8> device;
  d3dx::ComPtr<d3dx::ID3DXMesh> clone;
  const d3d::DWORD options = d3dx::D3DXMESH_SYSTEMMEM | (mesh->GetOptions() & d3dx::D3DXMESH_32BIT);
  if (FAILED(mesh->GetDevice(device.Out())) ||
      FAILED(mesh->CloneMeshFVF(options, d3d::D3DFVF_XYZ, device.Get(), clone.Out()))) {
    return std::nullopt;
  }
  const size_t indexBytes = (clone->GetOptions() & d3dx::D3DXMESH_32BIT) != 0 ? 4 : 2;
  const d3d::DWORD vertexCount = clone->GetNumVertices();
  const d3d::DWORD faceCount = clone->GetNumFaces();
  d3d::BYTE* vertices = nullptr;
  d3d::BYTE* indices = nullptr;
  std::optional<std::vector<FaceCorners>> faces;
  if (SUCCEEDED(clone->LockVertexBuffer(d3d::D3DLOCK_READONLY, &vertices))) {
    if (SUCCEEDED(clone->LockIndexBuffer(d3d::D3DLOCK_READONLY, &indices))) {
      faces.emplace(faceCount);
      for (size_t i = 0; i < size_t{faceCount} * 3 && faces; ++i) {
        uint32_t index = 0;
        if (indexBytes == 4) {
          std::memcpy(&index, indices + i * 4, 4);
        } else {
          uint16_t narrow = 0;
          std::memcpy(&narrow, indices + i * 2, 2);
          index = narrow;
        }
        if (index >= vertexCount) {
          faces.reset();
          break;
        }
        std::memcpy(&(*faces)[i / 3][i % 3], vertices + size_t{index} * sizeof(float) * 3,
                    sizeof(float) * 3);
      }
      clone->UnlockIndexBuffer();
    }
    clone->UnlockVertexBuffer();
  }
  return faces;
}

D3DXVECTOR3 FaceCross(const FaceCorners& face) {
  const D3DXVECTOR3 e1 = face[1] - face[0];
  const D3DXVECTOR3 e2 = face[2] - face[0];
  D3DXVECTOR3 cross;
  d3dx::D3DXVec3Cross(&cross, &e1, &e2);
  return cross;
}
