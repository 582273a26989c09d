// Studio entities: the MDL side of the entity table's update, draw, bones and collision.
#pragma once

#include <cstdint>

#include "library/core/actors/entities.h"
#include "library/core/actors/mdl_models.h"

// The model a studio entity reaches; null for any other entity or a model that went away.
const ActorModel* MDL_ModelOf(const EntityRecord& record);
// Poses the entity's bones at time t (frames) of its current sequence.
void MDL_PoseBones(EntityRecord& record, const ActorModel& model, float t);
// The bones' matrices carried into the world, for the bone queries and hit boxes.
d3dx::D3DXMATRIX MDL_BoneToWorld(const EntityRecord& record, int32_t bone);
// The box or sphere (kinds 0 and 1) or the hit boxes (other kinds); 1 on a hit.
int32_t MDL_SegmentTest(const EntityRecord& record, const d3d::D3DVECTOR* start,
                        const d3d::D3DVECTOR* end, CollisionResult* result, int32_t kind);
// Draws the hit boxes under the entity's bones.
void MDL_DrawHitBoxes(const EntityRecord& record);
