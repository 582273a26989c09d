#include "platform/d3dx/x_file_d3dx.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <unordered_map>
#include <utility>

#include "platform/d3d/com_object.h"
#include "platform/d3d/format.h"
#include "platform/d3dx/com_ptr.h"
#include "platform/d3dx/x_file_mesh.h"
#include "platform/d3dx/x_file_reader.h"

namespace d3dx {
namespace {

using d3d::D3D_OK;
using d3d::D3DERR_INVALIDCALL;
using d3d::FAILED;

// Where the parts of one vertex lie in a flexible vertex format of ours: the position, blend
// weights, then normal, colour and one coordinate pair, each when the format has it.
struct VertexLayout {
  DWORD fvf = 0;
  UINT stride = 0;
  UINT weights = 0;
  int normal = -1;
  int diffuse = -1;
  int texcoord = -1;
};

VertexLayout LayoutOf(DWORD fvf) {
  VertexLayout layout;
  layout.fvf = fvf;
  DWORD position = fvf & d3d::D3DFVF_POSITION_MASK;
  layout.weights = position <= d3d::D3DFVF_XYZRHW ? 0 : (position - d3d::D3DFVF_XYZRHW) / 2;
  UINT offset = 12 + 4 * layout.weights;
  if (fvf & d3d::D3DFVF_NORMAL) {
    layout.normal = static_cast<int>(offset);
    offset += 12;
  }
  if (fvf & d3d::D3DFVF_DIFFUSE) {
    layout.diffuse = static_cast<int>(offset);
    offset += 4;
  }
  if ((fvf & d3d::D3DFVF_TEXCOUNT_MASK) != 0) layout.texcoord = static_cast<int>(offset);
  layout.stride = d3d::FvfVertexSize(fvf);
  return layout;
}

// The format of a mesh's vertices with the given number of blend weights.
DWORD FvfOf(const XMesh& mesh, UINT weights) {
  DWORD fvf = weights == 0 ? d3d::D3DFVF_XYZ : d3d::D3DFVF_XYZRHW + 2 * weights;
  if (!mesh.normals.empty()) fvf |= d3d::D3DFVF_NORMAL;
  if (!mesh.colors.empty()) fvf |= d3d::D3DFVF_DIFFUSE;
  if (!mesh.texcoords.empty()) fvf |= d3d::D3DFVF_TEX1;
  return fvf;
}

template <class T>
void Put(BYTE* vertex, int offset, const T& value) {
  if (offset >= 0) std::memcpy(vertex + offset, &value, sizeof value);
}

// Writes vertex `index` of the source; `weights` holds layout.weights values (or is null).
void WriteVertex(BYTE* vertex, const VertexLayout& layout, const XMesh& mesh, uint32_t index,
                 const float* weights) {
  Put(vertex, 0, mesh.positions[index]);
  if (weights != nullptr) std::memcpy(vertex + 12, weights, 4 * layout.weights);
  if (!mesh.normals.empty()) Put(vertex, layout.normal, mesh.normals[index]);
  if (!mesh.colors.empty()) Put(vertex, layout.diffuse, mesh.colors[index]);
  if (!mesh.texcoords.empty()) Put(vertex, layout.texcoord, mesh.texcoords[index]);
}

// Fills a new mesh whose vertex v is the source's vertex vertexSource[v] (with
// weights[v * layout.weights ...] when blended) and whose faces are given by indices/attributes.
HRESULT BuildMesh(const XMesh& source, DWORD options, DWORD fvf, IDirect3DDevice8* device,
                  const std::vector<uint32_t>& vertexSource, const std::vector<float>& weights,
                  const std::vector<uint32_t>& indices, const std::vector<uint32_t>& attributes,
                  ComPtr<ID3DXMesh>& mesh) {
  options &= kMeshOptionMask;
  if (vertexSource.size() > kMax16BitVertices) options |= D3DXMESH_32BIT;
  const auto faces = static_cast<DWORD>(indices.size() / 3);
  HRESULT result = D3DXCreateMeshFVF(faces, static_cast<DWORD>(vertexSource.size()), options, fvf,
                                     device, mesh.Out());
  if (FAILED(result)) return result;
  const VertexLayout layout = LayoutOf(fvf);
  BYTE* vertices = nullptr;
  if (FAILED(result = mesh->LockVertexBuffer(0, &vertices))) return result;
  for (size_t v = 0; v < vertexSource.size(); ++v) {
    WriteVertex(vertices + v * layout.stride, layout, source, vertexSource[v],
                weights.empty() ? nullptr : &weights[v * layout.weights]);
  }
  mesh->UnlockVertexBuffer();
  BYTE* indexBytes = nullptr;
  if (FAILED(result = mesh->LockIndexBuffer(0, &indexBytes))) return result;
  for (size_t i = 0; i < indices.size(); ++i) {
    if (options & D3DXMESH_32BIT) {
      reinterpret_cast<uint32_t*>(indexBytes)[i] = indices[i];
    } else {
      reinterpret_cast<uint16_t*>(indexBytes)[i] = static_cast<uint16_t>(indices[i]);
    }
  }
  mesh->UnlockIndexBuffer();
  DWORD* attributeOut = nullptr;
  if (FAILED(result = mesh->LockAttributeBuffer(0, &attributeOut))) return result;
  std::copy(attributes.begin(), attributes.end(), attributeOut);
  mesh->UnlockAttributeBuffer();
  // Faces come grouped already; sorting them builds the attribute table and moves nothing else.
  return mesh->OptimizeInplace(D3DXMESHOPT_ATTRSORT | D3DXMESHOPT_IGNOREVERTS, nullptr, nullptr,
                               nullptr, nullptr);
}

std::vector<uint32_t> Sequence(size_t count) {
  std::vector<uint32_t> sequence(count);
  for (size_t i = 0; i < count; ++i) sequence[i] = static_cast<uint32_t>(i);
  return sequence;
}

d3d::D3DCOLORVALUE Colour(const float* rgb, float alpha) { return {rgb[0], rgb[1], rgb[2], alpha}; }

HRESULT MakeMaterials(const std::vector<XMaterial>& materials, ID3DXBuffer** out) {
  size_t bytes = materials.size() * sizeof(D3DXMATERIAL);
  for (const XMaterial& material : materials) {
    if (!material.textureFilename.empty()) bytes += material.textureFilename.size() + 1;
  }
  ComPtr<ID3DXBuffer> buffer;
  HRESULT result = D3DXCreateBuffer(static_cast<DWORD>(bytes), buffer.Out());
  if (FAILED(result)) return result;
  auto* records = static_cast<D3DXMATERIAL*>(buffer->GetBufferPointer());
  char* names = reinterpret_cast<char*>(records + materials.size());
  for (size_t i = 0; i < materials.size(); ++i) {
    const XMaterial& material = materials[i];
    D3DXMATERIAL& record = records[i];
    record = {};
    record.MatD3D.Diffuse = Colour(material.diffuse.data(), material.diffuse[3]);
    record.MatD3D.Specular = Colour(material.specular.data(), 1);
    record.MatD3D.Emissive = Colour(material.emissive.data(), 1);
    record.MatD3D.Power = material.power;
    record.pTextureFilename = nullptr;
    if (!material.textureFilename.empty()) {
      record.pTextureFilename = names;
      std::memcpy(names, material.textureFilename.c_str(), material.textureFilename.size() + 1);
      names += material.textureFilename.size() + 1;
    }
  }
  *out = buffer.Detach();
  return D3D_OK;
}

HRESULT MakeAdjacency(ID3DXMesh* mesh, ID3DXBuffer** out) {
  ComPtr<ID3DXBuffer> buffer;
  HRESULT result = D3DXCreateBuffer(mesh->GetNumFaces() * 3 * sizeof(DWORD), buffer.Out());
  if (FAILED(result)) return result;
  result = mesh->GenerateAdjacency(0.0f, static_cast<DWORD*>(buffer->GetBufferPointer()));
  if (FAILED(result)) return result;
  *out = buffer.Detach();
  return D3D_OK;
}

// The mesh of the source as loaded, with the outputs every loader gives.
HRESULT DeliverMesh(const XMesh& source, DWORD options, IDirect3DDevice8* device,
                    ID3DXBuffer** adjacency, ID3DXBuffer** materials, DWORD* numMaterials,
                    ComPtr<ID3DXMesh>& mesh) {
  HRESULT result =
      BuildMesh(source, options, FvfOf(source, 0), device, Sequence(source.positions.size()), {},
                source.indices, source.attributes, mesh);
  if (FAILED(result)) return result;
  if (adjacency != nullptr && FAILED(result = MakeAdjacency(mesh.Get(), adjacency))) return result;
  if (materials != nullptr) {
    *materials = nullptr;
    if (!source.materials.empty() && FAILED(result = MakeMaterials(source.materials, materials))) {
      return result;
    }
  }
  if (numMaterials != nullptr) *numMaterials = static_cast<DWORD>(source.materials.size());
  return D3D_OK;
}

HRESULT Refuse(const XFileError& error, std::string* why) {
  if (why != nullptr) *why = error.what();
  return D3DXERR_INVALIDDATA;
}

// Per vertex, the bones that move it and how much.
using Influences = std::vector<std::vector<std::pair<uint32_t, float>>>;

Influences InfluencesOf(const XMesh& mesh) {
  Influences influences(mesh.positions.size());
  for (size_t bone = 0; bone < mesh.bones.size(); ++bone) {
    const XBoneWeights& weights = mesh.bones[bone];
    for (size_t k = 0; k < weights.vertices.size(); ++k) {
      if (weights.weights[k] > 0) {
        influences[weights.vertices[k]].emplace_back(static_cast<uint32_t>(bone),
                                                     weights.weights[k]);
      }
    }
  }
  return influences;
}

class SkinMesh final : public ID3DXSkinMesh {
 public:
  SkinMesh(XMesh source, ComPtr<ID3DXMesh> original)
      : source_(std::move(source)),
        original_(std::move(original)),
        influences_(InfluencesOf(source_)) {}

  HRESULT QueryInterface(const d3d::IID& iid, void** object) override {
    return d3d::AnswerQuery<ID3DXSkinMesh>(iid, object, this,
                                           {&d3d::IID_IUnknown, &IID_ID3DXSkinMesh});
  }
  d3d::ULONG AddRef() override { return ++references_; }
  d3d::ULONG Release() override {
    d3d::ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

  DWORD GetNumBones() override { return static_cast<DWORD>(source_.bones.size()); }

  HRESULT GetOriginalMesh(ID3DXMesh** mesh) override { return d3d::HandOut(original_.Get(), mesh); }

  HRESULT GetMaxVertexInfluences(DWORD* influences) override {
    if (influences == nullptr) return D3DERR_INVALIDCALL;
    size_t most = 0;
    for (const auto& vertex : influences_) most = std::max(most, vertex.size());
    *influences = static_cast<DWORD>(most);
    return D3D_OK;
  }

  HRESULT GetMaxFaceInfluences(DWORD* influences) override {
    if (influences == nullptr) return D3DERR_INVALIDCALL;
    size_t most = 0;
    for (size_t face = 0; face < source_.TriangleCount(); ++face) {
      most = std::max(most, FaceBones(face).size());
    }
    *influences = static_cast<DWORD>(most);
    return D3D_OK;
  }

  HRESULT ConvertToBlendedMesh(DWORD options, const DWORD* adjacencyIn, DWORD* adjacencyOut,
                               DWORD* numBoneCombinations, ID3DXBuffer** boneCombinationTable,
                               DWORD* faceRemap, ID3DXBuffer** vertexRemap,
                               ID3DXMesh** mesh) override;

  HRESULT GenerateSkinnedMesh(DWORD options, float minWeight, const DWORD* adjacencyIn,
                              DWORD* adjacencyOut, ID3DXMesh** mesh) override;

  HRESULT UpdateSkinnedMesh(const D3DXMATRIX* boneTransforms,
                            const D3DXMATRIX* boneInvTransposeTransforms,
                            ID3DXMesh* skinnedMesh) override;

 private:
  ~SkinMesh() = default;

  std::vector<uint32_t> FaceBones(size_t face) const {
    std::vector<uint32_t> bones;
    for (size_t corner = 0; corner < 3; ++corner) {
      for (const auto& [bone, weight] : influences_[source_.indices[3 * face + corner]]) {
        if (std::find(bones.begin(), bones.end(), bone) == bones.end()) bones.push_back(bone);
      }
    }
    return bones;
  }

  XMesh source_;
  ComPtr<ID3DXMesh> original_;
  Influences influences_;
  float minWeight_ = 0;
  d3d::ULONG references_ = 1;
};

struct BoneGroup {
  uint32_t attribute = 0;
  std::vector<uint32_t> bones;
  std::vector<uint32_t> faces;
};

HRESULT SkinMesh::ConvertToBlendedMesh(DWORD options, const DWORD*, DWORD* adjacencyOut,
                                       DWORD* numBoneCombinations,
                                       ID3DXBuffer** boneCombinationTable, DWORD* faceRemap,
                                       ID3DXBuffer** vertexRemap, ID3DXMesh** mesh) {
  if (mesh == nullptr) return D3DERR_INVALIDCALL;
  DWORD faceInfluences = 0;
  GetMaxFaceInfluences(&faceInfluences);
  if (faceInfluences > kMaxBlendMatrices) return D3DXERR_TOOMANYINFLUENCES;
  const size_t palette = std::max<DWORD>(faceInfluences, 1);

  // Faces by material in file order, cut into groups whose bones fit one palette.
  std::map<uint32_t, std::vector<uint32_t>> facesOfAttribute;
  for (size_t face = 0; face < source_.TriangleCount(); ++face) {
    facesOfAttribute[source_.attributes[face]].push_back(static_cast<uint32_t>(face));
  }
  std::vector<BoneGroup> groups;
  for (const auto& [attribute, faces] : facesOfAttribute) {
    groups.push_back({attribute, {}, {}});
    for (uint32_t face : faces) {
      std::vector<uint32_t> joined = groups.back().bones;
      for (uint32_t bone : FaceBones(face)) {
        if (std::find(joined.begin(), joined.end(), bone) == joined.end()) joined.push_back(bone);
      }
      if (joined.size() > palette) {
        groups.push_back({attribute, FaceBones(face), {}});
      } else {
        groups.back().bones = std::move(joined);
      }
      groups.back().faces.push_back(face);
    }
  }

  // Each group gets its own copies of its vertices, weighted for its palette.
  const UINT weightCount = static_cast<UINT>(palette - 1);
  std::vector<uint32_t> vertexSource, indices, attributes, newFaceSource;
  std::vector<float> weights;
  std::vector<std::pair<DWORD, DWORD>> vertexRanges;
  for (size_t g = 0; g < groups.size(); ++g) {
    const BoneGroup& group = groups[g];
    const auto firstVertex = static_cast<DWORD>(vertexSource.size());
    std::unordered_map<uint32_t, uint32_t> copyOf;
    for (uint32_t face : group.faces) {
      for (size_t corner = 0; corner < 3; ++corner) {
        uint32_t vertex = source_.indices[3 * face + corner];
        auto [copy, added] = copyOf.try_emplace(vertex, static_cast<uint32_t>(vertexSource.size()));
        if (added) {
          vertexSource.push_back(vertex);
          for (UINT slot = 0; slot < weightCount; ++slot) {
            float weight = 0;
            for (const auto& [bone, value] : influences_[vertex]) {
              if (slot < group.bones.size() && bone == group.bones[slot]) weight = value;
            }
            weights.push_back(weight);
          }
        }
        indices.push_back(copy->second);
      }
      attributes.push_back(static_cast<uint32_t>(g));
      newFaceSource.push_back(face);
    }
    vertexRanges.emplace_back(firstVertex, static_cast<DWORD>(vertexSource.size()) - firstVertex);
  }

  ComPtr<IDirect3DDevice8> device;
  original_->GetDevice(device.Out());
  ComPtr<ID3DXMesh> blended;
  HRESULT result = BuildMesh(source_, options, FvfOf(source_, weightCount), device.Get(),
                             vertexSource, weights, indices, attributes, blended);
  if (FAILED(result)) return result;
  if (adjacencyOut != nullptr && FAILED(result = blended->GenerateAdjacency(0.0f, adjacencyOut))) {
    return result;
  }
  if (faceRemap != nullptr) std::copy(newFaceSource.begin(), newFaceSource.end(), faceRemap);
  if (vertexRemap != nullptr) {
    if (FAILED(result = D3DXCreateBuffer(static_cast<DWORD>(vertexSource.size() * sizeof(DWORD)),
                                         vertexRemap))) {
      return result;
    }
    std::copy(vertexSource.begin(), vertexSource.end(),
              static_cast<DWORD*>((*vertexRemap)->GetBufferPointer()));
  }
  if (boneCombinationTable != nullptr) {
    const size_t bytes = groups.size() * (sizeof(D3DXBONECOMBINATION) + palette * sizeof(DWORD));
    if (FAILED(result = D3DXCreateBuffer(static_cast<DWORD>(bytes), boneCombinationTable))) {
      return result;
    }
    auto* table = static_cast<D3DXBONECOMBINATION*>((*boneCombinationTable)->GetBufferPointer());
    auto* boneIds = reinterpret_cast<DWORD*>(table + groups.size());
    DWORD firstFace = 0;
    for (size_t g = 0; g < groups.size(); ++g) {
      const auto faceCount = static_cast<DWORD>(groups[g].faces.size());
      table[g] = {
          groups[g].attribute,  firstFace, faceCount, vertexRanges[g].first, vertexRanges[g].second,
          boneIds + g * palette};
      for (size_t slot = 0; slot < palette; ++slot) {
        table[g].BoneId[slot] = slot < groups[g].bones.size() ? groups[g].bones[slot] : kUnusedBone;
      }
      firstFace += faceCount;
    }
  }
  if (numBoneCombinations != nullptr) *numBoneCombinations = static_cast<DWORD>(groups.size());
  *mesh = blended.Detach();
  return D3D_OK;
}

HRESULT SkinMesh::GenerateSkinnedMesh(DWORD options, float minWeight, const DWORD* adjacencyIn,
                                      DWORD* adjacencyOut, ID3DXMesh** mesh) {
  if (mesh == nullptr) return D3DERR_INVALIDCALL;
  minWeight_ = minWeight;
  ComPtr<IDirect3DDevice8> device;
  original_->GetDevice(device.Out());
  ComPtr<ID3DXMesh> skinned;
  HRESULT result = BuildMesh(source_, options, FvfOf(source_, 0), device.Get(),
                             Sequence(source_.positions.size()), {}, source_.indices,
                             source_.attributes, skinned);
  if (FAILED(result)) return result;
  if (adjacencyOut != nullptr) {
    if (adjacencyIn != nullptr) {
      std::copy(adjacencyIn, adjacencyIn + 3 * skinned->GetNumFaces(), adjacencyOut);
    } else if (FAILED(result = skinned->GenerateAdjacency(0.0f, adjacencyOut))) {
      return result;
    }
  }
  *mesh = skinned.Detach();
  return D3D_OK;
}

HRESULT SkinMesh::UpdateSkinnedMesh(const D3DXMATRIX* boneTransforms,
                                    const D3DXMATRIX* boneInvTransposeTransforms,
                                    ID3DXMesh* skinnedMesh) {
  if (boneTransforms == nullptr || skinnedMesh == nullptr ||
      skinnedMesh->GetNumVertices() != source_.positions.size()) {
    return D3DERR_INVALIDCALL;
  }
  const VertexLayout layout = LayoutOf(skinnedMesh->GetFVF());
  if (layout.weights != 0) return D3DERR_INVALIDCALL;
  const D3DXMATRIX* normalTransforms =
      boneInvTransposeTransforms != nullptr ? boneInvTransposeTransforms : boneTransforms;
  BYTE* vertices = nullptr;
  HRESULT result = skinnedMesh->LockVertexBuffer(0, &vertices);
  if (FAILED(result)) return result;
  for (size_t v = 0; v < source_.positions.size(); ++v) {
    D3DXVECTOR3 position = source_.positions[v];
    D3DXVECTOR3 normal = source_.normals.empty() ? D3DXVECTOR3{} : source_.normals[v];
    bool moved = false;
    D3DXVECTOR3 skinnedPosition{}, skinnedNormal{};
    for (const auto& [bone, weight] : influences_[v]) {
      if (weight < minWeight_) continue;
      D3DXVECTOR3 p, n;
      D3DXVec3TransformCoord(&p, &source_.positions[v], &boneTransforms[bone]);
      skinnedPosition = skinnedPosition + p * weight;
      if (!source_.normals.empty()) {
        D3DXVec3TransformNormal(&n, &source_.normals[v], &normalTransforms[bone]);
        skinnedNormal = skinnedNormal + n * weight;
      }
      moved = true;
    }
    if (moved) {
      position = skinnedPosition;
      if (!source_.normals.empty()) D3DXVec3Normalize(&normal, &skinnedNormal);
    }
    BYTE* vertex = vertices + v * layout.stride;
    Put(vertex, 0, position);
    if (!source_.normals.empty()) Put(vertex, layout.normal, normal);
  }
  skinnedMesh->UnlockVertexBuffer();
  return D3D_OK;
}

}  // namespace

HRESULT D3DXLoadMeshFromX(const char* filename, DWORD options, IDirect3DDevice8* device,
                          ID3DXBuffer** adjacency, ID3DXBuffer** materials, DWORD* numMaterials,
                          ID3DXMesh** mesh, std::string* why) {
  if (filename == nullptr || device == nullptr || mesh == nullptr) return D3DERR_INVALIDCALL;
  XMesh merged;
  try {
    merged = MergeXMeshes(LoadXModel(ReadXFile(std::filesystem::path(filename))).root);
  } catch (const XFileError& error) {
    return Refuse(error, why);
  }
  if (merged.indices.empty()) return D3DXERR_LOADEDMESHASNODATA;
  ComPtr<ID3DXMesh> loaded;
  HRESULT result = DeliverMesh(merged, options, device, adjacency, materials, numMaterials, loaded);
  if (FAILED(result)) return result;
  *mesh = loaded.Detach();
  return D3D_OK;
}

HRESULT D3DXLoadSkinMeshFromXof(const XDataObject& meshObject, DWORD options,
                                IDirect3DDevice8* device, ID3DXBuffer** adjacency,
                                ID3DXBuffer** materials, DWORD* numMaterials,
                                ID3DXBuffer** boneNames, ID3DXBuffer** boneTransforms,
                                ID3DXSkinMesh** skinMesh, std::string* why) {
  if (device == nullptr || skinMesh == nullptr) return D3DERR_INVALIDCALL;
  *skinMesh = nullptr;
  XMesh source;
  try {
    source = LoadXMesh(meshObject);
  } catch (const XFileError& error) {
    return Refuse(error, why);
  }
  if (source.indices.empty()) return D3DXERR_LOADEDMESHASNODATA;
  ComPtr<ID3DXMesh> original;
  HRESULT result =
      DeliverMesh(source, options, device, adjacency, materials, numMaterials, original);
  if (FAILED(result)) return result;

  const size_t bones = source.bones.size();
  if (boneNames != nullptr) {
    *boneNames = nullptr;
    size_t bytes = bones * sizeof(char*);
    for (const XBoneWeights& bone : source.bones) bytes += bone.boneName.size() + 1;
    if (bones > 0 && FAILED(result = D3DXCreateBuffer(static_cast<DWORD>(bytes), boneNames))) {
      return result;
    }
    if (bones > 0) {
      auto* names = static_cast<char**>((*boneNames)->GetBufferPointer());
      char* text = reinterpret_cast<char*>(names + bones);
      for (size_t b = 0; b < bones; ++b) {
        names[b] = text;
        std::memcpy(text, source.bones[b].boneName.c_str(), source.bones[b].boneName.size() + 1);
        text += source.bones[b].boneName.size() + 1;
      }
    }
  }
  if (boneTransforms != nullptr) {
    *boneTransforms = nullptr;
    if (bones > 0 && FAILED(result = D3DXCreateBuffer(
                                static_cast<DWORD>(bones * sizeof(D3DXMATRIX)), boneTransforms))) {
      return result;
    }
    for (size_t b = 0; b < bones; ++b) {
      static_cast<D3DXMATRIX*>((*boneTransforms)->GetBufferPointer())[b] = source.bones[b].offset;
    }
  }
  *skinMesh = new SkinMesh(std::move(source), std::move(original));
  return D3D_OK;
}

}  // namespace d3dx
