// Skinned entities: the X-file side of the entity table's creation, update, draw and queries.
#pragma once

#include <cstdint>

#include "library/core/actors/entities.h"
#include "library/core/actors/skinned_models.h"

// The model a skinned entity reaches; null for any other entity or a model that went away.
SkinnedModelRecord* SkinnedMesh_ModelOf(const EntityRecord& record);
// Writes the new identifier and returns 1, or writes 0 and returns 0.
int32_t SkinnedMesh_Create(const char* path, const char* name, int32_t* entity,
                           int32_t loadTextures);
// Advances the entity's time (ticks) and poses the model's frames for it.
void SkinnedMesh_StepEntity(EntityRecord& record, float elapsedMilliseconds);
// Poses the frames for the entity at its current time, without advancing it.
void SkinnedMesh_PoseEntity(EntityRecord& record);
// Draws the entity with its groups' materials; returns the faces drawn.
int32_t SkinnedMesh_DrawEntity(EntityRecord& record);
// The entity's time within its current set.
float SkinnedMesh_KeyFrame(const EntityRecord& record);
// Kind 4's Entity_LoadAdditionalAnimations: every entity of the model gets the new frames' bones.
int32_t SkinnedMesh_LoadEntityAnimations(EntityRecord& record, const char* path);
