// The flight's sound objects: made from the mission scenario's sound names and the fixed files of
// the general sound folder, their volumes from the user's settings, the music and the clips of the
// mission's phases.
//
// Every wave load falls back to the general folder's silence file and every music load to its
// default music, so a flight always has all the sound objects of its mission type.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/sound/music_player.h"
#include "platform/sound/sound_buffer.h"
#include "program/cockpit/cockpit_state.h"

// The general sound folder and the current mission's sound folder, program paths ending in "\".
std::string GeneralSoundFolder();
std::string MissionSoundFolder();

// Makes every sound object of MissionType anew and starts the music when sound is on.
void CreateSounds();
// Releases every sound object.
void ReleaseSounds();

// Whether a sound object is playing; one the set-up did not make (null) never is.
bool IsPlaying(const std::unique_ptr<sound::SoundBuffer>& sound);
// Stops a sound object that is playing, and leaves a null or silent one alone.
void StopIfPlaying(const std::unique_ptr<sound::SoundBuffer>& sound);

// Loads a wave file; a missing or unplayable one loads the silence file and is reported on the
// loading screen.
void LoadSoundFile(sound::SoundBuffer& buffer, const std::string& path);
// Loads an MP3 file; one that cannot be loaded loads the default music, reported on the loading
// screen and in a message box.
void LoadMusicFile(sound::MusicPlayer& player, const std::string& path);

// The attenuation of a volume setting (0..100, clamped in place) under MasterVolume.
int32_t VolumeToAttenuation(int32_t& volume);
// Shows the volume settings on the dialogs' scroll bars and sets every sound object's volume.
void ApplySoundVolumes();
// With sound on, stops the music.
void StopMusic();
// With sound on, stops the music and every sound of the mission type that may be playing.
void StopAllSounds();
// Starts and stops the voice clips of the mission's phases by the position of the view path.
void UpdatePhaseSounds();
