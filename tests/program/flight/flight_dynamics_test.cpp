#include "program/flight/flight_dynamics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "headless_lm.h"
#include "program/flight/flight_scene.h"
#include "program/flight/flight_state.h"
#include "program/flight/main_display.h"
#include "program/scene/scene_state.h"
#include "tests/program/saved_variables.h"

namespace {

using headless::FlyFrame;
using headless::ResetLM;

bool Finite(const Vector3d& v) {
  return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// Flies until the LM lands or `frames` pass; the throttle holds the given descent rate.
void DescendAt(double rate, int frames) {
  for (int i = 0; i < frames && !Landed; ++i) {
    if (!ContactLightOn) LMVelocity.y = -rate;
    FlyFrame();
  }
}

TEST(FlightDynamics, FreeFallIsLunarGravityAndKeepsHorizontalSpeed) {
  ResetLM(1000.0f);
  LMVelocity = {3.0, -10.0, -2.0};
  const Vector3d before = LMPosition;
  FlyFrame();
  const double dt = FrameTimeSec;
  EXPECT_NEAR((LMVelocity.y + 10.0) / dt, -Gravity, 1e-5);
  EXPECT_EQ(LMVelocity.x, 3.0);
  EXPECT_EQ(LMVelocity.z, -2.0);
  const double dropFeet = -10.0 * dt - Gravity * dt * dt / 2.0;
  EXPECT_NEAR((LMPosition.y - before.y) * WorldScale, dropFeet, 1e-6);
  EXPECT_NEAR(LMMeshPosition.y, LMPosition.y, 1e-4);
}

TEST(FlightDynamics, ThrustActsAlongTheUpAxis) {
  ResetLM(1000.0f);
  TurnPivot({0.3f, 0.0f, 0.0f});  // rolled
  TurnPivot({0.0f, 0.2f, 0.0f});  // and pitched
  ThrustAverage = 1.0f;
  FlyFrame();
  const double dt = FrameTimeSec;
  const Vector3 up = PivotTransformVector({0.0f, 1.0f, 0.0f});
  // Take gravity out; what is left is the thrust's acceleration.
  const double ax = LMVelocity.x / dt;
  const double ay = LMVelocity.y / dt + Gravity;
  const double az = LMVelocity.z / dt;
  const double size = std::sqrt(ax * ax + ay * ay + az * az);
  EXPECT_NEAR(size, EngineThrust / TotalMass, 1e-3);
  EXPECT_NEAR(ax / size, up.x, 1e-5);
  EXPECT_NEAR(ay / size, up.y, 1e-5);
  EXPECT_NEAR(az / size, up.z, 1e-5);
  EXPECT_NEAR(ThrustToWeight, EngineThrust / Weight, 1e-5);
}

TEST(FlightDynamics, MassInertiaAndJetAccelerationFollowTheFuel) {
  ResetLM(1000.0f);
  UpdateMassAndThrust();
  EXPECT_EQ(RCSTorque, -1300.0);
  EXPECT_NEAR(RCSAngularAcceleration, 1300.0 / (16.9 * TotalMass), 1e-9);
  const double full = RCSAngularAcceleration;
  Fuel = 1000.0f;
  UpdateMassAndThrust();
  EXPECT_GT(RCSAngularAcceleration, full) << "a lighter LM turns faster";
  AscentStageFlying = true;
  UpdateMassAndThrust();
  EXPECT_FLOAT_EQ(TotalMass, 1000.0f / 32.0f + AscentMassEmpty);
  EXPECT_FLOAT_EQ(Weight, Gravity * TotalMass);
}

TEST(FlightDynamics, ContactLightComesOnInItsBandAndTheLMLandsOnFourPads) {
  ResetLM(60.0f);
  FlightRecordCount = 42;
  DescendAt(3.0, 2000);
  EXPECT_TRUE(ContactLightOn);
  EXPECT_EQ(ContactRecord, 42);
  EXPECT_TRUE(Landed);
  EXPECT_TRUE(OnGround);
  EXPECT_FALSE(Crashed);
  EXPECT_FALSE(EngineOff);
  for (bool down : PadDown) EXPECT_TRUE(down);
  EXPECT_EQ(LMVelocity.y, 0.0);
  EXPECT_EQ(FirstTouchRecord, 42);
  const double rest = LMPosition.y;
  FlyFrame();
  EXPECT_EQ(LMPosition.y, rest) << "a landed LM is no longer integrated";
}

TEST(FlightDynamics, TheLandingFrameTakesBackItsStepIntoTheGroundWithTheEngineOn) {
  ResetLM(20.0f);
  Vector3d before = LMPosition;
  for (int i = 0; i < 2000 && !Landed; ++i) {
    if (!ContactLightOn) LMVelocity.y = -3.0;
    before = LMPosition;
    FlyFrame();
  }
  ASSERT_TRUE(Landed);
  EXPECT_FALSE(EngineOff);
  EXPECT_EQ(LMPosition.y, before.y);
  EXPECT_EQ(LMMeshPosition.y, static_cast<float>(before.y));
}

TEST(FlightDynamics, ContactLightStaysOffWhenFastAndTheFirstTouchCrashes) {
  const SavedVariables views(CurrentViewIndex, CurrentView, PreviousView, ViewRecords,
                             ExteriorViewFlag, InteriorViewFlag, SpotViewFlag, CockpitPanelFlag,
                             EVAViewFlag, HatchOpenFlag);
  ResetLM(60.0f);
  CurrentViewIndex = ExteriorView;
  ViewRecords = {};
  constexpr int32_t OtherPointer = 12345;
  Scene->SetMouseCursor(OtherPointer, 32.0f, 32.0f, 0, 0);
  DescendAt(12.0, 2000);
  EXPECT_FALSE(ContactLightOn);
  EXPECT_TRUE(Crashed);
  EXPECT_TRUE(Landed);
  EXPECT_TRUE(EngineOff);
  EXPECT_EQ(LMVelocity.x, 0.0);
  EXPECT_EQ(PitchAxis.Rate, 0.0f);
  EXPECT_TRUE(Main_Display->TimerExplosion.Enabled());
  EXPECT_EQ(Scene->MouseCursorTexture(), Globals->GetTextureId("ArrowPointer"));
  EXPECT_TRUE(ViewRecords[ExteriorView].Active) << "the view is chosen again";
  EXPECT_TRUE(ExteriorViewFlag);
}

TEST(FlightDynamics, ATouchOnTheFirstFrameAfterAViewChangeDoesNotCrash) {
  ResetLM(0.0f);
  LMPosition.y -= 0.5;  // footpads just below the ground, light off
  LMMeshPosition.y = static_cast<float>(LMPosition.y);
  headless::PlaceGround();
  FrameSettled = false;
  UpdateMassAndThrust();
  MeasureAltitude();
  ProcessFootpads();
  EXPECT_FALSE(Crashed);
  EXPECT_TRUE(FootpadTouched);
}

TEST(FlightDynamics, TouchdownFrictionSlowsBothDirectionsAlike) {
  for (double vx : {4.0, -4.0}) {
    ResetLM(0.0f);
    LMPosition.y -= 0.5;
    LMMeshPosition.y = static_cast<float>(LMPosition.y);
    headless::PlaceGround();
    ContactLightOn = true;
    LMVelocity = {vx, 0.0, -vx};
    MeasureAltitude();
    ProcessFootpads();
    // Every footpad is down, each takes 5 ft/s per second off the speed.
    EXPECT_NEAR(std::fabs(LMVelocity.x), 4.0 - 4 * 5.0 / 60.0, 1e-6) << vx;
    EXPECT_NEAR(std::fabs(LMVelocity.z), 4.0 - 4 * 5.0 / 60.0, 1e-6) << vx;
  }
}

TEST(FlightDynamics, TippingRollsOnTheZPadsAndPitchesOnTheXPads) {
  // Only footpad 0 (+z) touches while its partner 2 is still above ground: the LM rolls.
  ResetLM(0.0f);
  ContactLightOn = true;
  LMVelocity.y = -2.0;
  headless::SetGround([](float, float z) { return z > 5.0f ? 0.5f : -3.0f; });
  MeasureAltitude();
  ProcessFootpads();  // the partner's height is known from the second pass on
  ProcessFootpads();
  EXPECT_TRUE(PadDown[0]);
  EXPECT_FALSE(PadDown[2]);
  // The partner is 3 units up: the roll rate follows the fall, 0.7 / 12 of it.
  EXPECT_NEAR(RollAxis.Rate, -2.0 * 0.7 / 12.0, 1e-3);
  EXPECT_EQ(PitchAxis.Rate, 0.0f);

  ResetLM(0.0f);
  ContactLightOn = true;
  LMVelocity.y = -2.0;
  headless::SetGround([](float x, float) { return x > 5.0f ? 0.5f : -3.0f; });
  MeasureAltitude();
  ProcessFootpads();
  ProcessFootpads();
  EXPECT_TRUE(PadDown[1]);
  EXPECT_FALSE(PadDown[3]);
  // The pitch turns the raised pad 3 (-x) down, as the roll turns the raised pad 2 down.
  EXPECT_NEAR(PitchAxis.Rate, 2.0 * 0.7 / 12.0, 1e-3);
  EXPECT_EQ(RollAxis.Rate, 0.0f);
}

TEST(FlightDynamics, EmptyTankCutsTheEngine) {
  ResetLM(1000.0f);
  Fuel = 0.1f;
  ThrustAverage = 1.0f;
  FlyFrame();
  EXPECT_EQ(Fuel, 0.0f);
  EXPECT_TRUE(EngineOff);
  EXPECT_LT(FuelPercent, 0.0f) << "the gauge keeps its last, slightly negative reading";
}

TEST(FlightDynamics, FirstFramesWithoutAFrameRateStayFinite) {
  ResetLM(30.0f);
  FramesPerSecond = 0.0f;
  FrameTimeSec = 0.0f;
  FrameTimeMs = 0.0f;
  for (int i = 0; i < 3; ++i) FlyFrame();
  FrameTimeSec = 0.05f;
  LMVelocity.y = -3.0;
  DescendAt(3.0, 400);
  EXPECT_TRUE(Landed);
  EXPECT_FALSE(Crashed);
  EXPECT_TRUE(Finite(LMVelocity));
  EXPECT_TRUE(std::isfinite(RollAxis.Rate) && std::isfinite(PitchAxis.Rate));
}

TEST(FlightDynamics, HostileScenarioValuesStayFinite) {
  struct Case {
    double distance;
    float jetThrust;
    float descentMass;
    float ascentMass;
    float fuelMass;
  };
  const float nan = std::numeric_limits<float>::quiet_NaN();
  for (const Case& c :
       {Case{0.0, 100.0f, 100.0f, 100.0f, 100.0f}, Case{6.5, 100.0f, 100.0f, 100.0f, 100.0f},
        Case{-6.5, 0.0f, 100.0f, 100.0f, 100.0f}, Case{-6.5, 100.0f, 0.0f, 0.0f, 0.0f},
        Case{-6.5, nan, 100.0f, 100.0f, 100.0f}}) {
    ResetLM(100.0f);
    RCSDistance = c.distance;
    RCSThrust = c.jetThrust;
    DescentMassEmpty = c.descentMass;
    AscentMassEmpty = c.ascentMass;
    AscentFuelMass = c.fuelMass;
    Fuel = 0.0f;
    ComputeRCSTorque();
    ThrustAverage = 0.5f;
    for (int i = 0; i < 120; ++i) FlyFrame();
    EXPECT_TRUE(std::isfinite(RCSAngularAcceleration)) << c.distance << " " << c.jetThrust;
    EXPECT_GE(RCSAngularAcceleration, 0.0);
    EXPECT_TRUE(Finite(LMVelocity)) << c.distance << " " << c.descentMass;
    EXPECT_TRUE(std::isfinite(ThrustToWeight));
  }
}

TEST(FlightDynamics, DescentStageLeftInFlightFallsToTheGround) {
  ResetLM(200.0f);
  AscentStageFlying = true;
  DescentStagePosition = LMMeshPosition;
  DescentStageVelocity = {};
  ThrustAverage = 0.0f;
  ControlsActive = false;  // the ascent stage hangs where it is
  for (int i = 0; i < 60 * 20; ++i) {
    UpdateLeftBehindDescentStage();
  }
  EXPECT_LT(DescentStageVelocity.y, 0.0);
  EXPECT_LE(DescentStageHeight, 3.5f);
  EXPECT_GT(DescentStagePosition.y, 0.0f) << "it stops 3 world units above the terrain";
}

TEST(FlightDynamics, SurfaceUnevennessIsTheLargestHeightDifference) {
  ResetLM(10.0f);
  // The plane lies a unit above the LM's ground, as an answer of exactly 0 is no ground.
  headless::SetGround([](float x, float z) { return x * 0.1f - z * 0.05f + 1.0f; });
  MeasureAltitude();
  ProcessFootpads();
  MeasureSurfaceUnevenness();
  // Heights: pad 0 (z 11.5) -0.575, pad 1 (x 11.5) 1.15, pad 2 0.575, pad 3 -1.15, centre 0.
  EXPECT_NEAR(SurfaceUnevenness, 2.3f, 1e-5f);
}

TEST(FlightDynamics, ShadowBlobsLieUnderTheFootpadsOfTheDescentStageLeftBehind) {
  ResetLM(10.0f);
  AltitudeFeet = 10;
  PadHeight = {0.5f, 0.5f, 0.5f, 0.5f};
  AscentStageFlying = true;
  DescentShadowGroup->SetPosition(4.0f, -2.0f, 1.0f);
  TurnPivot({0.0f, 0.0f, 0.5f});  // the ascent stage yaws away; the descent stage stays
  LayTerrainShadow();
  // Footpad 0 at (0, -7.9, 11.5) of the stage: its blob 1.6 sunward and 19.6 + 3 under the pad.
  EXPECT_NEAR(ShadowBlobPositions[0].x, 4.0f + 1.6f, 1e-4f);
  EXPECT_NEAR(ShadowBlobPositions[0].y, -2.0f - 7.9f - 0.5f - 19.6f - 3.0f, 1e-4f);
  EXPECT_NEAR(ShadowBlobPositions[0].z, 1.0f + 11.5f, 1e-4f);
  DescentShadowGroup->SetPosition(0.0f, 0.0f, 0.0f);
}

TEST(FlightDynamics, TerrainShadowFollowsTheGroundAndKeepsMissedEdgePoints) {
  ResetLM(10.0f);
  AltitudeFeet = 10;
  headless::SetGround([](float x, float) { return x * 0.01f + 1.0f; });
  LayTerrainShadow();
  // The edge points lie on the ground raised by a tenth of the altitude.
  for (const Vector3& p : ShadowEdgePoints)
    EXPECT_NEAR(p.y, TerrainHeight(p.x, p.z) + 1.0f, 1e-3f) << p.x;
  // First cell: A, B, C, A, C, D with the grid raised by the same lift.
  const auto& v = ShadowGridVertices;
  EXPECT_FLOAT_EQ(v[0].z, -13.0f);
  EXPECT_FLOAT_EQ(v[1].z, -11.7f);
  EXPECT_EQ(v[0].x, v[1].x);
  EXPECT_EQ(v[2].x, v[4].x);
  EXPECT_EQ(v[0].x, v[3].x);
  EXPECT_FLOAT_EQ(v[5].z, -13.0f);
  EXPECT_NEAR(v[0].y, TerrainHeight(v[0].x, v[0].z) + 1.0f, 1e-4f);
  EXPECT_FLOAT_EQ(v[ShadowGridVertexCount - 1].x, ShadowEdgePoints[10].x);

  // With the ground away from the rays every pick misses and the points stay.
  const auto before = ShadowEdgePoints;
  LandTiles[0]->SetPosition(5000.0f, 0.0f, 5000.0f);
  LayTerrainShadow();
  for (size_t i = 0; i < before.size(); ++i) EXPECT_EQ(ShadowEdgePoints[i].x, before[i].x);
}

}  // namespace
