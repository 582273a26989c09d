#include "program/input/menu.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/sound/sound_buffer.h"
#include "platform/win/file_search.h"
#include "platform/win/numbers.h"
#include "program/missions/launcher_forms.h"
#include "program/missions/replay_file.h"
#include "tests/program/input/input_fixture.h"

namespace {

class Menu : public InputTest {
 protected:
  void SetUp() override {
    InputTest::SetUp();
    for (const char* name : {"ButtonOn", "ButtonOff", "ButtonRollOn", "Quit", "REPLAY", "FLIGHT",
                             "TextOff", "TextOffRoll", "TextOn", "TextOnRoll"}) {
      const auto bytes = d3dx::EncodeBmp(d3dx::ArgbImage(4, 4, 0xFF808080), false);
      folder_.WriteFile(std::string("Textures/Buttons/") + name + ".png",
                        std::string(bytes.begin(), bytes.end()));
    }
    LoadTestTexture("white");
    LoadTestTexture("cgray");
    LoadMenuTextures();
    CreateMenuItems();
    for (const FontIndex font : {SmallFont, ArialFont16, LargeFont})
      FontIds[font] = Screen2DText->CreateFont("menu", "DejaVu Sans", 12, false);
    LightIds[SunLight] = static_cast<int16_t>(LightEngine->CreateLight(LightRecords[SunLight]));
    ScreenWidth = 1600;
    ScreenHeight = 1200;
    ScreenScaleX = ScreenScaleY = 1.0f;
    MissionType = 11;
    MissionName = "Apollo 11";
    // The launcher is up behind every flight; the volumes show in its controls.
    DriverDialog.Get();
    ClickSound = std::make_unique<sound::SoundBuffer>(SoundEngine);
  }
  void TearDown() override {
    ClickSound.reset();
    for (auto* slider : {&MasterVolumeSlider, &MusicVolumeSlider, &RCSVolumeSlider,
                         &EngineVolumeSlider, &GammaSlider, &ShipGammaSlider})
      slider->reset();
    DisplayFPSBox.reset();
    InputTest::TearDown();
  }
  // The menu's frames with the mouse at (x, y), the first button down in the first of them.
  void ClickAt(int32_t x, int32_t y) {
    Input().MouseMoved(x, y);
    Input().MouseButton(0, true);
    DrawSettingsOverlay();
    Input().MouseButton(0, false);
    DrawSettingsOverlay();
  }
  void MenuFrames(int count) {
    for (int n = 0; n < count; ++n) {
      DrawSettingsOverlay();
      clock.Advance(FrameTime);
      forms::DoEvents();
    }
  }

 private:
  SavedVariables menu_ = SavedVariables(
      MasterVolume, MusicVolume, RCSVolume, EngineVolume, Gamma, ShipGamma, DisplayFPS, ReplayName,
      EditText, EditCursor, MenuShiftDown, StartItem, ExitItem, ReplayItem, SaveReplayItem,
      LoadItem, SaveOkItem, SaveCancelItem, LoadOkItem, LoadCancelItem, QuitItem, ContinueItem,
      ReplayListItems, LightRecords, LightIds, FontIds, MaterialIds, ShadowFlags, MissionName,
      FlightRecordCount);
};

TEST_F(Menu, IsDrawnOverTheSceneOfItsFrame) {
  MeshPtr lm = Scene->CreateMesh("LM");
  engine_->recorder->draws.clear();
  lm->Render();
  DrawSettingsOverlay();
  const auto& draws = engine_->recorder->draws;
  ASSERT_GT(draws.size(), 10u);
  EXPECT_EQ(draws[0].mesh, lm.get());
  EXPECT_EQ(draws[1].mesh, nullptr);
  EXPECT_EQ(draws[1].shape.kind, engine::Shape2D::Kind::FilledBox);  // the panel
  EXPECT_EQ(draws[1].shape.x2, 270.0f);
  EXPECT_EQ(draws[1].shape.y2, 1200.0f);
}

TEST_F(Menu, TheMasterSliderSetsTheVolumeAndTheSound) {
  MasterVolume = 100;
  MasterVolumeSlider->Value = 100.0f;
  SoundOn = true;
  ClickAt(140, 560);  // half way along the track: 40 to 240
  EXPECT_EQ(MasterVolume, 50);
  int32_t attenuation = 0;
  ClickSound->GetVolume(attenuation);
  EXPECT_EQ(attenuation, -3000);  // 0.4 x 50 x 50 - 4000
  EXPECT_TRUE(SoundOn);
  ClickAt(240, 555);
  EXPECT_EQ(MasterVolume, 100);  // the track's right end is the high value
  ClickAt(40, 575);              // 5 pixels below the track
  EXPECT_EQ(MasterVolume, 0);
  EXPECT_FALSE(SoundOn);
  ClickAt(90, 581);  // 11 pixels below: too far
  EXPECT_EQ(MasterVolume, 0);
  ClickAt(90, 579);
  EXPECT_EQ(MasterVolume, 25);
  EXPECT_TRUE(SoundOn);
}

// The menu shows the settings as the flight starts with them: drawn untouched, it changes none
// (its sliders at 0 silenced the flight and the settings file kept the zeros).
TEST_F(Menu, OpenedUntouchedItKeepsEverySetting) {
  const SavedVariables sound(SoundOn);
  MasterVolume = 80;
  MusicVolume = 40;
  RCSVolume = 30;
  EngineVolume = 20;
  ShipGamma = 1.5f;
  DisplayFPS = true;
  SoundOn = true;
  SetMenuControls();
  MenuFrames(3);
  EXPECT_EQ(MasterVolume, 80);
  EXPECT_EQ(MusicVolume, 40);
  EXPECT_EQ(RCSVolume, 30);
  EXPECT_EQ(EngineVolume, 20);
  EXPECT_FLOAT_EQ(ShipGamma, 1.5f);
  EXPECT_TRUE(DisplayFPS);
  EXPECT_TRUE(SoundOn);
}

TEST_F(Menu, AClickHoldsEveryItemFor200Milliseconds) {
  ClickAt(100, 160);  // Exit
  EXPECT_TRUE(ExitItem.Selected);
  ClickAt(100, 110);  // Start, at once
  EXPECT_FALSE(StartItem.Selected);
  MenuFrames(11);
  ClickAt(100, 160);
  EXPECT_FALSE(ExitItem.Selected);
}

// A click quicker than a frame, down and up within the frame's one yield, takes the button.
TEST_F(Menu, AClickWithinOneFrameTakesTheButton) {
  Input().MouseMoved(100, 160);  // Exit
  Input().MouseButton(0, true);
  Input().MouseButton(0, false);
  Frame();
  DrawSettingsOverlay();
  EXPECT_TRUE(ExitItem.Selected);
}

TEST_F(Menu, StartRestartsTheFlight) {
  SettingsOverlayShown = true;
  ClickAt(100, 110);
  EXPECT_EQ(ExitRequest, 3);
  EXPECT_FALSE(RunFlag);
  EXPECT_FALSE(SettingsOverlayShown);
}

TEST_F(Menu, ATypedReplayNameReachesTheReplayFile) {
  SaveReplayItem.Selected = true;
  NameEntryItem.Selected = true;
  EditText.clear();
  EditCursor = 0;
  Keys({scan::kPeriod,
        -scan::kPeriod,
        scan::kLeftShift,
        scan::kM,
        -scan::kM,
        -scan::kLeftShift,
        scan::kY,
        -scan::kY,
        scan::kSlash,
        -scan::kSlash,
        scan::kKeypadDivide,
        -scan::kKeypadDivide,
        scan::kSpace,
        -scan::kSpace,
        scan::kKeypad1,
        -scan::kKeypad1,
        scan::kPeriod,
        -scan::kPeriod,
        scan::kBackspace,
        -scan::kBackspace,
        scan::kLeft,
        -scan::kLeft,
        scan::kX,
        -scan::kX});
  DrawSettingsOverlay();
  EXPECT_EQ(EditText, "My x1");  // no leading dot, no separator
  EXPECT_EQ(NameEntryItem.Caption, "My x1");
  EXPECT_EQ(EditCursor, 4);
  // At most 40 characters.
  for (int n = 0; n < 50; ++n) Keys({scan::kA, -scan::kA});
  DrawSettingsOverlay();
  EXPECT_EQ(EditText.size(), 40u);
  EditText = "My Landin";
  EditCursor = static_cast<int32_t>(EditText.size());
  // The dispatch leaves the keys to the entry: G is no cross-pointer switch here.
  Keys({scan::kG, -scan::kG});
  ProcessKeyCommands();
  EXPECT_EQ(XPointerSwitch.SwitchPosition, 0);
  DrawSettingsOverlay();
  EXPECT_EQ(EditText, "My Landing");

  FlightRecordCount = 1;
  ClickAt(520, 830);  // OK
  EXPECT_EQ(ReplayName, "My Landing");
  EXPECT_FALSE(SaveReplayItem.Selected);
  EXPECT_EQ(win::FindFiles(win::AppPath() + "\\Missions\\Apollo 11\\Replay\\*.rpy"),
            std::vector<std::string>{"My Landing.rpy"});
}

TEST_F(Menu, TheReplayListShowsFifteenByNameAndEmptiesTheRest) {
  for (int n = 20; n >= 1; --n)
    folder_.WriteFile("Missions/Apollo 11/Replay/flight " + std::string(n < 10 ? "0" : "") +
                          std::to_string(n) + ".rpy",
                      "");
  folder_.WriteFile("Missions/Apollo 11/Replay/notes.txt", "");
  ListReplayFiles(win::AppPath() + "\\Missions\\Apollo 11\\Replay");
  EXPECT_EQ(ReplayListItems[1].Caption, "flight 01");
  EXPECT_EQ(ReplayListItems[15].Caption, "flight 15");
  ListReplayFiles(win::AppPath() + "\\Missions\\Apollo 12\\Replay");
  EXPECT_EQ(ReplayListItems[1].Caption, "");
  EXPECT_EQ(ReplayListItems[15].Caption, "");
}

TEST_F(Menu, TheExitBoxContinuesOrEnds) {
  ExitDialogShown = MenuShown = true;
  ControlsActive = false;
  Input().MouseMoved(860, 440);
  Input().MouseButton(0, true);
  RunExitDialog();
  Input().MouseButton(0, false);
  RunExitDialog();
  EXPECT_TRUE(ControlsActive);
  EXPECT_FALSE(ExitDialogShown);
  EXPECT_FALSE(MenuShown);
  EXPECT_TRUE(Main_Display->TimerAverage.Enabled());

  MenuFrames(11);
  ExitDialogShown = true;
  Input().MouseMoved(720, 440);
  Input().MouseButton(0, true);
  RunExitDialog();
  RunExitDialog();
  EXPECT_EQ(ExitRequest, 1);
  EXPECT_FALSE(RunFlag);
  EXPECT_FALSE(ControlsActive);
  EXPECT_TRUE(Main_Display->Timer_Test_Exit.Enabled());
}

// In a window of 1000 x 780 pixels, with the fonts the program makes for it and the German
// texts: no text of the menu runs into another, out of the panel or over a slider's track, and the
// exit box's captions stay on their buttons.
TEST_F(Menu, TextsKeepToTheirPlacesInASmallWindowAndInGerman) {
  ScreenWidth = 1000;
  ScreenHeight = 780;
  ScreenScaleX = 1000.0f / 1600.0f;
  ScreenScaleY = 780.0f / 1200.0f;
  std::map<int32_t, float> pixels;  // each font's height, as the recording backend measures it
  for (const auto& [font, points] :
       {std::pair{SmallFont, 11.0}, {ArialFont16, 16.0}, {LargeFont, 30.0}}) {
    const int32_t size = win::RoundHalfEven(points * ScreenHeight / 1024.0);
    FontIds[font] =
        Screen2DText->CreateFont("menu" + std::to_string(font), "DejaVu Sans", size, true);
    pixels[FontIds[font]] = std::round(static_cast<float>(size) * 96.0f / 72.0f);
  }
  const SavedVariables texts(UiText);
  const std::pair<int32_t, const char*> german[] = {{7, "Gesamtlautstärke"},
                                                    {8, "Lautstärke Musik"},
                                                    {9, "Lautstärke RCS"},
                                                    {10, "Lautstärke Triebwerk"},
                                                    {12, "Fährenschattierung"},
                                                    {13, "FPS anzeigen"},
                                                    {241, "Start"},
                                                    {242, "Beenden"},
                                                    {37, "Speichern"},
                                                    {245, "Laden"},
                                                    {246, "Weiter"},
                                                    {247, "Ende"}};
  for (const auto& [id, text] : german) UiText[static_cast<size_t>(id)] = text;
  CreateMenuItems();
  MasterVolume = 99;  // a value the slider changes is shown beside its label
  ExitItem.Selected = true;
  engine_->recorder->draws.clear();
  DrawSettingsOverlay();

  struct Box {
    std::string text;
    float x1, y1, x2, y2;
    bool Overlaps(const Box& o) const { return x1 < o.x2 && o.x1 < x2 && y1 < o.y2 && o.y1 < y2; }
  };
  std::vector<Box> words, tracks;
  for (const FrameRecorder::Draw& draw : engine_->recorder->draws) {
    const engine::Shape2D& shape = draw.shape;
    if (draw.mesh == nullptr && shape.kind == engine::Shape2D::Kind::Text) {
      const float h = pixels.at(shape.font);
      words.push_back({shape.text, shape.x1, shape.y1,
                       shape.x1 + static_cast<float>(shape.text.size()) * h / 2.0f, shape.y1 + h});
    } else if (draw.mesh == nullptr && shape.kind == engine::Shape2D::Kind::FilledBox &&
               shape.colours[0] == 0xFFA0A0A0u) {
      tracks.push_back({"track", shape.x1, shape.y1, shape.x2, shape.y2});
    }
  }
  ASSERT_GE(words.size(), 10u);
  ASSERT_GE(tracks.size(), 5u);
  const float panelRight = 270.0f * ScreenScaleX;
  for (size_t i = 0; i < words.size(); ++i) {
    const Box& a = words[i];
    if (a.x1 < panelRight) {
      EXPECT_LE(a.x2, panelRight + 0.5f) << a.text << " leaves the panel";
    }
    for (const Box& track : tracks) {
      EXPECT_FALSE(a.Overlaps(track)) << a.text << " over a track";
    }
    for (size_t j = i + 1; j < words.size(); ++j) {
      EXPECT_FALSE(a.Overlaps(words[j])) << a.text << " runs into " << words[j].text;
    }
  }
  for (const MenuItem* button : {&QuitItem, &ContinueItem}) {
    const auto on = std::find_if(words.begin(), words.end(),
                                 [&](const Box& w) { return w.text == button->Caption; });
    ASSERT_NE(on, words.end()) << button->Caption;
    EXPECT_GE(on->x1, button->X * ScreenScaleX) << button->Caption;
    EXPECT_LE(on->x2, (button->X + button->Width) * ScreenScaleX) << button->Caption;
  }
}

TEST_F(Menu, TheOrbitalMissionHasNoReplaysAndAWindowNoGamma) {
  MissionType = OrbitalMission;
  FullScreen = false;
  engine_->recorder->draws.clear();
  DrawSettingsOverlay();
  const auto textures = [&](int32_t id) {
    int count = 0;
    for (const auto& draw : engine_->recorder->draws)
      count += draw.shape.kind == engine::Shape2D::Kind::Texture && draw.shape.texture == id;
    return count;
  };
  EXPECT_EQ(textures(ReplayHeaderTexture), 0);
  EXPECT_EQ(textures(FlightHeaderTexture), 1);
  // Start and Exit only: two buttons of the button textures.
  EXPECT_EQ(textures(Globals->GetTextureId("ButtonOff")), 2);
  for (const auto& draw : engine_->recorder->draws)
    EXPECT_NE(draw.shape.y1, 950.0f) << "the gamma track";
}

TEST_F(Menu, ShipShadingLightsTheLM) {
  MaterialIds.MatShip = MaterialFactory->CreateMaterial(1.0f, 1.0f, 1.0f, 1.0f, "MatShip");
  ShadowFlags[0] = true;
  const struct {
    float gamma, diffuse, ambient, alpha;
  } cases[] = {{0.5f, 0.5f, 0.25f, 0.6f}, {1.5f, 1.0f, 0.7f, 0.1f}, {2.0f, 1.0f, 0.7f, 0.05f}};
  for (const auto& c : cases) {
    ShipGamma = c.gamma;
    ApplyShipGamma();
    EXPECT_FLOAT_EQ(LightRecords[SunLight].Diffuse.g, c.diffuse) << c.gamma;
    EXPECT_FLOAT_EQ(LightRecords[SunLight].Ambient.b, c.ambient) << c.gamma;
    EXPECT_EQ(Engine->ShadowColour() >> 24,
              engine::EngineGlobals::MakeColor(0.0f, 0.0f, 0.0f, c.alpha) >> 24)
        << c.gamma;
    EXPECT_FLOAT_EQ(LightEngine->GetLight(LightIds[SunLight]).record.Diffuse.r, c.diffuse);
  }
  ASSERT_NE(Engine->Materials().Get(MaterialIds.MatShip), nullptr);
  EXPECT_FLOAT_EQ(Engine->Materials().Get(MaterialIds.MatShip)->diffuse.r, 1.2f);
}

class Widgets : public InputTest {
 protected:
  void SetUp() override {
    InputTest::SetUp();
    ScreenScaleX = ScreenScaleY = 1.0f;
  }
  void Press(int32_t x, int32_t y) {
    Input().MouseMoved(x, y);
    Input().MouseButton(0, true);
  }
};

TEST_F(Widgets, TheSliderFollowsThePressedMouseAlongItsTrack) {
  clsInputSlider slider;
  const auto show = [&] {
    slider.Show(40.0f, 100.0f, 240.0f, 120.0f, true, 50.0f, 200.0f, 1, 2, 3);
  };
  Press(140, 110);
  show();
  EXPECT_EQ(slider.Value, 125.0f);
  Press(240, 91);  // 9 pixels above
  show();
  EXPECT_EQ(slider.Value, 200.0f);
  Press(40, 90);  // 10 pixels above
  show();
  EXPECT_EQ(slider.Value, 200.0f);
  Input().MouseButton(0, false);
  Input().MouseMoved(40, 110);
  show();
  EXPECT_EQ(slider.Value, 200.0f);
}

TEST_F(Widgets, TheCheckBoxTakesOneClickEveryQuarterSecond) {
  clsInputCheckBox toggling, marking;
  const auto show = [&] {
    toggling.Show(30.0f, 30.0f, 0.0f, 0xFF404040, 0xFFFFFFFF, 2, 1);
    marking.Show(30.0f, 30.0f, 0.0f, 0, 0, 1, 2);
  };
  Press(37, 23);
  show();
  EXPECT_TRUE(toggling.IsMarked);
  EXPECT_TRUE(marking.IsMarked);
  clock.Advance(100ms);
  show();
  EXPECT_TRUE(toggling.IsMarked);
  clock.Advance(200ms);
  show();
  EXPECT_FALSE(toggling.IsMarked);
  EXPECT_TRUE(marking.IsMarked);  // a box that only marks stays marked
  EXPECT_EQ(toggling.FillColor, 0xFF404040u);
  toggling.Show(30.0f, 30.0f, 0.0f, 0, 0, 2, 1);
  EXPECT_EQ(toggling.FillColor, 0xFF404040u);  // a colour of 0 keeps the one before
  Press(38, 30);                               // 8 pixels off: outside
  clock.Advance(300ms);
  show();
  EXPECT_FALSE(toggling.IsMarked);
}

}  // namespace
