#include "library/core/actors/mdl_entity.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "library/core/actors/actor_resources.h"
#include "library/core/actors/keyframe_clock.h"
#include "library/core/actors/model_shaders.h"
#include "library/core/frame/frame_state.h"
#include "library/core/geometry/maths.h"

using namespace d3d;
using d3dx::D3DXMATRIX;
using d3dx::D3DXQUATERNION;
using d3dx::D3DXVECTOR3;

namespace {

constexpr uint32_t kFirstBoneConstant = 7;
constexpr uint32_t kOnesConstant = 4;  // c4, and c6 whose w the positions take
constexpr uint32_t kColourConstant = 5;
constexpr uint32_t kHitBoxColour = 0xff773355;
constexpr float kBoundsStart = 9999.0f;

ActorModel* ModelOf(const EntityRecord& record) {
  if (record.kind != kModelKindMDL || record.mdlModel < 0 ||
      static_cast<size_t>(record.mdlModel) >= MDLModelTable.size())
    return nullptr;
  ActorModel& model = MDLModelTable[static_cast<size_t>(record.mdlModel)];
  return model.inUse ? &model : nullptr;
}

// The studio entity of an identifier, with its model; null for any other.
EntityRecord* StudioEntity(int32_t entity, ActorModel** model) {
  EntityRecord* record = EntityAt(entity);
  if (record == nullptr) return nullptr;
  *model = ModelOf(*record);
  return *model != nullptr ? record : nullptr;
}

D3DXQUATERNION Rotation(const float* angles) {
  D3DXQUATERNION q;
  Maths_EulerToQuaternion(angles[0], angles[1], angles[2], &q);
  return q;
}

// The group whose place in the model's textures is texture, or null.
const AttributeMaterial* GroupOfTexture(const EntityRecord& record, int32_t texture) {
  for (const AttributeMaterial& group : record.groups)
    if (group.position == texture) return &group;
  return nullptr;
}

IDirect3DBaseTexture8* TextureOf(const AttributeMaterial* group) {
  return group != nullptr ? ActorTexture(group->texture) : nullptr;
}

const D3DMATERIAL8* MaterialOf(const AttributeMaterial* group) {
  return ActorMaterial(group != nullptr ? group->material : 0);
}

void DrawWithTheShader(const EntityRecord& record, const ActorModel& model, const D3DMATRIX* view,
                       const D3DMATRIX* projection) {
  D3DXMATRIX combined = AsMatrix(record.world) * AsMatrix(*view) * AsMatrix(*projection);
  D3DXMATRIX transform;
  d3dx::D3DXMatrixTranspose(&transform, &combined);
  std::vector<float> bones;
  for (const D3DXMATRIX& bone : record.boneMatrices)
    for (int column = 0; column < 3; ++column)
      for (int row = 0; row < 4; ++row) bones.push_back(bone.m[row][column]);
  const bool software = model.bufferUsage == D3DUSAGE_SOFTWAREPROCESSING;
  if (software) CurrentDevice->SetRenderState(D3DRS_SOFTWAREVERTEXPROCESSING, 1);
  const D3DMATERIAL8* material = MaterialOf(record.groups.empty() ? nullptr : &record.groups[0]);
  const D3DCOLORVALUE diffuse = material != nullptr ? material->Diffuse : D3DCOLORVALUE{1, 1, 1, 1};
  const float colour[4] = {std::min(diffuse.r, 1.0f), std::min(diffuse.g, 1.0f),
                           std::min(diffuse.b, 1.0f), std::min(diffuse.a, 1.0f)};
  const float ones[4] = {1, 1, 1, 1};
  CurrentDevice->SetVertexShader(static_cast<DWORD>(ShaderIndex));
  CurrentDevice->SetVertexShaderConstant(0, &transform, 4);
  CurrentDevice->SetStreamSource(0, model.buffer, sizeof(MDLVertex));
  CurrentDevice->SetVertexShaderConstant(kOnesConstant, ones, 1);
  CurrentDevice->SetVertexShaderConstant(kColourConstant, colour, 1);
  CurrentDevice->SetVertexShaderConstant(kOnesConstant + 2, ones, 1);
  CurrentDevice->SetVertexShaderConstant(kFirstBoneConstant, bones.data(),
                                         static_cast<DWORD>(bones.size() / 4));
  for (const MdlMesh& mesh : model.data.meshes) {
    if (mesh.triangleCount == 0) continue;
    CurrentDevice->SetTexture(0, TextureOf(GroupOfTexture(record, mesh.texture)));
    CurrentDevice->DrawPrimitive(D3DPT_TRIANGLELIST, static_cast<UINT>(mesh.firstVertex),
                                 static_cast<UINT>(mesh.triangleCount));
  }
  if (software) CurrentDevice->SetRenderState(D3DRS_SOFTWAREVERTEXPROCESSING, 0);
}

void DrawOnTheProcessor(const EntityRecord& record, const ActorModel& model) {
  const auto& vertices = model.data.vertices;
  BYTE* data = nullptr;
  if (FAILED(model.buffer->Lock(0, static_cast<UINT>(vertices.size() * sizeof(MD2Vertex)), &data,
                                D3DLOCK_DISCARD)))
    return;
  for (size_t v = 0; v < vertices.size(); ++v) {
    const MDLVertex& rest = vertices[v];
    const D3DXMATRIX& bone = record.boneMatrices[static_cast<size_t>(model.data.vertexBones[v])];
    const D3DXVECTOR3 position{{rest.x, rest.y, rest.z}}, normal{{rest.nx, rest.ny, rest.nz}};
    D3DXVECTOR3 p, n;
    d3dx::D3DXVec3TransformCoord(&p, &position, &bone);
    d3dx::D3DXVec3TransformNormal(&n, &normal, &bone);
    const MD2Vertex out = {p.x, p.y, p.z, n.x, n.y, n.z, rest.u, rest.v};
    std::memcpy(data + v * sizeof out, &out, sizeof out);
  }
  model.buffer->Unlock();
  CurrentDevice->SetRenderState(D3DRS_LIGHTING, 1);
  CurrentDevice->SetTransform(D3DTS_WORLD, &record.world);
  CurrentDevice->SetVertexShader(kMdlSoftVertexFormat);
  CurrentDevice->SetStreamSource(0, model.buffer, sizeof(MD2Vertex));
  const D3DMATERIAL8* previous = nullptr;
  for (const MdlMesh& mesh : model.data.meshes) {
    if (mesh.triangleCount == 0) continue;
    const AttributeMaterial* group = GroupOfTexture(record, mesh.texture);
    CurrentDevice->SetTexture(0, TextureOf(group));
    const D3DMATERIAL8* material = MaterialOf(group);
    if (material != nullptr && material != previous) CurrentDevice->SetMaterial(material);
    previous = material;
    CurrentDevice->DrawPrimitive(D3DPT_TRIANGLELIST, static_cast<UINT>(mesh.firstVertex),
                                 static_cast<UINT>(mesh.triangleCount));
  }
}

}  // namespace

const ActorModel* MDL_ModelOf(const EntityRecord& record) { return ModelOf(record); }

void MDL_PoseBones(EntityRecord& record, const ActorModel& model, float t) {
  const auto& bones = model.data.bones;
  const int32_t boneCount = static_cast<int32_t>(bones.size());
  const MdlSequence* sequence = nullptr;
  if (record.animation >= 0 && static_cast<size_t>(record.animation) < model.data.sequences.size())
    sequence = &model.data.sequences[static_cast<size_t>(record.animation)];
  if (sequence != nullptr && (!sequence->hasData || sequence->frames <= 0)) sequence = nullptr;
  if (!(t >= 0.0f)) t = 0.0f;
  if (sequence != nullptr) t = std::min(t, static_cast<float>(sequence->frames - 1));
  const int32_t k = static_cast<int32_t>(t);
  const float f = t - static_cast<float>(k);
  for (int32_t b = 0; b < boneCount; ++b) {
    const MdlBone& bone = bones[static_cast<size_t>(b)];
    const float* now = sequence != nullptr ? sequence->At(k, b, boneCount) : bone.value;
    const float* next = sequence != nullptr ? sequence->At(k + 1, b, boneCount) : bone.value;
    D3DXVECTOR3& position = record.bonePositions[static_cast<size_t>(b)];
    position = {{now[0] + f * (next[0] - now[0]), now[1] + f * (next[1] - now[1]),
                 now[2] + f * (next[2] - now[2])}};
    D3DXQUATERNION& rotation = record.boneRotations[static_cast<size_t>(b)];
    if (now[3] == next[3] && now[4] == next[4] && now[5] == next[5]) {
      rotation = Rotation(now + 3);
    } else {
      const D3DXQUATERNION from = Rotation(now + 3), to = Rotation(next + 3);
      d3dx::D3DXQuaternionSlerp(&rotation, &from, &to, f);
    }
    D3DXMATRIX local;
    d3dx::D3DXMatrixRotationQuaternion(&local, &rotation);
    local.m[3][0] = position.x;
    local.m[3][1] = position.y;
    local.m[3][2] = position.z;
    const BoneOverride& override = record.boneOverrides[static_cast<size_t>(b)];
    if (override.enabled != 0)
      local = override.combine == 1 ? override.matrix * local : override.matrix;
    if (override.translate != 0) {
      D3DXMATRIX move;
      d3dx::D3DXMatrixTranslation(&move, override.translation.x, override.translation.y,
                                  override.translation.z);
      local = move * local;
    }
    record.boneMatrices[static_cast<size_t>(b)] =
        bone.parent < 0 ? local : local * record.boneMatrices[static_cast<size_t>(bone.parent)];
  }
}

D3DXMATRIX MDL_BoneToWorld(const EntityRecord& record, int32_t bone) {
  return record.boneMatrices[static_cast<size_t>(bone)] * record.world;
}

int32_t MDL_SegmentTest(const EntityRecord& record, const D3DVECTOR* start, const D3DVECTOR* end,
                        CollisionResult* result, int32_t kind) {
  const ActorModel* model = ModelOf(record);
  if (model == nullptr) return 0;
  if (kind == 0 || kind == 1)
    return Entity_BoundsTest(record, model->bounds, start, end, kind, result);
  result->cleared[0] = result->cleared[1] = 0;
  result->hit = 0;
  for (const MdlHitBox& box : model->data.hitBoxes) {
    const ModelBounds bounds = {box.min, box.max, {}, 0.0f};
    if (Entity_SpaceTest(MDL_BoneToWorld(record, box.bone), record.identifier, bounds, start, end,
                         0, result) != 0) {
      result->bone = box.bone;
      return 1;
    }
  }
  return 0;
}

void MDL_DrawHitBoxes(const EntityRecord& record) {
  const ActorModel* model = ModelOf(record);
  if (model == nullptr) return;
  for (const MdlHitBox& box : model->data.hitBoxes) {
    const D3DXMATRIX space = MDL_BoneToWorld(record, box.bone);
    BoundingBox_Draw(&box.min, &box.max, &space, kHitBoxColour);
  }
}

int32_t CreateEntity(const char* path, const char* name, int32_t* entity, int32_t loadTextures) {
  if (entity != nullptr) *entity = 0;
  if (path == nullptr) return 0;
  int32_t slot = MDL_FindModel(path);
  if (slot < 0) slot = MDL_LoadModel(path, loadTextures);
  if (slot < 0) return 0;
  ActorModel& model = MDLModelTable[static_cast<size_t>(slot)];
  ++model.references;
  const int32_t identifier = Entity_AllocateSlot();
  EntityRecord& record = *EntityAt(identifier);
  Entity_Begin(record, kModelKindMDL, slot, path, name != nullptr ? name : "");
  for (size_t t = 0; t < model.textures.size(); ++t)
    record.groups.push_back(
        {0, loadTextures != 0 ? model.textures[t] : 0, 0, static_cast<int32_t>(t), 0});
  const size_t bones = model.data.bones.size();
  D3DXMATRIX identity;
  d3dx::D3DXMatrixIdentity(&identity);
  record.boneMatrices.assign(bones, identity);
  record.bonePositions.resize(bones);
  record.boneRotations.resize(bones);
  record.boneOverrides.assign(bones, IdentityOverride());
  VortanaUtils_SetSequence(identifier, 0);
  MDL_PoseBones(record, model, 0.0f);
  MDLSystem_ComputeBoundingVolumes(identifier);
  if (entity != nullptr) *entity = identifier;
  return 1;
}

int32_t MDL_Delete(ActorModel* model) {
  if (model == nullptr || MDLModelTable.empty() || model < MDLModelTable.data() ||
      model >= MDLModelTable.data() + MDLModelTable.size())
    return 1;
  if (model->inUse) Entity_DetachModel(kModelKindMDL, model->slot);
  MDL_DeleteModel(model->slot);
  return 1;
}

int32_t VortanaUtils_SetSequence(int32_t entity, int32_t sequence) {
  ActorModel* model = nullptr;
  EntityRecord* record = StudioEntity(entity, &model);
  if (record == nullptr) return 0;
  const auto& sequences = model->data.sequences;
  if (sequence < 0 || static_cast<size_t>(sequence) >= sequences.size()) {
    if (!sequences.empty() || sequence != 0) {
      AddLog("MDL MANAGER : MDL_SetSequence : Entity %d : There is no sequence %d", entity,
             sequence);
      return 0;
    }
  } else if (!sequences[static_cast<size_t>(sequence)].hasData) {
    AddLog(
        "MDL MANAGER : MDL_SetSequence : Entity %d : This animation sequence was in the sequences "
        "file that couldn't be loaded. Therefore the first animation will be used",
        entity);
    sequence = 0;
  }
  record->animation = sequence;
  record->frame = 0.0f;
  record->speed = 1.0f;
  record->sequenceFrames = sequences.empty() ? 0 : sequences[static_cast<size_t>(sequence)].frames;
  return 1;
}

int32_t VortanaUtils_MDLUpdate(int32_t entity, float elapsed) {
  ActorModel* model = nullptr;
  EntityRecord* record = StudioEntity(entity, &model);
  if (record == nullptr) return 0;
  // Only a long frame is cut short here: a negative time plays the sequence backwards.
  if (std::isnan(elapsed)) elapsed = 0.0f;
  elapsed = std::min(elapsed, kMaxElapsedTime);
  float t = record->frame;
  if (record->finished == 0) t += elapsed * record->speed * kSecondsPerMillisecond;
  const float frames = static_cast<float>(record->sequenceFrames);
  const bool once = record->playOnce == 1;
  if (!std::isfinite(t) || frames <= 1.0f) {
    if (once && frames <= 1.0f) record->finished = 1;
    t = 0.0f;
  } else {
    if (t < 0.0f) {
      if (once) {
        record->finished = 1;
        t = 0.0f;
      } else {
        t = std::fmod(t, frames) + frames;
      }
    }
    if (t >= frames - 1.0f) {
      if (once) {
        record->finished = 1;
        t = frames - 1.0f;
      } else {
        t = std::fmod(t, frames - 1.0f);
      }
    }
  }
  record->frame = t;
  MDL_PoseBones(*record, *model, t);
  return 1;
}

int32_t MDLSystem_ComputeBoundingVolumes(int32_t entity) {
  ActorModel* model = nullptr;
  const EntityRecord* record = StudioEntity(entity, &model);
  if (record == nullptr) return 0;
  D3DXVECTOR3 low{{kBoundsStart, kBoundsStart, kBoundsStart}};
  D3DXVECTOR3 high{{-kBoundsStart, -kBoundsStart, -kBoundsStart}};
  const auto& vertices = model->data.vertices;
  for (size_t v = 0; v < vertices.size(); ++v) {
    const D3DXVECTOR3 rest{{vertices[v].x, vertices[v].y, vertices[v].z}};
    D3DXVECTOR3 p;
    d3dx::D3DXVec3TransformCoord(
        &p, &rest, &record->boneMatrices[static_cast<size_t>(model->data.vertexBones[v])]);
    low = {{std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z)}};
    high = {{std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z)}};
  }
  model->bounds.min = low;
  model->bounds.max = high;
  model->bounds.centre = (low + high) * 0.5f;
  const D3DXVECTOR3 half = model->bounds.centre - low;
  model->bounds.radius = d3dx::D3DXVec3Length(&half);
  model->boundsComputed = true;
  return 1;
}

int32_t VortanaUtils_MDLRender(int32_t entity, const D3DMATRIX* view, const D3DMATRIX* projection) {
  ActorModel* model = nullptr;
  const EntityRecord* record = StudioEntity(entity, &model);
  if (record == nullptr || CurrentDevice == nullptr) return 0;
  if (!model->boundsComputed) MDLSystem_ComputeBoundingVolumes(entity);
  CurrentDevice->SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
  CurrentDevice->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  CurrentDevice->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  CurrentDevice->SetRenderState(D3DRS_LIGHTING, 0);
  // A lost buffer, or a shader path without its shader, has nothing to draw with.
  if (model->buffer == nullptr || (model->shaderPath && ShaderIndex <= 0)) return 1;
  if (model->shaderPath && view != nullptr && projection != nullptr)
    DrawWithTheShader(*record, *model, view, projection);
  else if (!model->shaderPath)
    DrawOnTheProcessor(*record, *model);
  else
    return 1;
  CountPolygons(static_cast<int32_t>(model->data.vertices.size() / 3));
  return 1;
}
