// The LM's meshes each frame: their offsets from the stage roots, their turns (flown or played
// back), the left-behind descent stage, the legs, the jet plumes, the shadow picture laid beside
// the LM and the passes that draw the stages alone.
#pragma once

// The turns of a replay: by this frame's increments, or absolutely from the axes' angles during
// its first 300 ms.
void ApplyLMAttitude();
// The ascent stage drawn from the cockpit eye, without the parts that would stand in its way.
void RenderAscentStage();
// The stages' shadow companions in their own pass, hidden again afterwards (the Orbital loop).
void RenderStageMeshes();
