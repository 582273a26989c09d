// The table of loaded skinned X-file models: the frame hierarchy of each file, its meshes skinned
// by the device's vertex blending or in software, its materials and its animation sets, shared by
// the entities made from it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "library/core/actors/entities.h"
#include "library/core/actors/skinned_keys.h"
#include "platform/d3dx/com_ptr.h"
#include "platform/d3dx/mesh.h"
#include "platform/d3dx/x_file_d3dx.h"

inline constexpr int32_t kSkinMethodBlended = 0;   // vertex blending on the device
inline constexpr int32_t kSkinMethodSoftware = 2;  // skinned on the processor

struct MeshContainer;

// One frame of the hierarchy. The root has index 0 and no name; listed frames count from 1.
struct SkinFrame {
  d3dx::D3DXMATRIX local;
  d3dx::D3DXMATRIX combined;
  d3dx::D3DXMATRIX loaded;  // as the file set it; each animation step starts from it
  std::string name;
  SkinFrame* parent = nullptr;
  int32_t index = 0;
  std::vector<SkinFrame*> children;
  std::vector<MeshContainer*> containers;
};

struct MeshContainer {
  std::string name;
  d3dx::ComPtr<d3dx::ID3DXSkinMesh> skin;  // none for a mesh without bones
  d3dx::ComPtr<d3dx::ID3DXMesh> mesh;      // what is drawn
  std::vector<d3d::DWORD> adjacency;       // three a face
  std::vector<std::string> boneNames;
  std::vector<d3dx::D3DXMATRIX> boneOffsets;
  d3dx::ComPtr<d3dx::ID3DXBuffer> combinations;     // the blended mesh's bone groups
  std::vector<const d3dx::D3DXMATRIX*> boneFrames;  // each bone's frame's combined matrix
  std::vector<d3dx::D3DXMATRIX> scratch;
  d3d::DWORD blendMatrices = 0;
  int32_t method = kSkinMethodBlended;
  d3d::DWORD groupCount = 0;
  d3d::DWORD firstSoftwareGroup = 0;  // groupCount when every group blends on the device
  std::vector<d3dx::D3DXATTRIBUTERANGE> attributes;  // the software mesh's
  d3d::DWORD maxFaceInfluences = 0;
  std::vector<AttributeMaterial> materials;
};

struct PositionKey {
  int32_t time;
  d3dx::D3DXVECTOR3 value;
};
struct RotationKey {
  int32_t time;
  d3dx::D3DXQUATERNION value;
};
struct MatrixKey {
  int32_t time;
  d3dx::D3DXMATRIX value;
};

struct AnimationTrack {
  SkinFrame* frame = nullptr;
  std::vector<PositionKey> positions;
  std::vector<RotationKey> rotations;
  std::vector<PositionKey> scales;
  std::vector<MatrixKey> matrices;
};

struct AnimationSetRecord {
  std::string name;
  std::vector<AnimationTrack> tracks;
  int32_t length = 0;  // the largest key time of its tracks
};

struct SkinnedModelRecord {
  int32_t slot = 0;
  bool inUse = false;
  int32_t references = 0;
  int32_t loadTextures = 0;
  std::unique_ptr<SkinFrame> root;
  std::vector<std::unique_ptr<SkinFrame>> frames;  // file order; frame k has index k + 1
  std::vector<std::unique_ptr<MeshContainer>> containers;
  std::vector<AnimationSetRecord> sets;
  std::vector<AttributeMaterial*> materialList;  // every container's materials, in load order
  std::vector<AttributeMaterial> materials;      // copies, for new entities
  int32_t currentEntity = 0;
  std::string path;
  ModelBounds bounds{};
};

extern std::vector<SkinnedModelRecord> SkinnedEntityTable;

int32_t SkinnedMesh_FindModel(const char* path);
// Loads the file into a free slot and returns it, or -1 (logged), leaving nothing behind.
int32_t SkinnedMesh_LoadModel(const char* path, int32_t loadTextures);
void SkinnedMesh_ReleaseModel(int32_t slot);
void SkinnedMesh_Destroy(int32_t slot);
void SkinnedMesh_DestroyAll();
// Adds the frames, meshes and sets of another file under the model's root; false when the file
// cannot be read.
bool SkinnedMesh_LoadAnimations(SkinnedModelRecord& model, const char* path);

// The animation of one entity: every frame back to its loaded matrix, then the set's tracks at
// time (ticks), the current entity's bone overrides applied.
void SkinnedMesh_ResetFrames(float time, SkinnedModelRecord& model, int32_t set, float length);
// Combined matrices from frame down, each listed frame's into the current entity's bone slot.
void SkinnedMesh_UpdateFrames(SkinnedModelRecord& model, SkinFrame& frame,
                              const d3dx::D3DXMATRIX& parent);
// Draws the hierarchy from frame; returns the faces drawn.
int32_t SkinnedMesh_RenderFrames(SkinnedModelRecord& model, SkinFrame& frame);
// Around a device reset: the software-skinned meshes go and are made again; both 1.
int32_t SkinnedMesh_OnLostAll();
int32_t SkinnedMesh_OnResetAll();
