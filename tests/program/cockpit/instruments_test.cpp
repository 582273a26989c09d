// The instrument painters on a recording backend: where each needle, bar, arrow and scale lands
// in its surface for a table of flight states; the clocks, the counter and the fuel digits; the
// attitude warnings.
#include "program/cockpit/instruments.h"

#include <cmath>
#include <string>
#include <vector>

#include "program/flight/flight_maths.h"
#include "tests/program/cockpit/instrument_fixture.h"

namespace {

// Tape surfaces are 64 x 512 here: e = 2 pixels per design pixel, the reading mark at 380.
struct TapeCase {
  float value;
  float scaleTop;  // y of the scale's top edge
};

class AltitudeTapeTest : public InstrumentTest, public ::testing::WithParamInterface<TapeCase> {};

TEST_P(AltitudeTapeTest, TheScaleSitsByItsSegmentAtTheAltitude) {
  CurrentProgram = P64;
  AltitudeAboveGround = GetParam().value;
  DrawAltitudeTape();
  const auto scale = Quads(AltitudeSurface, TextureIds.Altitude);
  ASSERT_EQ(scale.size(), 1u);
  EXPECT_NEAR(scale[0].y1, GetParam().scaleTop, 0.05);
  EXPECT_NEAR(scale[0].y2 - scale[0].y1, 3411 * 2, 0.05);
  EXPECT_NEAR(scale[0].x2, 0.757 * 64, 1e-3);
  // The window is drawn first, over the whole surface.
  EXPECT_EQ(ShapesOn(AltitudeSurface).front().texture, TextureIds.AltitudeTape);
}

INSTANTIATE_TEST_SUITE_P(
    Segments, AltitudeTapeTest,
    ::testing::Values(TapeCase{0, 380 - 2349 * 2 - 100 * 9.74f * 2},
                      TapeCase{99.5f, 380 - 2349 * 2 - 0.5f * 9.74f * 2},
                      TapeCase{100, 380 - 1471 * 2 - 900 * (877.0f / 900) * 2},
                      TapeCase{1000, 380 - 1471 * 2}, TapeCase{10000, 380 - 597 * 2},
                      TapeCase{20000, 380 - 15 * 2 - 50000 * (582.0f / 60000) * 2},
                      // Below the ground the tape rests at 0 ft.
                      TapeCase{-40, 380 - 2349 * 2 - 100 * 9.74f * 2}));

class AltitudeRateTapeTest : public InstrumentTest,
                             public ::testing::WithParamInterface<TapeCase> {};

TEST_P(AltitudeRateTapeTest, TheScaleSitsByItsRowAtTheRate) {
  CurrentProgram = P66;
  LMVelocity.y = GetParam().value;
  DrawAltitudeRateTape();
  const auto scale = Quads(AltitudeRateSurface, TextureIds.AltitudeRate);
  ASSERT_EQ(scale.size(), 1u);
  EXPECT_NEAR(scale[0].y1, GetParam().scaleTop, 0.05);
  EXPECT_NEAR(scale[0].y2 - scale[0].y1, 1327 * 2, 0.05);
}

INSTANTIATE_TEST_SUITE_P(Rows, AltitudeRateTapeTest,
                         ::testing::Values(TapeCase{0, 380 - 222 * 2 - 100 * 4.44f * 2},
                                           TapeCase{99, 380 - 222 * 2 - 199 * 4.44f * 2},
                                           TapeCase{100, 380 - 1107 * 2},
                                           TapeCase{600, 380 - 1107 * 2 - 222 * 2},
                                           TapeCase{-100, 380 - 500 * (269.0f / 600) * 2},
                                           TapeCase{-99, 380 - 222 * 2 - 1 * 4.44f * 2}));

TEST_F(InstrumentTest, TapesFollowTheDockingValuesInP20AndFreezeInTheCoastingPrograms) {
  CurrentProgram = P64;
  AltitudeAboveGround = 500;
  LMVelocity.y = -12;
  DrawAltitudeTape();
  DrawAltitudeRateTape();
  CurrentProgram = P40;
  AltitudeAboveGround = 9000;
  LMVelocity.y = 40;
  DrawAltitudeTape();
  DrawAltitudeRateTape();
  EXPECT_EQ(InstrumentReadouts.ShownAltitude, 500);
  EXPECT_EQ(InstrumentReadouts.ShownAltitudeRate, -12);
  CurrentProgram = P20;
  DockRangeFeet = 120;
  WorldScale = 1.0f;
  DockSpeed = 1.5f;
  DrawAltitudeTape();
  DrawAltitudeRateTape();
  EXPECT_EQ(InstrumentReadouts.ShownAltitude, 120);
  EXPECT_EQ(InstrumentReadouts.ShownAltitudeRate, 1.5f);
}

// The cross-pointer is 512 x 512: the bars run from 0.04 H to 0.87 H and 0.17 W to 0.95 W.
struct CrossCase {
  int32_t program;
  int32_t highScale;
  float forward, lateral;  // ft/s, or the docking angles in P20
  float barY, barX;
};

class CrossPointerTest : public InstrumentTest, public ::testing::WithParamInterface<CrossCase> {};

TEST_P(CrossPointerTest, TheBarsShowTheVelocitiesWithinTheScale) {
  const CrossCase& c = GetParam();
  CurrentProgram = c.program;
  XPointerHighScale = c.highScale;
  if (c.program == P20) {
    DockClosingAngleRate = c.forward;
    DockLateralAngleRate = c.lateral;
    HorizontalVelocityForward = HorizontalVelocityLateral = 999;
  } else {
    HorizontalVelocityForward = c.forward;
    HorizontalVelocityLateral = c.lateral;
  }
  DrawCrossPointer();
  const auto horizontal = Quads(XPointerSurface, TextureIds.BWHorzNeedle);
  const auto vertical = Quads(XPointerSurface, TextureIds.BWVertNeedle);
  ASSERT_EQ(horizontal.size(), 1u);
  ASSERT_EQ(vertical.size(), 1u);
  EXPECT_NEAR((horizontal[0].y1 + horizontal[0].y2) / 2, c.barY * 512, 0.01);
  EXPECT_NEAR((vertical[0].x1 + vertical[0].x2) / 2, c.barX * 512, 0.01);
}

INSTANTIATE_TEST_SUITE_P(
    Scales, CrossPointerTest,
    ::testing::Values(CrossCase{P66, 0, 0, 0, 0.455f, 0.56f},
                      CrossCase{P66, 0, 20, 20, 0.04f, 0.95f},
                      CrossCase{P66, 0, 30, -30, 0.04f, 0.17f},
                      CrossCase{P66, 0, -20, 0, 0.87f, 0.56f},
                      CrossCase{P66, 1, 100, -100, 0.04f + 0.83f * 0.25f, 0.17f + 0.78f * 0.25f},
                      CrossCase{P20, 0, -10, 10, 0.04f + 0.83f * 0.75f, 0.17f + 0.78f * 0.75f}));

TEST_F(InstrumentTest, TheBallShowsNeedlesAndRatePointersOverTheLitBall) {
  RollAxis.NeedleSmoothed = 0.6f;
  PitchAxis.NeedleSmoothed = 0.4f;
  YawAxis.NeedleSmoothed = 0.5f;
  RollAxis.Rate = static_cast<float>(25 / DegreesPerRadian);  // the right end of its scale
  YawAxis.Rate = 0;
  PitchAxis.Rate = static_cast<float>(-25 / DegreesPerRadian);  // the top of its scale
  DrawAttitudeBall();
  const std::vector<engine::Shape2D> shapes = ShapesOn(FDAISurface);
  std::vector<int32_t> order;
  for (const auto& s : shapes) order.push_back(s.texture);
  const TextureIdSet& t = TextureIds;
  EXPECT_EQ(order, (std::vector<int32_t>{t.FDAI1, t.VertNeedle, t.HorzNeedle, t.VertNeedle, t.FDAI2,
                                         t.DownArrow, t.UpArrow, t.LeftArrow}));
  const float s = 512;
  EXPECT_FLOAT_EQ(shapes[1].x1, 0.6f * s - 4);
  EXPECT_FLOAT_EQ(shapes[1].y2, 0.3f * s);
  EXPECT_FLOAT_EQ(shapes[2].y1, 0.4f * s - 4);
  EXPECT_FLOAT_EQ(shapes[3].y1, 0.7f * s);
  EXPECT_NEAR(shapes[5].x1, 0.7227f * s - 6.5f, 1e-3);  // roll rate at +25 deg/s
  EXPECT_NEAR(shapes[6].x1, (0.2732f + 0.7227f) / 2 * s - 6.5f, 1e-3);
  EXPECT_NEAR(shapes[7].y1, 0.2672f * s - 7, 1e-3);
  EXPECT_FLOAT_EQ(shapes[7].x2 - shapes[7].x1, 20);
  // The ball went into the surface, lit by the instrument lamp alone, which is off again after.
  ASSERT_FALSE(backend_->meshes.empty());
  EXPECT_EQ(backend_->meshes.back().mesh, FDAIBall.get());
  EXPECT_EQ(backend_->meshes.back().target, FDAISurface.get());
  EXPECT_FALSE(LightEngine->GetLight(LightIds[InstrumentPointLight]).enabled);
  EXPECT_FALSE(LightEngine->GetLight(LightIds[SunLight]).enabled);
  EXPECT_FLOAT_EQ(LightRecords[InstrumentPointLight].Range, 100.0f);
}

TEST_F(InstrumentTest, ArrowsRiseWithThrottleAndThrustToWeight) {
  struct Case {
    float throttle, ratio;
    float throttleY, ratioY;  // the arrows' top edges in the 32 x 256 strips
  };
  for (const Case& c : {Case{1.0f, 10.0f, -8, -8}, Case{0.0f, 0.0f, 248, 226},
                        Case{0.25f, 5.0f, 184, 109}, Case{1.5f, -1.0f, -8, 226}}) {
    ClearRecord();
    ThrustAverage = c.throttle;
    ThrustToWeight = c.ratio;
    DrawThrottleArrow();
    DrawThrustToWeightArrow();
    const auto throttle = Quads(ThrottleSurface, TextureIds.RightArrow);
    const auto ratio = Quads(PanelSurface, TextureIds.LeftArrow);
    ASSERT_EQ(throttle.size(), 1u);
    ASSERT_EQ(ratio.size(), 1u);
    EXPECT_FLOAT_EQ(throttle[0].y1, c.throttleY) << c.throttle;
    EXPECT_FLOAT_EQ(ratio[0].y1, c.ratioY) << c.ratio;
    EXPECT_FLOAT_EQ(ratio[0].y2 - ratio[0].y1, 16);
    EXPECT_EQ(ShapesOn(ThrottleSurface).front().kind, engine::Shape2D::Kind::FilledBox);
  }
}

TEST_F(InstrumentTest, CockpitDisplaysPaintEveryInstrumentWithThe2DFilter) {
  TextureFilter2D = 3;
  DrawCockpitDisplays();
  for (const RenderSurfacePtr* s : {&FDAISurface, &XPointerSurface, &AltitudeSurface,
                                    &AltitudeRateSurface, &ThrottleSurface, &PanelSurface})
    EXPECT_FALSE(ShapesOn(*s).empty());
}

TimeRecord Clock(int32_t hours, int32_t minutes, int32_t seconds) {
  TimeRecord t;
  t.Hours = hours;
  t.Minutes = minutes;
  t.Seconds = seconds;
  SetTimeDigits(t);
  return t;
}

std::string Shown(const TimeRecord& t) {
  return t.Sign + t.HoursHundreds + t.HoursTens + t.HoursOnes + ":" + t.MinutesTens +
         t.MinutesOnes + ":" + t.SecondsTens + t.SecondsOnes + "." + t.Tenths + t.Hundredths;
}

TEST(ClockTest, TheClockCarriesAndBorrowsWithTheRightFraction) {
  struct Case {
    TimeRecord start;
    std::vector<double> steps;
    std::string shown;
    int32_t total;
  };
  const std::vector<Case> cases = {
      {Clock(0, 0, 12), {0.6}, "p000:00:12.60", 13},
      {Clock(0, 0, 12), {0.6, 0.3}, "p000:00:12.90", 13},
      {Clock(0, 0, 59), {0.5, 0.55}, "p000:01:00.05", 60},
      {Clock(0, 59, 59), {0.99, 0.02}, "p001:00:00.01", 3600},
      {Clock(1, 0, 0), {-0.25}, "p000:59:59.75", 3600},
      {Clock(0, 0, 0), {-0.5}, "m001:59:59.50", 7200},
  };
  for (const Case& c : cases) {
    TimeRecord t = c.start;
    for (double step : c.steps) AdvanceClock(t, step);
    EXPECT_EQ(Shown(t), c.shown);
    EXPECT_EQ(t.TotalSeconds, c.total) << c.shown;
  }
}

TEST_F(InstrumentTest, DataDisplaysPaintTheClockStripsOnTheirMeshes) {
  MissionClock = Clock(102, 45, 39);
  EventClock = Clock(0, 3, 7);
  FrameTimeSec = 0.5f;
  DrawDataDisplays();
  const auto digits = [&](size_t strip) {
    std::string text;
    for (const auto& s : ShapesOn(DataDisplaySurfaces[strip]))
      for (int n = 0; n < 10; ++n)
        if (s.texture == TextureIds.DSKYGlyphs[static_cast<size_t>(n)])
          text += static_cast<char>('0' + n);
    return text;
  };
  EXPECT_EQ(digits(0), "4539");
  EXPECT_EQ(digits(1), "0102");
  EXPECT_EQ(digits(2), "0307");
  EXPECT_EQ(MissionClock.Tenths, "5");
  EXPECT_EQ(TextureOn(MissionTimerMinSecMesh), DataDisplaySurfaces[0]->GetTexture());
  EXPECT_EQ(TextureOn(MissionTimerHoursMesh), DataDisplaySurfaces[1]->GetTexture());
  EXPECT_EQ(TextureOn(EventTimerMesh), DataDisplaySurfaces[2]->GetTexture());
}

TEST_F(InstrumentTest, TheTimeToIgnitionFollowsTheClockInTheBurnPrograms) {
  MissionClock = Clock(0, 10, 0);
  IgnitionTime = Clock(0, 12, 0);
  FrameTimeSec = 0;
  CurrentProgram = P40;
  DrawDataDisplays();
  EXPECT_EQ(TimeToIgnition.TotalSeconds, 120);
  CurrentProgram = P64;
  MissionClock = Clock(0, 11, 0);
  DrawDataDisplays();
  EXPECT_EQ(TimeToIgnition.TotalSeconds, 120);
}

TEST_F(InstrumentTest, TheCounterRepaintsOnlyWhenItsUnitsDigitChanges) {
  struct Step {
    float value;
    bool painted;
  };
  for (const Step& step : {Step{2805.0f, true}, Step{2805.4f, false}, Step{2806.0f, true},
                           Step{2816.0f, false}, Step{2817.0f, true}}) {
    ClearRecord();
    CockpitCounterValue = step.value;
    DrawCounterDigits4();
    EXPECT_EQ(ShapesOn(CounterSurface).size(), step.painted ? 4u : 0u) << step.value;
  }
  EXPECT_EQ(ShapesOn(CounterSurface)[0].texture, TextureIds.DSKYGlyphs[2]);
  EXPECT_EQ(InstrumentReadouts.LastCounterDigit, "7");
}

TEST_F(InstrumentTest, FuelDigitsAreClampedInPlace) {
  struct Case {
    float fuel, stored;
    int tens, units;
  };
  for (const Case& c : {Case{120, 99, 9, 9}, Case{-3, 0, 0, 0}, Case{42.4f, 42.4f, 4, 2},
                        Case{98.6f, 98.6f, 9, 9}}) {
    ClearRecord();
    FuelPercent = c.fuel;
    DrawCounterDigits2();
    EXPECT_FLOAT_EQ(FuelPercent, c.stored);
    const auto shapes = ShapesOn(FuelCounterSurface);
    ASSERT_EQ(shapes.size(), 2u);
    EXPECT_EQ(shapes[0].texture, TextureIds.DSKYGlyphs[static_cast<size_t>(c.tens)]) << c.fuel;
    EXPECT_EQ(shapes[1].texture, TextureIds.DSKYGlyphs[static_cast<size_t>(c.units)]) << c.fuel;
    EXPECT_FLOAT_EQ(shapes[1].x1, 32);
    EXPECT_EQ(InstrumentReadouts.FuelUnitsDigit, c.units);
    EXPECT_EQ(TextureOn(FuelDisplayMeshes[1]), FuelCounterSurface->GetTexture());
  }
}

TEST_F(InstrumentTest, TheLPDTimeDigitsChangeWithTheRoundedValue) {
  struct Case {
    double value;
    const char* tens;
    const char* ones;
  };
  for (const Case& c : {Case{42.4, "4", "2"}, Case{42.5, "4", "2"}, Case{7.5, "0", "8"},
                        Case{150, "0", "8"}, Case{-3, "0", "0"}, Case{99, "9", "9"}}) {
    SetTwoDigitDisplay(c.value);
    EXPECT_EQ(LPDTimeTens + LPDTimeOnes, std::string(c.tens) + c.ones) << c.value;
  }
}

TEST_F(InstrumentTest, AttitudeWarningsComeFromTheApproachAngleAndPositiveRates) {
  struct Case {
    float altitude, forward, rollRate, pitchRate;
    bool alt, vel;
  };
  for (const Case& c :
       {Case{300, 0, 0, 0, false, false}, Case{300, 300 * std::tan(0.09f), 0, 0, false, true},
        Case{300, 300 * std::tan(0.11f), 0, 0, true, true},
        Case{5000, 5000 * std::tan(0.2f), 0, 0, false, true}, Case{1, 1000, 0, 0, false, false},
        Case{500, 0, -5, -5, false, false}, Case{500, 0, 0.15f, 0, true, false},
        Case{500, 0, 0, 0.18f, true, true}}) {
    AltitudeAboveGround = c.altitude;
    HorizontalVelocityForward = c.forward;
    RollAxis.Rate = c.rollRate;
    PitchAxis.Rate = c.pitchRate;
    LampAlt = true;  // the guidance computer's own reason stays
    CheckAttitudeWarnings();
    EXPECT_EQ(AltitudeWarning, c.alt) << c.altitude << " " << c.forward;
    EXPECT_EQ(VelocityWarning, c.vel) << c.altitude << " " << c.forward;
    EXPECT_TRUE(LampAlt);
  }
}

}  // namespace
