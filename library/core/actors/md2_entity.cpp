#include "library/core/actors/md2_entity.h"

#include <algorithm>
#include <cmath>

#include "library/core/actors/actor_resources.h"
#include "library/core/actors/keyframe_clock.h"
#include "library/core/actors/md2_draw.h"

using d3d::D3DMATRIX;
using d3d::D3DVECTOR;

namespace {

const d3d::D3DCOLORVALUE kWhite = {1.0f, 1.0f, 1.0f, 1.0f};

ModelBounds FrameBounds(const Md2Frame& frame) {
  ModelBounds bounds;
  bounds.min = {{frame.boxMin[0], frame.boxMin[1], frame.boxMin[2]}};
  bounds.max = {{frame.boxMax[0], frame.boxMax[1], frame.boxMax[2]}};
  bounds.centre = {{frame.centre[0], frame.centre[1], frame.centre[2]}};
  bounds.radius = frame.radius;
  return bounds;
}

const Md2Animation* AnimationOf(const ActorModel2& model, int32_t animation) {
  if (animation < 0 || static_cast<size_t>(animation) >= model.data.animations.size())
    return nullptr;
  return &model.data.animations[static_cast<size_t>(animation)];
}

d3d::D3DCOLORVALUE DiffuseOf(int32_t material) {
  const d3d::D3DMATERIAL8* found = ActorMaterial(material);
  return found != nullptr ? found->Diffuse : kWhite;
}

}  // namespace

const ActorModel2* MD2_ModelOf(const EntityRecord& record) {
  if (record.kind != kModelKindMD2 || record.md2Model < 0 ||
      static_cast<size_t>(record.md2Model) >= MD2ModelTable.size())
    return nullptr;
  const ActorModel2& model = MD2ModelTable[static_cast<size_t>(record.md2Model)];
  return model.inUse ? &model : nullptr;
}

ModelBounds MD2_Bounds(const ActorModel2& model) { return FrameBounds(model.data.frames.front()); }

void MD2_StepEntity(EntityRecord& record, float elapsedMilliseconds) {
  const ActorModel2* model = MD2_ModelOf(record);
  if (model == nullptr) return;
  const Md2Animation* animation = AnimationOf(*model, record.animation);
  if (animation == nullptr) return;
  record.frame = StepKeyFrame(record.frame, elapsedMilliseconds, record.speed, animation->first,
                              animation->last);
}

bool MD2_DrawEntity(const EntityRecord& record, const D3DMATRIX* view,
                    const D3DMATRIX* projection) {
  const ActorModel2* model = MD2_ModelOf(record);
  if (model == nullptr) return false;
  const Md2Animation* animation = AnimationOf(*model, record.animation);
  const AttributeMaterial group = record.groups.empty() ? AttributeMaterial{} : record.groups[0];
  MD2Pose pose;
  pose.world = &record.world;
  pose.view = view;
  pose.projection = projection;
  pose.frame = record.frame;
  pose.first = animation != nullptr ? animation->first : 0;
  pose.last = animation != nullptr ? animation->last : 0;
  pose.texture = group.texture;
  pose.diffuse = DiffuseOf(group.material);
  return MD2_Draw(*model, pose) > 0;
}

int32_t MD2_SegmentTest(const EntityRecord& record, const D3DVECTOR* start, const D3DVECTOR* end,
                        CollisionResult* result, int32_t kind) {
  const ActorModel2* model = MD2_ModelOf(record);
  if (model == nullptr) return 0;
  return Entity_BoundsTest(record, MD2_Bounds(*model), start, end, kind, result);
}

int32_t CreateEntityMD2(const char* path, const char* name, int32_t* entity, int32_t loadTextures) {
  if (entity != nullptr) *entity = 0;
  if (path == nullptr) return 0;
  AddLog("MD2 SYSTEM : Creating new md2 entity '%s' ('%s') ", path, name != nullptr ? name : "");
  int32_t slot = MD2_FindModel(path);
  if (slot < 0) slot = MD2_LoadModel(path, loadTextures);
  if (slot < 0) return 0;
  ActorModel2& model = MD2ModelTable[static_cast<size_t>(slot)];
  ++model.references;
  const int32_t identifier = Entity_AllocateSlot();
  EntityRecord& record = *EntityAt(identifier);
  Entity_Begin(record, kModelKindMD2, slot, path, name != nullptr ? name : "");
  record.groups = {AttributeMaterial{0, model.skinTexture, 0, 0, 0}};
  record.speed = 1.0f;
  if (entity != nullptr) *entity = identifier;
  return 1;
}

int32_t MD2_Delete(ActorModel2* model) {
  if (model == nullptr || MD2ModelTable.empty() || model < MD2ModelTable.data() ||
      model >= MD2ModelTable.data() + MD2ModelTable.size())
    return 1;
  if (model->inUse) Entity_DetachModel(kModelKindMD2, model->slot);
  MD2_DeleteModel(model->slot);
  return 1;
}

int32_t MD2System_Collide(int32_t entity, const D3DVECTOR* start, const D3DVECTOR* end,
                          float* distance) {
  const EntityRecord* record = EntityAt(entity);
  if (record == nullptr) {
    AddLog("MD2 SYSTEM COLLIDE : Bad entity index %d", entity);
    return 0;
  }
  if (distance != nullptr) *distance = 0.0f;
  const ActorModel2* model = MD2_ModelOf(*record);
  if (record->enabled == 0 || model == nullptr || start == nullptr || end == nullptr) return 0;
  const KeyFramePair pair =
      BlendFrames(record->frame, 0, 0, static_cast<int32_t>(model->data.frames.size()));
  CollisionResult result{};
  const ModelBounds bounds = FrameBounds(model->data.frames[static_cast<size_t>(pair.current)]);
  if (Entity_BoundsTest(*record, bounds, start, end, 0, &result) == 0) return 0;
  if (distance != nullptr) *distance = result.distance;
  return 1;
}
