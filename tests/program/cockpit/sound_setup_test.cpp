#include "program/cockpit/sound_setup.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "program/cockpit/cockpit_services.h"
#include "program/cockpit/cockpit_state.h"
#include "program/missions/launcher_forms.h"
#include "program/scene/scene_state.h"
#include "tests/program/cockpit/sound_fixture.h"

namespace {

TEST(VolumeToAttenuation, ScalesByTheMasterVolumeAndClampsInPlace) {
  struct Case {
    int32_t master, volume, attenuation, stored;
  };
  SavedVariables saved(MasterVolume);
  for (const Case& c : std::vector<Case>{{100, 100, 0, 100},
                                         {100, 50, -2000, 50},
                                         {50, 50, -3000, 50},
                                         {50, 100, -2000, 100},
                                         {0, 80, -4000, 80},
                                         {80, 0, -4000, 0},
                                         {100, 150, 0, 100},
                                         {100, -5, -4000, 0},
                                         {33, 33, -3564, 33}}) {
    MasterVolume = c.master;
    int32_t volume = c.volume;
    EXPECT_EQ(VolumeToAttenuation(volume), c.attenuation) << c.master << " " << c.volume;
    EXPECT_EQ(volume, c.stored);
  }
}

TEST_F(SoundSetup, MakesTheObjectsOfEachMissionTypeFromTheirFolders) {
  struct Case {
    std::string mission;
    int32_t type;
    std::vector<int> voices;
  };
  for (const Case& c : std::vector<Case>{{"Apollo 11", 11, {0, 1, 2, 3, 4}},
                                         {"Apollo 12", 12, {1, 2}},
                                         {"Apollo 15", 15, {1}},
                                         {"Apollo 17", 17, {2, 3, 4}},
                                         {"LM Race", 98, {}},
                                         {"Orbital", 99, {}}}) {
    SCOPED_TRACE(c.mission);
    ChooseMission(c.mission, c.type);
    CreateSounds();
    EXPECT_EQ(LoadingSound->Path(), Mission("startloading.wav"));
    EXPECT_EQ(InitiationSound->Path(), ProgramFolder() + "\\General Sounds\\test11.wav");
    EXPECT_EQ(Test11Sound->Path(), General("test11.wav"));
    EXPECT_EQ(ClickSound->Path(), General("click.wav"));
    EXPECT_EQ(BoomSound->Path(), General("boom.wav"));
    EXPECT_EQ(DescentEngineSound->Path(), General("DescentEngineNoise.wav"));
    EXPECT_EQ(MusicPlayer->Path(), General("backgroundmusic.mp3"));
    EXPECT_FALSE(MusicIsWave);
    const bool orbital = c.type == 99;
    const bool surface = c.type < 98;
    ASSERT_EQ(AscentSound != nullptr, !orbital);
    if (!orbital) {
      EXPECT_EQ(AscentSound->Path(), Mission("ascent.wav"));
      ASSERT_EQ(AltitudeCallSounds.size(), 2u);
      EXPECT_EQ(AltitudeCallSounds[1]->Path(), Mission("alt400.wav"));
      EXPECT_EQ(FuelCallSounds[0]->Path(), Mission("quantitylight.wav"));
    } else {
      EXPECT_TRUE(AltitudeCallSounds.empty());
    }
    ASSERT_EQ(SurfaceSound != nullptr, surface);
    if (surface) {
      EXPECT_EQ(LandedSound->Path(), Mission("landed.wav"));
    }
    ASSERT_EQ(DockingSounds[0] != nullptr, orbital);
    ASSERT_EQ(TunnelScrapeSound != nullptr, orbital);
    if (orbital) {
      EXPECT_EQ(DockingSounds[0]->Path(), General("undock1.wav"));
      EXPECT_EQ(DockingSoundFiles[3], "silence.wav");
      EXPECT_EQ(DockingSounds[3]->Path(), General("silence.wav"));
      EXPECT_TRUE(TunnelScrapeSound->Looping());
      EXPECT_FALSE(DockBounceSound->Looping());
    }
    for (int clip = 0; clip < 5; ++clip) {
      const bool made = std::ranges::find(c.voices, clip) != c.voices.end();
      ASSERT_EQ(MissionVoiceSounds[clip] != nullptr, made) << clip;
      if (made) {
        EXPECT_EQ(MissionVoiceSounds[clip]->Path(), Mission(kVoiceFiles[clip]));
      }
    }
    EXPECT_EQ(VolumeOf(LoadingSound), 0);
    EXPECT_EQ(VolumeOf(RCSLoopSound), -2000);
    EXPECT_TRUE(forms::script::ShownMessageBoxes().empty());
  }
}

TEST_F(SoundSetup, AppliesTheVolumesOfEachMissionType) {
  MasterVolume = 50;
  RCSVolume = 100;
  MusicVolume = 50;
  EngineVolume = 70;
  for (int32_t type : {11, 98, 99}) {
    SCOPED_TRACE(type);
    ChooseMission("Mission", type);
    CreateSounds();
    // What is not set keeps the full volume that a new sound has.
    ApplySoundVolumes();
    EXPECT_EQ(VolumeOf(ClickSound), -3000);
    EXPECT_EQ(VolumeOf(RCSPulseSound), -2000);
    EXPECT_EQ(VolumeOf(DescentEngineSound), -4000);
    EXPECT_EQ(VolumeOf(Test11Sound), 0);
    int32_t music = 0;
    MusicPlayer->GetVolume(music);
    EXPECT_EQ(music, -3000);
    EXPECT_EQ(VolumeOf(BoomSound), type == 99 ? -3000 : 0);
    if (type == 99) {
      EXPECT_EQ(VolumeOf(DockingSounds[2]), -3000);
      EXPECT_EQ(VolumeOf(HardDockSound), 0);
    } else {
      EXPECT_EQ(VolumeOf(DescentCallSounds[0]), -3000);
      EXPECT_EQ(VolumeOf(AscentSound), type == 98 ? 0 : -3000);
    }
    if (type == 11) {
      EXPECT_EQ(VolumeOf(MissionVoiceSounds[4]), -3000);
    }
  }
  EXPECT_EQ(DriverDialog->HScroll_MasterVolume.Value(), 50);
  EXPECT_EQ(SoundSettings->HScroll_RCSVolume.Value(), 100);
  EXPECT_EQ(SoundSettings->HScroll_EngineVolume.Value(), 70);
  EXPECT_EQ(SoundSettings->HScroll_MusicVolume.Value(), 50);
}

TEST_F(SoundSetup, AMissingWaveFileLoadsSilence) {
  std::filesystem::remove(folder_.Path() / "Missions/Apollo 11/Sound/alt400.wav");
  LandedSoundFile = "";
  CreateSounds();
  EXPECT_EQ(AltitudeCallSounds[1]->Path(), General("silence.wav"));
  EXPECT_EQ(LandedSound->Path(), General("silence.wav"));
  EXPECT_EQ(AltitudeCallSounds[0]->Path(), Mission("alt3000.wav"));
  EXPECT_TRUE(forms::script::ShownMessageBoxes().empty());
}

TEST_F(SoundSetup, FindsTheFlyingThemeByItsName) {
  PutFile("tone.mp3", "Missions/Apollo 11/Sound/theme.MP3");
  PutFile("tone.mp3", "General Sounds/general.mp3");
  PutWave("General Sounds/theme.wav");
  const std::string whole = (folder_.Path() / "General Sounds" / "general.mp3").string();
  struct Case {
    std::string theme;
    bool wave;
    std::string path;
  };
  for (const Case& c : std::vector<Case>{{"theme.MP3", false, Mission("theme.MP3")},
                                         {"general.mp3", false, General("general.mp3")},
                                         {whole, false, whole},
                                         {ProgramFolder() + "\\General Sounds\\general.mp3", false,
                                          ProgramFolder() + "\\General Sounds\\general.mp3"},
                                         {"theme.wav", true, General("theme.wav")},
                                         {"", false, General("backgroundmusic.mp3")}}) {
    SCOPED_TRACE(c.theme);
    FlyingTheme = c.theme;
    CreateSounds();
    ASSERT_EQ(MusicIsWave, c.wave);
    if (c.wave) {
      EXPECT_EQ(MusicSound->Path(), c.path);
      EXPECT_TRUE(MusicSound->Looping());
      EXPECT_TRUE(Playing(MusicSound));
    } else {
      EXPECT_EQ(MusicPlayer->Path(), c.path);
      EXPECT_TRUE(MusicPlayer->Playing());
    }
  }
  EXPECT_TRUE(forms::script::ShownMessageBoxes().empty());
}

TEST_F(SoundSetup, MusicThatCannotLoadFallsBackToTheDefaultWithABox) {
  FlyingTheme = "missing.mp3";
  CreateSounds();
  EXPECT_EQ(MusicPlayer->Path(), General("backgroundmusic.mp3"));
  const auto& boxes = forms::script::ShownMessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].prompt,
            General("missing.mp3") + " not found. Using default background music.");
  EXPECT_EQ(boxes[0].buttons, forms::MsgBoxButtons::Ok);
}

TEST_F(SoundSetup, WithoutASoundEngineTheBuildGoesOnAfterOneBox) {
  SoundEngine = sound::SoundEngine();
  EXPECT_NO_THROW(CreateSounds());
  const auto& boxes = forms::script::ShownMessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].title, "Sound Error");
  EXPECT_NE(
      boxes[0].prompt.find("\rSound engine dll may not be registered\rProgram will continue.."),
      std::string::npos);
  EXPECT_NO_THROW(ApplySoundVolumes());
  EXPECT_NO_THROW(StopAllSounds());
  EXPECT_NO_THROW(PlayRCSLoopSound());
}

TEST_F(SoundSetup, MusicStartsOnlyAboveTheQuietestVolume) {
  struct Case {
    int32_t master, music;
    bool plays;
  };
  for (const Case& c :
       std::vector<Case>{{100, 50, true}, {0, 100, false}, {100, 2, false}, {100, 3, true}}) {
    MasterVolume = c.master;
    MusicVolume = c.music;
    CreateSounds();
    EXPECT_EQ(MusicPlayer->Playing(), c.plays) << c.master << " " << c.music;
  }
}

TEST_F(SoundSetup, StopsTheMusicOnlyWithSoundOn) {
  CreateSounds();
  SoundOn = false;
  StopMusic();
  EXPECT_TRUE(MusicPlayer->Playing());
  SoundOn = true;
  StopMusic();
  EXPECT_FALSE(MusicPlayer->Playing());
  RestartMusic();
  EXPECT_TRUE(MusicPlayer->Playing());
}

TEST_F(SoundSetup, PhaseClipsPlayOnceAProgramRun) {
  CreateSounds();
  auto& clips = MissionVoiceSounds;
  WalkPathMode = true;
  WalkPathValue = 1.3f;
  UpdatePhaseSounds();
  EXPECT_TRUE(Playing(clips[PorchClip]));
  WalkPathValue = 2.5f;
  UpdatePhaseSounds();
  EXPECT_FALSE(Playing(clips[PorchClip]));
  EXPECT_TRUE(Playing(clips[LadderClip]));
  WalkPathValue = 1.3f;
  UpdatePhaseSounds();
  EXPECT_FALSE(Playing(clips[PorchClip]));
  EXPECT_FALSE(Playing(clips[LadderClip]));
  WalkPathValue = 3.5f;
  UpdatePhaseSounds();
  EXPECT_TRUE(Playing(clips[FootOfLadderClip]));

  // The path left, the surface sound starts once and the clip at the foot of the ladder stops.
  LandedSound->Play();
  WalkPathMode = false;
  UpdatePhaseSounds();
  EXPECT_FALSE(Playing(LandedSound));
  EXPECT_FALSE(Playing(clips[FootOfLadderClip]));
  EXPECT_TRUE(Playing(SurfaceSound));
  SurfaceSound->Stop();
  UpdatePhaseSounds();
  EXPECT_FALSE(Playing(SurfaceSound));

  // A later flight of the same run.
  CreateSounds();
  WalkPathMode = true;
  WalkPathValue = 1.3f;
  UpdatePhaseSounds();
  EXPECT_FALSE(Playing(MissionVoiceSounds[PorchClip]));
}

TEST_F(SoundSetup, PhaseClipsOfTheOtherMissions) {
  struct Case {
    int32_t type;
    float position;
    int playing;  // the clip that plays, -1 none
  };
  for (const Case& c : std::vector<Case>{{12, 1.3f, -1},
                                         {12, 2.0f, LadderClip},
                                         {12, 3.1f, FootOfLadderClip},
                                         {15, 3.0f, LadderClip},
                                         {15, 3.1f, -1},
                                         {17, 2.5f, -1},
                                         {11, 1.8f, -1}}) {
    SCOPED_TRACE(testing::Message() << c.type << " at " << c.position);
    PhaseClipPlayed = {};
    ChooseMission("Mission", c.type);
    CreateSounds();
    WalkPathMode = true;
    WalkPathValue = c.position;
    UpdatePhaseSounds();
    for (int clip = 0; clip < 5; ++clip)
      if (MissionVoiceSounds[clip]) {
        EXPECT_EQ(Playing(MissionVoiceSounds[clip]), clip == c.playing);
      }
  }
}

}  // namespace
