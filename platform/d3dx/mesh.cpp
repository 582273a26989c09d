#include "platform/d3dx/mesh.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <map>
#include <numbers>
#include <numeric>
#include <optional>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "platform/d3d/com_object.h"
#include "platform/d3d/format.h"
#include "platform/d3dx/com_ptr.h"
#include "platform/d3dx/intersect.h"

namespace d3dx {
namespace {

using namespace d3d;

constexpr DWORD kMaxFaces = 0x7FFFFFFF / 12;  // faces whose 32-bit indices fit a buffer
constexpr UINT kFloatBytes = 4;
constexpr UINT kMaxTextureSets = 8;

// Where each member of a vertex of a flexible vertex format lies, in bytes.
struct VertexLayout {
  UINT size = 0;
  UINT positionBytes = 0;  // position with any blend weights or reciprocal w, at offset 0
  std::optional<UINT> normal, pointSize, diffuse, specular;
  std::array<UINT, kMaxTextureSets> textureOffset{};
  std::array<UINT, kMaxTextureSets> textureBytes{};
  UINT textureSets = 0;
};

std::optional<VertexLayout> LayoutOf(DWORD fvf) {
  VertexLayout layout;
  switch (fvf & D3DFVF_POSITION_MASK) {
    case D3DFVF_XYZ:
      layout.positionBytes = 3 * kFloatBytes;
      break;
    case D3DFVF_XYZRHW:
      layout.positionBytes = 4 * kFloatBytes;
      break;
    case 0:
      return std::nullopt;  // meshes need positions
    default:
      layout.positionBytes = (3 + ((fvf & D3DFVF_POSITION_MASK) - D3DFVF_XYZRHW) / 2) * kFloatBytes;
      break;
  }
  UINT offset = layout.positionBytes;
  auto place = [&offset](std::optional<UINT>& member, UINT bytes) {
    member = offset;
    offset += bytes;
  };
  if (fvf & D3DFVF_NORMAL) place(layout.normal, 3 * kFloatBytes);
  if (fvf & D3DFVF_PSIZE) place(layout.pointSize, kFloatBytes);
  if (fvf & D3DFVF_DIFFUSE) place(layout.diffuse, 4);
  if (fvf & D3DFVF_SPECULAR) place(layout.specular, 4);
  layout.textureSets = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
  if (layout.textureSets > kMaxTextureSets) return std::nullopt;
  for (UINT set = 0; set < layout.textureSets; ++set) {
    static constexpr UINT kCoordinates[4] = {2, 3, 4, 1};  // by the two format bits of the set
    layout.textureOffset[set] = offset;
    layout.textureBytes[set] = kCoordinates[(fvf >> (16 + set * 2)) & 3] * kFloatBytes;
    offset += layout.textureBytes[set];
  }
  layout.size = offset;
  if (layout.size != FvfVertexSize(fvf)) return std::nullopt;
  return layout;
}

D3DXVECTOR3 LoadVector(const BYTE* bytes) {
  D3DXVECTOR3 v{};
  std::memcpy(&v.x, bytes, kFloatBytes);
  std::memcpy(&v.y, bytes + kFloatBytes, kFloatBytes);
  std::memcpy(&v.z, bytes + 2 * kFloatBytes, kFloatBytes);
  return v;
}

void StoreVector(BYTE* bytes, const D3DXVECTOR3& v) {
  std::memcpy(bytes, &v.x, kFloatBytes);
  std::memcpy(bytes + kFloatBytes, &v.y, kFloatBytes);
  std::memcpy(bytes + 2 * kFloatBytes, &v.z, kFloatBytes);
}

D3DXVECTOR3 FaceNormal(const D3DXVECTOR3& p0, const D3DXVECTOR3& p1, const D3DXVECTOR3& p2) {
  D3DXVECTOR3 normal, edge1 = p1 - p0, edge2 = p2 - p0;
  return *D3DXVec3Cross(&normal, &edge1, &edge2);
}

// ---- Buffers

class Buffer final : public ID3DXBuffer {
 public:
  explicit Buffer(DWORD size) : bytes_(size) {}

  HRESULT QueryInterface(const IID& iid, void** object) override {
    return AnswerQuery<ID3DXBuffer>(iid, object, this, {&IID_IUnknown, &IID_ID3DXBuffer});
  }
  ULONG AddRef() override { return ++references_; }
  ULONG Release() override {
    ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }
  void* GetBufferPointer() override { return bytes_.data(); }
  DWORD GetBufferSize() override { return static_cast<DWORD>(bytes_.size()); }

 private:
  std::vector<BYTE> bytes_;
  ULONG references_ = 1;
};

ID3DXBuffer* BufferOf(const std::vector<DWORD>& values) {
  auto* buffer = new Buffer(static_cast<DWORD>(values.size() * sizeof(DWORD)));
  if (!values.empty())
    std::memcpy(buffer->GetBufferPointer(), values.data(), values.size() * sizeof(DWORD));
  return buffer;
}

// ---- Point representatives: the first vertex at (or within epsilon of) each vertex's position.

std::vector<DWORD> PointRepresentatives(const std::vector<D3DXVECTOR3>& positions, float epsilon) {
  std::vector<DWORD> representative(positions.size());
  std::iota(representative.begin(), representative.end(), 0u);
  auto finite = [](const D3DXVECTOR3& p) {
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
  };
  if (epsilon <= 0) {
    std::map<std::tuple<float, float, float>, DWORD> first;
    for (DWORD i = 0; i < positions.size(); ++i) {
      if (!finite(positions[i])) continue;  // never equal to anything
      auto [at, added] = first.try_emplace({positions[i].x, positions[i].y, positions[i].z}, i);
      representative[i] = at->second;
    }
    return representative;
  }
  // Sorted by x, a vertex need only be compared with those less than epsilon to its left.
  std::vector<DWORD> order;
  for (DWORD i = 0; i < positions.size(); ++i) {
    if (finite(positions[i])) order.push_back(i);
  }
  std::sort(order.begin(), order.end(), [&](DWORD a, DWORD b) {
    return std::tie(positions[a].x, a) < std::tie(positions[b].x, b);
  });
  for (size_t i = 0; i < order.size(); ++i) {
    const D3DXVECTOR3& p = positions[order[i]];
    for (size_t j = i; j-- > 0 && p.x - positions[order[j]].x <= epsilon;) {
      const D3DXVECTOR3& q = positions[order[j]];
      if (std::fabs(p.y - q.y) <= epsilon && std::fabs(p.z - q.z) <= epsilon) {
        representative[order[i]] = std::min(representative[order[i]], representative[order[j]]);
      }
    }
  }
  return representative;
}

std::vector<DWORD> Adjacency(const std::vector<DWORD>& indices,
                             const std::vector<DWORD>& representative) {
  size_t faces = indices.size() / 3;
  std::vector<DWORD> adjacency(indices.size(), kNoNeighbour);
  std::unordered_map<uint64_t, std::vector<DWORD>>
      edges;  // (low point, high point) -> face * 3 + edge
  for (size_t f = 0; f < faces; ++f) {
    for (DWORD e = 0; e < 3; ++e) {
      DWORD a = representative[indices[3 * f + e]],
            b = representative[indices[3 * f + (e + 1) % 3]];
      if (a == b) continue;
      uint64_t key = uint64_t{std::min(a, b)} << 32 | std::max(a, b);
      edges[key].push_back(static_cast<DWORD>(3 * f + e));
    }
  }
  // Faces sharing an edge pair up in order; a third face on an edge pairs with a fourth.
  for (auto& [key, sides] : edges) {
    for (size_t i = 0; i + 1 < sides.size(); i += 2) {
      adjacency[sides[i]] = sides[i + 1] / 3;
      adjacency[sides[i + 1]] = sides[i] / 3;
    }
  }
  return adjacency;
}

// ---- The mesh

class Mesh final : public ID3DXMesh {
 public:
  static HRESULT Create(IDirect3DDevice8* device, DWORD faces, DWORD vertices, DWORD options,
                        DWORD fvf, Mesh** mesh) {
    auto layout = LayoutOf(fvf);
    bool wide = (options & D3DXMESH_32BIT) != 0;
    if (device == nullptr || mesh == nullptr || !layout || faces == 0 || vertices == 0 ||
        faces > kMaxFaces || (!wide && vertices > kMax16BitVertices + 1) ||
        vertices > UINT32_MAX / layout->size) {
      return D3DERR_INVALIDCALL;
    }
    ComPtr<IDirect3DVertexBuffer8> vertexBuffer;
    ComPtr<IDirect3DIndexBuffer8> indexBuffer;
    HRESULT result = device->CreateVertexBuffer(
        vertices * layout->size,
        Usage(options, D3DXMESH_VB_WRITEONLY, D3DXMESH_VB_DYNAMIC, D3DXMESH_VB_SOFTWAREPROCESSING),
        fvf, Pool(options, D3DXMESH_VB_MANAGED, D3DXMESH_VB_SYSTEMMEM), vertexBuffer.Out());
    if (FAILED(result)) return result;
    result = device->CreateIndexBuffer(
        faces * 3 * (wide ? 4 : 2),
        Usage(options, D3DXMESH_IB_WRITEONLY, D3DXMESH_IB_DYNAMIC, D3DXMESH_IB_SOFTWAREPROCESSING),
        wide ? D3DFMT_INDEX32 : D3DFMT_INDEX16,
        Pool(options, D3DXMESH_IB_MANAGED, D3DXMESH_IB_SYSTEMMEM), indexBuffer.Out());
    if (FAILED(result)) return result;
    *mesh = new Mesh(device, faces, vertices, options, fvf, *layout, std::move(vertexBuffer),
                     std::move(indexBuffer));
    return D3D_OK;
  }

  // ---- IUnknown
  HRESULT QueryInterface(const IID& iid, void** object) override {
    return AnswerQuery<ID3DXMesh>(iid, object, this,
                                  {&IID_IUnknown, &IID_ID3DXBaseMesh, &IID_ID3DXMesh});
  }
  ULONG AddRef() override { return ++references_; }
  ULONG Release() override {
    ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

  // ---- ID3DXBaseMesh
  HRESULT DrawSubset(DWORD attribId) override {
    HRESULT result = Bind();
    for (const D3DXATTRIBUTERANGE& range : table_) {
      if (FAILED(result)) break;
      if (range.AttribId == attribId && range.FaceCount > 0) {
        result =
            device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, range.VertexStart, range.VertexCount,
                                          range.FaceStart * 3, range.FaceCount);
      }
    }
    if (!table_.empty()) return result;
    for (DWORD start = 0; start < faces_ && SUCCEEDED(result);) {
      DWORD end = start;
      while (end < faces_ && attributes_[end] == attributes_[start]) ++end;
      if (attributes_[start] == attribId) {
        result = device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, vertexCount_, start * 3,
                                               end - start);
      }
      start = end;
    }
    return result;
  }
  DWORD GetNumFaces() override { return faces_; }
  DWORD GetNumVertices() override { return vertexCount_; }
  DWORD GetFVF() override { return fvf_; }
  DWORD GetNumBytesPerVertex() override { return layout_.size; }
  DWORD GetOptions() override { return options_; }
  HRESULT GetDevice(IDirect3DDevice8** device) override { return HandOut(device_, device); }
  HRESULT CloneMeshFVF(DWORD options, DWORD fvf, IDirect3DDevice8* device,
                       ID3DXMesh** clone) override {
    if (clone == nullptr) return D3DERR_INVALIDCALL;
    auto vertices = ReadVertices();
    auto indices = ReadIndices();
    if (!vertices || !indices) return D3DERR_INVALIDCALL;
    Mesh* copy = nullptr;
    HRESULT result = Create(device, faces_, vertexCount_, options & kMeshOptionMask, fvf, &copy);
    if (FAILED(result)) return result;
    std::vector<BYTE> converted(size_t{vertexCount_} * copy->layout_.size, 0);
    for (DWORD v = 0; v < vertexCount_; ++v) {
      CopyVertex(layout_, vertices->data() + size_t{v} * layout_.size, copy->layout_,
                 converted.data() + size_t{v} * copy->layout_.size);
    }
    copy->attributes_ = attributes_;
    copy->table_ = table_;
    result = copy->Fill(converted, *indices);
    if (FAILED(result)) {
      copy->Release();
      return result;
    }
    *clone = copy;
    return D3D_OK;
  }
  HRESULT GetVertexBuffer(IDirect3DVertexBuffer8** buffer) override {
    return HandOut(vertices_.Get(), buffer);
  }
  HRESULT GetIndexBuffer(IDirect3DIndexBuffer8** buffer) override {
    return HandOut(indices_.Get(), buffer);
  }
  HRESULT LockVertexBuffer(DWORD flags, BYTE** data) override {
    return vertices_->Lock(0, 0, data, flags);
  }
  HRESULT UnlockVertexBuffer() override { return vertices_->Unlock(); }
  HRESULT LockIndexBuffer(DWORD flags, BYTE** data) override {
    return indices_->Lock(0, 0, data, flags);
  }
  HRESULT UnlockIndexBuffer() override { return indices_->Unlock(); }
  HRESULT GetAttributeTable(D3DXATTRIBUTERANGE* table, DWORD* count) override {
    if (count == nullptr) return D3DERR_INVALIDCALL;
    if (table != nullptr) std::copy(table_.begin(), table_.end(), table);
    *count = static_cast<DWORD>(table_.size());
    return D3D_OK;
  }
  HRESULT GenerateAdjacency(float epsilon, DWORD* adjacency) override {
    auto positions = ReadPositions();
    auto indices = ReadIndices();
    if (adjacency == nullptr || !positions || !indices) return D3DERR_INVALIDCALL;
    auto result = Adjacency(*indices, PointRepresentatives(*positions, epsilon));
    std::copy(result.begin(), result.end(), adjacency);
    return D3D_OK;
  }

  // ---- ID3DXMesh
  HRESULT LockAttributeBuffer(DWORD flags, DWORD** data) override {
    if (data == nullptr) return D3DERR_INVALIDCALL;
    if (!(flags & D3DLOCK_READONLY)) table_.clear();
    *data = attributes_.data();
    return D3D_OK;
  }
  HRESULT UnlockAttributeBuffer() override { return D3D_OK; }
  HRESULT Optimize(DWORD flags, const DWORD* adjacencyIn, DWORD* adjacencyOut, DWORD* faceRemap,
                   ID3DXBuffer** vertexRemap, ID3DXMesh** optimized) override {
    if (optimized == nullptr) return D3DERR_INVALIDCALL;
    Mesh* result = nullptr;
    HRESULT hr = BuildOptimized(flags, flags & kMeshOptionMask, adjacencyIn, adjacencyOut,
                                faceRemap, vertexRemap, &result);
    if (SUCCEEDED(hr)) *optimized = result;
    return hr;
  }
  HRESULT OptimizeInplace(DWORD flags, const DWORD* adjacencyIn, DWORD* adjacencyOut,
                          DWORD* faceRemap, ID3DXBuffer** vertexRemap) override {
    Mesh* result = nullptr;
    HRESULT hr =
        BuildOptimized(flags, options_, adjacencyIn, adjacencyOut, faceRemap, vertexRemap, &result);
    if (FAILED(hr)) return hr;
    std::swap(vertices_, result->vertices_);
    std::swap(indices_, result->indices_);
    std::swap(attributes_, result->attributes_);
    std::swap(table_, result->table_);
    vertexCount_ = result->vertexCount_;
    result->Release();
    return D3D_OK;
  }

  // ---- Whole-buffer access for the layer's own functions.
  const VertexLayout& Layout() const { return layout_; }

  std::optional<std::vector<BYTE>> ReadVertices() {
    return ReadBuffer(vertices_.Get(), size_t{vertexCount_} * layout_.size);
  }

  std::optional<std::vector<DWORD>> ReadIndices() {
    auto bytes = ReadBuffer(indices_.Get(), size_t{faces_} * 3 * IndexBytes());
    if (!bytes) return std::nullopt;
    std::vector<DWORD> indices(size_t{faces_} * 3);
    for (size_t i = 0; i < indices.size(); ++i) {
      indices[i] = LoadPixel(bytes->data() + i * IndexBytes(), IndexBytes());
      if (indices[i] >= vertexCount_) return std::nullopt;
    }
    return indices;
  }

  std::optional<std::vector<D3DXVECTOR3>> ReadPositions() {
    auto vertices = ReadVertices();
    if (!vertices) return std::nullopt;
    std::vector<D3DXVECTOR3> positions(vertexCount_);
    for (DWORD v = 0; v < vertexCount_; ++v)
      positions[v] = LoadVector(vertices->data() + size_t{v} * layout_.size);
    return positions;
  }

  HRESULT WriteVertices(const std::vector<BYTE>& vertices) {
    return WriteBuffer(vertices_.Get(), vertices);
  }

  // Vertices, indices and, when given, the attribute table of a mesh being built.
  HRESULT Fill(const std::vector<BYTE>& vertices, const std::vector<DWORD>& indices) {
    HRESULT result = WriteVertices(vertices);
    if (FAILED(result)) return result;
    std::vector<BYTE> packed(indices.size() * IndexBytes());
    for (size_t i = 0; i < indices.size(); ++i)
      StorePixel(packed.data() + i * IndexBytes(), IndexBytes(), indices[i]);
    return WriteBuffer(indices_.Get(), packed);
  }

  void SetAttributes(std::vector<DWORD> attributes, std::vector<D3DXATTRIBUTERANGE> table) {
    attributes_ = std::move(attributes);
    table_ = std::move(table);
  }

 private:
  Mesh(IDirect3DDevice8* device, DWORD faces, DWORD vertices, DWORD options, DWORD fvf,
       const VertexLayout& layout, ComPtr<IDirect3DVertexBuffer8> vertexBuffer,
       ComPtr<IDirect3DIndexBuffer8> indexBuffer)
      : device_(device),
        vertices_(std::move(vertexBuffer)),
        indices_(std::move(indexBuffer)),
        attributes_(faces, 0),
        faces_(faces),
        vertexCount_(vertices),
        options_(options),
        fvf_(fvf),
        layout_(layout) {
    device_->AddRef();
  }
  ~Mesh() {
    vertices_.Reset();
    indices_.Reset();
    device_->Release();
  }

  static DWORD Usage(DWORD options, DWORD writeOnly, DWORD dynamic, DWORD software) {
    return ((options & writeOnly) ? D3DUSAGE_WRITEONLY : 0) |
           ((options & dynamic) ? D3DUSAGE_DYNAMIC : 0) |
           ((options & software) ? D3DUSAGE_SOFTWAREPROCESSING : 0);
  }
  static D3DPOOL Pool(DWORD options, DWORD managed, DWORD systemMemory) {
    if (options & managed) return D3DPOOL_MANAGED;
    return (options & systemMemory) ? D3DPOOL_SYSTEMMEM : D3DPOOL_DEFAULT;
  }

  template <typename T>
  static std::optional<std::vector<BYTE>> ReadBuffer(T* buffer, size_t size) {
    BYTE* data = nullptr;
    if (FAILED(buffer->Lock(0, 0, &data, D3DLOCK_READONLY))) return std::nullopt;
    std::vector<BYTE> copy(data, data + size);
    buffer->Unlock();
    return copy;
  }

  template <typename T>
  static HRESULT WriteBuffer(T* buffer, const std::vector<BYTE>& bytes) {
    BYTE* data = nullptr;
    HRESULT result = buffer->Lock(0, 0, &data, 0);
    if (FAILED(result)) return result;
    std::copy(bytes.begin(), bytes.end(), data);
    return buffer->Unlock();
  }

  UINT IndexBytes() const { return (options_ & D3DXMESH_32BIT) ? 4 : 2; }

  HRESULT Bind() {
    HRESULT result = device_->SetStreamSource(0, vertices_.Get(), layout_.size);
    if (SUCCEEDED(result)) result = device_->SetIndices(indices_.Get(), 0);
    if (SUCCEEDED(result)) result = device_->SetVertexShader(fvf_);
    return result;
  }

  static void CopyVertex(const VertexLayout& from, const BYTE* source, const VertexLayout& to,
                         BYTE* target) {
    std::memcpy(target, source, std::min(from.positionBytes, to.positionBytes));
    auto member = [&](const std::optional<UINT>& a, const std::optional<UINT>& b, UINT bytes) {
      if (a && b) std::memcpy(target + *b, source + *a, bytes);
    };
    member(from.normal, to.normal, 3 * kFloatBytes);
    member(from.pointSize, to.pointSize, kFloatBytes);
    member(from.diffuse, to.diffuse, 4);
    member(from.specular, to.specular, 4);
    for (UINT set = 0; set < std::min(from.textureSets, to.textureSets); ++set) {
      std::memcpy(target + to.textureOffset[set], source + from.textureOffset[set],
                  std::min(from.textureBytes[set], to.textureBytes[set]));
    }
  }

  HRESULT BuildOptimized(DWORD flags, DWORD options, const DWORD* adjacencyIn, DWORD* adjacencyOut,
                         DWORD* faceRemap, ID3DXBuffer** vertexRemap, Mesh** optimized) {
    auto vertices = ReadVertices();
    auto indices = ReadIndices();
    if (!vertices || !indices) return D3DXERR_INVALIDMESH;

    std::vector<DWORD> faceOrder(faces_);
    std::iota(faceOrder.begin(), faceOrder.end(), 0u);
    if (flags & D3DXMESHOPT_ATTRSORT) {
      std::stable_sort(faceOrder.begin(), faceOrder.end(),
                       [this](DWORD a, DWORD b) { return attributes_[a] < attributes_[b]; });
    }
    // New vertex numbers: every vertex in order, or with COMPACT only those some face uses.
    std::vector<DWORD> vertexOrder, newVertex(vertexCount_, kNoNeighbour);
    std::vector<bool> used(vertexCount_,
                           !(flags & D3DXMESHOPT_COMPACT) || (flags & D3DXMESHOPT_IGNOREVERTS));
    for (DWORD index : *indices) used[index] = true;
    for (DWORD v = 0; v < vertexCount_; ++v) {
      if (!used[v]) continue;
      newVertex[v] = static_cast<DWORD>(vertexOrder.size());
      vertexOrder.push_back(v);
    }

    std::vector<DWORD> newIndices(indices->size()), newAttributes(faces_), newFace(faces_);
    for (DWORD f = 0; f < faces_; ++f) {
      DWORD old = faceOrder[f];
      newFace[old] = f;
      newAttributes[f] = attributes_[old];
      for (int k = 0; k < 3; ++k) newIndices[3 * f + k] = newVertex[(*indices)[3 * old + k]];
    }
    std::vector<BYTE> newVertices(vertexOrder.size() * layout_.size);
    for (size_t v = 0; v < vertexOrder.size(); ++v) {
      std::memcpy(newVertices.data() + v * layout_.size,
                  vertices->data() + size_t{vertexOrder[v]} * layout_.size, layout_.size);
    }
    std::vector<D3DXATTRIBUTERANGE> table;
    if (flags & D3DXMESHOPT_ATTRSORT) table = AttributeTable(newAttributes, newIndices);

    Mesh* result = nullptr;
    HRESULT hr =
        Create(device_, faces_, static_cast<DWORD>(vertexOrder.size()), options, fvf_, &result);
    if (FAILED(hr)) return hr;
    hr = result->Fill(newVertices, newIndices);
    if (FAILED(hr)) {
      result->Release();
      return hr;
    }
    result->SetAttributes(std::move(newAttributes), std::move(table));

    if (adjacencyOut != nullptr) {
      std::vector<DWORD> generated;
      if (adjacencyIn == nullptr) {
        auto positions = ReadPositions();
        generated = Adjacency(
            *indices, PointRepresentatives(positions.value_or(std::vector<D3DXVECTOR3>{}), 0));
        adjacencyIn = generated.data();
      }
      for (DWORD f = 0; f < faces_; ++f) {
        for (int e = 0; e < 3; ++e) {
          DWORD neighbour = adjacencyIn[3 * faceOrder[f] + e];
          adjacencyOut[3 * f + e] = neighbour < faces_ ? newFace[neighbour] : kNoNeighbour;
        }
      }
    }
    if (faceRemap != nullptr) std::copy(faceOrder.begin(), faceOrder.end(), faceRemap);
    if (vertexRemap != nullptr) *vertexRemap = BufferOf(vertexOrder);
    *optimized = result;
    return D3D_OK;
  }

  static std::vector<D3DXATTRIBUTERANGE> AttributeTable(const std::vector<DWORD>& attributes,
                                                        const std::vector<DWORD>& indices) {
    std::vector<D3DXATTRIBUTERANGE> table;
    for (DWORD f = 0; f < attributes.size(); ++f) {
      if (table.empty() || table.back().AttribId != attributes[f]) {
        table.push_back({attributes[f], f, 0, UINT32_MAX, 0});
      }
      D3DXATTRIBUTERANGE& range = table.back();
      ++range.FaceCount;
      for (int k = 0; k < 3; ++k) {
        DWORD v = indices[3 * f + k];
        DWORD end = std::max(
            range.VertexStart == UINT32_MAX ? v + 1 : range.VertexStart + range.VertexCount, v + 1);
        range.VertexStart = std::min(range.VertexStart, v);
        range.VertexCount = end - range.VertexStart;
      }
    }
    return table;
  }

  IDirect3DDevice8* device_;
  ComPtr<IDirect3DVertexBuffer8> vertices_;
  ComPtr<IDirect3DIndexBuffer8> indices_;
  std::vector<DWORD> attributes_;
  std::vector<D3DXATTRIBUTERANGE> table_;
  DWORD faces_;
  DWORD vertexCount_;
  DWORD options_;
  DWORD fvf_;
  VertexLayout layout_;
  ULONG references_ = 1;
};

// Our meshes, whatever interface they come through; null for a mesh of another implementation.
Mesh* OwnMesh(ID3DXBaseMesh* mesh) {
  if (mesh == nullptr) return nullptr;
  ID3DXMesh* full = nullptr;
  if (FAILED(mesh->QueryInterface(IID_ID3DXMesh, reinterpret_cast<void**>(&full)))) return nullptr;
  full->Release();
  return static_cast<Mesh*>(full);
}

// Union-find over vertices: the groups whose normals are averaged together.
DWORD Root(std::vector<DWORD>& parent, DWORD v) {
  while (parent[v] != v) v = parent[v] = parent[parent[v]];
  return v;
}

}  // namespace

HRESULT D3DXCreateBuffer(DWORD numBytes, ID3DXBuffer** buffer) {
  if (buffer == nullptr) return D3DERR_INVALIDCALL;
  *buffer = new Buffer(numBytes);
  return D3D_OK;
}

HRESULT D3DXCreateMeshFVF(DWORD numFaces, DWORD numVertices, DWORD options, DWORD fvf,
                          IDirect3DDevice8* device, ID3DXMesh** mesh) {
  if (mesh == nullptr) return D3DERR_INVALIDCALL;
  Mesh* created = nullptr;
  HRESULT result = Mesh::Create(device, numFaces, numVertices, options, fvf, &created);
  if (SUCCEEDED(result)) *mesh = created;
  return result;
}

HRESULT D3DXCreateSphere(IDirect3DDevice8* device, float radius, UINT slices, UINT stacks,
                         ID3DXMesh** mesh, ID3DXBuffer** adjacency) {
  if (mesh == nullptr || slices < 3 || stacks < 2 || !(radius > 0) || slices > kMax16BitVertices ||
      stacks > kMax16BitVertices) {
    return D3DERR_INVALIDCALL;
  }
  // The poles, and stacks - 1 rings of slices vertices between them, the seam shared.
  const DWORD rings = stacks - 1;
  const DWORD vertexCount = slices * rings + 2;
  const DWORD faceCount = 2 * slices * rings;
  const DWORD options = D3DXMESH_MANAGED | (vertexCount > kMax16BitVertices ? D3DXMESH_32BIT : 0);
  Mesh* sphere = nullptr;
  HRESULT result =
      Mesh::Create(device, faceCount, vertexCount, options, D3DFVF_XYZ | D3DFVF_NORMAL, &sphere);
  if (FAILED(result)) return result;

  std::vector<D3DXVECTOR3> normals;
  normals.reserve(vertexCount);
  normals.push_back({0, 0, 1});
  for (DWORD ring = 0; ring < rings; ++ring) {
    float polar =
        std::numbers::pi_v<float> * static_cast<float>(ring + 1) / static_cast<float>(stacks);
    for (DWORD slice = 0; slice < slices; ++slice) {
      float around =
          2 * std::numbers::pi_v<float> * static_cast<float>(slice) / static_cast<float>(slices);
      normals.push_back({std::sin(polar) * std::cos(around), std::sin(polar) * std::sin(around),
                         std::cos(polar)});
    }
  }
  normals.push_back({0, 0, -1});
  const DWORD bottom = vertexCount - 1;
  auto ringVertex = [slices](DWORD ring, DWORD slice) {
    return 1 + ring * slices + slice % slices;
  };

  std::vector<DWORD> indices;
  indices.reserve(size_t{faceCount} * 3);
  // Each face is wound clockwise seen from outside, so its normal points away from the centre.
  auto face = [&](DWORD a, DWORD b, DWORD c) {
    D3DXVECTOR3 normal = FaceNormal(normals[a], normals[b], normals[c]);
    D3DXVECTOR3 centre = normals[a] + normals[b] + normals[c];
    if (D3DXVec3Dot(&normal, &centre) < 0) std::swap(b, c);
    indices.insert(indices.end(), {a, b, c});
  };
  // The top fan, the bands between rings from top to bottom, then the bottom fan.
  for (DWORD slice = 0; slice < slices; ++slice)
    face(0, ringVertex(0, slice), ringVertex(0, slice + 1));
  for (DWORD ring = 0; ring + 1 < rings; ++ring) {
    for (DWORD slice = 0; slice < slices; ++slice) {
      face(ringVertex(ring, slice), ringVertex(ring + 1, slice), ringVertex(ring, slice + 1));
      face(ringVertex(ring, slice + 1), ringVertex(ring + 1, slice),
           ringVertex(ring + 1, slice + 1));
    }
  }
  for (DWORD slice = 0; slice < slices; ++slice) {
    face(bottom, ringVertex(rings - 1, slice + 1), ringVertex(rings - 1, slice));
  }

  std::vector<BYTE> vertices(size_t{vertexCount} * sphere->Layout().size);
  for (DWORD v = 0; v < vertexCount; ++v) {
    BYTE* vertex = vertices.data() + size_t{v} * sphere->Layout().size;
    StoreVector(vertex, normals[v] * radius);
    StoreVector(vertex + *sphere->Layout().normal, normals[v]);
  }
  result = sphere->Fill(vertices, indices);
  if (SUCCEEDED(result) && adjacency != nullptr) {
    std::vector<DWORD> adjacent(indices.size());
    result = sphere->GenerateAdjacency(0, adjacent.data());
    if (SUCCEEDED(result)) *adjacency = BufferOf(adjacent);
  }
  if (FAILED(result)) {
    sphere->Release();
    return result;
  }
  *mesh = sphere;
  return D3D_OK;
}

HRESULT D3DXCleanMesh(ID3DXMesh* mesh, const DWORD* adjacencyIn, ID3DXMesh** cleaned,
                      DWORD* adjacencyOut, ID3DXBuffer** errors) {
  ComPtr<IDirect3DDevice8> device;
  if (mesh == nullptr || cleaned == nullptr || FAILED(mesh->GetDevice(device.Out())))
    return D3DERR_INVALIDCALL;
  ComPtr<ID3DXMesh> copy;
  HRESULT result = mesh->CloneMeshFVF(mesh->GetOptions(), mesh->GetFVF(), device.Get(), copy.Out());
  if (FAILED(result)) return result;
  if (adjacencyOut != nullptr) {
    if (adjacencyIn != nullptr) {
      std::copy(adjacencyIn, adjacencyIn + size_t{mesh->GetNumFaces()} * 3, adjacencyOut);
    } else {
      result = copy->GenerateAdjacency(0, adjacencyOut);
      if (FAILED(result)) return result;
    }
  }
  if (errors != nullptr) *errors = new Buffer(0);
  *cleaned = copy.Detach();
  return D3D_OK;
}

HRESULT D3DXComputeNormals(ID3DXBaseMesh* baseMesh, const DWORD* adjacency) {
  Mesh* mesh = OwnMesh(baseMesh);
  if (mesh == nullptr || !mesh->Layout().normal) return D3DERR_INVALIDCALL;
  auto vertices = mesh->ReadVertices();
  auto indices = mesh->ReadIndices();
  auto positions = mesh->ReadPositions();
  if (!vertices || !indices || !positions) return D3DXERR_INVALIDMESH;
  const size_t faces = indices->size() / 3;

  std::vector<DWORD> group(positions->size());
  std::iota(group.begin(), group.end(), 0u);
  if (adjacency != nullptr) {
    // Across each shared edge, vertices of the two faces at one position are one point.
    for (size_t f = 0; f < faces; ++f) {
      for (int e = 0; e < 3; ++e) {
        DWORD neighbour = adjacency[3 * f + e];
        if (neighbour >= faces) continue;
        for (int k : {e, (e + 1) % 3}) {
          DWORD v = (*indices)[3 * f + k];
          for (int j = 0; j < 3; ++j) {
            DWORD w = (*indices)[3 * neighbour + j];
            if ((*positions)[v] == (*positions)[w]) group[Root(group, v)] = Root(group, w);
          }
        }
      }
    }
  }
  std::vector<D3DXVECTOR3> sums(positions->size(), D3DXVECTOR3{});
  for (size_t f = 0; f < faces; ++f) {
    const DWORD* corner = &(*indices)[3 * f];
    D3DXVECTOR3 normal =
        FaceNormal((*positions)[corner[0]], (*positions)[corner[1]], (*positions)[corner[2]]);
    for (int k = 0; k < 3; ++k)
      sums[Root(group, corner[k])] = sums[Root(group, corner[k])] + normal;
  }
  const UINT stride = mesh->Layout().size;
  for (DWORD v = 0; v < positions->size(); ++v) {
    D3DXVECTOR3 normal;
    D3DXVec3Normalize(&normal, &sums[Root(group, v)]);
    StoreVector(vertices->data() + size_t{v} * stride + *mesh->Layout().normal, normal);
  }
  return mesh->WriteVertices(*vertices);
}

HRESULT D3DXIntersect(ID3DXBaseMesh* baseMesh, const D3DXVECTOR3* rayStart,
                      const D3DXVECTOR3* rayDirection, BOOL* hit, DWORD* faceIndex, float* u,
                      float* v, float* distance) {
  Mesh* mesh = OwnMesh(baseMesh);
  if (mesh == nullptr || rayStart == nullptr || rayDirection == nullptr || hit == nullptr) {
    return D3DERR_INVALIDCALL;
  }
  auto indices = mesh->ReadIndices();
  auto positions = mesh->ReadPositions();
  if (!indices || !positions) return D3DXERR_INVALIDMESH;
  *hit = 0;
  float nearest = 0;
  for (DWORD f = 0; f < indices->size() / 3; ++f) {
    const DWORD* corner = &(*indices)[3 * f];
    float hitU = 0, hitV = 0, along = 0;
    if (!D3DXIntersectTri(&(*positions)[corner[0]], &(*positions)[corner[1]],
                          &(*positions)[corner[2]], rayStart, rayDirection, &hitU, &hitV, &along)) {
      continue;
    }
    if (*hit && along >= nearest) continue;
    *hit = 1;
    nearest = along;
    if (faceIndex != nullptr) *faceIndex = f;
    if (u != nullptr) *u = hitU;
    if (v != nullptr) *v = hitV;
    if (distance != nullptr) *distance = along;
  }
  return D3D_OK;
}

namespace {

// The positions of vertices of a format, or nothing for an invalid call.
std::optional<std::vector<D3DXVECTOR3>> Positions(const void* vertices, DWORD count, DWORD fvf) {
  UINT stride = FvfVertexSize(fvf);
  if (vertices == nullptr || count == 0 || stride < 3 * kFloatBytes ||
      (fvf & D3DFVF_POSITION_MASK) == 0) {
    return std::nullopt;
  }
  std::vector<D3DXVECTOR3> positions(count);
  const auto* bytes = static_cast<const BYTE*>(vertices);
  for (DWORD i = 0; i < count; ++i) positions[i] = LoadVector(bytes + size_t{i} * stride);
  return positions;
}

}  // namespace

HRESULT D3DXComputeBoundingBox(const void* vertices, DWORD numVertices, DWORD fvf, D3DXVECTOR3* min,
                               D3DXVECTOR3* max) {
  auto positions = Positions(vertices, numVertices, fvf);
  if (!positions || min == nullptr || max == nullptr) return D3DERR_INVALIDCALL;
  D3DXVECTOR3 low = positions->front(), high = positions->front();
  for (const D3DXVECTOR3& p : *positions) {
    D3DXVec3Minimize(&low, &low, &p);
    D3DXVec3Maximize(&high, &high, &p);
  }
  *min = low;
  *max = high;
  return D3D_OK;
}

HRESULT D3DXComputeBoundingSphere(const void* vertices, DWORD numVertices, DWORD fvf,
                                  D3DXVECTOR3* center, float* radius) {
  auto positions = Positions(vertices, numVertices, fvf);
  if (!positions || center == nullptr || radius == nullptr) return D3DERR_INVALIDCALL;
  D3DXVECTOR3 sum{};
  for (const D3DXVECTOR3& p : *positions) sum = sum + p;
  D3DXVECTOR3 centroid = sum * (1.0f / static_cast<float>(positions->size()));
  float farthest = 0;
  for (const D3DXVECTOR3& p : *positions) {
    D3DXVECTOR3 offset = p - centroid;
    farthest = std::max(farthest, D3DXVec3Length(&offset));
  }
  *center = centroid;
  *radius = farthest;
  return D3D_OK;
}

}  // namespace d3dx
