// The output that users hear: SDL2_mixer on the default audio device (SDL_AUDIODRIVER chooses the
// driver; tests use "dummy", which consumes the sound in real time without a device).
//
// Each wave sound is a Mix_Chunk on a mixer channel of its own, so sounds overlap freely and the
// stop, looping or volume of one never touches another. Music is the mixer's one music stream;
// the program holds one music player. Time here is real time: a sound plays as long as the mixer
// says it does. Every play loops on the mixer; one that must end (a single play, or a loop whose
// looping was switched off) falls silent at the exact end of its pass and is halted just after.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/sound/output.h"

namespace sound {

// The mixer's volume (0 silent to 128 full) for an attenuation from kSilentAttenuation to
// kFullAttenuation: linear in amplitude, with the amplitude of the silent end moved to zero.
int MixerVolume(int32_t attenuation);

// Opens the default audio device; nullptr, with the reason, when there is none.
std::shared_ptr<Output> OpenMixerOutput(std::string& reason);

}  // namespace sound
