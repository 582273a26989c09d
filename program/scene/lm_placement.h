// The LM's meshes each frame: their offsets from the stage roots, their turns (flown, and the
// mesh turns a replay takes), the left-behind descent stage, the legs, the jet plumes, the shadow
// picture laid beside the LM and the passes that draw the stages alone.
#pragma once

#include "platform/engine/scene.h"
#include "program/flight/vector3.h"

// The turns of the LM's meshes that the flight's replay turns take: by (roll, pitch, yaw)
// increments, to the axes' angles (or their opposites with `sign` -1), the descent stage's, and
// the jet plumes' group after the pivot.
void Turn(engine::EngineMesh& mesh, const Vector3& increment);
void SetAbsoluteRotation(engine::EngineMesh& mesh, float sign);
void TurnDescentStage(const Vector3& increment);
void PlumesFollowThePivot();
// The ascent stage drawn from the cockpit eye, without the parts that would stand in its way.
void RenderAscentStage();
// The stages' shadow companions in their own pass, hidden again afterwards (the Orbital loop).
void RenderStageMeshes();
