// The entity table, and the exports that read or change one record without reaching its model.
#include "library/core/actors/entities.h"

#include <cmath>
#include <cstring>

#include "library/core/frame/file_paths.h"
#include "library/core/frame/frame_state.h"
#include "library/core/frame/scene_time.h"
#include "library/core/geometry/maths.h"

using d3d::D3DMATRIX;
using d3d::D3DVECTOR;
using d3dx::D3DXMATRIX;
using d3dx::D3DXVECTOR3;

std::vector<EntityRecord> EntityTable;

namespace {

D3DXMATRIX Identity() {
  D3DXMATRIX identity;
  d3dx::D3DXMatrixIdentity(&identity);
  return identity;
}

int32_t Rotate(int32_t entity, float angle, int32_t world,
               D3DXMATRIX* (*rotation)(D3DXMATRIX*, float)) {
  EntityRecord* record = EntityAt(entity);
  if (record == nullptr) return 0;
  D3DXMATRIX turn;
  rotation(&turn, angle);
  record->rotation = world != 0 ? record->rotation * turn : turn * record->rotation;
  record->dirty = true;
  return 1;
}

// Writes a group field of one group, or of every group for -1; false for any other group.
bool SetGroupField(EntityRecord& record, int32_t group, int32_t AttributeMaterial::*field,
                   int32_t value) {
  if (record.groups.empty()) return false;
  // A keyframe model has one group, which every group number names.
  if (record.kind == kModelKindMD2) group = 0;
  const int32_t count = static_cast<int32_t>(record.groups.size());
  if (group < -1 || group >= count) return false;
  for (int32_t g = 0; g < count; ++g)
    if (group == -1 || g == group) record.groups[static_cast<size_t>(g)].*field = value;
  return true;
}

AttributeMaterial* GroupAt(int32_t entity, int32_t group) {
  EntityRecord* record = EntityAt(entity);
  if (record == nullptr || group < 0 || static_cast<size_t>(group) >= record->groups.size())
    return nullptr;
  return &record->groups[static_cast<size_t>(group)];
}

void Write(float* out, float value) {
  if (out != nullptr) *out = value;
}

}  // namespace

BoneOverride IdentityOverride() {
  BoneOverride override{};
  override.matrix = Identity();
  override.combine = 1;
  override.last = 1;
  return override;
}

std::string EntityText(const char* text) {
  if (text == nullptr) return {};
  return std::string(text, strnlen(text, kEntityNameLength));
}

int32_t Entity_AllocateSlot() {
  for (EntityRecord& record : EntityTable) {
    if (!record.inUse) {
      record.inUse = true;
      return record.identifier;
    }
  }
  EntityRecord& record = EntityTable.emplace_back();
  record.identifier = static_cast<int32_t>(EntityTable.size() - 1);
  record.inUse = true;
  record.alphaTest = 1;
  record.alphaRef = kAppendedAlphaRef;
  record.frustumCulling = 1;
  return record.identifier;
}

EntityRecord* EntityAt(int32_t entity) {
  if (entity < 0 || static_cast<size_t>(entity) >= EntityTable.size()) return nullptr;
  return &EntityTable[static_cast<size_t>(entity)];
}

EntityRecord* LoggedEntityAt(int32_t entity, const char* message) {
  EntityRecord* record = EntityAt(entity);
  if (record == nullptr) AddLog(message, entity);
  return record;
}

void Entity_Begin(EntityRecord& record, int32_t kind, int32_t model, const char* path,
                  const char* name) {
  record.kind = kind;
  record.mdlModel = kind == kModelKindMDL ? model : 0;
  record.md2Model = kind == kModelKindMD2 ? model : 0;
  record.skinnedModel = kind == kModelKindSkinned ? model : 0;
  record.path = EntityText(path);
  const std::string given = EntityText(name);
  record.name = given == "noname" ? "Entity" + std::to_string(record.identifier) : given;
  record.enabled = 1;
  record.cullMode = d3d::D3DCULL_NONE;
  record.frustumCulling = 1;
  record.axisMode = 0;
  record.position = {};
  record.angles = {};
  record.scale = {{1.0f, 1.0f, 1.0f}};
  record.world = Identity();
  record.rotation = Identity();
  record.customRange = false;
  record.customStart = record.customEnd = 0.0f;
  record.animation = 0;
  record.frame = 0.0f;
  record.dirty = true;
}

void Entity_Abandon(int32_t entity) {
  EntityRecord* record = EntityAt(entity);
  if (record == nullptr) return;
  *record = EntityRecord{};
  record->identifier = entity;
}

void Entity_DetachModel(int32_t kind, int32_t model) {
  for (EntityRecord& record : EntityTable) {
    if (!record.inUse || record.kind != kind) continue;
    const int32_t index = kind == kModelKindMDL   ? record.mdlModel
                          : kind == kModelKindMD2 ? record.md2Model
                                                  : record.skinnedModel;
    if (index == model) record.kind = kModelKindNone;
  }
}

void Entity_FreeAll() {
  std::vector<EntityRecord>().swap(EntityTable);
  // The last frame's time belongs to the scene that is gone.
  ElapsedTime = 0.0f;
}

// ---- Life and options
// ----------------------------------------------------------------------------

int32_t Entity_Enable(int32_t entity, int32_t enable) {
  EntityRecord* record = EntityAt(entity);
  if (record == nullptr) return 0;
  record->enabled = enable != 0 ? 1 : 0;
  return 1;
}

int32_t Entity_IsVisible(int32_t entity) {
  const EntityRecord* record = EntityAt(entity);
  return record == nullptr ? -1 : record->visible;
}

int32_t Entity_EnableFrustumCulling(int32_t entity, int32_t enable) {
  EntityRecord* record = EntityAt(entity);
  if (record == nullptr) return 0;
  record->frustumCulling = enable;
  return 1;
}

int32_t Entity_SetCullingMode(int32_t entity, int32_t cullMode) {
  EntityRecord* record = EntityAt(entity);
  if (record == nullptr) return 0;
  record->cullMode = cullMode;
  return 1;
}

int32_t Entity_SetAlphaTest(int32_t entity, int32_t enable, int32_t reference) {
  EntityRecord* record =
      LoggedEntityAt(entity, "ENTITY MANAGER : Entity_SetAlphaTest : Bad entity index %d");
  if (record == nullptr) return 0;
  record->alphaTest = enable;
  record->alphaRef = reference;
  return 1;
}

int32_t Entity_ShowBoundingBox(int32_t entity, int32_t box, int32_t hitBoxes) {
  EntityRecord* record =
      LoggedEntityAt(entity, "ENTITY MANAGER : Entity index out of range -> %d ");
  if (record == nullptr) return 0;
  record->showBoundingBox = std::abs(box);
  record->showHitBoxes = std::abs(hitBoxes);
  return 1;
}

int32_t Entity_SetShadowOptions(int32_t, const d3dx::D3DXPLANE*, const float*, float) { return 1; }

// ---- Names
// ---------------------------------------------------------------------------------------

int32_t Entity_GetName(int32_t entity, char* name) {
  const EntityRecord* record = EntityAt(entity);
  if (record == nullptr || name == nullptr) return 0;
  CopyToField(name, kPathBufferSize, record->name);
  return 1;
}

int32_t Entity_SetName(int32_t entity, const char* name) {
  EntityRecord* record = EntityAt(entity);
  if (record == nullptr || name == nullptr) return 0;
  record->name = EntityText(name);
  return 1;
}

int32_t Entity_GetEntityIDByName(const char* name) {
  if (name == nullptr) return -1;
  for (const EntityRecord& record : EntityTable)
    if (record.inUse && record.name == name) return record.identifier;
  return -1;
}

// ---- Transform
// -----------------------------------------------------------------------------------

int32_t Entity_SetPosition(int32_t entity, float x, float y, float z) {
  EntityRecord* record = EntityAt(entity);
  if (record == nullptr) return 0;
  record->position = {{x, y, z}};
  record->dirty = true;
  return 1;
}

int32_t Entity_GetPosition(int32_t entity, float* x, float* y, float* z) {
  const EntityRecord* record = EntityAt(entity);
  if (record == nullptr) return 0;
  Write(x, record->position.x);
  Write(y, record->position.y);
  Write(z, record->position.z);
  return 1;
}

int32_t Entity_SetScale(int32_t entity, float x, float y, float z) {
  EntityRecord* record = EntityAt(entity);
  if (record == nullptr) return 0;
  record->scale = {{x, y, z}};
  record->dirty = true;
  return 1;
}

int32_t Entity_GetScale(int32_t entity, float* x, float* y, float* z) {
  const EntityRecord* record = EntityAt(entity);
  if (record == nullptr) return 0;
  Write(x, record->scale.x);
  Write(y, record->scale.y);
  Write(z, record->scale.z);
  return 1;
}

int32_t Entity_SetRotation(int32_t entity, float x, float y, float z) {
  EntityRecord* record = EntityAt(entity);
  if (record == nullptr) return 0;
  record->angles = {{x, y, z}};
  d3dx::D3DXMatrixRotationYawPitchRoll(&record->rotation, y, x, z);
  record->dirty = true;
  return 1;
}

int32_t Entity_GetRotation(int32_t entity, float* x, float* y, float* z) {
  const EntityRecord* record =
      LoggedEntityAt(entity, "ENTITY MANAGER : Entity_GetRotation : Bad entity index %d");
  if (record == nullptr) return 0;
  Write(x, record->angles.x);
  Write(y, record->angles.y);
  Write(z, record->angles.z);
  return 1;
}

int32_t Entity_RotateX(int32_t entity, float angle, int32_t world) {
  return Rotate(entity, angle, world, d3dx::D3DXMatrixRotationX);
}

int32_t Entity_RotateY(int32_t entity, float angle, int32_t world) {
  return Rotate(entity, angle, world, d3dx::D3DXMatrixRotationY);
}

int32_t Entity_RotateZ(int32_t entity, float angle, int32_t world) {
  return Rotate(entity, angle, world, d3dx::D3DXMatrixRotationZ);
}

int32_t Entity_SetRotationAxis(int32_t entity, int32_t axisMode) {
  EntityRecord* record =
      LoggedEntityAt(entity, "ENTITY MANAGER : Entity_SetRotationAxis : Bad entity index %d");
  if (record == nullptr) return 0;
  record->axisMode = axisMode;
  record->dirty = true;
  return 1;
}

int32_t Entity_SetRotationMatrix(int32_t entity, const D3DMATRIX* matrix) {
  EntityRecord* record = EntityAt(entity);
  if (record == nullptr || matrix == nullptr) return 0;
  static_cast<D3DMATRIX&>(record->rotation) = *matrix;
  record->dirty = true;
  return 1;
}

int32_t Entity_GetRotationMatrix(int32_t entity, D3DMATRIX* matrix) {
  const EntityRecord* record = EntityAt(entity);
  if (record == nullptr || matrix == nullptr) return 0;
  *matrix = record->rotation;
  return 1;
}

int32_t Entity_SetMatrix(int32_t entity, const D3DMATRIX* matrix) {
  EntityRecord* record = EntityAt(entity);
  if (record == nullptr || matrix == nullptr) return 0;
  static_cast<D3DMATRIX&>(record->world) = *matrix;
  static_cast<D3DMATRIX&>(record->rotation) = *matrix;
  record->position = {{matrix->m[3][0], matrix->m[3][1], matrix->m[3][2]}};
  for (int column = 0; column < 3; ++column) record->rotation.m[3][column] = 0.0f;
  record->dirty = true;
  return 1;
}

int32_t Entity_GetMatrix(int32_t entity, D3DMATRIX* matrix) {
  const EntityRecord* record = EntityAt(entity);
  if (record == nullptr || matrix == nullptr) return 0;
  *matrix = record->world;
  return 1;
}

int32_t Entity_MoveRelative(int32_t entity, float alongZ, float alongY, float alongX) {
  EntityRecord* record =
      LoggedEntityAt(entity, "ENTITY MANAGER : Entity_MoveRelative : Index out of range => %d");
  if (record == nullptr) return 0;
  const float amounts[3] = {alongX, alongY, alongZ};
  for (int row = 0; row < 3; ++row) {
    if (amounts[row] == 0.0f) continue;
    const float* axis = record->rotation.m[row];
    record->position = record->position + D3DXVECTOR3{{axis[0], axis[1], axis[2]}} * amounts[row];
  }
  record->dirty = true;
  return 1;
}

int32_t Entity_GetLookAtPoint(int32_t entity, int32_t, float* x, float* y, float* z) {
  if (EntityAt(entity) != nullptr) return 1;
  AddLog("ENTITY MANAGER : Entity_GetLookAtPoint : Bad entity index %d", entity);
  Write(x, 0.0f);
  Write(y, 0.0f);
  Write(z, 0.0f);
  return 0;
}

int32_t VortanaUtils_SetSettings(int32_t entity, const D3DVECTOR* position,
                                 const D3DVECTOR* rotation, const D3DVECTOR* scale) {
  EntityRecord* record = EntityAt(entity);
  if (record == nullptr) return 0;
  if (position != nullptr) record->position = AsVector(*position);
  if (rotation != nullptr) record->angles = AsVector(*rotation);
  if (scale != nullptr) record->scale = AsVector(*scale);
  record->dirty = true;
  return 1;
}

// ---- Material groups
// -----------------------------------------------------------------------------

int32_t Entity_GetMaterialCount(int32_t entity) {
  const EntityRecord* record =
      LoggedEntityAt(entity, "ENTITY MANAGER : Entity index out of bound !");
  return record == nullptr ? 0 : static_cast<int32_t>(record->groups.size());
}

int32_t Entity_GetGroupNumber(int32_t entity) {
  const EntityRecord* record = EntityAt(entity);
  return record == nullptr ? 0 : static_cast<int32_t>(record->groups.size());
}

int32_t Entity_GetMaterial(int32_t entity, int32_t group) {
  const AttributeMaterial* attribute = GroupAt(entity, group);
  return attribute == nullptr ? 0 : attribute->material;
}

int32_t Entity_GetTexture(int32_t entity, int32_t group) {
  const AttributeMaterial* attribute = GroupAt(entity, group);
  return attribute == nullptr ? 0 : attribute->texture;
}

int32_t Entity_SetMaterial(int32_t entity, int32_t material, int32_t group) {
  EntityRecord* record = EntityAt(entity);
  return record != nullptr && SetGroupField(*record, group, &AttributeMaterial::material, material)
             ? 1
             : 0;
}

int32_t Entity_SetTexture(int32_t entity, int32_t texture, int32_t group) {
  EntityRecord* record = EntityAt(entity);
  return record != nullptr && SetGroupField(*record, group, &AttributeMaterial::texture, texture)
             ? 1
             : 0;
}

int32_t Entity_SetSphereMapping(int32_t entity, int32_t enable, int32_t texture, int32_t group) {
  AttributeMaterial* attribute = GroupAt(entity, group);
  if (attribute == nullptr) return 0;
  attribute->sphereMap = enable != 0 ? texture : 0;
  return 1;
}
