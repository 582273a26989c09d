#include "program/flight/flight_dynamics.h"

#include <algorithm>
#include <cmath>

#include "platform/win/numbers.h"
#include "program/cockpit/cockpit_services.h"
#include "program/flight/flight_scene.h"
#include "program/flight/flight_state.h"
#include "program/flight/main_display.h"
#include "program/missions/missions_state.h"
#include "program/scene/scene_services.h"
#include "program/scene/views.h"

namespace {

constexpr double PoundsPerSlugOfFuel = 32.0;  // fuel pounds per slug of mass
constexpr double AscentBurnRate = 9.0;        // lb/s at full thrust
constexpr double DescentBurnRate = 34.0;      // lb/s at full thrust
constexpr double AscentFullTank = 5187.0;     // pounds, 100 % on the gauge
constexpr double DescentFullTank = 18000.0;   // pounds, 100 % on the gauge
constexpr float LowFuelPercent = 5.6f;
constexpr int32_t ContactAltitudeFeet = 20;      // footpads are checked below this
constexpr float ContactLightProbeHeight = 6.0f;  // world units: the probes reach this far
constexpr float ContactLightMaxSpeed = 10.0f;    // ft/s
constexpr double TouchdownFriction = 5.0;        // ft/s lost per second on the ground
constexpr float LegStroke = -1.1f;               // world units: deepest leg compression
constexpr double LegSpan = 12.0;                 // world units between partner footpads
constexpr double TipGain = 0.7;
constexpr double LegSideShift = 0.6;           // leg moves this much sideways per unit down
constexpr double LandedVerticalSpeed = 0.1;    // ft/s
constexpr float CrashCameraStartYaw = -90.0f;  // degrees

Vector3d lastDisplacement;   // world units moved in this frame's integration
Vector3 descentStageOffset;  // from the LM, world units, as last placed

double FeetToWorld(double feet) { return feet / WorldScale; }

Vector3 ToSingle(const Vector3d& v) {
  return {static_cast<float>(v.x), static_cast<float>(v.y), static_cast<float>(v.z)};
}

// One footpad's tipping rule: its partner across the LM, the axis it tips and which way.
struct FootpadRule {
  int partner;
  Vector3 legShift;  // leg offset per unit of compression d, besides y = -d
  AttitudeAxis* axis;
  double sign;
};

// Pads 0 and 2 lie on the z axis and tip the LM in roll, pads 1 and 3 on the x axis in pitch.
const std::array<FootpadRule, FootpadCount>& FootpadRules() {
  static const std::array<FootpadRule, FootpadCount> rules{{
      {2, {0.0f, 0.0f, static_cast<float>(LegSideShift)}, &RollAxis, 1.0},
      {3, {static_cast<float>(-LegSideShift), 0.0f, 0.0f}, &PitchAxis, -1.0},
      {0, {0.0f, 0.0f, static_cast<float>(-LegSideShift)}, &RollAxis, -1.0},
      {1, {static_cast<float>(LegSideShift), 0.0f, 0.0f}, &PitchAxis, 1.0},
  }};
  return rules;
}

void OffsetLeg(int pad, float d) {
  const Vector3& shift = FootpadRules()[static_cast<size_t>(pad)].legShift;
  SetDescentLegOffset(pad, {shift.x * d, -d, shift.z * d});
}

float MeasurePad(int pad) {
  const Vector3& p = FootpadPoints[static_cast<size_t>(pad)];
  return p.y - TerrainHeight(p.x, p.z);
}

void UpdateFootpadPoints() {
  for (int i = 0; i < FootpadCount; ++i)
    FootpadPoints[static_cast<size_t>(i)] = PivotTransformVector(FootpadReferencePoints[i + 1]);
}

// Friction on the ground takes a horizontal speed toward 0 from either side.
double Slow(double v, double loss) {
  return v > 0.0 ? std::max(0.0, v - loss) : std::min(0.0, v + loss);
}

void TouchFootpad(double oneFrame, double rateDamping) {
  if (!FootpadTouched) {
    FootpadTouched = true;
    FirstTouchRecord = FlightRecordCount;
    ContactLightFlags[1] = true;  // the panel's lamp shows the touchdown
    TouchdownDistance = win::RoundHalfEven(std::hypot(LandingSpot.EastWest - LMMeshPosition.x,
                                                      LandingSpot.NorthSouth - LMMeshPosition.z));
  }
  const double loss = TouchdownFriction * oneFrame;
  LMVelocity.x = Slow(LMVelocity.x, loss);
  LMVelocity.z = Slow(LMVelocity.z, loss);
  YawAxis.Rate = static_cast<float>(YawAxis.Rate * rateDamping);
}

void TipOnFootpad(int pad, double rateDamping) {
  const FootpadRule& rule = FootpadRules()[static_cast<size_t>(pad)];
  const float d = std::max(PadHeight[static_cast<size_t>(pad)], LegStroke);
  OffsetLeg(pad, d);
  const double dy = FootpadPoints[static_cast<size_t>(rule.partner)].y -
                    FootpadPoints[static_cast<size_t>(pad)].y;
  const double c = std::cos(std::fabs(std::atan(dy / LegSpan)));
  const double vy = LMVelocity.y;
  const float partnerHeight = PadHeight[static_cast<size_t>(rule.partner)];
  if (partnerHeight > 0.0f)
    rule.axis->Rate = static_cast<float>(rule.sign * c * vy * TipGain / LegSpan);
  else if (partnerHeight < LegStroke)
    rule.axis->Rate = static_cast<float>(-2.0 * rule.sign * c * vy * TipGain / LegSpan);
  else
    rule.axis->Rate = static_cast<float>(rule.axis->Rate * rateDamping);
}

void LandNow() {
  Landed = true;
  OnGround = true;
  LMVelocity.y = 0.0;
}

// One pair of opposite footpads down damps the fall and its own tipping; with the other pair down
// too the LM stops tipping, and once the fall is slow enough it has landed.
void SettleOnPair(int a, int b, AttitudeAxis& axis, double verticalDamping, double rateDamping) {
  if (!PadDown[static_cast<size_t>(a)] || !PadDown[static_cast<size_t>(b)]) return;
  LMVelocity.y *= verticalDamping;
  axis.Rate = static_cast<float>(axis.Rate * rateDamping);
  const int c = (a + 1) % FootpadCount;
  const int e = (b + 1) % FootpadCount;
  if (!PadDown[static_cast<size_t>(c)] || !PadDown[static_cast<size_t>(e)]) return;
  PitchAxis.Rate = 0.0f;
  RollAxis.Rate = 0.0f;
  LMVelocity.y *= verticalDamping;
  if (LMVelocity.y < LandedVerticalSpeed) LandNow();
}

// The legs take their final offsets and the last step into the ground is taken back.
void TakeBackLastStep() {
  UpdateFootpadPoints();
  for (int i = 0; i < FootpadCount; ++i) {
    const float height = MeasurePad(i);
    PadHeight[static_cast<size_t>(i)] = height;
    if (height < 0.0f) OffsetLeg(i, height);
  }
  LMPosition.x -= lastDisplacement.x;
  LMPosition.y -= lastDisplacement.y;
  LMPosition.z -= lastDisplacement.z;
  LMMeshPosition = ToSingle(LMPosition);
}

}  // namespace

float OneFrameSeconds() { return FramesPerSecond > 0.0f ? 1.0f / FramesPerSecond : FrameTimeSec; }

void ComputeRCSTorque() { RCSTorque = 2.0 * RCSDistance * static_cast<double>(RCSThrust); }

void UpdateMassAndThrust() {
  const double fuelMass = Fuel / PoundsPerSlugOfFuel;
  if (AscentStageFlying)
    TotalMass = static_cast<float>(fuelMass + AscentMassEmpty);
  else
    TotalMass = static_cast<float>(DescentMassEmpty + AscentMassEmpty +
                                   AscentFuelMass / PoundsPerSlugOfFuel + fuelMass);
  MomentOfInertia = 2.0 * TotalMass * RCSDistance * RCSDistance / 5.0;
  // The torque is held negative; its size is what turns the LM, so a scenario that gives the
  // distance with the other sign turns it the same way, and a zero inertia or torque fires nothing.
  const double acceleration = std::fabs(RCSTorque) / MomentOfInertia;
  RCSAngularAcceleration = std::isfinite(acceleration) ? acceleration : 0.0;
  Weight = Gravity * TotalMass;

  if (ReplayPlayback) {
    ThrustDirection = {};
  } else {
    const Vector3 up = PivotTransformVector({0.0f, 1.0f, 0.0f});
    ThrustDirection = {-up.x, up.y, up.z};
  }
  if (EngineOff) ReplayPlayback = false;
}

void CheckAscentStageStrike() {
  if (ControlsActive && !Landed && AscentStageFlying && AltitudeFeet < 0 && FrameSettled) {
    CrashLM();
    ScorchFade = 100;
  }
}

void IntegrateLMMotion() {
  // An ascent-only flight starts with the ascent stage on its descent stage on the ground, where
  // it stays until its engine lifts it off.
  if (!ControlsActive || Landed || (AscentOnly && !Staged)) return;
  const double dt = FrameTimeSec;
  const double thrust = static_cast<double>(EngineThrust) * ThrustAverage;
  const double mass = TotalMass;
  ThrustToWeight = static_cast<float>(thrust / Weight);
  if (!std::isfinite(ThrustToWeight)) ThrustToWeight = 0.0f;

  // Gravity acts on y only; a massless LM (a broken scenario) feels no thrust rather than an
  // infinite one.
  Vector3d a{0.0, -static_cast<double>(Gravity), 0.0};
  if (mass > 0.0) {
    a.x = -thrust * ThrustDirection.x / mass;
    a.y = (thrust * ThrustDirection.y - Weight) / mass;
    a.z = thrust * ThrustDirection.z / mass;
  }
  lastDisplacement = {FeetToWorld(LMVelocity.x * dt + a.x * dt * dt / 2.0),
                      FeetToWorld(LMVelocity.y * dt + a.y * dt * dt / 2.0),
                      FeetToWorld(LMVelocity.z * dt + a.z * dt * dt / 2.0)};
  if (FrameSettled) {
    LMVelocity.x += a.x * dt;
    LMVelocity.y += a.y * dt;
    LMVelocity.z += a.z * dt;
  }
  if (OnGround && LMVelocity.y < 0.0) LMVelocity.y = 0.0;

  if (!ReplayPlayback) {
    if (OnGround && lastDisplacement.y < 0.0) lastDisplacement.y = 0.0;
    LMPosition.x += lastDisplacement.x;
    LMPosition.y += lastDisplacement.y;
    LMPosition.z += lastDisplacement.z;
  }
  LMMeshPosition = ToSingle(LMPosition);
  TotalSpeed = static_cast<float>(std::sqrt(
      LMVelocity.x * LMVelocity.x + LMVelocity.y * LMVelocity.y + LMVelocity.z * LMVelocity.z));
}

void UpdateLeftBehindDescentStage() {
  if (!AscentStageFlying) {
    DescentStagePosition = LMMeshPosition;
    return;
  }
  // A descent stage that stood on the ground when the flight began stands there still.
  if (!OnGround && !AscentOnly) {
    const double dt = FrameTimeSec;
    const double g = Gravity;
    const double dy = FeetToWorld(DescentStageVelocity.y * dt - g * dt * dt / 2.0);
    DescentStageVelocity.y -= g * dt;
    DescentStageHeight =
        descentStageOffset.y - TerrainHeight(descentStageOffset.x, descentStageOffset.z);
    if (DescentStageHeight > StageRestHeight) {
      DescentStagePosition.y += static_cast<float>(dy);
      DescentStagePosition.x += static_cast<float>(FeetToWorld(DescentStageVelocity.x * dt));
      DescentStagePosition.z += static_cast<float>(FeetToWorld(DescentStageVelocity.z * dt));
    }
  }
  descentStageOffset = {DescentStagePosition.x - LMMeshPosition.x - AscentStageMeshOffset.x,
                        DescentStagePosition.y - LMMeshPosition.y - AscentStageMeshOffset.y,
                        DescentStagePosition.z - LMMeshPosition.z - AscentStageMeshOffset.z};
  PlaceDescentStageMeshes(descentStageOffset, AscentStageMeshOffset);
}

void CheckFuelExhaustion() {
  if (Fuel <= 0.0f && !EngineOff) Fuel = 0.0f;
}

void MeasureAltitude() {
  const Vector3 p = PivotTransformVector(FootpadReferencePoints[0]);
  AltitudeAboveGround = (p.y - TerrainHeight(0.0f, 0.0f)) * WorldScale;
  AltitudeFeet = win::RoundHalfEven(AltitudeAboveGround);
}

void ProcessFootpads() {
  if (IntroFlyby || AscentStageFlying) return;
  UpdateFootpadPoints();
  if (Landed) {
    LMVelocity.x = 0.0;
    LMVelocity.z = 0.0;
    YawAxis.Rate = 0.0f;
    ReplayPlayback = false;
  }
  if (ControlsActive && RunFlag && AltitudeFeet < ContactAltitudeFeet && !Landed) {
    const double f = OneFrameSeconds();
    const double verticalDamping = (1.0 - f) * std::max(0.1, (LMVelocity.y + 10.0) / 10.0) - 0.1;
    const double rateDamping = 0.9 - f;
    for (int i = 0; i < FootpadCount && !Crashed; ++i) {
      const float height = MeasurePad(i);
      PadHeight[static_cast<size_t>(i)] = height;
      if (height > 0.0f && height < ContactLightProbeHeight && TotalSpeed < ContactLightMaxSpeed &&
          !ContactLightOn) {
        ContactRecord = FlightRecordCount;
        ContactLightOn = true;
        ContactLightFlags[0] = true;
        LightContactLightMesh();
      }
      if (height > 0.0f) continue;
      TouchFootpad(f, rateDamping);
      if (ContactLightOn) {
        TipOnFootpad(i, rateDamping);
        PadDown[static_cast<size_t>(i)] = true;
      } else if (FrameSettled) {
        CrashLM();
        PadDown[static_cast<size_t>(i)] = true;
      }
    }
    if (!Crashed) {
      SettleOnPair(0, 2, RollAxis, verticalDamping, rateDamping);
      SettleOnPair(1, 3, PitchAxis, verticalDamping, rateDamping);
      // Once, on the frame of the landing: a landed LM is no longer integrated, so taking the
      // step back again later would lift it off the ground.
      if (Landed) TakeBackLastStep();
    }
  }
  if (Landed && LMVelocity.y < 0.0) LMVelocity.y = 0.0;
}

void CrashLM() {
  PitchAxis.Rate = 0.0f;
  RollAxis.Rate = 0.0f;
  LMVelocity.x = 0.0;
  LMVelocity.z = 0.0;
  Landed = true;
  ReplayPlayback = false;
  OnGround = true;
  Crashed = true;
  EngineOff = true;
  SetArrowPointer();
  // The view chosen last is chosen again, so that it shows the crash from where it stands.
  SelectView(CurrentViewIndex);
  if (SoundOn) PlayCrashSound();
  ShowCrashSite();
  CrashCameraYaw = CrashCameraStartYaw;
  Main_Display->TimerExplosion.SetEnabled(true);
}

void UpdateFuelPercent(double descentFullTank) {
  const double full = AscentStageFlying ? AscentFullTank : descentFullTank;
  FuelPercent = static_cast<float>(Fuel * 100.0 / full);
}

void BurnFuel() {
  if (!ControlsActive) return;
  const double dt = FrameTimeSec;
  const double rate = AscentStageFlying ? AscentBurnRate : DescentBurnRate;
  Fuel = static_cast<float>(Fuel - dt * rate * ThrustAverage);
  UpdateFuelPercent(DescentFullTank);
  if (FuelPercent < LowFuelPercent) ShowLowFuelLight();
  if (Fuel < 0.0f) {
    Fuel = 0.0f;
    EngineOff = true;
  }
}

void MeasureSurfaceUnevenness() {
  std::array<float, FootpadCount + 1> heights{};
  for (int i = 0; i < FootpadCount; ++i) {
    const Vector3& p = FootpadPoints[static_cast<size_t>(i)];
    heights[static_cast<size_t>(i)] = TerrainHeight(p.x, p.z);
  }
  heights[FootpadCount] = TerrainHeight(0.0f, 0.0f);
  const auto [low, high] = std::minmax_element(heights.begin(), heights.end());
  SurfaceUnevenness = *high - *low;
}

namespace {

constexpr double ShadowStretchWidth = 10.0;   // grid columns per stretch between edge points
constexpr float ShadowGridHalfDepth = 13.0f;  // world units either side of the LM along z
constexpr float ShadowLowLift = 30.0f;        // feet: below this the grid follows the LM down
constexpr float ShadowHighLift = 3.0f;        // world units above the terrain
constexpr float ShadowMinLift = 0.1f;         // world units
constexpr float AscentShadowDrop = 3.0f;      // world units the ascent stage's shadow lies lower

constexpr float ShadowLiftFeetPerUnit = 10.0f;  // feet of altitude per world unit of lift
// The sunward edge points start this high (world units) and step down by EdgePointSpacing; the
// picks toward them reach out to the edge reach, less the drop to the tile along the sun's slope.
constexpr float DescentEdgeBase = 17.0f;
constexpr float AscentEdgeBase = 14.0f;
constexpr float DescentEdgeReach = 226.0f;
constexpr float AscentEdgeReach = 238.5f;
constexpr float EdgePointSpacing = 3.4f;  // world units between edge points
constexpr float EdgePickX = 190.0f;       // world units toward the sun of the picks' start
constexpr float EdgePickRise = 40.0f;     // world units above the edge point of the picks' start
constexpr float EdgeDropHeight = 40.0f;   // world units: the height the reach's drop falls from
constexpr float SunSlope = 0.2f;          // the sun's rays fall 1 in 5
// The footpad blobs sit this far (world units) sunward and below the transformed footpad.
constexpr float BlobSunwardShift = 1.6f;
constexpr float BlobDrop = 19.6f;

}  // namespace

void LayTerrainShadow() {
  const float lift =
      static_cast<float>(AltitudeFeet) <= ShadowLowLift
          ? std::max(static_cast<float>(AltitudeFeet) / ShadowLiftFeetPerUnit, ShadowMinLift)
          : ShadowHighLift;
  // The edge points run along the shadow's sunward edge, picked on the terrain from above.
  const float base = AscentStageFlying ? AscentEdgeBase : DescentEdgeBase;
  const float reach = AscentStageFlying ? AscentEdgeReach : DescentEdgeReach;
  const float tileHeight = ActiveTileRenderHeight();
  for (int i = 0; i < ShadowEdgePointCount; ++i) {
    const float y = base - EdgePointSpacing * static_cast<float>(i);
    Vector3 hit;
    if (PickTerrain({EdgePickX, y + EdgePickRise, 0.0f},
                    {reach - (EdgeDropHeight - tileHeight) / SunSlope - y, tileHeight, 0.0f},
                    hit)) {
      hit.y += lift;
      ShadowEdgePoints[static_cast<size_t>(i)] = hit;
    }
  }

  const int perStretch = win::RoundHalfEven(ShadowGridColumns / ShadowStretchWidth);
  std::array<float, ShadowGridColumns + 1> columnX{};
  for (int c = 0; c < ShadowGridColumns; ++c) {
    const Vector3& from = ShadowEdgePoints[static_cast<size_t>(c / perStretch)];
    const Vector3& to = ShadowEdgePoints[static_cast<size_t>(c / perStretch + 1)];
    const float t = static_cast<float>(c % perStretch) / static_cast<float>(perStretch);
    columnX[static_cast<size_t>(c)] = from.x + (to.x - from.x) * t;
  }
  columnX[ShadowGridColumns] = ShadowEdgePoints[ShadowEdgePointCount - 1].x;
  std::array<float, ShadowGridRows + 1> rowZ{};
  for (int r = 0; r <= ShadowGridRows; ++r)
    rowZ[static_cast<size_t>(r)] =
        -ShadowGridHalfDepth + static_cast<float>(r) * 2.0f * ShadowGridHalfDepth / ShadowGridRows;
  auto corner = [&](int c, int r) {
    const float x = columnX[static_cast<size_t>(c)];
    const float z = rowZ[static_cast<size_t>(r)];
    return Vector3{x, TerrainHeight(x, z) + lift, z};
  };

  const float drop = AscentStageFlying ? AscentShadowDrop : 0.0f;
  for (int k : {0, 2, 3}) {
    const Vector3 p =
        DescentShadowTransformVector(FootpadReferencePoints[static_cast<size_t>(k + 1)]);
    ShadowBlobPositions[static_cast<size_t>(k)] = {
        p.x + BlobSunwardShift, p.y - PadHeight[static_cast<size_t>(k)] - BlobDrop - drop, p.z};
  }

  size_t vertex = 0;
  for (int c = 1; c <= ShadowGridColumns; ++c) {
    for (int r = 1; r <= ShadowGridRows; ++r) {
      const Vector3 a = corner(c - 1, r - 1);
      const Vector3 b = corner(c - 1, r);
      const Vector3 cc = corner(c, r);
      const Vector3 d = corner(c, r - 1);
      for (const Vector3& v : {a, b, cc, a, cc, d}) ShadowGridVertices[vertex++] = v;
    }
  }
  DrawTerrainShadowPicture(AltitudeFeet < ContactAltitudeFeet);
}
