// The entity table: every animated model placed in the scene, one record each, addressed by its
// index. A record refers to one shared loaded model of its kind and owns what differs between
// the actors of one model: transform, animation time, per-group material and texture, bones.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "library/core/vortanautil.h"
#include "platform/d3dx/math.h"

inline constexpr int32_t kModelKindNone = 0;  // a free record, or one whose model went away
inline constexpr int32_t kModelKindMDL = 1;
inline constexpr int32_t kModelKindMD2 = 2;
inline constexpr int32_t kModelKindSkinned = 4;

inline constexpr size_t kEntityNameLength = 255;  // characters kept of a name or path
inline constexpr int32_t kAppendedAlphaRef = 8;   // alpha reference of a record the table grew by
inline constexpr float kNearestCollisionBound = 9999.0f;  // world units

// One material group of an entity: what the draw binds for it.
struct AttributeMaterial {
  int32_t material;  // MaterialTable identifier
  int32_t texture;   // TextureTable identifier, 0 for none
  int32_t unused;
  int32_t position;   // the group's place in the model's material list
  int32_t sphereMap;  // texture for the sphere map, 0 for none
};
static_assert(sizeof(AttributeMaterial) == 20);

// A caller's change to one bone: the matrix multiplies (combine 1) or replaces the bone's local
// transform while enabled; with translate set, the vector moves it afterwards.
struct BoneOverride {
  d3dx::D3DXMATRIX matrix;
  d3d::D3DVECTOR translation;
  int32_t enabled;
  int32_t translate;
  int32_t combine;
  int32_t last;
  int32_t padding;
};
static_assert(sizeof(BoneOverride) == 96);

BoneOverride IdentityOverride();

struct EntityRecord {
  int32_t mdlModel = 0;
  int32_t md2Model = 0;
  int32_t skinnedModel = 0;
  std::vector<AttributeMaterial> groups;
  int32_t showHitBoxes = 0;
  int32_t showBoundingBox = 0;
  float customStart = 0.0f;
  float customEnd = 0.0f;
  bool customRange = false;
  int32_t frustumCulling = 0;
  int32_t playOnce = 0;
  int32_t finished = 0;
  int32_t cullMode = 0;
  bool dirty = false;
  int32_t identifier = 0;
  int32_t enabled = 0;
  int32_t visible = 0;
  bool inUse = false;
  int32_t kind = kModelKindNone;
  int32_t axisMode = 0;
  std::string path;
  std::string name;
  d3dx::D3DXVECTOR3 position{};
  d3dx::D3DXVECTOR3 angles{};
  d3dx::D3DXVECTOR3 scale{};
  d3dx::D3DXMATRIX world{};
  d3dx::D3DXMATRIX rotation{};
  std::vector<d3dx::D3DXMATRIX> boneMatrices;
  std::vector<d3dx::D3DXVECTOR3> bonePositions;
  std::vector<d3dx::D3DXQUATERNION> boneRotations;
  std::vector<BoneOverride> boneOverrides;
  float speed = 0.0f;
  int32_t sequenceFrames = 0;
  float frame = 0.0f;
  int32_t animation = 0;
  int32_t alphaTest = 0;
  int32_t alphaRef = 0;
};

extern std::vector<EntityRecord> EntityTable;

// The first free record, else a new one at the end (alpha test on at 8, frustum culling on); the
// record is in use with its identifier and nothing else set.
int32_t Entity_AllocateSlot();
// The record of a valid identifier, else null.
EntityRecord* EntityAt(int32_t entity);
// The same for an export that logs its refusal: message (given the identifier) for a bad one.
EntityRecord* LoggedEntityAt(int32_t entity, const char* message);
// Fills what every kind's new entity starts with: kind, model index, path, name ("noname" becomes
// "Entity%d"), enabled, cull mode none, frustum culling, unit scale, identity matrices.
void Entity_Begin(EntityRecord& record, int32_t kind, int32_t model, const char* path,
                  const char* name);
// Clears a record taken for a model that could not be made.
void Entity_Abandon(int32_t entity);
// Entities of a deleted model keep their records but reach no model any more.
void Entity_DetachModel(int32_t kind, int32_t model);
// A model's box and sphere in its own space.
struct ModelBounds {
  d3dx::D3DXVECTOR3 min;
  d3dx::D3DXVECTOR3 max;
  d3dx::D3DXVECTOR3 centre;
  float radius;
};
// The segment, carried into model space, against the sphere (kind 1) or the box (other kinds):
// on a hit within the segment fills the result in world space and returns 1; else hit 0 and 0.
int32_t Entity_BoundsTest(const EntityRecord& record, const ModelBounds& bounds,
                          const d3d::D3DVECTOR* start, const d3d::D3DVECTOR* end, int32_t kind,
                          CollisionResult* result);
// The same in the space that space carries to the world (a bone's, say).
int32_t Entity_SpaceTest(const d3dx::D3DXMATRIX& space, int32_t identifier,
                         const ModelBounds& bounds, const d3d::D3DVECTOR* start,
                         const d3d::D3DVECTOR* end, int32_t kind, CollisionResult* result);
// Frees every entity and the table (the models are the families' to free); the frame time goes back
// to 0.
void Entity_FreeAll();
// A name as an entity keeps it: at most kEntityNameLength characters.
std::string EntityText(const char* text);
