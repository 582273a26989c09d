#include "program/cockpit/landing_guidance.h"

#include <algorithm>
#include <cmath>

#include "platform/engine/resources.h"
#include "platform/win/numbers.h"
#include "program/cockpit/cockpit_state.h"
#include "program/cockpit/instruments.h"
#include "program/flight/flight_maths.h"
#include "program/flight/flight_state.h"
#include "program/missions/missions_state.h"
#include "program/scene/scene_state.h"

namespace {

constexpr double VxFloor = 0.001;                // ft/s
constexpr float SpeedFloor = 0.0001f;            // ft/s
constexpr float RollLimitPerSpeed = 0.2f / 500;  // radians per ft/s
constexpr float FullRollHeadingError = 0.0349f;  // radians
constexpr double BrakingLawPeriod = 1.0;         // seconds
constexpr double LPDTimeOffset = 16.0;           // seconds
constexpr double LongestLPDTime = 99.0;          // seconds
constexpr float SlowestDescent = -12.0f;         // ft/s
constexpr float LeastThrottle = 0.25f;
constexpr float MostThrottle = 0.7f;
constexpr float SteepestPitch = -static_cast<float>(Pi / 4);  // radians
constexpr float HighestPitch = 0.05f;                         // radians
constexpr double LPDAngleOffset = 5.0;                        // degrees
constexpr float LPDStepOffset = 28.64788975654115f;

int32_t HalfDegrees(float radians) { return win::RoundHalfEven(radians * 2 * DegreesPerRadian); }

// The once-a-second braking law: the LPD time, the descent rate and the pitch target.
void RunBrakingLaw(float u, float d, float g) {
  LandingGuidanceRecord& r = LandingGuidance;
  if (r.StoredValue <= 0 || PitchAxis.TargetAngle == SteepestPitch) r.StoredValue = 0;
  const float a = u * u / (2 * d);
  float b = std::sqrt(a * 2 * std::max(u, 0.0f));
  if (!(b > 0)) b = 0.01f;
  r.RequiredDeceleration = a;
  r.BrakingRate = b;
  r.Ratio = a / b;
  LPDTime = std::min(2.0 * b - LPDTimeOffset, LongestLPDTime);
  const float k = 1.5f * a;

  if (PGNSSwitch.SwitchPosition == PGNSAuto) LPDRedesignated = false;
  if (PGNSSwitch.SwitchPosition == PGNSAuto || !LPDRedesignated) {
    LineOfSightAngle = std::atan(g / d);
    CommandedVerticalRate = std::min(-LineOfSightAngle * u, SlowestDescent);
  }

  const float thrust = std::clamp(ThrustAverage, LeastThrottle, MostThrottle) * EngineThrust;
  float ratio = TotalMass * k / (thrust == 0 ? SpeedFloor : thrust);
  if (ratio > 1) {
    PitchAxis.TargetAngle = SteepestPitch;
    return;
  }
  ratio = std::max(ratio, -1.0f);
  if (ratio == 1) {
    PitchAxis.TargetAngle = SteepestPitch;
    return;
  }
  const float pitch = engine::EngineMathLibrary::ArcCos(ratio) - PiSingle / 2;
  PitchAxis.TargetAngle = pitch < SteepestPitch || pitch > HighestPitch ? SteepestPitch : pitch;
}

// The heading of a ground track going `x` east-west and `z` north-south.
float Heading(double x, double z) {
  return static_cast<float>(std::atan(z / (x == 0 ? VxFloor : x)) + Pi);
}

}  // namespace

void UpdateLandingGuidance() {
  VelocityHeading = Heading(LMVelocity.x, LMVelocity.z);
  // The track flown is the one to the landing spot, turned by the pilot's cross-range
  // redesignations.
  DesiredHeading =
      Heading(LandingSpot.EastWest - LMMeshPosition.x, LandingSpot.NorthSouth - LMMeshPosition.z) +
      LPDCrossRangeAngle;

  const float forward = HorizontalVelocityForward;
  if (HalfDegrees(DesiredHeading) != HalfDegrees(VelocityHeading)) {
    // The roll is limited to the size of f: flying backwards, f is negative, and a limit of -f
    // on one side only would let a heading error of half a turn roll the LM over.
    const float f = std::fabs(forward * RollLimitPerSpeed);
    const float error = DesiredHeading - VelocityHeading;
    RollAxis.TargetAngle =
        std::clamp(error * -forward * RollLimitPerSpeed / FullRollHeadingError, -f, f);
    RollAxis.HoldAngle = RollAxis.TargetAngle;
  }
  YawAxis.TargetAngle =
      std::atan(HorizontalVelocityLateral / (forward == 0 ? SpeedFloor : forward));

  const float d = std::max((LMMeshPosition.x - LandingSpot.EastWest) * WorldScale, 1.0f);
  const float g = (LMMeshPosition.y - P64LowGateHeight / WorldScale) * WorldScale;

  BrakingLawTimer -= FrameTimeSec;
  if (BrakingLawTimer <= 0) {
    BrakingLawTimer = BrakingLawPeriod;
    RunBrakingLaw(forward, d, g);
  }

  SetTwoDigitDisplay(LPDTime);
  const float sight = std::atan(LMMeshPosition.y / d);
  LPDAngle = win::RoundHalfEven(-(PitchAxis.Angle - sight) * DegreesPerRadian - LPDAngleOffset);
  LPDStep = std::abs(std::sin(sight - LPDStepOffset) * g);
}

void UpdateNeedleAngles() { UpdateLandingGuidance(); }
