// D3DX meshes: indexed triangle lists in the device's vertex and index buffers, with an attribute
// (subset number) per face, an optional attribute table, adjacency, normals, cloning to another
// vertex format, optimising, drawing by subset, the sphere generator and ray queries.
//
// Meshes and buffers cross the library's C interface, so they are COM-shaped like the device's
// objects: QueryInterface, AddRef and Release first, exact reference counts. A mesh holds one
// reference on its device and owns one on each of its buffers; GetVertexBuffer and GetIndexBuffer
// add one for the caller.
//
// Faces are clockwise when seen from the front, so a face's normal is (v1 - v0) x (v2 - v0).
#pragma once

#include "platform/d3d/interfaces.h"
#include "platform/d3dx/math.h"

namespace d3dx {

using d3d::BOOL;
using d3d::BYTE;
using d3d::DWORD;
using d3d::HRESULT;
using d3d::IDirect3DDevice8;
using d3d::IDirect3DIndexBuffer8;
using d3d::IDirect3DVertexBuffer8;
using d3d::UINT;

// ---- Mesh options: where the buffers live and how they are used.
inline constexpr DWORD D3DXMESH_32BIT = 0x001;  // 32-bit indices
inline constexpr DWORD D3DXMESH_VB_SYSTEMMEM = 0x010;
inline constexpr DWORD D3DXMESH_VB_MANAGED = 0x020;
inline constexpr DWORD D3DXMESH_VB_WRITEONLY = 0x040;
inline constexpr DWORD D3DXMESH_VB_DYNAMIC = 0x080;
inline constexpr DWORD D3DXMESH_VB_SOFTWAREPROCESSING = 0x8000;
inline constexpr DWORD D3DXMESH_IB_SYSTEMMEM = 0x100;
inline constexpr DWORD D3DXMESH_IB_MANAGED = 0x200;
inline constexpr DWORD D3DXMESH_IB_WRITEONLY = 0x400;
inline constexpr DWORD D3DXMESH_IB_DYNAMIC = 0x800;
inline constexpr DWORD D3DXMESH_IB_SOFTWAREPROCESSING = 0x10000;
inline constexpr DWORD D3DXMESH_SYSTEMMEM = D3DXMESH_VB_SYSTEMMEM | D3DXMESH_IB_SYSTEMMEM;
inline constexpr DWORD D3DXMESH_MANAGED = D3DXMESH_VB_MANAGED | D3DXMESH_IB_MANAGED;
inline constexpr DWORD D3DXMESH_WRITEONLY = D3DXMESH_VB_WRITEONLY | D3DXMESH_IB_WRITEONLY;
inline constexpr DWORD D3DXMESH_DYNAMIC = D3DXMESH_VB_DYNAMIC | D3DXMESH_IB_DYNAMIC;
inline constexpr DWORD D3DXMESH_SOFTWAREPROCESSING =
    D3DXMESH_VB_SOFTWAREPROCESSING | D3DXMESH_IB_SOFTWAREPROCESSING;
// The D3DXMESH_ bits of an option set that may also carry D3DXMESHOPT_ flags.
inline constexpr DWORD kMeshOptionMask = 0x000FFFFF;
// Vertices a mesh of 16-bit indices can reach.
inline constexpr DWORD kMax16BitVertices = 0xFFFF;

// ---- Optimise flags, combined with the mesh options of the result.
inline constexpr DWORD D3DXMESHOPT_COMPACT = 0x01000000;  // drop vertices no face uses
inline constexpr DWORD D3DXMESHOPT_ATTRSORT =
    0x02000000;  // faces grouped by attribute, with a table
inline constexpr DWORD D3DXMESHOPT_VERTEXCACHE =
    0x04000000;  // accepted; face order within a group kept
inline constexpr DWORD D3DXMESHOPT_STRIPREORDER =
    0x08000000;  // accepted; face order within a group kept
inline constexpr DWORD D3DXMESHOPT_IGNOREVERTS =
    0x10000000;  // faces only: vertices stay as they are

// A face index with no neighbour across an edge.
inline constexpr DWORD kNoNeighbour = 0xFFFFFFFF;

// The result of a mesh whose data cannot be worked on (bad indices, too many faces).
inline constexpr HRESULT D3DXERR_INVALIDMESH = d3d::MakeDeviceError(2901);

// The faces FaceStart .. FaceStart + FaceCount - 1 carry AttribId and use only the vertices
// VertexStart .. VertexStart + VertexCount - 1.
struct D3DXATTRIBUTERANGE {
  DWORD AttribId;
  DWORD FaceStart;
  DWORD FaceCount;
  DWORD VertexStart;
  DWORD VertexCount;
};

// A block of bytes handed between the layer and its callers.
class ID3DXBuffer : public d3d::IUnknown {
 public:
  virtual void* GetBufferPointer() = 0;
  virtual DWORD GetBufferSize() = 0;

 protected:
  ~ID3DXBuffer() = default;
};

class ID3DXMesh;

class ID3DXBaseMesh : public d3d::IUnknown {
 public:
  // Draws the faces of one attribute: by the attribute table when there is one, else every run of
  // faces that carries it. Sets the stream source, indices and vertex format on the device.
  virtual HRESULT DrawSubset(DWORD attribId) = 0;
  virtual DWORD GetNumFaces() = 0;
  virtual DWORD GetNumVertices() = 0;
  virtual DWORD GetFVF() = 0;
  virtual DWORD GetNumBytesPerVertex() = 0;
  virtual DWORD GetOptions() = 0;
  virtual HRESULT GetDevice(IDirect3DDevice8** device) = 0;
  // A copy with other options and vertex format: components in both formats are copied, the
  // others are zero.
  virtual HRESULT CloneMeshFVF(DWORD options, DWORD fvf, IDirect3DDevice8* device,
                               ID3DXMesh** clone) = 0;
  virtual HRESULT GetVertexBuffer(IDirect3DVertexBuffer8** buffer) = 0;
  virtual HRESULT GetIndexBuffer(IDirect3DIndexBuffer8** buffer) = 0;
  virtual HRESULT LockVertexBuffer(DWORD flags, BYTE** data) = 0;
  virtual HRESULT UnlockVertexBuffer() = 0;
  virtual HRESULT LockIndexBuffer(DWORD flags, BYTE** data) = 0;
  virtual HRESULT UnlockIndexBuffer() = 0;
  // With a null table, only the entry count; else fills the table (of at least that many entries).
  virtual HRESULT GetAttributeTable(D3DXATTRIBUTERANGE* table, DWORD* count) = 0;
  // Three neighbour faces per face, across the edges (v0 v1), (v1 v2), (v2 v0), or kNoNeighbour.
  // Vertices within epsilon of each other in every coordinate count as one point.
  virtual HRESULT GenerateAdjacency(float epsilon, DWORD* adjacency) = 0;

 protected:
  ~ID3DXBaseMesh() = default;
};

class ID3DXMesh : public ID3DXBaseMesh {
 public:
  // One DWORD attribute per face. Writing it drops the attribute table.
  virtual HRESULT LockAttributeBuffer(DWORD flags, DWORD** data) = 0;
  virtual HRESULT UnlockAttributeBuffer() = 0;
  // A reordered copy (see the D3DXMESHOPT_ flags). adjacencyIn is required when adjacencyOut is
  // asked for; faceRemap receives the old face of each new face, vertexRemap the old vertex of
  // each new vertex.
  virtual HRESULT Optimize(DWORD flags, const DWORD* adjacencyIn, DWORD* adjacencyOut,
                           DWORD* faceRemap, ID3DXBuffer** vertexRemap, ID3DXMesh** optimized) = 0;
  // The same, in this mesh.
  virtual HRESULT OptimizeInplace(DWORD flags, const DWORD* adjacencyIn, DWORD* adjacencyOut,
                                  DWORD* faceRemap, ID3DXBuffer** vertexRemap) = 0;

 protected:
  ~ID3DXMesh() = default;
};

inline constexpr d3d::IID IID_ID3DXBuffer = {
    0x932E6A7E, 0xC68E, 0x45DD, {0xA7, 0xBF, 0x53, 0xD1, 0x9C, 0x86, 0xDB, 0x1F}};
inline constexpr d3d::IID IID_ID3DXBaseMesh = {
    0x2A835771, 0xBF4D, 0x43F4, {0x8E, 0x14, 0x82, 0xA8, 0x09, 0xF1, 0x7D, 0x8A}};
inline constexpr d3d::IID IID_ID3DXMesh = {
    0xCCAE5C3B, 0x4DD1, 0x4D0F, {0x99, 0x7E, 0x46, 0x84, 0xCA, 0x64, 0x55, 0x7F}};

HRESULT D3DXCreateBuffer(DWORD numBytes, ID3DXBuffer** buffer);

// A mesh of numFaces faces (indices zero, attributes zero) and numVertices vertices of the format.
HRESULT D3DXCreateMeshFVF(DWORD numFaces, DWORD numVertices, DWORD options, DWORD fvf,
                          IDirect3DDevice8* device, ID3DXMesh** mesh);

// A sphere about the origin with poles on the z axis: slices around, stacks from pole to pole
// (slices >= 3, stacks >= 2), position and unit normal per vertex, managed buffers. adjacency, when
// given, receives the mesh's adjacency.
HRESULT D3DXCreateSphere(IDirect3DDevice8* device, float radius, UINT slices, UINT stacks,
                         ID3DXMesh** mesh, ID3DXBuffer** adjacency);

// A copy of the mesh ready for normals and optimising, with its adjacency (adjacencyIn, or
// generated when null) in adjacencyOut. Faces that meet at a single vertex are left joined there.
// errors, when given, receives an empty buffer: this layer finds nothing to report.
HRESULT D3DXCleanMesh(ID3DXMesh* mesh, const DWORD* adjacencyIn, ID3DXMesh** cleaned,
                      DWORD* adjacencyOut, ID3DXBuffer** errors);

// Vertex normals as the normalised sum of the (area-weighted) normals of the faces around each
// vertex; with adjacency, vertices that adjacent faces share at one point are averaged together.
// The mesh's format must have normals.
HRESULT D3DXComputeNormals(ID3DXBaseMesh* mesh, const DWORD* adjacency);

// The nearest face the ray meets (see intersect.h for the ray and the barycentric convention).
HRESULT D3DXIntersect(ID3DXBaseMesh* mesh, const D3DXVECTOR3* rayStart,
                      const D3DXVECTOR3* rayDirection, BOOL* hit, DWORD* faceIndex, float* u,
                      float* v, float* distance);

// Bounding volumes of vertices of a format (the position is each vertex's first member): the box
// of the positions, and the sphere about their centroid that holds them all.
HRESULT D3DXComputeBoundingBox(const void* vertices, DWORD numVertices, DWORD fvf, D3DXVECTOR3* min,
                               D3DXVECTOR3* max);
HRESULT D3DXComputeBoundingSphere(const void* vertices, DWORD numVertices, DWORD fvf,
                                  D3DXVECTOR3* center, float* radius);

}  // namespace d3dx
