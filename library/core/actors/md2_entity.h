// Keyframe entities: the MD2 side of the entity table's update, draw, bounds and collision.
#pragma once

#include <cstdint>

#include "library/core/actors/entities.h"
#include "library/core/actors/md2_models.h"

// The model an MD2 entity reaches; null for any other entity or a model that went away.
const ActorModel2* MD2_ModelOf(const EntityRecord& record);
// The first frame's box and sphere.
ModelBounds MD2_Bounds(const ActorModel2& model);
// Advances the entity's time through its animation's frames, wrapping at its end.
void MD2_StepEntity(EntityRecord& record, float elapsedMilliseconds);
// Draws the entity's current blend; false when it has no model.
bool MD2_DrawEntity(const EntityRecord& record, const d3d::D3DMATRIX* view,
                    const d3d::D3DMATRIX* projection);
// The segment against the first frame's box (kind 1: its sphere); 1 on a hit, filling the result.
int32_t MD2_SegmentTest(const EntityRecord& record, const d3d::D3DVECTOR* start,
                        const d3d::D3DVECTOR* end, CollisionResult* result, int32_t kind);
