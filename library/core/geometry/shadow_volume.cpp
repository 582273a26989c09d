#include "library/core/geometry/shadow_volume.h"

#include <cstring>
#include <unordered_map>

#include "library/core/frame/frame_state.h"
#include "library/core/geometry/maths.h"
#include "library/core/vortanautil.h"
#include "platform/d3dx/mesh.h"

using namespace d3d;
using d3dx::D3DXMATRIX;
using d3dx::D3DXVECTOR3;

std::vector<ShadowVolumeRecord> ShadowVolumeTable;

namespace {

// One entry of the frame's render list. It keeps its own counts: one volume may stand in the list
// twice (a caster under two lights), rebuilt in between.
struct ShadowRenderEntry {
  int32_t firstVertex;
  int32_t quadVertices;
  int32_t quadTriangles;
  int32_t capTriangles;
  D3DMATRIX world;
  int32_t firstCapVertex;
};

constexpr int32_t kVerticesPerQuad = 4;
constexpr int32_t kIndicesPerQuad = 6;
constexpr int32_t kCapVerticesPerFace = 6;  // the face and its extruded copy
// The last quad's vertex indices must fit 16 bits.
constexpr int32_t kMaxQuads = 0x10000 / kVerticesPerQuad;

struct SharedBuffers {
  IDirect3DIndexBuffer8* indices = nullptr;
  IDirect3DVertexBuffer8* vertices = nullptr;
  int32_t capacity = 0;        // vertices
  D3DVECTOR* write = nullptr;  // while locked
  int32_t written = 0;
  bool stencilWarned = false;
};

SharedBuffers Shared;
std::vector<ShadowRenderEntry> RenderList;
D3DCOLOR ShadowColor = 0;
float ExtrusionLength = 0.0f;  // world units

ShadowVolumeRecord* Volume(int32_t identifier, const char* operation) {
  if (identifier < 0 || static_cast<size_t>(identifier) >= ShadowVolumeTable.size()) {
    AddLog("SHADOW VOLUME : %s : volume %d doesn't exist", operation, identifier);
    return nullptr;
  }
  return &ShadowVolumeTable[static_cast<size_t>(identifier)];
}

void ReleaseRecord(ShadowVolumeRecord& record) {
  SafeRelease(record.vertexBuffer);
  SafeRelease(record.indexBuffer);
  const int32_t identifier = record.identifier;
  record = {};
  record.identifier = identifier;
}

D3DXVECTOR3 At(const std::vector<D3DVECTOR>& points, uint16_t index) {
  return AsVector(points[index]);
}

// Positions every stride bytes and 16-bit indices into the record, then its planes and edges.
int32_t TakeGeometry(int32_t identifier, const BYTE* vertices, size_t stride, int32_t vertexCount,
                     const uint16_t* indices, int32_t indexCount, bool normals) {
  ShadowVolumeRecord* record = Volume(identifier, "Init");
  if (record == nullptr) return 0;
  if (vertexCount <= 0 || indexCount <= 0 || indexCount % 3 != 0 || stride < sizeof(D3DVECTOR)) {
    AddLog("SHADOW VOLUME : Volume %d : %d vertices and %d indices make no triangles", identifier,
           vertexCount, indexCount);
    return 0;
  }
  for (int32_t i = 0; i < indexCount; ++i) {
    if (indices[i] >= vertexCount) {
      AddLog("SHADOW VOLUME : Volume %d : index %d reaches past the %d vertices", identifier,
             indices[i], vertexCount);
      return 0;
    }
  }
  record->vertexCount = vertexCount;
  record->indexCount = indexCount;
  record->indices.assign(indices, indices + indexCount);
  const auto count = static_cast<size_t>(vertexCount);
  record->positions.resize(count);
  record->extruded.assign(count, {});
  record->normals.assign(normals ? count : 0, {});
  for (size_t v = 0; v < count; ++v) {
    std::memcpy(&record->positions[v], vertices + v * stride, sizeof(D3DVECTOR));
    if (normals && stride >= 2 * sizeof(D3DVECTOR)) {
      std::memcpy(&record->normals[v], vertices + v * stride + sizeof(D3DVECTOR),
                  sizeof(D3DVECTOR));
    }
  }
  // Room for every face's two caps and a quad on every edge.
  record->volumeVertices.assign(static_cast<size_t>(indexCount) * 6, {});
  return ShadowVolume_BuildEdgesList(identifier);
}

// Copies what the record's buffers hold; false after a logged refusal.
bool ReadBuffers(int32_t identifier, IDirect3DVertexBuffer8* vertexBuffer, int32_t stride,
                 IDirect3DIndexBuffer8* indexBuffer, bool normals) {
  D3DVERTEXBUFFER_DESC vertexDesc{};
  D3DINDEXBUFFER_DESC indexDesc{};
  if (stride <= 0 || FAILED(vertexBuffer->GetDesc(&vertexDesc)) ||
      FAILED(indexBuffer->GetDesc(&indexDesc)) || indexDesc.Format != D3DFMT_INDEX16) {
    AddLog("SHADOW VOLUME : Volume %d : only 16-bit indices and a vertex stride can be read",
           identifier);
    return false;
  }
  BYTE* vertices = nullptr;
  BYTE* indices = nullptr;
  bool taken = false;
  if (SUCCEEDED(vertexBuffer->Lock(0, 0, &vertices, D3DLOCK_READONLY))) {
    if (SUCCEEDED(indexBuffer->Lock(0, 0, &indices, D3DLOCK_READONLY))) {
      taken = TakeGeometry(identifier, vertices, static_cast<size_t>(stride),
                           static_cast<int32_t>(vertexDesc.Size / static_cast<UINT>(stride)),
                           reinterpret_cast<const uint16_t*>(indices),
                           static_cast<int32_t>(indexDesc.Size / sizeof(uint16_t)), normals) == 1;
      indexBuffer->Unlock();
    }
    vertexBuffer->Unlock();
  }
  return taken;
}

bool Lit(const ShadowVolumeRecord& record, size_t face) {
  const float* plane = &record.planes[face * 4];
  if (record.directional != 0) {
    const D3DVECTOR& d = record.lightDirection;
    return plane[0] * d.x + plane[1] * d.y + plane[2] * d.z < 0.0f;
  }
  const D3DVECTOR& p = record.lightPosition;
  return plane[0] * p.x + plane[1] * p.y + plane[2] * p.z + plane[3] > 0.0f;
}

// The stencil passes need stencil bits: without them the test passes everywhere and the shadow box
// would darken the whole screen.
bool DepthHasStencil() {
  IDirect3DSurface8* depth = nullptr;
  D3DSURFACE_DESC desc{};
  const bool described =
      SUCCEEDED(CurrentDevice->GetDepthStencilSurface(&depth)) && SUCCEEDED(depth->GetDesc(&desc));
  SafeRelease(depth);
  const bool stencil = described && (desc.Format == D3DFMT_D24S8 || desc.Format == D3DFMT_D15S1);
  if (!stencil && !Shared.stencilWarned) {
    AddLog("SHADOW VOLUME : The depth buffer has no stencil bits : no shadow is drawn");
    Shared.stencilWarned = true;
  }
  return stencil;
}

void SetStencilOperations(DWORD depthFail) {
  CurrentDevice->SetRenderState(D3DRS_STENCILFAIL, D3DSTENCILOP_KEEP);
  CurrentDevice->SetRenderState(D3DRS_STENCILZFAIL, depthFail);
  CurrentDevice->SetRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_KEEP);
}

void DrawEntry(const ShadowRenderEntry& entry) {
  if (entry.quadTriangles > 0) {
    CurrentDevice->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0,
                                        static_cast<UINT>(entry.quadVertices), 0,
                                        static_cast<UINT>(entry.quadTriangles));
  }
  if (entry.capTriangles > 0) {
    CurrentDevice->DrawPrimitive(D3DPT_TRIANGLELIST, static_cast<UINT>(entry.firstCapVertex),
                                 static_cast<UINT>(entry.capTriangles));
  }
}

}  // namespace

int32_t ShadowVolume_Create(int32_t identifier) {
  if (identifier < 0) {
    AddLog("SHADOW VOLUME : ShadowVolume_Create : %d is no identifier", identifier);
    return 0;
  }
  if (static_cast<size_t>(identifier) >= ShadowVolumeTable.size()) {
    ShadowVolumeTable.resize(static_cast<size_t>(identifier) + 1);
  }
  ShadowVolumeTable[static_cast<size_t>(identifier)].identifier = identifier;
  return static_cast<int32_t>(ShadowVolumeTable.size());
}

int32_t ShadowVolume_SetShadowParameters(uint32_t color, float extrusion) {
  ShadowColor = color;
  ExtrusionLength = extrusion;
  return 1;
}

int32_t ShadowVolume_SetShadowMode(int32_t identifier, int32_t mode) {
  ShadowVolumeRecord* record = Volume(identifier, "ShadowVolume_SetShadowMode");
  if (record == nullptr) return 0;
  record->shadowMode = mode;
  return 1;
}

int32_t ShadowVolume_InitShadowFromMesh(int32_t identifier, d3dx::ID3DXMesh** mesh) {
  if (mesh == nullptr || *mesh == nullptr) {
    AddLog("SHADOW VOLUME : Null mesh");
    return 0;
  }
  IDirect3DVertexBuffer8* vertexBuffer = nullptr;
  IDirect3DIndexBuffer8* indexBuffer = nullptr;
  (*mesh)->GetVertexBuffer(&vertexBuffer);
  (*mesh)->GetIndexBuffer(&indexBuffer);
  D3DVERTEXBUFFER_DESC desc{};
  vertexBuffer->GetDesc(&desc);
  const DWORD vertices = (*mesh)->GetNumVertices();
  const auto stride = static_cast<int32_t>(vertices > 0 ? desc.Size / vertices : 0);
  const int32_t normals = ((*mesh)->GetFVF() & D3DFVF_NORMAL) != 0 ? 1 : 0;
  const int32_t result =
      ShadowVolume_InitShadowFromBuffers(identifier, &vertexBuffer, stride, &indexBuffer, normals);
  // The volume keeps its copy; the mesh's buffers are not held beyond it.
  if (ShadowVolumeRecord* record = Volume(identifier, "ShadowVolume_InitShadowFromMesh")) {
    SafeRelease(record->vertexBuffer);
    SafeRelease(record->indexBuffer);
  }
  vertexBuffer->Release();
  indexBuffer->Release();
  return result;
}

int32_t ShadowVolume_InitShadowFromBuffers(int32_t identifier,
                                           IDirect3DVertexBuffer8** vertexBuffer, int32_t stride,
                                           IDirect3DIndexBuffer8** indexBuffer, int32_t normals) {
  ShadowVolumeRecord* record = Volume(identifier, "ShadowVolume_InitShadowFromBuffers");
  if (record == nullptr || vertexBuffer == nullptr || *vertexBuffer == nullptr ||
      indexBuffer == nullptr || *indexBuffer == nullptr) {
    return 0;
  }
  (*vertexBuffer)->AddRef();
  (*indexBuffer)->AddRef();
  SafeRelease(record->vertexBuffer);
  SafeRelease(record->indexBuffer);
  record->vertexBuffer = *vertexBuffer;
  record->indexBuffer = *indexBuffer;
  return ReadBuffers(identifier, *vertexBuffer, stride, *indexBuffer, normals != 0) ? 1 : 0;
}

int32_t ShadowVolume_InitShadowFromPointers(int32_t identifier, const void* positions,
                                            int32_t stride, int32_t vertexCount,
                                            const uint16_t* indices, int32_t indexCount,
                                            int32_t normals) {
  if (positions == nullptr || indices == nullptr || stride <= 0) {
    AddLog("SHADOW VOLUME : Volume %d : no vertices or indices given", identifier);
    return 0;
  }
  return TakeGeometry(identifier, static_cast<const BYTE*>(positions), static_cast<size_t>(stride),
                      vertexCount, indices, indexCount, normals != 0);
}

int32_t ShadowVolume_BuildEdgesList(int32_t identifier) {
  ShadowVolumeRecord* record = Volume(identifier, "ShadowVolume_BuildEdgesList");
  if (record == nullptr) return 0;
  const size_t faces = record->indices.size() / 3;
  record->planes.resize(faces * 4);
  record->edges.resize(faces * 3);
  record->edgeCount = static_cast<int32_t>(faces * 3);
  // The first earlier edge that joins the same two vertices is the one a linear search would meet
  // first: keeping the first edge of each vertex pair finds it without the search.
  std::unordered_map<uint32_t, int32_t> firstEdgeOf;
  firstEdgeOf.reserve(faces * 3);
  for (size_t face = 0; face < faces; ++face) {
    const uint16_t* corner = &record->indices[face * 3];
    const D3DXVECTOR3 v0 = At(record->positions, corner[0]);
    const D3DXVECTOR3 e1 = At(record->positions, corner[1]) - v0;
    const D3DXVECTOR3 e2 = At(record->positions, corner[2]) - v0;
    D3DXVECTOR3 normal;
    d3dx::D3DXVec3Cross(&normal, &e1, &e2);
    float* plane = &record->planes[face * 4];
    plane[0] = normal.x;
    plane[1] = normal.y;
    plane[2] = normal.z;
    plane[3] = -d3dx::D3DXVec3Dot(&normal, &v0);
    for (size_t k = 0; k < 3; ++k) {
      const auto index = static_cast<int32_t>(face * 3 + k);
      ShadowEdge& edge = record->edges[static_cast<size_t>(index)];
      edge = {index, corner[k], corner[(k + 1) % 3], kNoNeighbourEdge, 0};
      const uint32_t low = std::min(edge.a, edge.b), high = std::max(edge.a, edge.b);
      const auto [found, inserted] = firstEdgeOf.try_emplace(low << 16 | high, index);
      if (!inserted) {
        edge.neighbour = found->second;
        record->edges[static_cast<size_t>(found->second)].neighbour = index;
      }
    }
  }
  return 1;
}

int32_t ShadowVolume_MakeEdges(int32_t identifier) {
  ShadowVolumeRecord* record = Volume(identifier, "ShadowVolume_MakeEdges");
  if (record == nullptr) return 0;
  for (ShadowEdge& edge : record->edges) edge.flag = 0;
  record->capVertexCount = 0;
  record->quadVertexCount = 0;
  const float length = ExtrusionLength;
  const D3DXVECTOR3 offset = AsVector(record->lightDirection) * length;
  if (record->directional == 0) {
    for (size_t v = 0; v < record->positions.size(); ++v) {
      D3DVECTOR away = {record->positions[v].x - record->lightPosition.x,
                        record->positions[v].y - record->lightPosition.y,
                        record->positions[v].z - record->lightPosition.z};
      FastNormalize(&away);
      record->extruded[v] = AsVector(record->positions[v]) + AsVector(away) * length;
    }
  }
  auto extruded = [&](uint16_t v) -> D3DVECTOR {
    return record->directional != 0 ? AsVector(record->positions[v]) + offset : record->extruded[v];
  };
  std::vector<D3DVECTOR>& out = record->volumeVertices;
  size_t written = 0;
  const size_t faces = record->indices.size() / 3;
  for (size_t face = 0; face < faces; ++face) {
    if (!Lit(*record, face)) continue;
    for (size_t k = 0; k < 3; ++k) {
      ShadowEdge& edge = record->edges[face * 3 + k];
      // An edge between two lit faces cancels; an edge with no neighbour always stays.
      if (edge.neighbour != kNoNeighbourEdge &&
          record->edges[static_cast<size_t>(edge.neighbour)].flag == 1) {
        record->edges[static_cast<size_t>(edge.neighbour)].flag = 0;
      } else {
        edge.flag = 1;
      }
    }
    const uint16_t* corner = &record->indices[face * 3];
    out[written++] = record->positions[corner[0]];
    out[written++] = record->positions[corner[1]];
    out[written++] = record->positions[corner[2]];
    out[written++] = extruded(corner[2]);
    out[written++] = extruded(corner[1]);
    out[written++] = extruded(corner[0]);
    record->capVertexCount += kCapVerticesPerFace;
  }
  if (record->capVertexCount == 0) return 1;
  for (const ShadowEdge& edge : record->edges) {
    if (edge.flag != 1) continue;
    out[written++] = record->positions[edge.a];
    out[written++] = record->positions[edge.b];
    out[written++] = extruded(edge.a);
    out[written++] = extruded(edge.b);
    record->quadVertexCount += kVerticesPerQuad;
  }
  return 1;
}

int32_t ShadowVolume_AllocVolumes(int32_t quads) {
  ShadowVolume_LostAll();
  if (CurrentDevice == nullptr || quads < 1 || quads > kMaxQuads) {
    AddLog("SHADOW VOLUME : ShadowVolume_AllocVolumes : %d quads can't be made", quads);
    return 0;
  }
  const auto count = static_cast<UINT>(quads);
  if (FAILED(CurrentDevice->CreateIndexBuffer(count * kIndicesPerQuad * sizeof(uint16_t),
                                              D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED,
                                              &Shared.indices))) {
    AddLog("SHADOW VOLUME : ShadowVolume_AllocVolumes : the index buffer can't be made");
    return 0;
  }
  BYTE* data = nullptr;
  Shared.indices->Lock(0, 0, &data, 0);
  auto* index = reinterpret_cast<uint16_t*>(data);
  // Each quad (a, b, a', b') as the triangles (a', b, a) and (b, a', b').
  for (UINT q = 0; q < count; ++q) {
    const auto base = static_cast<uint16_t>(q * kVerticesPerQuad);
    const uint16_t pattern[kIndicesPerQuad] = {static_cast<uint16_t>(base + 2),
                                               static_cast<uint16_t>(base + 1),
                                               base,
                                               static_cast<uint16_t>(base + 1),
                                               static_cast<uint16_t>(base + 2),
                                               static_cast<uint16_t>(base + 3)};
    for (uint16_t i : pattern) *index++ = i;
  }
  Shared.indices->Unlock();
  if (FAILED(CurrentDevice->CreateVertexBuffer(count * kVerticesPerQuad * sizeof(D3DVECTOR),
                                               D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, D3DFVF_XYZ,
                                               D3DPOOL_DEFAULT, &Shared.vertices))) {
    AddLog("SHADOW VOLUME : ShadowVolume_AllocVolumes : the vertex buffer can't be made");
    ShadowVolume_LostAll();
    return 0;
  }
  Shared.capacity = quads * kVerticesPerQuad;
  Shared.stencilWarned = false;
  return 0;
}

int32_t ShadowVolume_SilhouettePrepare() {
  if (CurrentDevice == nullptr) return 0;
  CurrentDevice->SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
  // Zero and one: the volumes write no colour, only stencil.
  CurrentDevice->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ZERO);
  CurrentDevice->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
  CurrentDevice->SetRenderState(D3DRS_ZWRITEENABLE, 0);
  CurrentDevice->SetRenderState(D3DRS_ALPHATESTENABLE, 0);
  CurrentDevice->SetTexture(0, nullptr);
  CurrentDevice->SetTexture(1, nullptr);
  CurrentDevice->SetRenderState(D3DRS_FOGENABLE, 0);
  CurrentDevice->SetRenderState(D3DRS_LIGHTING, 0);
  CurrentDevice->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_FLAT);
  return ShadowVolume_SilhouetteLockBuffer();
}

int32_t ShadowVolume_SilhouetteLockBuffer() {
  RenderList.clear();
  Shared.written = 0;
  if (Shared.vertices == nullptr) {
    AddLog("SHADOW VOLUME : No volume buffer : call ShadowVolume_AllocVolumes first");
    return 0;
  }
  if (Shared.write != nullptr) Shared.vertices->Unlock();
  BYTE* data = nullptr;
  if (FAILED(Shared.vertices->Lock(0, 0, &data, D3DLOCK_DISCARD))) {
    Shared.write = nullptr;
    return 0;
  }
  Shared.write = reinterpret_cast<D3DVECTOR*>(data);
  return 1;
}

int32_t ShadowVolume_AddToRenderList(const D3DMATRIX* world, int32_t identifier, int32_t rebuild,
                                     int32_t directional, const D3DVECTOR* light,
                                     const float* /*scale: does not change the volume*/) {
  ShadowVolumeRecord* record = Volume(identifier, "ShadowVolume_AddToRenderList");
  if (record == nullptr || world == nullptr || (rebuild != 0 && light == nullptr)) return 0;
  if (Shared.write == nullptr) {
    AddLog("SHADOW VOLUME : ShadowVolume_AddToRenderList : the volume buffer isn't locked");
    return 0;
  }
  if (rebuild != 0) {
    const D3DXMATRIX matrix = AsMatrix(*world);
    D3DXMATRIX inverse;
    if (d3dx::D3DXMatrixInverse(&inverse, nullptr, &matrix) == nullptr) return 0;
    const D3DXVECTOR3 given = AsVector(*light);
    D3DXVECTOR3 local;
    if (directional != 0) {
      d3dx::D3DXVec3TransformNormal(&local, &given, &inverse);
      d3dx::D3DXVec3Normalize(&local, &local);
      record->lightDirection = local;
      record->directional = 1;
    } else {
      d3dx::D3DXVec3TransformCoord(&local, &given, &inverse);
      record->lightPosition = local;
      record->directional = 0;
    }
    ShadowVolume_MakeEdges(identifier);
  }
  const int32_t total = record->capVertexCount + record->quadVertexCount;
  if (total > Shared.capacity) {
    AddLog("SHADOW VOLUME : Volume %d needs %d vertices, more than the %d of the volume buffer",
           identifier, total, Shared.capacity);
    return 0;
  }
  if (Shared.written + total > Shared.capacity) {
    ShadowVolume_SilhouetteUnlockRender();
    if (ShadowVolume_SilhouetteLockBuffer() == 0) return 0;
  }
  ShadowRenderEntry entry{};
  entry.world = *world;
  entry.firstVertex = Shared.written;
  entry.quadVertices = record->quadVertexCount;
  entry.quadTriangles = record->quadVertexCount / 2;
  entry.capTriangles = record->capVertexCount / 3;
  entry.firstCapVertex = entry.firstVertex + record->quadVertexCount;
  const D3DVECTOR* caps = record->volumeVertices.data();
  const D3DVECTOR* quads = caps + record->capVertexCount;
  D3DVECTOR* target = Shared.write + Shared.written;
  std::memcpy(target, quads, static_cast<size_t>(record->quadVertexCount) * sizeof(D3DVECTOR));
  std::memcpy(target + record->quadVertexCount, caps,
              static_cast<size_t>(record->capVertexCount) * sizeof(D3DVECTOR));
  Shared.written += total;
  RenderList.push_back(entry);
  return 1;
}

int32_t ShadowVolume_SilhouetteUnlockRender() {
  if (Shared.write == nullptr) return 0;
  Shared.vertices->Unlock();
  Shared.write = nullptr;
  if (!DepthHasStencil()) {
    RenderList.clear();
    return 1;
  }
  CurrentDevice->SetStreamSource(0, Shared.vertices, sizeof(D3DVECTOR));
  CurrentDevice->SetVertexShader(D3DFVF_XYZ);
  CurrentDevice->SetRenderState(D3DRS_ZBIAS, 0);
  CurrentDevice->SetRenderState(D3DRS_ALPHATESTENABLE, 0);
  CurrentDevice->SetRenderState(D3DRS_STENCILENABLE, 1);
  CurrentDevice->SetRenderState(D3DRS_STENCILREF, 0);
  CurrentDevice->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_ALWAYS);
  SetStencilOperations(D3DSTENCILOP_KEEP);
  CurrentDevice->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESS);
  CurrentDevice->SetRenderState(D3DRS_ZWRITEENABLE, 0);
  for (const ShadowRenderEntry& entry : RenderList) {
    CurrentDevice->SetIndices(Shared.indices, static_cast<UINT>(entry.firstVertex));
    CurrentDevice->SetTransform(D3DTS_WORLD, &entry.world);
    // Depth-fail: back faces count up where the scene hides them, front faces count down.
    CurrentDevice->SetRenderState(D3DRS_STENCILZFAIL, D3DSTENCILOP_INCR);
    CurrentDevice->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
    DrawEntry(entry);
    CurrentDevice->SetRenderState(D3DRS_STENCILZFAIL, D3DSTENCILOP_DECR);
    CurrentDevice->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    DrawEntry(entry);
  }
  CurrentDevice->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
  CurrentDevice->SetRenderState(D3DRS_ZBIAS, 0);
  CurrentDevice->SetRenderState(D3DRS_ZWRITEENABLE, 0);
  RenderList.clear();
  return 1;
}

int32_t ShadowVolume_RenderAlphaBlendedTri() {
  if (CurrentDevice == nullptr || !DepthHasStencil()) return 1;
  CurrentDevice->SetRenderState(D3DRS_STENCILENABLE, 1);
  // Drawn where the stencil holds 1 or more.
  CurrentDevice->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_LESSEQUAL);
  CurrentDevice->SetRenderState(D3DRS_STENCILREF, 1);
  SetStencilOperations(D3DSTENCILOP_KEEP);
  CurrentDevice->SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
  // The blend the volumes left writes nothing; the box blends by the shadow colour's alpha.
  CurrentDevice->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  CurrentDevice->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  CurrentDevice->SetRenderState(D3DRS_ZWRITEENABLE, 0);
  CurrentDevice->SetRenderState(D3DRS_ZFUNC, D3DCMP_ALWAYS);
  CurrentDevice->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  Screen2D_Start();
  Screen2D_DrawFilledBox(0.0f, 0.0f, static_cast<float>(DevicePresentParams.BackBufferWidth),
                         static_cast<float>(DevicePresentParams.BackBufferHeight), ShadowColor,
                         ShadowColor, ShadowColor, ShadowColor);
  Screen2D_End();
  return 1;
}

int32_t ShadowVolume_ResetAll() {
  if (CurrentDevice == nullptr) return 0;
  CurrentDevice->SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
  CurrentDevice->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  CurrentDevice->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  CurrentDevice->SetRenderState(D3DRS_STENCILENABLE, 0);
  CurrentDevice->SetRenderState(D3DRS_ZWRITEENABLE, 1);
  CurrentDevice->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_GOURAUD);
  return 1;
}

int32_t ShadowVolume_Free(int32_t identifier) {
  if (ShadowVolumeRecord* record = Volume(identifier, "ShadowVolume_Free")) {
    ReleaseRecord(*record);
    record->identifier = 0;
  }
  return 0;
}

int32_t ShadowVolume_FreeAll() {
  for (ShadowVolumeRecord& record : ShadowVolumeTable) ReleaseRecord(record);
  ShadowVolumeTable.clear();
  RenderList.clear();
  return 0;
}

int32_t ShadowVolume_LostAll() {
  if (Shared.write != nullptr) Shared.vertices->Unlock();
  Shared.write = nullptr;
  SafeRelease(Shared.indices);
  SafeRelease(Shared.vertices);
  Shared.capacity = 0;
  Shared.written = 0;
  RenderList.clear();
  return 1;
}
