#include "library/core/actors/skinned_models.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "library/core/actors/actor_resources.h"
#include "library/core/frame/file_paths.h"
#include "library/core/frame/frame_state.h"
#include "library/core/render/material_factory.h"
#include "library/core/render/texture_factory.h"
#include "platform/d3dx/x_file_reader.h"
#include "platform/win/byte_reader.h"

using namespace d3d;
using d3dx::ComPtr;
using d3dx::D3DXMATRIX;
using d3dx::D3DXQUATERNION;
using d3dx::D3DXVECTOR3;

std::vector<SkinnedModelRecord> SkinnedEntityTable;

namespace {

constexpr size_t kMaxXFileBytes = 64 << 20;
constexpr DWORD kPlainFormat = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;
constexpr DWORD kOptimise =
    d3dx::D3DXMESHOPT_COMPACT | d3dx::D3DXMESHOPT_ATTRSORT | d3dx::D3DXMESHOPT_VERTEXCACHE;
constexpr int32_t kRotationKeys = 0, kScaleKeys = 1, kPositionKeys = 2, kMatrixKeys = 4;
constexpr DWORD kSphereMapStage = 1;

const D3DXMATRIX& IdentityMatrix() {
  static const D3DXMATRIX identity = [] {
    D3DXMATRIX m;
    d3dx::D3DXMatrixIdentity(&m);
    return m;
  }();
  return identity;
}

const d3dx::XTemplateSet& Templates() {
  static const d3dx::XTemplateSet set = [] {
    d3dx::XTemplateSet templates = d3dx::StandardXTemplates();
    d3dx::RegisterXTemplates(d3dx::kXProgressiveMeshTemplates, templates);
    return templates;
  }();
  return set;
}

std::optional<d3dx::XFileDocument> ReadDocument(const char* path) {
  auto bytes = win::ReadFileBytes(HostPath(path), kMaxXFileBytes);
  if (!bytes) return std::nullopt;
  try {
    return d3dx::ReadXFile(std::span<const uint8_t>(*bytes), Templates());
  } catch (const d3dx::XFileError& error) {
    AddLog("SKINNED X FILE MANAGER : %s couldn't be read : %s", path, error.what());
    return std::nullopt;
  }
}

bool Is(const d3dx::XDataObject& object, const char* name) {
  return !d3dx::XNameLess()(object.templateName, name) &&
         !d3dx::XNameLess()(name, object.templateName);
}

SkinFrame* FindFrame(SkinnedModelRecord& model, const std::string& name) {
  for (auto& frame : model.frames)
    if (frame->name == name) return frame.get();
  return nullptr;
}

D3DXMATRIX MatrixOf(d3dx::XDataCursor& cursor) {
  D3DXMATRIX m;
  for (auto& row : m.m)
    for (float& value : row) value = cursor.Float("matrix");
  return m;
}

int32_t LoadTexture(const SkinnedModelRecord& model, const char* name) {
  const DWORD key = AutoTransColor.enabled != 0 ? AutoTransColor.color : 0;
  int32_t texture = 0;
  if (File_Exists(name))
    texture =
        TextureFactory_LoadTextureFromFile(name, name, -1, -1, static_cast<int32_t>(key), 0, 0);
  if (texture != 0) return texture;
  char directory[kPathBufferSize] = "";
  Path_GetDirectory(model.path.c_str(), directory);
  const std::string beside = std::string(directory) + name;
  if (File_Exists(beside.c_str()))
    texture = TextureFactory_LoadTextureFromFile(beside.c_str(), name, -1, -1,
                                                 static_cast<int32_t>(key), 0, 0);
  if (texture != 0)
    AddLog("X FILE MANAGER : Texture found in %s", beside.c_str());
  else
    AddLog("X FILE MANAGER : Texture not found %s at all. Skipping texture loading", name);
  return texture;
}

void LoadMaterials(SkinnedModelRecord& model, MeshContainer& container, d3dx::ID3DXBuffer* buffer,
                   DWORD count) {
  if (buffer != nullptr && count > 0) {
    const auto* materials = static_cast<const d3dx::D3DXMATERIAL*>(buffer->GetBufferPointer());
    for (DWORD m = 0; m < count; ++m) {
      AttributeMaterial record{};
      record.material = MaterialFactory_CreateMaterial("");
      MaterialFactory_SetMaterialInfo(record.material, &materials[m].MatD3D);
      const char* texture = materials[m].pTextureFilename;
      if (texture != nullptr && texture[0] != '\0' && model.loadTextures != 0)
        record.texture = LoadTexture(model, texture);
      container.materials.push_back(record);
    }
  } else {
    container.materials.push_back(AttributeMaterial{});
  }
}

void GenerateSoftwareMesh(MeshContainer& container) {
  container.method = kSkinMethodSoftware;
  std::vector<DWORD> adjacency(container.adjacency.size());
  if (FAILED(container.skin->GenerateSkinnedMesh(d3dx::D3DXMESH_WRITEONLY, 0.0f,
                                                 container.adjacency.data(), adjacency.data(),
                                                 container.mesh.Out())))
    return;
  DWORD count = 0;
  container.mesh->GetAttributeTable(nullptr, &count);
  container.attributes.resize(count);
  container.mesh->GetAttributeTable(container.attributes.data(), &count);
  container.skin->GetMaxFaceInfluences(&container.maxFaceInfluences);
}

const DWORD* BoneSlots(const MeshContainer& container, DWORD group) {
  return static_cast<const d3dx::D3DXBONECOMBINATION*>(
             container.combinations->GetBufferPointer())[group]
      .BoneId;
}

// The highest bone slot a group uses, or -1 for none.
int32_t HighestSlot(const MeshContainer& container, DWORD group) {
  const DWORD* slots = BoneSlots(container, group);
  int32_t highest = -1;
  for (DWORD k = 0; k < container.blendMatrices; ++k)
    if (slots[k] != d3dx::kUnusedBone) highest = static_cast<int32_t>(k);
  return highest;
}

void GenerateBlendedMesh(MeshContainer& container) {
  D3DCAPS8 caps{};
  CurrentDevice->GetDeviceCaps(&caps);
  std::vector<DWORD> adjacency(container.adjacency.size());
  const DWORD options = d3dx::D3DXMESH_MANAGED | d3dx::D3DXMESH_WRITEONLY | kOptimise;
  const HRESULT result = container.skin->ConvertToBlendedMesh(
      options, container.adjacency.data(), adjacency.data(), &container.groupCount,
      container.combinations.Out(), nullptr, nullptr, container.mesh.Out());
  if (result == d3dx::D3DXERR_TOOMANYINFLUENCES || FAILED(result)) {
    if (result == d3dx::D3DXERR_TOOMANYINFLUENCES)
      AddLog(
          "X FILE MANAGER : Can't use this skinned mesh in hardware mode. The hardware doesn't "
          "support more than 2 bones/vertex. Switching to software.");
    container.combinations.Reset();
    container.groupCount = 0;
    GenerateSoftwareMesh(container);
    return;
  }
  container.method = kSkinMethodBlended;
  switch (container.mesh->GetFVF() & D3DFVF_POSITION_MASK) {
    case D3DFVF_XYZB1:
      container.blendMatrices = 2;
      break;
    case D3DFVF_XYZB2:
      container.blendMatrices = 3;
      break;
    case D3DFVF_XYZB3:
      container.blendMatrices = 4;
      break;
    default:
      container.blendMatrices = 1;
      break;
  }
  // Groups whose palette the device cannot blend are drawn with software vertex processing.
  container.firstSoftwareGroup = container.groupCount;
  for (DWORD g = 0; g < container.groupCount; ++g) {
    if (HighestSlot(container, g) + 1 > static_cast<int32_t>(caps.MaxVertexBlendMatrices)) {
      container.firstSoftwareGroup = g;
      break;
    }
  }
  if (container.firstSoftwareGroup < container.groupCount) {
    ComPtr<d3dx::ID3DXMesh> clone;
    if (SUCCEEDED(container.mesh->CloneMeshFVF(
            container.mesh->GetOptions() | d3dx::D3DXMESH_SOFTWAREPROCESSING,
            container.mesh->GetFVF(), CurrentDevice, clone.Out())))
      container.mesh = std::move(clone);
  }
}

// A mesh without bones: normals computed, optimised, and kept managed for drawing.
bool PrepareStaticMesh(MeshContainer& container) {
  ComPtr<d3dx::ID3DXMesh> original, system;
  container.skin->GetOriginalMesh(original.Out());
  container.skin.Reset();
  HRESULT result =
      original->CloneMeshFVF(d3dx::D3DXMESH_SYSTEMMEM, kPlainFormat, CurrentDevice, system.Out());
  if (FAILED(result)) {
    AddLog("SKINNED X FILE MANAGER : Couldn't clone the mesh ! hr : %d", result);
    return false;
  }
  if (FAILED(d3dx::D3DXComputeNormals(system.Get(), container.adjacency.data())) &&
      FAILED(result = d3dx::D3DXComputeNormals(system.Get(), nullptr)))
    AddLog("SKINNED X FILE MANAGER : Couldn't compute normals of the mesh ! hr : %d", result);
  std::vector<DWORD> adjacency(container.adjacency.size());
  if (SUCCEEDED(system->OptimizeInplace(kOptimise, container.adjacency.data(), adjacency.data(),
                                        nullptr, nullptr)))
    container.adjacency = std::move(adjacency);
  if (FAILED(result = system->CloneMeshFVF(d3dx::D3DXMESH_MANAGED | d3dx::D3DXMESH_WRITEONLY,
                                           kPlainFormat, CurrentDevice, container.mesh.Out()))) {
    AddLog("SKINNED X FILE MANAGER : Couldn't clone the mesh ! hr : %d", result);
    return false;
  }
  container.groupCount = static_cast<DWORD>(container.materials.size());
  return true;
}

void LoadMesh(SkinnedModelRecord& model, const d3dx::XDataObject& object, SkinFrame& frame) {
  auto container = std::make_unique<MeshContainer>();
  container->name = object.name;
  ComPtr<d3dx::ID3DXBuffer> adjacency, materials, boneNames, boneOffsets;
  DWORD materialCount = 0;
  std::string why;
  const HRESULT result = d3dx::D3DXLoadSkinMeshFromXof(
      object, d3dx::D3DXMESH_SYSTEMMEM, CurrentDevice, adjacency.Out(), materials.Out(),
      &materialCount, boneNames.Out(), boneOffsets.Out(), container->skin.Out(), &why);
  if (result == d3dx::D3DXERR_LOADEDMESHASNODATA) return;
  if (FAILED(result)) {
    AddLog("SKINNED X FILE MANAGER : Mesh %s couldn't be loaded : %s", object.name.c_str(),
           why.c_str());
    return;
  }
  const auto* words = static_cast<const DWORD*>(adjacency->GetBufferPointer());
  container->adjacency.assign(words, words + adjacency->GetBufferSize() / sizeof(DWORD));
  LoadMaterials(model, *container, materials.Get(), materialCount);
  const DWORD bones = container->skin->GetNumBones();
  if (bones > 0) {
    const auto* names = static_cast<char* const*>(boneNames->GetBufferPointer());
    const auto* offsets = static_cast<const D3DXMATRIX*>(boneOffsets->GetBufferPointer());
    container->boneNames.assign(names, names + bones);
    container->boneOffsets.assign(offsets, offsets + bones);
    container->boneFrames.assign(bones, &IdentityMatrix());
    container->scratch.resize(bones);
    GenerateBlendedMesh(*container);
    if (!container->mesh) return;
  } else if (!PrepareStaticMesh(*container)) {
    return;
  }
  for (AttributeMaterial& material : container->materials) {
    material.position = static_cast<int32_t>(model.materialList.size());
    model.materialList.push_back(&material);
  }
  frame.containers.push_back(container.get());
  model.containers.push_back(std::move(container));
}

// The keys of one AnimationKey object; false when its type is unknown or its data runs short.
bool LoadKeys(AnimationTrack& track, const d3dx::XDataObject& object) {
  try {
    d3dx::XDataCursor cursor(object);
    const uint32_t type = cursor.Dword("keyType");
    const uint32_t count = cursor.Dword("nKeys");
    for (uint32_t k = 0; k < count; ++k) {
      const auto time = static_cast<int32_t>(cursor.Dword("time"));
      const uint32_t values = cursor.Dword("nValues");
      std::vector<float> read(values);
      for (float& value : read) value = cursor.Float("value");
      const size_t wanted = type == kRotationKeys   ? 4
                            : type == kMatrixKeys   ? 16
                            : type <= kPositionKeys ? 3
                                                    : 0;
      if (wanted == 0 || read.size() < wanted) return false;
      if (type == kRotationKeys) {
        track.rotations.push_back({time, {read[1], read[2], read[3], read[0]}});
      } else if (type == kMatrixKeys) {
        MatrixKey key{time, {}};
        std::memcpy(key.value.m, read.data(), sizeof key.value.m);
        track.matrices.push_back(key);
      } else {
        (type == kScaleKeys ? track.scales : track.positions)
            .push_back({time, {{read[0], read[1], read[2]}}});
      }
    }
  } catch (const d3dx::XFileError&) {
    return false;
  }
  return true;
}

void LoadAnimation(SkinnedModelRecord& model, const d3dx::XDataObject& object,
                   AnimationSetRecord& set) {
  AnimationTrack& track = set.tracks.emplace_back();
  for (const d3dx::XDataObject& child : object.children) {
    if (child.isReference) {
      if (Is(child.Resolved(), "Frame")) track.frame = FindFrame(model, child.Resolved().name);
    } else if (Is(child, "AnimationKey") && !LoadKeys(track, child)) {
      return;
    }
  }
}

void LoadFrame(SkinnedModelRecord& model, const d3dx::XDataObject& object, SkinFrame& parent) {
  if (object.isReference) return;
  if (Is(object, "Mesh")) {
    LoadMesh(model, object, parent);
  } else if (Is(object, "FrameTransformMatrix")) {
    try {
      d3dx::XDataCursor cursor(object);
      parent.local = parent.combined = parent.loaded = MatrixOf(cursor);
    } catch (const d3dx::XFileError&) {
    }
  } else if (Is(object, "AnimationSet")) {
    AnimationSetRecord& set = model.sets.emplace_back();
    set.name = object.name;
    for (const d3dx::XDataObject& child : object.children)
      if (!child.isReference && Is(child, "Animation")) LoadAnimation(model, child, set);
  } else if (Is(object, "Frame")) {
    auto frame = std::make_unique<SkinFrame>();
    frame->local = frame->combined = frame->loaded = IdentityMatrix();
    const size_t position = model.frames.size();
    frame->name = object.name.empty() ? "Frame" + std::to_string(position) : object.name;
    frame->index = static_cast<int32_t>(position + 1);
    frame->parent = &parent;
    SkinFrame& made = *frame;
    parent.children.push_back(frame.get());
    model.frames.push_back(std::move(frame));
    for (const d3dx::XDataObject& child : object.children) LoadFrame(model, child, made);
  }
}

void LinkBones(SkinnedModelRecord& model) {
  for (auto& container : model.containers) {
    for (size_t b = 0; b < container->boneNames.size(); ++b) {
      const SkinFrame* frame = FindFrame(model, container->boneNames[b]);
      if (frame == nullptr)
        AddLog("SKINNED X FILE MANAGER : Bone %s names no frame", container->boneNames[b].c_str());
      container->boneFrames[b] = frame != nullptr ? &frame->combined : &IdentityMatrix();
    }
  }
}

void ComputeSetLengths(SkinnedModelRecord& model) {
  for (AnimationSetRecord& set : model.sets) {
    set.length = 0;
    auto widen = [&](const auto& keys) {
      if (!keys.empty()) set.length = std::max(set.length, keys.back().time);
    };
    for (const AnimationTrack& track : set.tracks) {
      widen(track.positions);
      widen(track.rotations);
      widen(track.scales);
      widen(track.matrices);
    }
  }
}

void ComputeBounds(SkinnedModelRecord& model) {
  D3DXVECTOR3 low{{1e9f, 1e9f, 1e9f}}, high{{-1e9f, -1e9f, -1e9f}}, sum{};
  std::vector<D3DXVECTOR3> counted;
  const auto walk = [&](auto& self, SkinFrame& frame, const D3DXMATRIX& parent) -> void {
    frame.combined = frame.local * parent;
    for (MeshContainer* container : frame.containers) {
      BYTE* data = nullptr;
      if (FAILED(container->mesh->LockVertexBuffer(D3DLOCK_READONLY, &data))) continue;
      const DWORD stride = container->mesh->GetNumBytesPerVertex();
      for (DWORD v = 0; v < container->mesh->GetNumVertices(); ++v) {
        D3DXVECTOR3 p;
        std::memcpy(&p, data + v * stride, sizeof(float) * 3);
        if (p.x == 0.0f && p.y == 0.0f && p.z == 0.0f) continue;
        d3dx::D3DXVec3TransformCoord(&p, &p, &frame.combined);
        counted.push_back(p);
        sum = sum + p;
        low = {{std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z)}};
        high = {{std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z)}};
      }
      container->mesh->UnlockVertexBuffer();
    }
    for (SkinFrame* child : frame.children) self(self, *child, frame.combined);
  };
  walk(walk, *model.root, IdentityMatrix());
  model.bounds = ModelBounds{};
  if (counted.empty()) return;
  model.bounds.min = low;
  model.bounds.max = high;
  model.bounds.centre = sum * (1.0f / static_cast<float>(counted.size()));
  float largest = 0.0f;
  for (const D3DXVECTOR3& p : counted) {
    const D3DXVECTOR3 d = p - model.bounds.centre;
    largest = std::max(largest, d3dx::D3DXVec3LengthSq(&d));
  }
  model.bounds.radius = std::sqrt(largest);
}

void BuildMaterialArray(SkinnedModelRecord& model) {
  model.materials.clear();
  for (const AttributeMaterial* material : model.materialList) {
    AttributeMaterial copy = *material;
    if (model.loadTextures == 0) copy.texture = 0;
    model.materials.push_back(copy);
  }
}

template <class T>
T Lerp(const T& a, const T& b, float f) {
  return a + (b - a) * f;
}

D3DXMATRIX Translation(const D3DVECTOR& v) {
  D3DXMATRIX m;
  d3dx::D3DXMatrixTranslation(&m, v.x, v.y, v.z);
  return m;
}

void AnimateTrack(float time, SkinnedModelRecord& model, const AnimationTrack& track,
                  float length) {
  SkinFrame& frame = *track.frame;
  float t = length > 0.0f ? std::fmod(time, length) : 0.0f;
  if (!std::isfinite(t)) t = 0.0f;
  const auto v = static_cast<int32_t>(t);
  auto fraction = [&](const auto& keys, const KeyPair& pair) {
    const float low = static_cast<float>(keys[pair.lower].time);
    const float high = static_cast<float>(keys[pair.upper].time);
    return high == low ? 0.0f : (t - low) / (high - low);
  };
  if (!track.matrices.empty()) {
    const KeyPair pair = SkinnedMesh_FindKeys(track.matrices, v);
    frame.local =
        track.matrices[fraction(track.matrices, pair) <= 0.5f ? pair.lower : pair.upper].value;
  } else {
    D3DXMATRIX m = IdentityMatrix();
    bool applied = false;
    if (!track.scales.empty()) {
      const KeyPair pair = SkinnedMesh_FindKeys(track.scales, v);
      const D3DXVECTOR3 s = Lerp(track.scales[pair.lower].value, track.scales[pair.upper].value,
                                 fraction(track.scales, pair));
      D3DXMATRIX scaling;
      d3dx::D3DXMatrixScaling(&scaling, s.x, s.y, s.z);
      m = m * scaling;
      applied = true;
    }
    if (!track.rotations.empty()) {
      const auto& keys = track.rotations;
      const KeyPair pair = SkinnedMesh_FindKeys(keys, v);
      const size_t n = keys.size();
      const D3DXQUATERNION& q0 = keys[(pair.lower + n - 1) % n].value;
      const D3DXQUATERNION& q3 = keys[(pair.upper + 1) % n].value;
      D3DXQUATERNION a, b, c, q;
      d3dx::D3DXQuaternionSquadSetup(&a, &b, &c, &q0, &keys[pair.lower].value,
                                     &keys[pair.upper].value, &q3);
      d3dx::D3DXQuaternionSquad(&q, &keys[pair.lower].value, &a, &b, &c, fraction(keys, pair));
      q.w = -q.w;
      D3DXMATRIX rotation;
      d3dx::D3DXMatrixRotationQuaternion(&rotation, &q);
      m = m * rotation;
      applied = true;
    }
    if (!track.positions.empty()) {
      const KeyPair pair = SkinnedMesh_FindKeys(track.positions, v);
      m = m * Translation(Lerp(track.positions[pair.lower].value, track.positions[pair.upper].value,
                               fraction(track.positions, pair)));
      applied = true;
    }
    if (applied) frame.local = m;
  }
  const EntityRecord* entity = EntityAt(model.currentEntity);
  const auto slot = static_cast<size_t>(frame.index - 1);
  if (entity == nullptr || slot >= entity->boneOverrides.size()) return;
  const BoneOverride& override = entity->boneOverrides[slot];
  if (override.enabled != 0)
    frame.local = override.combine == 1 ? override.matrix * frame.local : override.matrix;
  if (override.translate != 0) frame.local = Translation(override.translation) * frame.local;
}

// Binds a group's material and texture, and its sphere map on stage 1; true when one was bound.
bool Bind(const AttributeMaterial& group) {
  if (const D3DMATERIAL8* material = ActorMaterial(group.material))
    CurrentDevice->SetMaterial(material);
  CurrentDevice->SetTexture(0, ActorTexture(group.texture));
  if (group.sphereMap == 0) return false;
  D3DXMATRIX transform = IdentityMatrix();
  transform.m[0][0] = 0.5f;
  transform.m[1][1] = -0.5f;
  transform.m[2][0] = 0.5f;
  transform.m[2][1] = 0.5f;
  CurrentDevice->SetTexture(kSphereMapStage, ActorTexture(group.sphereMap));
  CurrentDevice->SetTransform(D3DTS_TEXTURE1, &transform);
  CurrentDevice->SetTextureStageState(kSphereMapStage, D3DTSS_TEXTURETRANSFORMFLAGS,
                                      D3DTTFF_COUNT2);
  CurrentDevice->SetTextureStageState(kSphereMapStage, D3DTSS_TEXCOORDINDEX,
                                      D3DTSS_TCI_CAMERASPACENORMAL);
  CurrentDevice->SetRenderState(D3DRS_NORMALIZENORMALS, 1);
  CurrentDevice->SetRenderState(D3DRS_LOCALVIEWER, 1);
  CurrentDevice->SetTextureStageState(kSphereMapStage, D3DTSS_COLOROP, D3DTOP_ADD);
  CurrentDevice->SetTextureStageState(kSphereMapStage, D3DTSS_COLORARG1, D3DTA_CURRENT);
  CurrentDevice->SetTextureStageState(kSphereMapStage, D3DTSS_COLORARG2, D3DTA_TEXTURE);
  CurrentDevice->SetTextureStageState(kSphereMapStage, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
  CurrentDevice->SetTextureStageState(kSphereMapStage, D3DTSS_ALPHAARG1, D3DTA_CURRENT);
  CurrentDevice->SetTextureStageState(kSphereMapStage, D3DTSS_ALPHAARG2, D3DTA_TEXTURE);
  return true;
}

void ClearSphereMap() {
  CurrentDevice->SetTexture(kSphereMapStage, nullptr);
  CurrentDevice->SetTextureStageState(kSphereMapStage, D3DTSS_TEXTURETRANSFORMFLAGS,
                                      D3DTTFF_DISABLE);
  CurrentDevice->SetTextureStageState(kSphereMapStage, D3DTSS_TEXCOORDINDEX, 1);
  CurrentDevice->SetTextureStageState(kSphereMapStage, D3DTSS_COLOROP, D3DTOP_DISABLE);
  CurrentDevice->SetTextureStageState(kSphereMapStage, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
}

const AttributeMaterial& GroupMaterial(const MeshContainer& container, DWORD attribute) {
  static const AttributeMaterial none{};
  return attribute < container.materials.size() ? container.materials[attribute] : none;
}

// Draws the blended groups whose palette fits (software false) or does not fit the device.
bool DrawBlendedGroups(const MeshContainer& container, DWORD maxBlend, bool software) {
  const auto* table =
      static_cast<const d3dx::D3DXBONECOMBINATION*>(container.combinations->GetBufferPointer());
  bool sphereMapped = false;
  DWORD previous = d3dx::kUnusedBone;
  for (DWORD g = software ? container.firstSoftwareGroup : 0; g < container.groupCount; ++g) {
    const int32_t highest = HighestSlot(container, g);
    if ((highest + 1 > static_cast<int32_t>(maxBlend)) != software) continue;
    for (int32_t k = 0; k <= highest; ++k) {
      const DWORD bone = table[g].BoneId[k];
      if (bone != d3dx::kUnusedBone && bone < container.scratch.size())
        CurrentDevice->SetTransform(D3DTS_WORLDMATRIX(static_cast<UINT>(k)),
                                    &container.scratch[bone]);
    }
    CurrentDevice->SetRenderState(D3DRS_VERTEXBLEND, static_cast<DWORD>(std::max(highest, 0)));
    if (table[g].AttribId != previous)
      sphereMapped |= Bind(GroupMaterial(container, table[g].AttribId));
    previous = table[g].AttribId;
    container.mesh->DrawSubset(g);
  }
  return sphereMapped;
}

// Returns the faces drawn.
int32_t DrawContainer(MeshContainer& container) {
  if (!container.mesh) return 0;
  for (size_t b = 0; b < container.scratch.size(); ++b)
    container.scratch[b] = container.boneOffsets[b] * *container.boneFrames[b];
  bool sphereMapped = false;
  if (container.skin && container.method == kSkinMethodBlended) {
    D3DCAPS8 caps{};
    CurrentDevice->GetDeviceCaps(&caps);
    sphereMapped = DrawBlendedGroups(container, caps.MaxVertexBlendMatrices, false);
    if (container.firstSoftwareGroup < container.groupCount) {
      CurrentDevice->SetRenderState(D3DRS_SOFTWAREVERTEXPROCESSING, 1);
      sphereMapped |= DrawBlendedGroups(container, caps.MaxVertexBlendMatrices, true);
      CurrentDevice->SetRenderState(D3DRS_SOFTWAREVERTEXPROCESSING, 0);
    }
    CurrentDevice->SetRenderState(D3DRS_VERTEXBLEND, 0);
  } else if (container.skin) {
    CurrentDevice->SetTransform(D3DTS_WORLD, &IdentityMatrix());
    container.skin->UpdateSkinnedMesh(container.scratch.data(), nullptr, container.mesh.Get());
    for (const d3dx::D3DXATTRIBUTERANGE& range : container.attributes) {
      sphereMapped |= Bind(GroupMaterial(container, range.AttribId));
      container.mesh->DrawSubset(range.AttribId);
    }
  } else {
    for (DWORD j = 0; j < container.groupCount; ++j) {
      sphereMapped |= Bind(GroupMaterial(container, j));
      container.mesh->DrawSubset(j);
    }
  }
  if (sphereMapped) ClearSphereMap();
  return static_cast<int32_t>(container.mesh->GetNumFaces());
}

void Reset(SkinnedModelRecord& model, int32_t slot) {
  model = SkinnedModelRecord{};
  model.slot = slot;
}

int32_t AllocateSlot() {
  for (SkinnedModelRecord& model : SkinnedEntityTable)
    if (!model.inUse) return model.slot;
  SkinnedEntityTable.emplace_back();
  SkinnedEntityTable.back().slot = static_cast<int32_t>(SkinnedEntityTable.size() - 1);
  return SkinnedEntityTable.back().slot;
}

}  // namespace

int32_t SkinnedMesh_FindModel(const char* path) {
  if (path == nullptr) return -1;
  for (const SkinnedModelRecord& model : SkinnedEntityTable)
    if (model.inUse && model.path == path) return model.slot;
  return -1;
}

int32_t SkinnedMesh_LoadModel(const char* path, int32_t loadTextures) {
  if (path == nullptr || CurrentDevice == nullptr) return -1;
  std::optional<d3dx::XFileDocument> document = ReadDocument(path);
  if (!document) return -1;
  const int32_t slot = AllocateSlot();
  SkinnedModelRecord& model = SkinnedEntityTable[static_cast<size_t>(slot)];
  model.loadTextures = loadTextures;
  model.path = EntityText(path);
  model.root = std::make_unique<SkinFrame>();
  model.root->local = model.root->combined = model.root->loaded = IdentityMatrix();
  for (const d3dx::XDataObject& object : document->objects) LoadFrame(model, object, *model.root);
  LinkBones(model);
  ComputeBounds(model);
  ComputeSetLengths(model);
  BuildMaterialArray(model);
  model.inUse = true;
  return slot;
}

bool SkinnedMesh_LoadAnimations(SkinnedModelRecord& model, const char* path) {
  std::optional<d3dx::XFileDocument> document = ReadDocument(path);
  if (!document) return false;
  for (const d3dx::XDataObject& object : document->objects) LoadFrame(model, object, *model.root);
  LinkBones(model);
  ComputeSetLengths(model);
  BuildMaterialArray(model);
  return true;
}

void SkinnedMesh_ReleaseModel(int32_t slot) {
  if (slot < 0 || static_cast<size_t>(slot) >= SkinnedEntityTable.size()) return;
  SkinnedModelRecord& model = SkinnedEntityTable[static_cast<size_t>(slot)];
  if (model.inUse && --model.references <= 0) SkinnedMesh_Destroy(slot);
}

void SkinnedMesh_Destroy(int32_t slot) {
  if (slot < 0 || static_cast<size_t>(slot) >= SkinnedEntityTable.size()) return;
  Reset(SkinnedEntityTable[static_cast<size_t>(slot)], slot);
}

void SkinnedMesh_DestroyAll() { SkinnedEntityTable.clear(); }

void SkinnedMesh_ResetFrames(float time, SkinnedModelRecord& model, int32_t set, float length) {
  for (auto& frame : model.frames) frame->local = frame->loaded;
  if (set < 0 || static_cast<size_t>(set) >= model.sets.size()) return;
  for (const AnimationTrack& track : model.sets[static_cast<size_t>(set)].tracks)
    if (track.frame != nullptr) AnimateTrack(time, model, track, length);
}

void SkinnedMesh_UpdateFrames(SkinnedModelRecord& model, SkinFrame& frame,
                              const D3DXMATRIX& parent) {
  frame.combined = frame.local * parent;
  EntityRecord* entity = EntityAt(model.currentEntity);
  const auto slot = static_cast<size_t>(frame.index - 1);
  if (entity != nullptr && frame.index > 0 && slot < entity->boneMatrices.size())
    entity->boneMatrices[slot] = frame.combined;
  for (SkinFrame* child : frame.children) SkinnedMesh_UpdateFrames(model, *child, frame.combined);
}

int32_t SkinnedMesh_RenderFrames(SkinnedModelRecord& model, SkinFrame& frame) {
  int32_t faces = 0;
  if (!frame.containers.empty()) CurrentDevice->SetTransform(D3DTS_WORLD, &frame.combined);
  for (auto it = frame.containers.rbegin(); it != frame.containers.rend(); ++it)
    faces += DrawContainer(**it);
  for (auto it = frame.children.rbegin(); it != frame.children.rend(); ++it)
    faces += SkinnedMesh_RenderFrames(model, **it);
  return faces;
}

int32_t SkinnedMesh_OnLostAll() {
  for (SkinnedModelRecord& model : SkinnedEntityTable) {
    if (!model.inUse) continue;
    for (auto& container : model.containers) {
      if (container->method != kSkinMethodSoftware) continue;
      container->mesh.Reset();
      container->attributes.clear();
    }
  }
  return 1;
}

int32_t SkinnedMesh_OnResetAll() {
  if (CurrentDevice == nullptr) return 1;
  for (SkinnedModelRecord& model : SkinnedEntityTable) {
    if (!model.inUse) continue;
    for (auto& container : model.containers)
      if (container->method == kSkinMethodSoftware && container->skin && !container->mesh)
        GenerateSoftwareMesh(*container);
  }
  return 1;
}
