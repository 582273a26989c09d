// The entity exports that reach the entity's model: creation and sharing, the update and draw,
// animation, bones, bounds and collision, each dispatched on the model kind.
#include <cmath>
#include <cstring>
#include <fstream>

#include "library/core/actors/entities.h"
#include "library/core/actors/keyframe_clock.h"
#include "library/core/actors/md2_entity.h"
#include "library/core/actors/mdl_entity.h"
#include "library/core/actors/skinned_entity.h"
#include "library/core/frame/file_paths.h"
#include "library/core/frame/frame_state.h"
#include "library/core/frame/scene_time.h"
#include "library/core/geometry/frustum.h"
#include "library/core/geometry/maths.h"

using d3d::D3DMATRIX;
using d3d::D3DVECTOR;
using d3dx::D3DXMATRIX;
using d3dx::D3DXVECTOR3;

namespace {

constexpr size_t kMagicBytes = 10;
constexpr uint32_t kBoxColour = 0xff00ff00;

using Creator = int32_t (*)(const char* path, const char* name, int32_t* entity,
                            int32_t loadTextures);

// The creator of a model kind; null for a kind this library cannot load.
Creator CreatorOf(int32_t kind) {
  switch (kind) {
    case kModelKindMDL:
      return CreateEntity;
    case kModelKindMD2:
      return CreateEntityMD2;
    case kModelKindSkinned:
      return SkinnedMesh_Create;
    default:
      return nullptr;
  }
}

// The kind a file's first bytes name, or kModelKindNone.
int32_t KindOfMagic(const char* magic) {
  if (std::memcmp(magic, "IDST", 4) == 0) return kModelKindMDL;
  if (std::memcmp(magic, "IDP2", 4) == 0) return kModelKindMD2;
  if (std::memcmp(magic, "xof", 3) == 0) return kModelKindSkinned;
  return kModelKindNone;
}

int32_t Create(int32_t kind, const char* path, const char* name, int32_t loadTextures) {
  const Creator creator = CreatorOf(kind);
  int32_t entity = 0;
  if (creator == nullptr || creator(path, name, &entity, loadTextures) == 0) return -1;
  return entity;
}

// The entity's model bounds; false when it reaches no model.
bool BoundsOf(const EntityRecord& record, ModelBounds* bounds) {
  if (const ActorModel* model = MDL_ModelOf(record)) {
    *bounds = model->bounds;
    return model->boundsComputed;
  }
  if (const SkinnedModelRecord* model = SkinnedMesh_ModelOf(record)) {
    *bounds = model->bounds;
    return true;
  }
  if (const ActorModel2* model = MD2_ModelOf(record)) {
    *bounds = MD2_Bounds(*model);
    return true;
  }
  return false;
}

void RebuildWorld(EntityRecord& record) {
  const D3DXVECTOR3& s = record.scale;
  D3DXMATRIX scaling;
  if (record.axisMode != 0) {
    d3dx::D3DXMatrixScaling(&scaling, s.x, s.y, s.z);
  } else {
    // The models' z-up axes become y-up: (x, y, z) goes to (-x, z, -y), each axis scaled.
    scaling = {};
    scaling.m[0][0] = -s.x;
    scaling.m[1][2] = -s.z;
    scaling.m[2][1] = s.y;
    scaling.m[3][3] = 1.0f;
  }
  record.world = scaling * record.rotation;
  record.world.m[3][0] = record.position.x;
  record.world.m[3][1] = record.position.y;
  record.world.m[3][2] = record.position.z;
  record.dirty = false;
}

bool InFrustum(const EntityRecord& record) {
  ModelBounds bounds;
  if (!BoundsOf(record, &bounds)) return true;
  const float largest = std::fmax(std::fabs(record.scale.x),
                                  std::fmax(std::fabs(record.scale.y), std::fabs(record.scale.z)));
  return Frustum_IsSphereVisible(&bounds.centre, bounds.radius * largest, &record.world) != 0;
}

void StepAnimation(EntityRecord& record) {
  if (record.kind == kModelKindMDL) VortanaUtils_MDLUpdate(record.identifier, ElapsedTime);
  if (record.kind == kModelKindMD2) MD2_StepEntity(record, ElapsedTime);
  if (record.kind == kModelKindSkinned) SkinnedMesh_StepEntity(record, ElapsedTime);
}

// The animation names of the entity's model, in order; empty for a model without any.
std::vector<std::string> AnimationNames(const EntityRecord& record) {
  std::vector<std::string> names;
  if (const ActorModel* model = MDL_ModelOf(record))
    for (const MdlSequence& sequence : model->data.sequences) names.push_back(sequence.name);
  if (const ActorModel2* model = MD2_ModelOf(record))
    for (const Md2Animation& animation : model->data.animations) names.push_back(animation.name);
  if (const SkinnedModelRecord* model = SkinnedMesh_ModelOf(record))
    for (const AnimationSetRecord& set : model->sets) names.push_back(set.name);
  return names;
}

bool HasBone(const EntityRecord& record, int32_t bone) {
  return bone >= 0 && static_cast<size_t>(bone) < record.boneMatrices.size();
}

// The translation by offset (none for a null one).
D3DXMATRIX OffsetBy(const D3DVECTOR* offset) {
  D3DXMATRIX move;
  d3dx::D3DXMatrixTranslation(&move, offset != nullptr ? offset->x : 0.0f,
                              offset != nullptr ? offset->y : 0.0f,
                              offset != nullptr ? offset->z : 0.0f);
  return move;
}

D3DXVECTOR3 TransformCoord(const D3DXVECTOR3& v, const D3DXMATRIX& m) {
  D3DXVECTOR3 out;
  d3dx::D3DXVec3TransformCoord(&out, &v, &m);
  return out;
}

}  // namespace

// ---- Creation and life
// ---------------------------------------------------------------------------

int32_t Scene_CreateEntity(const char* path, const char* name, int32_t loadTextures) {
  if (path == nullptr) return -1;
  // An entity of the path shares its model: its kind's creator finds the model by path.
  for (const EntityRecord& record : EntityTable)
    if (record.inUse && record.kind != kModelKindNone && record.path == path)
      return Create(record.kind, path, name, loadTextures);
  AddLog("ENTITY CREATION : Create Entity Load %s", path);
  std::ifstream file(HostPath(path), std::ios::binary);
  if (!file) {
    AddLog("ENTITY CREATION : FILE NOT FOUND ! %s", path);
    return -1;
  }
  char magic[kMagicBytes] = {};
  file.read(magic, kMagicBytes);
  file.close();
  const int32_t kind = KindOfMagic(magic);
  if (CreatorOf(kind) == nullptr) {
    AddLog("ENTITY CREATION : THE FORMAT OF FILE IS INCORRECT ! %s", path);
    return -1;
  }
  return Create(kind, path, name, loadTextures);
}

int32_t Entity_Destroy(int32_t entity) {
  EntityRecord* record = EntityAt(entity);
  if (record == nullptr) return 0;
  if (record->inUse && record->kind == kModelKindMDL) MDL_ReleaseModel(record->mdlModel);
  if (record->inUse && record->kind == kModelKindMD2) MD2_ReleaseModel(record->md2Model);
  if (record->inUse && record->kind == kModelKindSkinned)
    SkinnedMesh_ReleaseModel(record->skinnedModel);
  Entity_Abandon(entity);
  return 1;
}

int32_t Entity_DuplicateActor(int32_t entity, const char* name) {
  const EntityRecord* source = EntityAt(entity);
  if (source == nullptr || !source->inUse) return -1;
  const std::string path = source->path;
  const int32_t copy = Create(source->kind, path.c_str(), name, 1);
  if (copy < 0) return -1;
  // The creation may have grown the table: look the source up again.
  EntityAt(copy)->groups = EntityAt(entity)->groups;
  return copy;
}

int32_t Entity_LoadAdditionalAnimations(int32_t entity, const char* path) {
  EntityRecord* record = EntityAt(entity);
  return record == nullptr ? 0 : SkinnedMesh_LoadEntityAnimations(*record, path);
}

// ---- Update and draw
// -----------------------------------------------------------------------------

int32_t Scene_UpdateEntity(int32_t entity, int32_t transformOnly) {
  EntityRecord* record = EntityAt(entity);
  if (record == nullptr) return 0;
  ElapsedTime = ClampElapsedTime(ElapsedTime);
  if (record->dirty) RebuildWorld(*record);
  if ((transformOnly & 0xff) != 0) return 1;
  record->visible = 1;
  if (record->frustumCulling != 0 && !InFrustum(*record)) record->visible = 0;
  if (record->speed != 0.0f) StepAnimation(*record);
  return 1;
}

int32_t Entity_ForceMatrixUpdate(int32_t entity) { return Scene_UpdateEntity(entity, 1); }

int32_t Scene_UpdateAllEntities() { return 1; }

int32_t Scene_RenderEntity(int32_t entity, const D3DMATRIX* view, const D3DMATRIX* projection) {
  EntityRecord* record = EntityAt(entity);
  if (record == nullptr) return 0;
  record->visible = 1;
  if (record->enabled == 0 || CurrentDevice == nullptr) return 0;
  Scene_UpdateEntity(entity, 0);
  if (record->visible == 0) return 0;
  CurrentDevice->SetRenderState(d3d::D3DRS_CULLMODE, static_cast<d3d::DWORD>(record->cullMode));
  CurrentDevice->SetRenderState(d3d::D3DRS_ALPHATESTENABLE,
                                static_cast<d3d::DWORD>(record->alphaTest));
  CurrentDevice->SetRenderState(d3d::D3DRS_ALPHAREF, static_cast<d3d::DWORD>(record->alphaRef));
  if (record->kind == kModelKindMDL) VortanaUtils_MDLRender(entity, view, projection);
  if (record->kind == kModelKindMD2) MD2_DrawEntity(*record, view, projection);
  if (record->kind == kModelKindSkinned) SkinnedMesh_DrawEntity(*record);
  ModelBounds bounds;
  if (record->showBoundingBox != 0 && BoundsOf(*record, &bounds))
    BoundingBox_Draw(&bounds.min, &bounds.max, &record->world, kBoxColour);
  if (record->showHitBoxes != 0) MDL_DrawHitBoxes(*record);
  return 1;
}

int32_t Entity_Render(int32_t entity, const D3DMATRIX* view, const D3DMATRIX* projection) {
  return Scene_RenderEntity(entity, view, projection);
}

int32_t Scene_RenderAllEntities(const D3DMATRIX* view, const D3DMATRIX* projection) {
  for (size_t e = 0; e < EntityTable.size(); ++e)
    if (EntityTable[e].inUse && EntityTable[e].enabled != 0)
      Scene_RenderEntity(static_cast<int32_t>(e), view, projection);
  return 1;
}

// ---- Animation
// -----------------------------------------------------------------------------------

int32_t Entity_GetAnimationIndexByName(int32_t entity, const char* name) {
  const EntityRecord* record = EntityAt(entity);
  if (record == nullptr || name == nullptr) return -1;
  const std::vector<std::string> names = AnimationNames(*record);
  for (size_t i = 0; i < names.size(); ++i)
    if (names[i] == name) return static_cast<int32_t>(i);
  return -1;
}

int32_t Entity_SetAnimation(int32_t entity, int32_t animation) {
  EntityRecord* record = EntityAt(entity);
  if (record == nullptr) return 0;
  record->finished = 0;
  if (MDL_ModelOf(*record) != nullptr)
    return VortanaUtils_SetSequence(entity, animation) != 0 ? 1 : 2;
  if (const SkinnedModelRecord* model = SkinnedMesh_ModelOf(*record)) {
    const bool known = animation >= 0 && static_cast<size_t>(animation) < model->sets.size();
    record->animation = known ? animation : 0;
    record->frame = 0.0f;
    return known ? 1 : 2;
  }
  if (const ActorModel2* model = MD2_ModelOf(*record)) {
    if (animation < 0 || static_cast<size_t>(animation) >= model->data.animations.size()) return 2;
    record->animation = animation;
    record->frame =
        static_cast<float>(model->data.animations[static_cast<size_t>(animation)].first);
  }
  return 1;
}

int32_t Entity_SetAnimationByName(int32_t entity, const char* name) {
  if (LoggedEntityAt(entity, "ENTITY MANAGER : Entity_SetAnimationByName : Bad entity index %d") ==
      nullptr)
    return 0;
  const int32_t animation = Entity_GetAnimationIndexByName(entity, name);
  if (animation < 0) {
    AddLog(
        "ENTITY MANAGER : Entity_SetAnimationByName : Animation %s not found in the animation "
        "array",
        name != nullptr ? name : "");
    return -1;
  }
  Entity_SetAnimation(entity, animation);
  return 1;
}

int32_t Entity_GetAnimation(int32_t entity) {
  const EntityRecord* record =
      LoggedEntityAt(entity, "ENTITY MANAGER : Entity_GetAnimation : Bad entity index");
  return record == nullptr ? 0 : record->animation;
}

int32_t Entity_GetAnimationCount(int32_t entity) {
  const EntityRecord* record =
      LoggedEntityAt(entity, "ENTITY MANAGER : Entity_GetAnimationCount : Bad entity index");
  return record == nullptr ? 0 : static_cast<int32_t>(AnimationNames(*record).size());
}

int32_t Entity_GetAnimationLength(int32_t entity, int32_t animation) {
  const char* bad = "ENTITY MANAGER : Entity_GetAnimationLength : Bad entity or animation index";
  const EntityRecord* record = LoggedEntityAt(entity, bad);
  if (record == nullptr) return 0;
  if (const ActorModel* model = MDL_ModelOf(*record)) {
    if (animation < 0 || static_cast<size_t>(animation) >= model->data.sequences.size()) {
      AddLog("%s", bad);
      return 0;
    }
    return model->data.sequences[static_cast<size_t>(animation)].frames;
  }
  if (const SkinnedModelRecord* model = SkinnedMesh_ModelOf(*record)) {
    if (animation < 0 || static_cast<size_t>(animation) >= model->sets.size()) {
      AddLog("%s", bad);
      return 0;
    }
    return model->sets[static_cast<size_t>(animation)].length;
  }
  if (const ActorModel2* model = MD2_ModelOf(*record)) {
    if (animation < 0 || static_cast<size_t>(animation) >= model->data.animations.size()) {
      AddLog("%s", bad);
      return 0;
    }
    const Md2Animation& range = model->data.animations[static_cast<size_t>(animation)];
    return range.last - range.first;
  }
  return 1;
}

int32_t Entity_GetAnimationName(int32_t entity, int32_t animation, char* name) {
  const char* bad = "ENTITY MANAGER : Entity_GetAnimationName : Bad entity or animation index";
  const EntityRecord* record = EntityAt(entity);
  if (record == nullptr || animation < 0) {
    AddLog("%s", bad);
    return 0;
  }
  if (MDL_ModelOf(*record) == nullptr && MD2_ModelOf(*record) == nullptr &&
      SkinnedMesh_ModelOf(*record) == nullptr) {
    AddLog("ENTITY MANAGER : Entity_GetAnimationName : Entity not loaded or wrong format");
    return 0;
  }
  const std::vector<std::string> names = AnimationNames(*record);
  if (static_cast<size_t>(animation) >= names.size()) {
    AddLog("%s", bad);
    return 0;
  }
  // An unnamed set leaves the caller's text as it was.
  const std::string& found = names[static_cast<size_t>(animation)];
  if (name != nullptr && !found.empty()) CopyToField(name, kPathBufferSize, found);
  return 1;
}

int32_t Entity_SetAnimationLoop(int32_t entity, int32_t loop) {
  EntityRecord* record = EntityAt(entity);
  if (record == nullptr) return 0;
  record->playOnce = 1 - loop;
  record->finished = 0;
  return 1;
}

int32_t Entity_IsAnimationFinished(int32_t entity) {
  const EntityRecord* record = EntityAt(entity);
  return record == nullptr ? 0 : record->finished;
}

int32_t Entity_SetSpeed(int32_t entity, float framesPerSecond) {
  EntityRecord* record =
      LoggedEntityAt(entity, "ENTITY MANAGER : Entity_SetSpeed : Bad Entity index. out of range");
  if (record == nullptr) return 0;
  record->speed = framesPerSecond;
  return 1;
}

int32_t Entity_SetKeyFrame(int32_t entity, float frame) {
  EntityRecord* record = EntityAt(entity);
  if (record == nullptr) return -1;
  record->frame = frame;
  return 1;
}

int32_t Entity_GetKeyFrame(int32_t entity, float* frame) {
  const EntityRecord* record = EntityAt(entity);
  if (record == nullptr) return -1;
  if (frame != nullptr)
    *frame = record->kind == kModelKindSkinned ? SkinnedMesh_KeyFrame(*record) : record->frame;
  return 1;
}

int32_t Entity_SetCustomAnimation(int32_t entity, float start, float end) {
  EntityRecord* record = EntityAt(entity);
  if (record == nullptr) return 0;
  record->customRange = start != 0.0f || end != 0.0f;
  record->customStart = record->customRange ? start : 0.0f;
  record->customEnd = record->customRange ? end : 0.0f;
  record->frame = record->customStart;
  return 1;
}

// ---- Bones
// ---------------------------------------------------------------------------------------

int32_t Entity_GetBoneCount(int32_t entity) {
  const EntityRecord* record =
      LoggedEntityAt(entity, "ENTITY MANAGER : Entity index out of bound !");
  return record == nullptr ? 0 : static_cast<int32_t>(record->boneMatrices.size());
}

int32_t Entity_GetBoneName(int32_t entity, int32_t bone, char* name) {
  const EntityRecord* record = EntityAt(entity);
  if (record == nullptr || bone < 0) return 0;
  if (const ActorModel* model = MDL_ModelOf(*record)) {
    if (static_cast<size_t>(bone) >= model->data.bones.size()) return 0;
    if (name != nullptr)
      CopyToField(name, kPathBufferSize, model->data.bones[static_cast<size_t>(bone)].name);
    return 1;
  }
  if (const SkinnedModelRecord* model = SkinnedMesh_ModelOf(*record)) {
    if (static_cast<size_t>(bone) >= model->frames.size()) return 0;
    if (name != nullptr)
      CopyToField(name, kPathBufferSize, model->frames[static_cast<size_t>(bone)]->name);
    return 1;
  }
  if (record->kind == kModelKindMD2)
    AddLog("ENTITY MANAGER : Entity_GetBoneName : Wrong bone index, out of range. %d", bone);
  else
    AddLog("ENTITY MANAGER : You want to get one bone name of a non-boned mesh !");
  return 0;
}

int32_t Entity_GetBoneParent(int32_t entity, int32_t bone) {
  const EntityRecord* record = EntityAt(entity);
  if (record == nullptr || bone < 0) return 0;
  if (const ActorModel* model = MDL_ModelOf(*record))
    if (static_cast<size_t>(bone) < model->data.bones.size())
      return model->data.bones[static_cast<size_t>(bone)].parent;
  // Frames under the root have no parent bone.
  if (const SkinnedModelRecord* model = SkinnedMesh_ModelOf(*record))
    if (static_cast<size_t>(bone) < model->frames.size())
      return model->frames[static_cast<size_t>(bone)]->parent->index - 1;
  return 0;
}

int32_t Entity_GetBonePosition(int32_t entity, int32_t bone, const D3DVECTOR* point,
                               D3DVECTOR* out) {
  const EntityRecord* record = EntityAt(entity);
  if (record == nullptr) return 0;
  if (record->kind == kModelKindMD2)
    AddLog("MD2 ENTITY : GetBonePosition, there is no bone in MD2 format");
  if (MDL_ModelOf(*record) != nullptr && HasBone(*record, bone) && point != nullptr &&
      out != nullptr)
    *out = TransformCoord(AsVector(*point), MDL_BoneToWorld(*record, bone));
  if (SkinnedMesh_ModelOf(*record) != nullptr && HasBone(*record, bone) && point != nullptr &&
      out != nullptr)
    *out = TransformCoord(AsVector(*point), record->boneMatrices[static_cast<size_t>(bone)]);
  return 1;
}

int32_t Entity_GetBoneMatrix(int32_t entity, int32_t bone, const D3DVECTOR* offset,
                             D3DMATRIX* out) {
  const EntityRecord* record = EntityAt(entity);
  if (record == nullptr) return 0;
  if (record->kind == kModelKindMD2)
    AddLog("MD2 ENTITY : GetBoneMatrix MD2 Entity doesn't have any bone !");
  if (MDL_ModelOf(*record) != nullptr && HasBone(*record, bone) && out != nullptr) {
    *out = MDL_BoneToWorld(*record, bone) * OffsetBy(offset);
  }
  if (SkinnedMesh_ModelOf(*record) != nullptr && HasBone(*record, bone) && out != nullptr) {
    *out = record->boneMatrices[static_cast<size_t>(bone)] * OffsetBy(offset);
  }
  return 1;
}

int32_t Entity_SetBoneMatrix(int32_t entity, int32_t bone, const D3DMATRIX* matrix, int32_t combine,
                             int32_t enable) {
  EntityRecord* record = EntityAt(entity);
  if (record == nullptr) return 0;
  if (matrix != nullptr && bone >= 0 && static_cast<size_t>(bone) < record->boneOverrides.size() &&
      (record->kind == kModelKindMDL || record->kind == kModelKindSkinned)) {
    BoneOverride& override = record->boneOverrides[static_cast<size_t>(bone)];
    static_cast<D3DMATRIX&>(override.matrix) = *matrix;
    override.combine = combine;
    override.enabled = enable;
  }
  return 1;
}

int32_t Entity_SetBoneRotationMatrix(int32_t entity, int32_t bone, const D3DMATRIX* matrix,
                                     int32_t combine, int32_t enable) {
  return Entity_SetBoneMatrix(entity, bone, matrix, combine, enable);
}

// ---- Bounds and collision
// ------------------------------------------------------------------------

int32_t Entity_GetBoundingBox(int32_t entity, D3DVECTOR* min, D3DVECTOR* max) {
  const EntityRecord* record = LoggedEntityAt(
      entity, "ENTITY MANAGER : Entity_GetBoundingBox : Bad Entity Index. Out of range");
  ModelBounds bounds;
  if (record == nullptr || !BoundsOf(*record, &bounds)) return 0;
  if (min != nullptr) *min = bounds.min;
  if (max != nullptr) *max = bounds.max;
  return 1;
}

int32_t Entity_GetBoundingSphere(int32_t entity, D3DVECTOR* centre, float* radius) {
  const EntityRecord* record = LoggedEntityAt(
      entity, "ENTITY MANAGER : Entity_GetBoundingBox : Bad Entity Index. Out of range");
  ModelBounds bounds;
  if (record == nullptr || !BoundsOf(*record, &bounds)) return 0;
  if (centre != nullptr) *centre = bounds.centre;
  if (radius != nullptr) *radius = bounds.radius;
  return 1;
}

int32_t Entity_BoundsTest(const EntityRecord& record, const ModelBounds& bounds,
                          const D3DVECTOR* start, const D3DVECTOR* end, int32_t kind,
                          CollisionResult* result) {
  return Entity_SpaceTest(record.world, record.identifier, bounds, start, end, kind, result);
}

int32_t Entity_SpaceTest(const D3DXMATRIX& space, int32_t identifier, const ModelBounds& bounds,
                         const D3DVECTOR* start, const D3DVECTOR* end, int32_t kind,
                         CollisionResult* result) {
  result->cleared[0] = result->cleared[1] = 0;
  result->hit = 0;
  D3DXMATRIX inverse;
  if (d3dx::D3DXMatrixInverse(&inverse, nullptr, &space) == nullptr) return 0;
  const D3DXVECTOR3 from = TransformCoord(AsVector(*start), inverse);
  const D3DXVECTOR3 to = TransformCoord(AsVector(*end), inverse);
  const D3DXVECTOR3 segment = to - from;
  const float length = d3dx::D3DXVec3Length(&segment);
  D3DXVECTOR3 point, normal;
  if (kind == 1) {
    float along = 0.0f;
    // A sphere behind the start, or one the segment ends before, is not met.
    if (BoundingSphere2_Test(&from, &segment, &bounds.centre, bounds.radius, &along, &point,
                             &normal) == 0 ||
        along < 0.0f || along > length)
      return 0;
  } else if (BoundingBox2_Test(&from, &segment, &bounds.min, &bounds.max, nullptr, &point,
                               &normal) == 0) {
    return 0;
  }
  const D3DXVECTOR3 worldPoint = TransformCoord(point, space);
  D3DXVECTOR3 worldNormal;
  d3dx::D3DXVec3TransformNormal(&worldNormal, &normal, &space);
  d3dx::D3DXVec3Normalize(&worldNormal, &worldNormal);
  const D3DXVECTOR3 startPoint = AsVector(*start);
  const D3DXVECTOR3 offset = worldPoint - startPoint;
  result->normal = worldNormal;
  result->point = worldPoint;
  result->distance = d3dx::D3DXVec3Length(&offset);
  result->hit = 1;
  result->hitKind = 1;
  result->entity = identifier;
  result->reserved[0] = result->reserved[1] = 0;
  return 1;
}

int32_t Entity_AdvancedCollision(int32_t entity, const D3DVECTOR* start, const D3DVECTOR* end,
                                 CollisionResult* result, int32_t kind) {
  const EntityRecord* record = EntityAt(entity);
  if (record == nullptr || start == nullptr || end == nullptr || result == nullptr) return 0;
  if (record->kind == kModelKindMDL) return MDL_SegmentTest(*record, start, end, result, kind);
  if (record->kind == kModelKindMD2) return MD2_SegmentTest(*record, start, end, result, kind);
  if (const SkinnedModelRecord* model = SkinnedMesh_ModelOf(*record))
    return Entity_BoundsTest(*record, model->bounds, start, end, kind, result);
  return 0;
}

int32_t Entity_Collide(int32_t entity, const D3DVECTOR* start, const D3DVECTOR* end,
                       float* distance, int32_t kind) {
  CollisionResult result{};
  Entity_AdvancedCollision(entity, start, end, &result, kind);
  if (distance != nullptr) *distance = result.distance;
  return result.hit;
}

int32_t Scene_Collide(const D3DVECTOR* start, const D3DVECTOR* end, float* distance,
                      int32_t* entity, int32_t kind, int32_t nearest) {
  float best = kNearestCollisionBound;
  int32_t bestEntity = -1;
  for (const EntityRecord& record : EntityTable) {
    if (!record.inUse || record.enabled == 0) continue;
    float found = 0.0f;
    if (Entity_Collide(record.identifier, start, end, &found, kind) == 0) continue;
    if (nearest == 0) {
      if (distance != nullptr) *distance = found;
      if (entity != nullptr) *entity = record.identifier;
      return 1;
    }
    if (found < best) {
      best = found;
      bestEntity = record.identifier;
    }
  }
  if (bestEntity < 0) return 0;
  if (distance != nullptr) *distance = best;
  if (entity != nullptr) *entity = bestEntity;
  return 1;
}

int32_t Scene_AdvancedCollision(const D3DVECTOR* start, const D3DVECTOR* end,
                                CollisionResult* result, int32_t kind, int32_t nearest) {
  if (result == nullptr) return 0;
  bool found = false;
  CollisionResult best{};
  best.distance = kNearestCollisionBound;
  for (const EntityRecord& record : EntityTable) {
    if (!record.inUse || record.enabled == 0) continue;
    if (Entity_AdvancedCollision(record.identifier, start, end, result, kind) == 0) continue;
    if (nearest == 0) return 1;
    if (result->distance < best.distance) {
      best = *result;
      found = true;
    }
  }
  if (found) *result = best;
  return found ? 1 : 0;
}
