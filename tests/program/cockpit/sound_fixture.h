// A program folder with the general sounds and, for each mission chosen, a sound folder with the
// files its scenario names; the sound engine headless on virtual time. Each test starts with no
// sound object and the phase clips not yet played.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/forms/event_pump.h"
#include "platform/forms/script.h"
#include "program/cockpit/cockpit_state.h"
#include "program/cockpit/dsky_programs.h"
#include "program/cockpit/sound_setup.h"
#include "program/missions/ini.h"
#include "program/missions/launcher_forms.h"
#include "program/scene/scene_state.h"
#include "program/startup/native_strings.h"
#include "tests/program/missions/program_folder.h"

inline constexpr const char* kGeneralFiles[] = {
    "silence.wav",       "test11.wav",   "DescentEngineNoise.wav",
    "rcscont.wav",       "RCSBoom2.wav", "separate.wav",
    "click.wav",         "boom.wav",     "bounceoff.wav",
    "scapeintunnel.wav", "harddock.wav", "undock1.wav"};
inline constexpr const char* kVoiceFiles[] = {"onporch.wav", "downladder.wav", "footofladder.wav",
                                              "driftingright.wav", "forward.wav"};

inline int32_t VolumeOf(const SoundObject& buffer) {
  int32_t attenuation = 1;
  buffer->GetVolume(attenuation);
  return attenuation;
}

inline bool Playing(const SoundObject& buffer) {
  int32_t status = 0;
  buffer->IsPlaying(status);
  return status == 1;
}

class SoundSetup : public ProgramFolderTest {
 protected:
  void SetUp() override {
    ProgramFolderTest::SetUp();
    forms::UseClock(&clock_);
    forms::script::StartAfresh();
    for (int32_t id : {321, 322}) UiText[id] = NativeString(id, "");
    int32_t result = 0;
    SoundEngine.Init(0, result);
    for (const char* name : kGeneralFiles) PutWave(std::string("General Sounds/") + name);
    PutFile("tone.mp3", "General Sounds/backgroundmusic.mp3");
    // The launcher is up before any flight, as in the program: its load reads the settings, which
    // would otherwise overwrite the volumes a test sets when ApplySoundVolumes first shows them.
    DriverDialog.Get();
    SoundSettings.Get();
    MasterVolume = 100;
    RCSVolume = EngineVolume = MusicVolume = 50;
    SoundOn = true;
    FlyingTheme = "backgroundmusic.mp3";
    LoadingSoundFile = "startloading.wav";
    InitiationSoundFile = "General Sounds\\test11.wav";
    AscentSoundFile = "ascent.wav";
    SurfaceSoundFile = "surface.wav";
    LandedSoundFile = "landed.wav";
    MissionVoiceFiles = {kVoiceFiles[0], kVoiceFiles[1], kVoiceFiles[2], kVoiceFiles[3],
                         kVoiceFiles[4]};
    DockingSoundFiles = {"undock1.wav", "", "", ""};
    AltitudeCalls = {{.File = "alt3000.wav"}, {.File = "alt400.wav"}};
    DescentCalls = {{.File = "down1.wav"}};
    LPDCalls = {{.File = "lpd40.wav"}};
    FuelCalls = {{.File = "quantitylight.wav"}};
    ChooseMission("Apollo 11", 11);
  }
  void TearDown() override {
    ReleaseSounds();
    PhaseClipPlayed = {};
    SoundEngine = sound::SoundEngine();
    forms::script::StartAfresh();
    forms::UseClock(nullptr);
  }

  // Chooses the mission and gives it a sound folder holding every file its scenario names.
  void ChooseMission(const std::string& name, int32_t type) {
    MissionName = name;
    MissionType = type;
    const std::string folder = "Missions/" + name + "/Sound/";
    for (const std::string& file :
         {LoadingSoundFile, AscentSoundFile, SurfaceSoundFile, LandedSoundFile})
      PutWave(folder + file);
    for (const char* file : kVoiceFiles) PutWave(folder + file);
    for (const auto* calls : {&DescentCalls, &LPDCalls, &FuelCalls})
      for (const auto& call : *calls) PutWave(folder + call.File);
    for (const auto& call : AltitudeCalls) PutWave(folder + call.File);
  }

  void PutFile(const std::string& fixture, const std::string& relative) const {
    std::filesystem::create_directories((folder_.Path() / relative).parent_path());
    std::filesystem::copy_file(std::string(MAROVIN_FIXTURES) + "/sound/" + fixture,
                               folder_.Path() / relative,
                               std::filesystem::copy_options::overwrite_existing);
  }
  void PutWave(const std::string& relative) const { PutFile("tone.wav", relative); }

  static std::string General(const std::string& file) { return GeneralSoundFolder() + file; }
  static std::string Mission(const std::string& file) { return MissionSoundFolder() + file; }

  forms::VirtualClock clock_;
  SavedVariables saved_ = SavedVariables(
      MasterVolume, RCSVolume, EngineVolume, MusicVolume, SoundOn, FlyingTheme, LoadingSoundFile,
      InitiationSoundFile, AscentSoundFile, SurfaceSoundFile, LandedSoundFile, MissionVoiceFiles,
      DockingSoundFiles, AltitudeCalls, DescentCalls, LPDCalls, FuelCalls, WalkPathMode,
      WalkPathValue, MusicIsWave, DSKYNeighbours, UiText);
};
