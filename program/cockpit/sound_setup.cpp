#include "program/cockpit/sound_setup.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <exception>
#include <filesystem>
#include <span>
#include <string_view>

#include "platform/forms/dialogs.h"
#include "platform/forms/event_pump.h"
#include "platform/win/app_path.h"
#include "program/cockpit/cockpit_services.h"
#include "program/cockpit/cockpit_state.h"
#include "program/cockpit/dsky_programs.h"
#include "program/flight/flight_state.h"
#include "program/flight/loading_screen.h"
#include "program/missions/ini.h"
#include "program/missions/launcher_forms.h"
#include "program/missions/missions_state.h"
#include "program/scene/scene_state.h"
#include "program/startup/startup_state.h"

namespace {

constexpr int NotFoundText = 321;
constexpr int DefaultMusicText = 322;
constexpr const char* SilenceFile = "silence.wav";
constexpr const char* DefaultMusicFile = "backgroundmusic.mp3";
// Music whose volume reads back at or below this attenuation [hundredths of a decibel] is too
// quiet to be worth starting.
constexpr int32_t MusicStartAttenuation = -3900;

bool FileExists(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(win::ResolvePath(path), error);
}

std::string Upper(std::string_view text) {
  std::string upper(text);
  std::ranges::transform(upper, upper.begin(),
                         [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return upper;
}

// A name starting "GENERAL" names a file below the program folder; any other is in the mission's
// sound folder.
std::string ScenarioSoundPath(const std::string& value) {
  if (Upper(value.substr(0, 7)) == "GENERAL") return ProgramFolder() + "\\" + value;
  return MissionSoundFolder() + value;
}

// A flying theme with a folder is a whole path (the file dialog gives "/" paths); a bare name is
// looked for in the mission's sound folder, where the sound dialog offers it, then in the general
// folder.
std::string MusicPath(const std::string& theme) {
  if (theme.find_first_of("\\/") != std::string::npos) return theme;
  if (FileExists(MissionSoundFolder() + theme)) return MissionSoundFolder() + theme;
  return GeneralSoundFolder() + theme;
}

SoundObject MakeSound(const std::string& path) {
  auto buffer = std::make_unique<sound::SoundBuffer>(SoundEngine);
  LoadSoundFile(*buffer, path);
  return buffer;
}

void SetVolume(const SoundObject& buffer, int32_t attenuation) {
  if (buffer) buffer->SetVolume(attenuation);
}

void Play(const SoundObject& buffer) {
  if (buffer) buffer->Play();
}

void Stop(const SoundObject& buffer) {
  if (buffer) buffer->Stop();
}

// Starts a phase clip the first time it is due in the program run.
void PlayOnce(const SoundObject& buffer, PhaseClip clip) {
  if (PhaseClipPlayed[clip]) return;
  if (!IsPlaying(buffer)) Play(buffer);
  PhaseClipPlayed[clip] = true;
}

// The mission voice clips (indices of MissionVoiceSounds) that a mission type has.
std::span<const int> MissionVoiceClips(int32_t missionType) {
  static constexpr int apollo11[] = {0, 1, 2, 3, 4};
  static constexpr int apollo12[] = {1, 2};
  static constexpr int apollo15[] = {1};
  static constexpr int apollo17[] = {2, 3, 4};
  switch (missionType) {
    case 11:
      return apollo11;
    case 12:
      return apollo12;
    case 15:
      return apollo15;
    case 17:
      return apollo17;
    default:
      return {};
  }
}

// Every wave sound of the flight but the music.
template <class Visit>
void ForEachSound(Visit visit) {
  for (SoundObject* buffer :
       {&LoadingSound, &InitiationSound, &Test11Sound, &AscentSound, &SurfaceSound, &LandedSound,
        &DescentEngineSound, &RCSLoopSound, &SeparationSound, &RCSPulseSound, &ClickSound,
        &BoomSound, &DockBounceSound, &TunnelScrapeSound, &HardDockSound})
    visit(*buffer);
  for (auto* sounds : {&AltitudeCallSounds, &DescentCallSounds, &LPDCallSounds, &FuelCallSounds})
    for (SoundObject& buffer : *sounds) visit(buffer);
  for (SoundObject& buffer : DockingSounds) visit(buffer);
  for (SoundObject& buffer : MissionVoiceSounds) visit(buffer);
}

template <class Entry>
void LoadCallSounds(std::vector<SoundObject>& sounds, const std::vector<Entry>& calls) {
  sounds.clear();
  for (const Entry& call : calls) sounds.push_back(MakeSound(MissionSoundFolder() + call.File));
}

// A failed step of CreateSounds is reported and the next one runs; only a sound object that cannot
// be made at all, which leaves the flight silent, earns the box, once a call.
class SoundSteps {
 public:
  template <class Step>
  void Run(Step step) {
    try {
      step();
    } catch (const std::exception& error) {
      ShowLoadingStep(error.what(), false, 0);
      if (SoundEngine.Initialised() || boxShown_) return;
      boxShown_ = true;
      forms::MsgBox(std::string(error.what()) +
                        "\rSound engine dll may not be registered\rProgram will continue..",
                    forms::MsgBoxButtons::Ok, forms::MsgBoxIcon::None, "Sound Error");
    }
  }

 private:
  bool boxShown_ = false;
};

void CreateMusic() {
  const int32_t volume = VolumeToAttenuation(MusicVolume);
  MusicIsWave = !FlyingTheme.empty() && !Upper(FlyingTheme).ends_with("MP3");
  if (MusicIsWave) {
    MusicSound = MakeSound(MusicPath(FlyingTheme));
    MusicSound->SetVolume(volume);
  } else {
    MusicPlayer = std::make_unique<sound::MusicPlayer>(SoundEngine);
    if (FlyingTheme.empty()) {
      bool loaded = false;
      MusicPlayer->Load(GeneralSoundFolder() + DefaultMusicFile, loaded);
    } else {
      LoadMusicFile(*MusicPlayer, MusicPath(FlyingTheme));
    }
    MusicPlayer->SetVolume(volume);
  }
  if (SoundOn) RestartMusic();
}

}  // namespace

bool IsPlaying(const SoundObject& sound) {
  int32_t status = 0;
  if (sound) sound->IsPlaying(status);
  return status == 1;
}

void StopIfPlaying(const SoundObject& sound) {
  if (IsPlaying(sound)) sound->Stop();
}

std::string GeneralSoundFolder() { return ProgramFolder() + "\\General Sounds\\"; }

std::string MissionSoundFolder() {
  return ProgramFolder() + "\\Missions\\" + MissionName + "\\Sound\\";
}

void LoadSoundFile(sound::SoundBuffer& buffer, const std::string& path) {
  bool success = false;
  if (FileExists(path)) buffer.Load(path, 0, true, success);
  if (success) return;
  buffer.Load(GeneralSoundFolder() + SilenceFile, 0, true, success);
  ShowLoadingStep(path + " " + UiText[NotFoundText], false, 0);
}

void LoadMusicFile(sound::MusicPlayer& player, const std::string& path) {
  bool success = false;
  player.Load(path, success);
  if (success) return;
  player.Load(GeneralSoundFolder() + DefaultMusicFile, success);
  ShowLoadingStep(path + " " + UiText[NotFoundText], false, 0);
  forms::MsgBox(path + UiText[DefaultMusicText]);
}

int32_t VolumeToAttenuation(int32_t& volume) {
  volume = std::clamp(volume, 0, MaxVolume);
  const double full = -sound::kSilentAttenuation;
  return static_cast<int32_t>(
      std::nearbyint(full * MasterVolume / MaxVolume * volume / MaxVolume - full));
}

void ReleaseSounds() {
  ForEachSound([](SoundObject& buffer) { buffer.reset(); });
  for (auto* sounds : {&AltitudeCallSounds, &DescentCallSounds, &LPDCallSounds, &FuelCallSounds})
    sounds->clear();
  MusicSound.reset();
  MusicPlayer.reset();
}

void CreateSounds() {
  ReleaseSounds();
  DSKYNeighbours.StopAllSounds = StopAllSounds;
  SoundSteps steps;
  const std::string general = GeneralSoundFolder();
  const std::string mission = MissionSoundFolder();
  steps.Run([] { forms::DoEvents(); });
  steps.Run(CreateMusic);
  steps.Run([] {
    LoadingSound = MakeSound(ScenarioSoundPath(LoadingSoundFile));
    LoadingSound->SetVolume(VolumeToAttenuation(MasterVolume));
  });
  if (MissionType == OrbitalMission) {
    steps.Run([&] {
      DockBounceSound = MakeSound(general + "bounceoff.wav");
      DockBounceSound->SetLooping(false);
      TunnelScrapeSound = MakeSound(general + "scapeintunnel.wav");
      TunnelScrapeSound->SetLooping(true);
      HardDockSound = MakeSound(general + "harddock.wav");
      for (size_t i = 0; i < DockingSounds.size(); ++i) {
        if (DockingSoundFiles[i].empty()) DockingSoundFiles[i] = SilenceFile;
        DockingSounds[i] = MakeSound(general + DockingSoundFiles[i]);
      }
    });
  }
  steps.Run([&] { Test11Sound = MakeSound(general + "test11.wav"); });
  steps.Run([] {
    InitiationSound = MakeSound(ScenarioSoundPath(InitiationSoundFile));
    InitiationSound->SetVolume(VolumeToAttenuation(MasterVolume));
  });
  steps.Run([] { forms::DoEvents(); });
  if (MissionType != OrbitalMission) {
    steps.Run([&] {
      AscentSound = MakeSound(mission + AscentSoundFile);
      LoadCallSounds(AltitudeCallSounds, AltitudeCalls);
      LoadCallSounds(DescentCallSounds, DescentCalls);
      LoadCallSounds(LPDCallSounds, LPDCalls);
      LoadCallSounds(FuelCallSounds, FuelCalls);
    });
  }
  if (MissionType != OrbitalMission && MissionType != LMRaceMission) {
    steps.Run([&] {
      SurfaceSound = MakeSound(mission + SurfaceSoundFile);
      LandedSound = MakeSound(mission + LandedSoundFile);
    });
  }
  steps.Run([&] {
    DescentEngineSound = MakeSound(general + "DescentEngineNoise.wav");
    RCSLoopSound = MakeSound(general + "rcscont.wav");
    SeparationSound = MakeSound(general + "separate.wav");
    RCSPulseSound = MakeSound(general + "RCSBoom2.wav");
    ClickSound = MakeSound(general + "click.wav");
    BoomSound = MakeSound(general + "boom.wav");
  });
  steps.Run([&] {
    for (int clip : MissionVoiceClips(MissionType))
      MissionVoiceSounds[clip] = MakeSound(mission + MissionVoiceFiles[clip]);
  });
  steps.Run([] { SetVolume(RCSLoopSound, VolumeToAttenuation(RCSVolume)); });
}

void ApplySoundVolumes() {
  const int32_t master = VolumeToAttenuation(MasterVolume);
  const int32_t rcs = VolumeToAttenuation(RCSVolume);
  const int32_t music = VolumeToAttenuation(MusicVolume);
  DriverDialog->HScroll_MasterVolume.SetValue(static_cast<int16_t>(MasterVolume));
  SoundSettings->HScroll_RCSVolume.SetValue(static_cast<int16_t>(RCSVolume));
  SoundSettings->HScroll_EngineVolume.SetValue(static_cast<int16_t>(EngineVolume));
  SoundSettings->HScroll_MusicVolume.SetValue(static_cast<int16_t>(MusicVolume));

  SetVolume(RCSLoopSound, rcs);
  SetVolume(RCSPulseSound, rcs);
  SetVolume(LoadingSound, master);
  if (MusicIsWave) {
    SetVolume(MusicSound, music);
  } else if (MusicPlayer) {
    MusicPlayer->SetVolume(music);
  }
  SetVolume(InitiationSound, master);
  // The frame loop sets the engine noise from the thrust.
  SetVolume(DescentEngineSound, sound::kSilentAttenuation);
  SetVolume(ClickSound, master);
  SetVolume(SeparationSound, master);
  if (MissionType == OrbitalMission) {
    SetVolume(BoomSound, master);
    for (const SoundObject& buffer : DockingSounds) SetVolume(buffer, master);
    return;
  }
  for (auto* sounds : {&AltitudeCallSounds, &DescentCallSounds, &LPDCallSounds, &FuelCallSounds})
    for (const SoundObject& buffer : *sounds) SetVolume(buffer, master);
  if (MissionType != LMRaceMission) {
    SetVolume(SurfaceSound, master);
    SetVolume(LandedSound, master);
    SetVolume(AscentSound, master);
  }
  for (int clip : MissionVoiceClips(MissionType)) SetVolume(MissionVoiceSounds[clip], master);
}

void RestartMusic() {
  const int32_t volume = VolumeToAttenuation(MusicVolume);
  int32_t readBack = sound::kSilentAttenuation;
  if (MusicIsWave) {
    if (!MusicSound) return;
    MusicSound->SetLooping(true);
    MusicSound->Stop();
    MusicSound->SetVolume(volume);
    MusicSound->GetVolume(readBack);
    if (readBack > MusicStartAttenuation) MusicSound->Play();
  } else if (MusicPlayer) {
    MusicPlayer->Stop();
    MusicPlayer->SetVolume(volume);
    MusicPlayer->GetVolume(readBack);
    if (readBack > MusicStartAttenuation) MusicPlayer->Play();
  }
}

void StopMusic() {
  if (!SoundOn) return;
  if (MusicIsWave) {
    Stop(MusicSound);
  } else if (MusicPlayer) {
    MusicPlayer->Stop();
  }
}

void StopAllSounds() {
  if (!SoundOn) return;
  StopMusic();
  if (MissionType != LMRaceMission && MissionType != OrbitalMission) {
    StopIfPlaying(SurfaceSound);
    StopIfPlaying(LandedSound);
  }
  const auto voices = [](std::initializer_list<size_t> clips) {
    for (size_t clip : clips) StopIfPlaying(MissionVoiceSounds[clip]);
  };
  if (MissionType == 11) voices({0, 1, 2});
  if (MissionType == 12) voices({1, 2});
  if (MissionType == 15) voices({1});
  StopIfPlaying(InitiationSound);
  StopIfPlaying(DescentEngineSound);
  StopIfPlaying(RCSLoopSound);
  if (MissionType != OrbitalMission) StopIfPlaying(AscentSound);
  if (Test11Mode) StopIfPlaying(Test11Sound);
}

void PlayCrashSound() { Play(BoomSound); }

void PlaySeparationSound() { Play(SeparationSound); }

void PlayEngineSound() {
  if (!DescentEngineSound) return;
  DescentEngineSound->SetLooping(true);
  DescentEngineSound->Play();
}

void PlayRCSLoopSound() {
  if (!RCSLoopSound) return;
  RCSLoopSound->SetLooping(true);
  RCSLoopSound->Play();
}

void UpdatePhaseSounds() {
  if (MissionType != LMRaceMission && IsPlaying(LandedSound)) LandedSound->Stop();
  auto& clips = MissionVoiceSounds;
  // The walker's place on the path out of the cabin: 1 the porch, 2 to 3 the ladder, above 3 its
  // foot; off the path the walker is on the surface.
  if (!WalkPathMode) {
    if (MissionType == 11) Stop(clips[FootOfLadderClip]);
    if (!PhaseClipPlayed[SurfaceClip] && MissionType != LMRaceMission) {
      if (!IsPlaying(SurfaceSound)) Play(SurfaceSound);
      PhaseClipPlayed[SurfaceClip] = true;
    }
    return;
  }
  const float p = WalkPathValue;
  const bool onPorch = p >= 1.0f && p <= 1.6f;
  const bool onLadder = p >= 2.0f && p <= 3.0f;
  const bool atFoot = p > 3.0f;
  switch (MissionType) {
    case 11:
      if (onPorch) {
        PlayOnce(clips[PorchClip], PorchClip);
        Stop(clips[LadderClip]);
        Stop(clips[FootOfLadderClip]);
      } else if (onLadder) {
        PlayOnce(clips[LadderClip], LadderClip);
        Stop(clips[PorchClip]);
      } else if (atFoot) {
        PlayOnce(clips[FootOfLadderClip], FootOfLadderClip);
        Stop(clips[PorchClip]);
        Stop(clips[LadderClip]);
      }
      break;
    case 12:
      if (onLadder) {
        PlayOnce(clips[LadderClip], LadderClip);
      } else if (atFoot) {
        PlayOnce(clips[FootOfLadderClip], FootOfLadderClip);
        Stop(clips[LadderClip]);
      }
      break;
    case 15:
      if (onLadder) PlayOnce(clips[LadderClip], LadderClip);
      break;
    default:
      break;
  }
}
