// The engine starts and the stage separation: what the DSKY's programs, the staging key and the
// abort call to light an engine or leave the descent stage behind.
#pragma once

#include "program/flight/vector3.h"

// Velocity (world axes) and life (seconds) of a new ascent exhaust particle.
void NewAscentParticle(Vector3& velocity, float& life);
void StartAscentEngine();
void StartDescentEngine();
void StageAndAscend();
