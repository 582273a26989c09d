#include "library/core/actors/skinned_entity.h"

#include <cmath>

#include "library/core/actors/keyframe_clock.h"
#include "library/core/frame/frame_state.h"

using namespace d3d;
using d3dx::D3DXMATRIX;

namespace {

constexpr float kPlayOnceMargin = 2.0f;  // frames before a custom range's end a single play stops

// The entity's bone arrays sized to the model's listed frames, new ones at identity.
void SizeBones(EntityRecord& record, const SkinnedModelRecord& model) {
  D3DXMATRIX identity;
  d3dx::D3DXMatrixIdentity(&identity);
  record.boneMatrices.resize(model.frames.size(), identity);
  record.boneOverrides.resize(model.frames.size(), IdentityOverride());
}

float SetLength(const SkinnedModelRecord& model, int32_t set) {
  if (set < 0 || static_cast<size_t>(set) >= model.sets.size()) return 0.0f;
  return static_cast<float>(model.sets[static_cast<size_t>(set)].length);
}

// Wraps t into start .. end by whole ranges; a range without length holds at its start.
float WrapInto(float t, float start, float end) {
  const float span = end - start;
  if (!(span > 0.0f)) return start;
  if (t > end) t = start + std::fmod(t - start, span);
  if (t < 0.0f) t = end - std::fmod(-t, span);
  return t;
}

}  // namespace

SkinnedModelRecord* SkinnedMesh_ModelOf(const EntityRecord& record) {
  if (record.kind != kModelKindSkinned || record.skinnedModel < 0 ||
      static_cast<size_t>(record.skinnedModel) >= SkinnedEntityTable.size())
    return nullptr;
  SkinnedModelRecord& model = SkinnedEntityTable[static_cast<size_t>(record.skinnedModel)];
  return model.inUse ? &model : nullptr;
}

int32_t SkinnedMesh_Create(const char* path, const char* name, int32_t* entity,
                           int32_t loadTextures) {
  if (entity != nullptr) *entity = 0;
  if (path == nullptr) return 0;
  AddLog("X FILE MANAGER : Create Entity skinned X file   %s %s", path,
         name != nullptr ? name : "");
  int32_t slot = SkinnedMesh_FindModel(path);
  if (slot < 0) slot = SkinnedMesh_LoadModel(path, loadTextures);
  if (slot < 0) return 0;
  SkinnedModelRecord& model = SkinnedEntityTable[static_cast<size_t>(slot)];
  ++model.references;
  const int32_t identifier = Entity_AllocateSlot();
  EntityRecord& record = *EntityAt(identifier);
  Entity_Begin(record, kModelKindSkinned, slot, path, name != nullptr ? name : "");
  for (AttributeMaterial group : model.materials) {
    if (loadTextures == 0) group.texture = 0;
    record.groups.push_back(group);
  }
  SizeBones(record, model);
  record.speed = 1.0f;
  if (entity != nullptr) *entity = identifier;
  return 1;
}

void SkinnedMesh_StepEntity(EntityRecord& record, float elapsedMilliseconds) {
  SkinnedModelRecord* model = SkinnedMesh_ModelOf(record);
  if (model == nullptr) return;
  float t = record.frame;
  if (record.finished == 0) t += elapsedMilliseconds * record.speed * kSecondsPerMillisecond;
  if (!std::isfinite(t)) t = 0.0f;
  const bool once = record.playOnce == 1;
  if (record.customRange) {
    if (once) {
      const float limit = record.customEnd - kPlayOnceMargin;
      if (t >= limit) {
        record.finished = 1;
        t = limit;
      }
      if (t < 0.0f) {
        record.finished = 1;
        t = 0.0f;
      }
    }
    t = WrapInto(t, record.customStart, record.customEnd);
  } else if (once) {
    const float last = SetLength(*model, record.animation) - 1.0f;
    if (t >= last) {
      record.finished = 1;
      t = last;
    }
    if (t < 0.0f) {
      record.finished = 1;
      t = 0.0f;
    }
  }
  record.frame = t;
  SkinnedMesh_PoseEntity(record);
}

void SkinnedMesh_PoseEntity(EntityRecord& record) {
  SkinnedModelRecord* model = SkinnedMesh_ModelOf(record);
  if (model == nullptr) return;
  model->currentEntity = record.identifier;
  if (!model->sets.empty())
    SkinnedMesh_ResetFrames(record.frame, *model, record.animation,
                            SetLength(*model, record.animation));
  // A model without sets still follows its entity's world matrix.
  SkinnedMesh_UpdateFrames(*model, *model->root, record.world);
}

int32_t SkinnedMesh_DrawEntity(EntityRecord& record) {
  SkinnedModelRecord* model = SkinnedMesh_ModelOf(record);
  if (model == nullptr || CurrentDevice == nullptr) return 0;
  CurrentDevice->SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
  CurrentDevice->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  CurrentDevice->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  CurrentDevice->SetRenderState(D3DRS_LIGHTING, 1);
  CurrentDevice->SetRenderState(D3DRS_NORMALIZENORMALS, 1);
  for (size_t g = 0; g < record.groups.size() && g < model->materialList.size(); ++g) {
    AttributeMaterial& target = *model->materialList[g];
    const AttributeMaterial& source = record.groups[g];
    target.material = source.material;
    target.texture = source.texture;
    target.unused = source.unused;
    target.sphereMap = source.sphereMap;
  }
  SkinnedMesh_PoseEntity(record);
  const int32_t faces = SkinnedMesh_RenderFrames(*model, *model->root);
  CountPolygons(faces);
  return faces;
}

float SkinnedMesh_KeyFrame(const EntityRecord& record) {
  const SkinnedModelRecord* model = SkinnedMesh_ModelOf(record);
  const float length = model != nullptr ? SetLength(*model, record.animation) : 0.0f;
  return length > 0.0f ? std::fmod(record.frame, length) : 0.0f;
}

int32_t SkinnedMesh_LoadEntityAnimations(EntityRecord& record, const char* path) {
  SkinnedModelRecord* model = SkinnedMesh_ModelOf(record);
  if (model == nullptr || path == nullptr || !SkinnedMesh_LoadAnimations(*model, path)) return 0;
  // New frames get bones in every entity of the model, so no update writes past their arrays.
  for (EntityRecord& other : EntityTable)
    if (SkinnedMesh_ModelOf(other) == model) SizeBones(other, *model);
  return 1;
}
