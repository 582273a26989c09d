#include "program/flight/attitude_control.h"

#include <algorithm>
#include <cmath>

#include "platform/win/rnd.h"
#include "program/cockpit/cockpit_services.h"
#include "program/cockpit/cockpit_state.h"
#include "program/flight/flight_dynamics.h"
#include "program/flight/flight_maths.h"
#include "program/flight/flight_scene.h"
#include "program/missions/missions_state.h"
#include "program/scene/engine_objects.h"
#include "program/scene/lm_placement.h"
#include "program/scene/scene_services.h"
#include "program/scene/scene_state.h"

namespace {

constexpr double ReplaySettleMs = 300.0;  // the first part of a replay sets the attitude outright

constexpr float RateBand = 0.0087f;     // rad/s either side of the commanded rate
constexpr float RateHoldPad = 0.016f;   // s added to a rate-hold firing
constexpr float TimedStepPad = 0.014f;  // s added to a timed firing, and a last pulse
constexpr float PulseTime = 0.016f;     // s of one minimum-impulse pulse
constexpr double AutoDeadband = 0.0017453292780017623;        // rad, 0.1 degree
constexpr double TimedStepPeriod = 0.2;                       // s
constexpr float MaxTimedRate = 0.0872664600610733f;           // rad/s, 5 degrees per second
constexpr double HoverTiltPerSpeed = 2.0 * RadiansPerDegree;  // rad per ft/s
constexpr float MaxHoverTilt = 0.3490658402442932f;           // rad, 20 degrees
constexpr double PitchScheduleStep = 0.2;                     // s
constexpr double PitchScheduleSpeed = 40.0;                   // ft/s
constexpr float MaxScheduledPitch = 0.9948377013206482f;      // rad, 57 degrees
constexpr float VerticalRateRamp = 0.8f;                      // ft/s per second
constexpr float SlowestAutoDescent = -3.0f;                   // ft/s
constexpr float AltitudePerDescentRate = 33.0f;               // feet per ft/s
constexpr float ManeuverSlowRate = RadiansPerDegreeSingle;    // rad/s, 1 degree per second
constexpr float ManeuverDone = 0.00017453292093705386f;       // rad, 0.01 degree
constexpr double ManeuverFixedStep = 0.01;                    // s
constexpr float LoopSoundTime = 0.2f;                         // s

enum ModeSwitch : int32_t { ModeDirect = 1, ModeRateHold = 2 };

// The jets' angular acceleration over `seconds`, in the firing direction.
void Fire(AttitudeAxis& axis, double seconds) {
  axis.Rate =
      static_cast<float>(axis.Rate + axis.HandControllerState * RCSAngularAcceleration * seconds);
}

// Seconds of firing that close a rate gap, plus the pad; nothing when the jets cannot turn the LM.
float FiringLength(double gap, float pad) {
  return RCSAngularAcceleration > 0.0 ? static_cast<float>(gap / RCSAngularAcceleration + pad)
                                      : 0.0f;
}

float Clamp(float v, float limit) { return std::clamp(v, -limit, limit); }

void StepAxes(void (*rateMode)(AttitudeAxis&)) {
  const std::array<std::pair<AttitudeAxis*, const PanelItem*>, 3> axes{
      {{&RollAxis, &RollRCSSwitch}, {&PitchAxis, &PitchRCSSwitch}, {&YawAxis, &YawRCSSwitch}}};
  for (const auto& [axis, modeSwitch] : axes) {
    if (modeSwitch->SwitchPosition == ModeDirect)
      StepDirectAxis(*axis);
    else if (modeSwitch->SwitchPosition == ModeRateHold)
      rateMode(*axis);
  }
}

// The automatic program's deadband and step period; false when the program steers no axis.
bool SetUpAutomaticProgram() {
  if (ManeuverActive || AutoAttitudeHold) {
    AttitudeDeadband = AutoDeadband;
    AutoStepPeriod = 0.0;
    return true;
  }
  switch (CurrentProgram) {
    case P12:
    case P70:
    case P71:
      AttitudeDeadband = AutoDeadband;
      AutoStepPeriod = TimedStepPeriod;
      return true;
    case P41:
    case P63:
    case P64:
      AttitudeDeadband = AutoDeadband;
      AutoStepPeriod = 0.0;
      return true;
    case P66: {
      AttitudeDeadband = SelectedDeadband;
      UpdateHoverAttitudeTargets();
      AutoStepPeriod = 0.0;
      CommandedVerticalRate += VerticalRateRamp * FrameTimeSec;
      const float limit =
          std::min(-AltitudeAboveGround / AltitudePerDescentRate, SlowestAutoDescent);
      if (CommandedVerticalRate > limit) CommandedVerticalRate = limit;
      return true;
    }
    default:
      return false;
  }
}

// One step of the maneuver on one axis toward its error. The LM turns by the step as the jets'
// rates turn it, and the attitude reference the other way: turning the reference alone would leave
// the ball at the target and the LM, and its thrust, where they were.
void StepManeuverAxis(AttitudeAxis& axis, float Vector3::*component, ReferenceAxis reference,
                      float fastRate, double dt, float rateDegrees) {
  const float e = axis.AttitudeError;
  const float size = std::fabs(e);
  float speed = fastRate;
  if (size < RadiansPerDegreeSingle)
    speed = ManeuverSlowRate;
  else if (size * DegreesPerRadian < rateDegrees / 5.0f)
    speed = fastRate / 5.0f;
  Vector3 turn{};
  turn.*component = std::copysign(std::min(static_cast<float>(speed * dt), size), e);
  TurnPivot(turn);
  TurnLMMeshes(turn);
  TurnAttitudeReference(reference, -(turn.*component));
  MeasureLMAngles();
}

}  // namespace

void UpdateAttitudeControl() {
  UpdateAttitudeErrors();
  switch (PGNSSwitch.SwitchPosition) {
    case PGNSManual:
      if (CurrentProgram == P66) UpdateHoverAttitudeTargets();
      AutoAttitudeHold = false;
      AttitudeDeadband = SelectedDeadband;
      StepAxes(StepRateHoldAxis);
      break;
    case PGNSAuto:
      if (SetUpAutomaticProgram()) StepAxes(StepTimedAxis);
      break;
    default:
      RCSFiring = false;
      AutoAttitudeHold = false;
      break;
  }
}

void StepDirectAxis(AttitudeAxis& axis) {
  axis.HandControllerState = axis.HandControllerCommand < 0.0f   ? -1
                             : axis.HandControllerCommand > 0.0f ? 1
                                                                 : 0;
  if (axis.HandControllerState == 0) {
    RCSFiring = false;
    return;
  }
  RCSFiring = true;
  RestartLoopSound();
  Fire(axis, FrameTimeSec);
}

void StepRateHoldAxis(AttitudeAxis& axis) {
  const float lo = axis.HandControllerCommand - RateBand;
  const float hi = axis.HandControllerCommand + RateBand;
  if (MinimumImpulseMode) {
    if (axis.HandControllerState != 0 && axis.PulseRequest) {
      Fire(axis, PulseTime);
      axis.PulseRequest = false;
      RestartLoopSound();
      UpdateRCSJets();
      axis.HandControllerState = 0;
    }
    return;
  }
  if (axis.HandControllerState != 0) {
    if (axis.HoldAngle == NoHoldAngle) {
      const float length = axis.HandControllerState < 0 ? FiringLength(axis.Rate - hi, RateHoldPad)
                                                        : FiringLength(lo - axis.Rate, RateHoldPad);
      if (length != axis.FireDuration) {
        axis.FireDuration = length;
        axis.FireElapsed = 0.0f;
      }
    }
    if (OneFrameSeconds() > axis.FireDuration) {
      RestartLoopSound();
      UpdateRCSJets();
      Fire(axis, TimedStepPad);
      axis.FireElapsed = 0.0f;
      axis.HandControllerState = 0;
    } else {
      axis.FireElapsed += FrameTimeSec;
      if (axis.FireElapsed < axis.FireDuration) {
        RestartLoopSound();
        UpdateRCSJets();
        Fire(axis, FrameTimeSec);
      } else {
        axis.FireElapsed = 0.0f;
        axis.HandControllerState = 0;
      }
    }
  } else if (hi < axis.Rate) {
    axis.FireDuration = FiringLength(axis.Rate - hi, RateHoldPad);
    axis.HandControllerState = -1;
  } else if (lo > axis.Rate) {
    axis.FireDuration = FiringLength(lo - axis.Rate, RateHoldPad);
    axis.HandControllerState = 1;
  } else if (axis.HoldAngle != NoHoldAngle && axis.AttitudeError < -AttitudeDeadband) {
    if (axis.Rate > 0.0f) {
      axis.FireDuration = TimedStepPad;
      axis.HandControllerState = -1;
    } else {
      axis.HandControllerState = 0;
      axis.FireElapsed = 0.0f;
    }
  } else if (axis.HoldAngle != NoHoldAngle && axis.AttitudeError > AttitudeDeadband) {
    if (axis.Rate < 0.0f) {
      axis.HandControllerState = 1;
      axis.FireDuration = TimedStepPad;
    } else {
      axis.HandControllerState = 0;
    }
  } else {
    axis.HandControllerState = 0;
    axis.FireElapsed = 0.0f;
  }

  if (axis.HandControllerCommand == 0.0f && -AttitudeDeadband <= axis.Rate &&
      axis.Rate <= AttitudeDeadband && axis.HoldAngle == NoHoldAngle)
    axis.HoldAngle = axis.Angle;
  else if (axis.HandControllerCommand != 0.0f)
    axis.HoldAngle = NoHoldAngle;
}

void StepTimedAxis(AttitudeAxis& axis) {
  AutoStepTimer -= FrameTimeSec;
  if (axis.HandControllerState != 0) {
    if (OneFrameSeconds() > axis.FireDuration) {
      RCSFiring = true;
      RestartLoopSound();
      UpdateRCSJets();
      Fire(axis, TimedStepPad);
      axis.FireElapsed = 0.0f;
      axis.HandControllerState = 0;
      RCSFiring = false;
      return;
    }
    axis.FireElapsed += FrameTimeSec;
    if (axis.FireElapsed >= axis.FireDuration) {
      axis.FireElapsed = 0.0f;
      axis.HandControllerState = 0;
      RCSFiring = false;
    } else {
      RCSFiring = true;
      RestartLoopSound();
      UpdateRCSJets();
      Fire(axis, FrameTimeSec);
    }
    return;
  }
  if (AutoStepTimer >= 0.0) return;
  AutoStepTimer = AutoStepPeriod;
  if (axis.AttitudeError < -AttitudeDeadband || axis.AttitudeError > AttitudeDeadband)
    axis.HandControllerCommand = axis.AttitudeError / 4.0f;
  if (std::fabs(axis.HandControllerCommand) > MaxTimedRate)
    axis.HandControllerCommand = axis.HandControllerCommand < 0.0f ? -MaxTimedRate : MaxTimedRate;
  const float lo = axis.HandControllerCommand - RateBand;
  const float hi = axis.HandControllerCommand + RateBand;
  if (hi < axis.Rate) {
    axis.FireDuration = FiringLength(axis.Rate - hi, TimedStepPad);
    axis.HandControllerState = -1;
  } else if (lo > axis.Rate) {
    axis.FireDuration = FiringLength(lo - axis.Rate, TimedStepPad);
    axis.HandControllerState = 1;
  } else {
    axis.HandControllerState = 0;
    axis.FireElapsed = 0.0f;
  }
}

void UpdateHoverAttitudeTargets() {
  RollAxis.TargetAngle =
      Clamp(static_cast<float>(-HoverTiltPerSpeed * HorizontalVelocityLateral), MaxHoverTilt);
  PitchAxis.TargetAngle =
      Clamp(static_cast<float>(-HoverTiltPerSpeed * HorizontalVelocityForward), MaxHoverTilt);
}

void UpdatePitchSchedule() {
  PitchScheduleTimer -= FrameTimeSec;
  if (PitchScheduleTimer >= 0.0) return;
  PitchScheduleTimer = PitchScheduleStep;
  const double v = LMVelocity.y;
  if (v < PitchScheduleSpeed) {
    PitchAxis.TargetAngle = 0.0f;
    RollAxis.TargetAngle = 0.0f;
    return;
  }
  const float pitch =
      static_cast<float>(((v - PitchScheduleSpeed) / 20.0 + 57.0) * RadiansPerDegree);
  PitchAxis.TargetAngle = std::min(pitch, MaxScheduledPitch);
  YawAxis.TargetAngle = 0.0f;
  RollAxis.TargetAngle = 0.0f;
}

void UpdateAttitudeErrors() {
  const float r = RollAxis.TargetAngle - RollAxis.Angle;
  const float p = PitchAxis.TargetAngle - PitchAxis.Angle;
  const double yawTarget = YawAxis.TargetAngle;
  double y = yawTarget;
  // A target pitched over the top reaches its heading from the other side.
  if (-3 * Pi / 2 < PitchAxis.TargetAngle && PitchAxis.TargetAngle < -Pi / 2) {
    if (-Pi < yawTarget && yawTarget < -Pi / 2) y = -Pi - yawTarget;
    if (Pi / 2 < yawTarget && yawTarget < Pi) y = Pi - yawTarget;
  }
  if (-3 * Pi / 2 < PitchAxis.Angle && PitchAxis.Angle < -Pi / 2)
    y = YawAxis.Angle < 0.0f ? y + YawAxis.Angle + Pi : y + YawAxis.Angle - Pi;
  else
    y -= YawAxis.Angle;
  const double c = std::cos(RollAxis.Angle);
  const double s = std::sin(RollAxis.Angle);
  RollAxis.AttitudeError = r;
  PitchAxis.AttitudeError = static_cast<float>(p * c - y * s);
  YawAxis.AttitudeError = static_cast<float>(p * s + y * c);
  for (AttitudeAxis* axis : {&RollAxis, &PitchAxis, &YawAxis})
    axis->NeedlePosition = std::clamp(0.5f + axis->AttitudeError * 0.5f, 0.35f, 0.65f);
}

void MeasureLMAngles() {
  const Vector3 v = AttitudeReferenceVector();
  const double t = std::atan(v.y / v.z) * DegreesPerRadian;
  double heading = v.z > 0.0f ? 180.0 - t : v.y > 0.0f ? -t : 360.0 - t;
  double elevation = ArcCos(-v.x) * DegreesPerRadian - 90.0;
  if (v.z >= 0.0f)
    elevation = 180.0 - elevation;
  else if (v.x <= 0.0f)
    elevation += 360.0;
  double roll = AttitudeReferenceRollDegrees();
  for (double* angle : {&heading, &elevation, &roll})
    if (*angle > 180.0) *angle -= 360.0;
  RollAxis.Angle = static_cast<float>(roll * RadiansPerDegree);
  YawAxis.Angle = static_cast<float>(elevation * RadiansPerDegree);
  PitchAxis.Angle = static_cast<float>(-heading * RadiansPerDegree);
  ComputeEulerAngles(RollAxis.Angle, PitchAxis.Angle, YawAxis.Angle, DisplayAttitudeAngles[0],
                     DisplayAttitudeAngles[1], DisplayAttitudeAngles[2]);
}

void SetFDAIBallAttitude() {
  TurnAttitudeReference(ReferenceAxis::X, -AttitudeIncrement.y);
  TurnAttitudeReference(ReferenceAxis::Y, -AttitudeIncrement.z);
  TurnAttitudeReference(ReferenceAxis::Z, -AttitudeIncrement.x);
  MeasureLMAngles();
}

void ApplyLMAttitude() {
  if (MissionTime > ReplaySettleMs) {
    Turn(*AscentStageMesh, AttitudeIncrement);
    if (ShadowFlags[0]) Turn(*AscentShadowGroup, AttitudeIncrement);
    TurnDescentStage(AttitudeIncrement);
    TurnPivot(AttitudeIncrement);
    if (!AttitudeManeuverActive) SetFDAIBallAttitude();
    Turn(*VirtualCockpitMesh, AttitudeIncrement);
  } else {
    for (const MeshPtr* mesh :
         {&AscentStageMesh, &DescentStageMesh, &CameraPivot, &VirtualCockpitMesh})
      SetAbsoluteRotation(**mesh, 1.0f);
    SetAbsoluteRotation(*FDAIBallCameraPivot, -1.0f);
    if (ShadowFlags[0]) {
      SetAbsoluteRotation(*AscentShadowGroup, 1.0f);
      SetAbsoluteRotation(*DescentShadowGroup, 1.0f);
    }
  }
  PlumesFollowThePivot();
}

void UpdateFDAIFromLM() {
  // The pivot first: the plume group takes its matrix with the LM's other meshes.
  TurnPivot(AttitudeIncrement);
  TurnLMMeshes(AttitudeIncrement);
  if (!AttitudeManeuverActive && !GimbalLocked) SetFDAIBallAttitude();
}

void StepAttitudeManeuver(float rateDegrees, bool realTime) {
  const float fastRate = static_cast<float>(rateDegrees * RadiansPerDegree);
  const double dt = realTime ? FrameTimeSec : ManeuverFixedStep;
  MeasureLMAngles();
  UpdateAttitudeErrors();
  StepManeuverAxis(PitchAxis, &Vector3::y, ReferenceAxis::X, fastRate, dt, rateDegrees);
  StepManeuverAxis(YawAxis, &Vector3::z, ReferenceAxis::Y, fastRate, dt, rateDegrees);
  StepManeuverAxis(RollAxis, &Vector3::x, ReferenceAxis::Z, fastRate, dt, rateDegrees);
  const bool reached = std::fabs(PitchAxis.Angle - PitchAxis.TargetAngle) <= ManeuverDone &&
                       std::fabs(YawAxis.Angle - YawAxis.TargetAngle) <= ManeuverDone &&
                       std::fabs(RollAxis.Angle - RollAxis.TargetAngle) <= ManeuverDone;
  if (reached) {
    AttitudeManeuverActive = false;
    GimbalLocked = false;
    LampNoAtt = false;
  }
}

void ResetAttitudeAxis(AttitudeAxis& axis) {
  axis.Rate = 0.0f;
  axis.HandControllerState = 0;
  axis.HandControllerCommand = 0.0f;
  axis.FireDuration = 0.0f;
  axis.AttitudeError = 0.0f;
  axis.HoldAngle = 0.0f;
  axis.PulseRequest = false;
  axis.NeedlePosition = 0.5f;
  axis.NeedleSmoothed = 0.5f;
}

void UpdateRCSJets() {
  if (RCSSoundCooldown <= 0.0f) return;
  if (ProgramRCSFlag) {
    for (int k = 0; k < 3; ++k) {
      const int plus = JetXPlus + 2 * k;
      if (TranslationCommand[static_cast<size_t>(k)] > 0)
        ShowJetPlumes(JetSelectionTables[static_cast<size_t>(plus)]);
      if (TranslationCommand[static_cast<size_t>(k)] < 0)
        ShowJetPlumes(JetSelectionTables[static_cast<size_t>(plus + 1)]);
    }
  }
  const std::array<std::pair<const AttitudeAxis*, int>, 3> axes{
      {{&RollAxis, JetRollPlus}, {&YawAxis, JetYawPlus}, {&PitchAxis, JetPitchPlus}}};
  for (const auto& [axis, plus] : axes) {
    if (axis->HandControllerState > 0) ShowJetPlumes(JetSelectionTables[static_cast<size_t>(plus)]);
    if (axis->HandControllerState < 0)
      ShowJetPlumes(JetSelectionTables[static_cast<size_t>(plus + 1)]);
  }
}

void ShowJetPlumes(const JetSelection& table) {
  constexpr int PlumeTextureCount = 4;
  auto show = [](int plume) {
    ShowRCSPlume(plume, static_cast<int>(win::Rnd() * PlumeTextureCount + 1));
  };
  for (int plume = 1; plume <= RCSPlumeCount; ++plume) {
    if (!table[static_cast<size_t>(plume - 1)].a) continue;
    if (IsRCSPlumeShown(plume)) break;
    show(plume);
  }
  for (int plume = 1; plume <= RCSPlumeCount; ++plume)
    if (table[static_cast<size_t>(plume - 1)].b) show(plume);
}

void FillJetSelectionTables() {
  struct Row {
    JetTable table;
    std::array<int, 2> a;
    std::array<int, 2> b;
  };
  static constexpr std::array<Row, JetTableCount> rows{{
      {JetPitchPlus, {10, 13}, {1, 6}},
      {JetPitchMinus, {2, 5}, {9, 14}},
      {JetYawPlus, {3, 11}, {8, 16}},
      {JetYawMinus, {7, 15}, {4, 12}},
      {JetRollPlus, {1, 14}, {5, 10}},
      {JetRollMinus, {2, 13}, {6, 9}},
      {JetXPlus, {2, 10}, {6, 14}},
      {JetXMinus, {1, 9}, {5, 13}},
      {JetYPlus, {12, 16}, {12, 16}},
      {JetYMinus, {4, 8}, {4, 8}},
      {JetZPlus, {7, 11}, {7, 11}},
      {JetZMinus, {3, 15}, {3, 15}},
  }};
  for (const Row& row : rows) {
    JetSelection& table = JetSelectionTables[static_cast<size_t>(row.table)];
    table = {};
    for (int plume : row.a) table[static_cast<size_t>(plume - 1)].a = true;
    for (int plume : row.b) table[static_cast<size_t>(plume - 1)].b = true;
  }
}

void RestartLoopSound() {
  if (RCSSoundCooldown <= 0.0f && SoundOn) PlayRCSLoopSound();
  RCSSoundCooldown = LoopSoundTime;
}
