// The head-up panel by mode and program, the 2D instrument panel by view, the fuel digits, the
// score tables and the small readouts, read back from a recording backend on a 1600 x 1200 screen.
#include "program/cockpit/hud_panel.h"

#include <algorithm>
#include <string>
#include <vector>

#include "platform/engine/height_grid.h"
#include "program/cockpit/small_readouts.h"
#include "program/flight/main_display.h"
#include "tests/program/cockpit/instrument_fixture.h"

namespace {

class HudPanelTest : public InstrumentTest {
 protected:
  void SetUp() override {
    InstrumentTest::SetUp();
    ContactLightFlags[0] = ContactLightFlags[1] = false;
    CurrentProgram = NoProgram;
    ViewRecords = {};
    SoundOn = true;
    RCSFiring = false;
    Main_Display->TimerP64.SetEnabled(false);
  }
  void TearDown() override {
    for (auto& tile : LandTiles) tile.reset();
    Main_Display->TimerP64.SetEnabled(false);
    InstrumentTest::TearDown();
  }

  // The screen's texts with their x positions.
  std::vector<std::pair<std::string, float>> ScreenTexts() const {
    std::vector<std::pair<std::string, float>> texts;
    for (const auto& shape : ShapesOn(nullptr))
      if (shape.kind == engine::Shape2D::Kind::Text) texts.emplace_back(shape.text, shape.x1);
    return texts;
  }
  std::vector<engine::Shape2D> ScreenQuads() const {
    std::vector<engine::Shape2D> quads;
    for (const auto& shape : ShapesOn(nullptr))
      if (shape.kind == engine::Shape2D::Kind::Texture) quads.push_back(shape);
    return quads;
  }
  bool Drew(int32_t texture) const {
    const auto quads = ScreenQuads();
    return std::ranges::any_of(quads, [&](const auto& q) { return q.texture == texture; });
  }

  SavedVariables hud_ =
      SavedVariables(ContactLightFlags, ViewRecords, SoundOn, RCSFiring, CommandedVerticalRate,
                     LPDAngle, MissionType, CurrentScore, PilotRoster, ActivePilot,
                     InstrumentLayout, FlownPathLine, SmoothPathLine, FinalPathLine, ValueLineList,
                     ValueLineCount, FramesPerSecond, LMMeshPosition);
};

TEST_F(HudPanelTest, AModeTheFlightDoesNotAllowYetIsPutBackToNothing) {
  struct Case {
    bool touchedDown;
    int16_t mode, kept;
    bool drawn;
  };
  for (const Case& c : {Case{false, 3, 0, false}, Case{true, 3, 3, true}, Case{true, 4, 0, false},
                        Case{false, 2, 2, true}, Case{false, 0, 0, false}}) {
    ClearRecord();
    ContactLightFlags[0] = c.touchedDown;
    ViewRecord view;
    view.HudMode = c.mode;
    DrawHudPanel(view);
    EXPECT_EQ(view.HudMode, c.kept) << c.mode;
    EXPECT_EQ(!ShapesOn(nullptr).empty(), c.drawn) << c.mode;
  }
}

TEST_F(HudPanelTest, EachProgramHasItsReadoutLine) {
  LMVelocity.y = -12.34;
  AltitudeFeet = 1234;
  HorizontalVelocityForward = 45.67f;
  FuelPercent = 8.25f;
  CommandedVerticalRate = -5;
  LPDAngle = 42;
  TimeToIgnition.TotalSeconds = 17;
  DockClosingAngleRate = 1.25f;
  DockLateralAngleRate = -2.5f;
  WorldScale = 1.0f;
  DockSpeed = 0.5f;
  DockRangeFeet = 310.25f;
  struct Case {
    int32_t program;
    std::vector<std::pair<std::string, float>> texts;
  };
  const std::vector<std::pair<std::string, float>> flight = {
      {"VertV -12.3", 768}, {"Alt 1234", 960}, {"FwdV 45.7", 1120}, {"Fuel 8.3", 1312}};
  const auto with = [&](std::vector<std::pair<std::string, float>> first,
                        std::vector<std::pair<std::string, float>> last) {
    first.insert(first.end(), flight.begin(), flight.end());
    first.insert(first.end(), last.begin(), last.end());
    return first;
  };
  for (const Case& c :
       {Case{P64, with({}, {{"LPD 42", 1472}})}, Case{P66, with({{"CmdVV -5.0", 544}}, {})},
        Case{P12, with({}, {{"Tminus 17", 1472}})}, Case{P71, with({}, {{"Tminus 17", 1472}})},
        Case{P20,
             {{"Vert.mRad 1.3", 528},
              {"Horz.mRad -2.5", 800},
              {"Closing Vel .5", 1088},
              {"Range 310.3", 1376}}},
        Case{P63, {}}}) {
    ClearRecord();
    CurrentProgram = c.program;
    ViewRecord view;
    view.HudMode = 1;
    DrawHudPanel(view);
    EXPECT_EQ(ScreenTexts(), c.texts) << c.program;
  }
}

TEST_F(HudPanelTest, TheQuantityLampLightsBelowFivePointSixPercent) {
  ViewRecord view;
  view.HudMode = 1;
  FuelPercent = 5.59f;
  DrawHudPanel(view);
  EXPECT_TRUE(Drew(TextureIds.DesQty));
  ClearRecord();
  FuelPercent = 5.6f;
  VelocityWarning = true;
  DrawHudPanel(view);
  EXPECT_TRUE(Drew(TextureIds.DesQtyoff));
  EXPECT_FALSE(Drew(TextureIds.DesQty));
  EXPECT_TRUE(Drew(TextureIds.DSKYLampOn[0]));   // VEL
  EXPECT_TRUE(Drew(TextureIds.DSKYLampOff[1]));  // ALT
  const auto quads = ScreenQuads();
  ASSERT_EQ(quads.size(), 4u);
  EXPECT_FLOAT_EQ(quads[3].x1, 0.24f * 1600);
  EXPECT_FLOAT_EQ(quads[3].x2, 0.32f * 1600);
  EXPECT_FLOAT_EQ(quads[0].y2, 1200);
}

TEST_F(HudPanelTest, TheRCSTextShowsOnlyWithSoundOffAndTheRedesignationTextWithItsTimer) {
  ViewRecord view;
  view.HudMode = 1;
  RCSFiring = true;
  DrawHudPanel(view);
  EXPECT_TRUE(TextsOnScreen().empty());
  ClearRecord();
  SoundOn = false;
  Main_Display->TimerP64.SetEnabled(true);
  DrawHudPanel(view);
  EXPECT_EQ(TextsOnScreen(), (std::vector<std::string>{"LPD Redesignate", "RCS Firing"}));
  EXPECT_EQ(ShapesOn(nullptr).back().x1, 160);
  EXPECT_EQ(ShapesOn(nullptr).back().y1, 60);
}

TEST_F(HudPanelTest, ModeTwoAddsTheInstrumentColumn) {
  ViewRecord view;
  view.HudMode = 2;
  CurrentProgram = NoProgram;
  DrawHudPanel(view);
  const auto quads = ScreenQuads();
  ASSERT_EQ(quads.size(), 4u + 7u);
  const std::vector<int32_t> column = {
      XPointerSurface->GetTexture(), FDAISurface->GetTexture(),
      DSKYSurface->GetTexture(),     DSKYLightsSurface->GetTexture(),
      AltitudeSurface->GetTexture(), AltitudeRateSurface->GetTexture(),
      TextureIds.InstrumentBracket};
  for (size_t i = 0; i < column.size(); ++i) EXPECT_EQ(quads[4 + i].texture, column[i]) << i;
  EXPECT_FLOAT_EQ(quads[4].x1, 1280);
  EXPECT_FLOAT_EQ(quads[6].y2, 0.73f * 1200);
}

TEST_F(HudPanelTest, AfterTouchdownModeThreeShowsThePathAndTheScoreTable) {
  ContactLightFlags[0] = true;
  MissionType = 11;
  ViewRecord view;
  view.HudMode = 3;
  DrawHudPanel(view);
  const auto shapes = ShapesOn(nullptr);
  const auto lines = std::ranges::count_if(
      shapes, [](const auto& s) { return s.kind == engine::Shape2D::Kind::Line3D; });
  EXPECT_EQ(lines, 2 * (500 - 3));
  EXPECT_EQ(backend_->meshes.back().mesh, PathRibbonMesh.get());
  ClearRecord();
  MissionType = LMRaceMission;
  DrawHudPanel(view);
  EXPECT_EQ(ShapesOn(nullptr).front().kind, engine::Shape2D::Kind::FilledBox);
  EXPECT_EQ(TextsOnScreen()[5], "Time");
}

TEST_F(HudPanelTest, TheLandingScoreTableShowsTheScoreAndTheBest) {
  CurrentScore = {};
  CurrentScore.Name = "Ada";
  CurrentScore.SitePoints = 321;
  CurrentScore.TargetPoints = 450;
  CurrentScore.PathPoints = 800;
  CurrentScore.SmoothPoints = 900;
  CurrentScore.LevelPoints = 480;
  CurrentScore.SpeedPoints = 700;
  CurrentScore.ManualThrottleBonus = 12.4f;
  CurrentScore.ManualAttitudeBonus = 30.6f;
  CurrentScore.LandingTotal = 3694;
  ActivePilot = 2;
  PilotRoster[2].LandingTotal = 4012;
  DrawLandingScoreTable();
  EXPECT_EQ(TextsOnScreen(),
            (std::vector<std::string>{
                "Pilot", "Ada",   "Category",           "Score", "Possible", "Historical",
                "321",   "  400", "Accuracy",           "450",   "  500",    "Smoothness > 100':",
                "800",   "1000",  "Smoothness < 100':", "900",   "1000",     "Landing Site",
                "480",   "  500", "Velocity",           "700",   "1000",     "Manual Throttle",
                "12",    "Bonus", "Manual Flight Time", "31",    "Bonus",    "Total",
                "3694",  "4400+", "Best Ever",          "4012"}));
  const auto shapes = ShapesOn(nullptr);
  EXPECT_EQ(shapes.back().colours[0], 0xFFFF8000u);
  EXPECT_FLOAT_EQ(shapes.back().y1, 0.6f * 1200);
}

TEST_F(HudPanelTest, TheRaceScoreTableShowsItsFourRows) {
  CurrentScore = {};
  CurrentScore.Name = "Bo";
  CurrentScore.RaceTimePoints = 4100.4f;
  CurrentScore.RaceHeightPoints = 2999.6f;
  CurrentScore.RaceManualPoints = 500;
  CurrentScore.RaceTotal = 7100;
  DrawRaceScoreTable();
  const auto texts = TextsOnScreen();
  EXPECT_EQ(
      std::vector<std::string>(texts.begin() + 5, texts.end()),
      (std::vector<std::string>{"Time", "4100", " 5000", "Altitude", "3000", " 4000",
                                "Manual Throttle", "500", " 1000", "Total", "7100", "10000"}));
}

TEST_F(HudPanelTest, ThePanelIsSolidInTheFirstCockpitViewAndFaintElsewhere) {
  for (PanelIndex p :
       {PanelFDAI, PanelThrottleArrowACT, PanelContactLight, PanelPGNSSwitch, PanelFuelLED})
    InstrumentLayout[p] = {100, 200, 300, 400, true, 1, ""};
  FuelPercent = 47;
  ContactLightFlags[1] = true;
  struct Case {
    bool firstCockpitView;
    uint32_t alpha;
  };
  for (const Case& c : {Case{true, 0xFF}, Case{false, 0x33}}) {
    ClearRecord();
    ViewRecords[CockpitView1].Active = c.firstCockpitView;
    DrawViewOverlays();
    const auto quads = ScreenQuads();
    std::vector<int32_t> textures;
    for (const auto& q : quads) {
      textures.push_back(q.texture);
      if (q.texture != TextureIds.DSKYGlyphs[4] && q.texture != TextureIds.DSKYGlyphs[7]) {
        EXPECT_EQ(q.colours[0] >> 24, c.alpha) << q.texture;
      }
    }
    EXPECT_EQ(textures, (std::vector<int32_t>{FDAISurface->GetTexture(), TextureIds.LPDCockpit,
                                              TextureIds.Panel, ThrottleSurface->GetTexture(),
                                              TextureIds.ContactLightOn, TextureIds.SwitchMiddle,
                                              TextureIds.DSKYGlyphs[4], TextureIds.DSKYGlyphs[7]}));
    // The actual-throttle arrow is the commanded one mirrored.
    EXPECT_GT(quads[3].x1, quads[3].x2);
    EXPECT_FLOAT_EQ(quads[1].y2, 1440);
  }
}

TEST_F(HudPanelTest, FuelDigitsSplitTheirRectangleAndFadeInTheSecondCockpitView) {
  struct Case {
    float fuel;
    bool secondView;
    int tens, units;
    uint32_t alpha;
  };
  for (const Case& c :
       {Case{47, false, 4, 7, 0xFF}, Case{5.4f, true, 0, 5, 0x66}, Case{123, false, 1, 2, 0xFF}}) {
    ClearRecord();
    ViewRecords[CockpitView2].Active = c.secondView;
    Screen2DDraw->Begin();
    DrawFuelLEDs(c.fuel, 100, 50, 140, 70);
    Screen2DDraw->End();
    const auto quads = ScreenQuads();
    ASSERT_EQ(quads.size(), 2u);
    EXPECT_EQ(quads[0].texture, TextureIds.DSKYGlyphs[static_cast<size_t>(c.tens)]);
    EXPECT_EQ(quads[1].texture, TextureIds.DSKYGlyphs[static_cast<size_t>(c.units)]);
    EXPECT_FLOAT_EQ(quads[0].x1, 100);
    EXPECT_FLOAT_EQ(quads[1].x1, 120);
    EXPECT_FLOAT_EQ(quads[1].x2, 140);
    EXPECT_EQ(quads[0].colours[0] >> 24, c.alpha);
  }
}

TEST_F(HudPanelTest, SwitchSpritesDrawOnlyTheirKnownStates) {
  struct Case {
    bool threeWay, enabled;
    int32_t state;
    int32_t texture;  // 0: nothing drawn
  };
  const TextureIdSet& t = TextureIds;
  for (const Case& c :
       {Case{false, true, 0, t.SwitchDown}, Case{false, true, 1, t.SwitchUp},
        Case{false, true, 2, 0}, Case{true, true, 1, t.SwitchMiddle},
        Case{true, true, 2, t.SwitchUp}, Case{true, true, 3, 0}, Case{true, false, 0, 0}}) {
    ClearRecord();
    const PanelItem item{10, 20, 40, 30, c.enabled, c.state, ""};
    Screen2DDraw->Begin();
    if (c.threeWay)
      DrawButtonSprite3(item, 0xFFFFFFFF);
    else
      DrawButtonSprite2(item, 0xFFFFFFFF);
    Screen2DDraw->End();
    const auto quads = ScreenQuads();
    ASSERT_EQ(quads.size(), c.texture ? 1u : 0u) << c.state;
    if (c.texture) {
      EXPECT_EQ(quads[0].texture, c.texture);
      EXPECT_FLOAT_EQ(quads[0].x2, 30);
      EXPECT_FLOAT_EQ(quads[0].y2, 40);
    }
  }
}

TEST_F(HudPanelTest, ValueLinesAreDrawnOnceAndEmptied) {
  DrawValueLines();
  EXPECT_TRUE(ShapesOn(nullptr).empty());
  EXPECT_EQ(ValueLineCount, 0);
  ValueLineCount = 2;
  ValueLineList[1] = {"Tile", "2", 0xFFFF0000};
  ValueLineList[2] = {"Scale", "50", 0xFF00FF00};
  DrawValueLines();
  EXPECT_EQ(TextsOnScreen(), (std::vector<std::string>{"Tile", "2", "Scale", "50"}));
  EXPECT_EQ(ValueLineCount, 0);
  const auto shapes = ShapesOn(nullptr);
  EXPECT_EQ(shapes[0].kind, engine::Shape2D::Kind::FilledBox);
  EXPECT_FLOAT_EQ(shapes[0].x1, 160);
  EXPECT_FLOAT_EQ(shapes[2].x1, 560);
  EXPECT_EQ(shapes[2].colours[0], 0xFFFF0000u);
  // Each line sits a value height below the last.
  EXPECT_FLOAT_EQ(shapes[3].y1, 2 * shapes[0].y1);
}

TEST_F(HudPanelTest, TheSceneSurfaceFillsTheScreensHeightAndTheFarTilesFollowIt) {
  const SavedVariables tiles(LandTilesCreated, ActiveLandTile);
  ViewSurface = Scene->CreateRenderTarget(512, 256);
  engine::HeightGrid grid{3, 3, 10.0f, std::vector<float>(9, 5.0f)};
  const auto bytes = engine::WriteHeightGrid(grid);
  folder_.WriteFile("t.ht", std::string(bytes.begin(), bytes.end()));
  for (auto& tile : LandTiles) {
    tile = std::make_unique<engine::EngineLandscape>(*Engine);
    tile->LoadHeightMap(win::AppPath() + "\\t.ht");
  }
  LandTilesCreated = true;
  struct Case {
    int32_t tile;
    size_t landscapes;
  };
  for (const Case& c : {Case{2, 2}, Case{1, 0}, Case{0, 2}}) {
    ClearRecord();
    ActiveLandTile = c.tile;
    DrawSceneSurface();
    const auto quads = ShapesOn(nullptr);
    ASSERT_EQ(quads.size(), 1u);
    EXPECT_EQ(quads[0].texture, ViewSurface->GetTexture());
    EXPECT_FLOAT_EQ(quads[0].x1, 800 - 1200);
    EXPECT_FLOAT_EQ(quads[0].x2, 800 + 1200);
    EXPECT_FLOAT_EQ(quads[0].y2, 1200);
    const auto landscapes = std::ranges::count_if(
        backend_->draws, [](const auto& d) { return std::string(d.kind) == "landscape"; });
    EXPECT_EQ(static_cast<size_t>(landscapes), c.landscapes) << c.tile;
  }
  ClearRecord();
  DrawSceneSurfaceOrbital();
  EXPECT_EQ(backend_->draws.size(), 1u);
}

TEST_F(HudPanelTest, TheFrameRateReadsAsItsShortestText) {
  FramesPerSecond = 59.5f;
  DrawFPS();
  EXPECT_EQ(TextsOnScreen(), (std::vector<std::string>{"59.5 fps"}));
  EXPECT_FLOAT_EQ(ShapesOn(nullptr)[0].x1, 16);
}

}  // namespace
