#include "program/input/flying.h"

#include <algorithm>
#include <numeric>

#include "platform/win/numbers.h"
#include "program/cockpit/cockpit_services.h"
#include "program/cockpit/cockpit_state.h"
#include "program/cockpit/screen_messages.h"
#include "program/flight/flight_maths.h"
#include "program/flight/flight_state.h"
#include "program/flight/main_display.h"
#include "program/input/input_state.h"
#include "program/input/key_dispatch.h"
#include "program/input/mouse_input.h"
#include "program/missions/missions_state.h"
#include "program/scene/scene_state.h"
#include "program/scene/views.h"
#include "program/startup/startup_state.h"

namespace {

constexpr float LowestFrameRate = 5.0f;        // frames per second
constexpr float KeyUnitsPerSecond = 20.0f;     // keyboard hand controller and throttle
constexpr float KeyControllerLimit = 100.0f;   // keyboard hand controller, either way
constexpr float KeyThrottleLimit = 100.0f;     // keyboard throttle, percent
constexpr float HatTurnDegrees = 80.0f;        // per second, the hat's camera yaw
constexpr float HatDiagonalYawDegrees = 2.0f;  // per second, the hat's forward-right yaw
constexpr float StickThrottleScale = 0.6f;     // the full stick throttle below the detent
constexpr float StickLow = 0.3f;               // below: deflected to the low side
constexpr float StickHigh = 0.7f;              // above: deflected to the high side
constexpr float TranslationLow = 0.2f;
constexpr float TranslationHigh = 0.8f;
constexpr float RedesignationAngle = 0.0349f;  // radians of cross range per step
constexpr int32_t ProRequiredText = 187;
constexpr int32_t ProRequiredMs = 2000;
constexpr uint32_t ProRequiredBox = 0xFFFF8000;
constexpr uint32_t ProRequiredLetters = 0xFF000000;

const RampSettings HatCameraRamp{2.0f, 3.0f, 1.2f, 2.0f, 10.0f, 30.0f};

bool InVirtualOrEVAView() { return InteriorViewFlag || EVAViewFlag; }

void PressView(ActionIndex action) {
  ControlAssignments[static_cast<size_t>(action)].Pressed = true;
}

void TurnViewByHat(float f) {
  const float a = MouseSensitivity * PiSingle / 180.0f * HatTurnDegrees / f;
  const int32_t pov = POVValue;
  if (InVirtualOrEVAView()) {
    const bool up = pov == 0 || pov == 4500 || pov == 31500;
    const bool down = pov == 13500 || pov == 18000 || pov == 22500;
    const bool right = pov == 4500 || pov == 9000 || pov == 13500;
    const bool left = pov == 22500 || pov == 27000 || pov == 31500;
    if (up) PressView(ActionVirtualUp);
    if (down) PressView(ActionVirtualDown);
    if (right) PressView(ActionVirtualRight);
    if (left) PressView(ActionVirtualLeft);
    if (up || down || right || left) KeyHeld = true;
  } else {
    bool turned = true;
    switch (pov) {
      case 0:
        ChangeCameraPitch(-1.0f, f);
        break;
      case 4500:
        CameraOrbitYaw -= HatDiagonalYawDegrees * MouseSensitivity / f;
        ChangeCameraPitch(-1.0f, f);
        break;
      case 9000:
        CameraOrbitYaw -= a;
        break;
      case 13500:
        CameraOrbitYaw -= a;
        ChangeCameraPitch(1.0f, f);
        break;
      case 18000:
        ChangeCameraPitch(1.0f, f);
        break;
      case 22500:
        ChangeCameraPitch(1.0f, f);
        CameraOrbitYaw += a;
        break;
      case 27000:
        CameraOrbitYaw += a;
        break;
      case 31500:
        ChangeCameraPitch(-1.0f, f);
        CameraOrbitYaw += a;
        break;
      default:
        turned = false;
    }
    if (turned) {
      KeyHeld = true;
      SetKeyHoldRamp(HatCameraRamp);
    }
  }
  if (Vector3* rotation = CurrentCockpitRotationSource()) CurrentCockpitRotation = *rotation;
}

void StickThrottle() {
  if (AscentStageFlying) {
    if (Staged && !EngineOff) ThrottleCommand = 1.0f;
    return;
  }
  if (AutoThrottleOn) return;
  const float value = AxisAssignments[AxisThrottle].Value;
  float command =
      std::min(std::max(MinThrottle + value * StickThrottleScale, MinThrottle), StickThrottleScale);
  if (value == 1.0f) command = 1.0f;
  JoystickThrottleRing[static_cast<size_t>(JoystickThrottleIndex)] = command;
  JoystickThrottleIndex =
      (JoystickThrottleIndex + 1) % static_cast<int32_t>(JoystickThrottleRing.size());
  ThrottleCommand =
      std::accumulate(JoystickThrottleRing.begin(), JoystickThrottleRing.end(), 0.0f) /
      static_cast<float>(JoystickThrottleRing.size());
}

void StickWalk() {
  const float roll = AxisAssignments[AxisRoll].Value;
  const float pitch = AxisAssignments[AxisPitch].Value;
  if (roll >= 0.0f && roll < StickLow) {
    WalkSide = -1.0f;
    KeyHeld = true;
  } else if (roll > StickHigh) {
    WalkSide = 1.0f;
    KeyHeld = true;
  }
  if (pitch >= 0.0f && pitch < StickLow) {
    WalkForward = 1.0f;
    KeyHeld = true;
  } else if (pitch > StickHigh) {
    WalkForward = -1.0f;
    KeyHeld = true;
  }
}

// One pulse axis of the minimum-impulse mode: `lowSide` is the firing direction of a deflection
// to the low side.
void StickPulse(AttitudeAxis& axis, float value, int32_t lowSide) {
  if (value >= StickLow && value <= StickHigh) {
    axis.PulseRequest = true;
    axis.HandControllerState = 0;
  } else if (value > 0.0f && value < StickLow) {
    axis.HandControllerState = lowSide;
  } else if (value > StickHigh) {
    axis.HandControllerState = -lowSide;
  }
}

void StickTranslation() {
  constexpr struct {
    AxisIndex axis;
    ActionIndex minus, plus;
  } Axes[] = {{AxisTranslateX, ActionKeyTranslateMX, ActionKeyTranslatePX},
              {AxisTranslateY, ActionKeyTranslateMY, ActionKeyTranslatePY},
              {AxisTranslateZ, ActionKeyTranslateMZ, ActionKeyTranslatePZ}};
  for (const auto& t : Axes) {
    const AxisAssignment& axis = AxisAssignments[t.axis];
    if (axis.AxisType < 0) continue;
    if (axis.Value < TranslationLow) ControlAssignments[t.minus].Pressed = true;
    if (axis.Value > TranslationHigh) ControlAssignments[t.plus].Pressed = true;
  }
}

void StickAttitude() {
  if (MinimumImpulseMode) {
    StickPulse(PitchAxis, AxisAssignments[AxisPitch].Value, 1);
    StickPulse(RollAxis, AxisAssignments[AxisRoll].Value, -1);
    StickPulse(YawAxis, AxisAssignments[AxisYaw].Value, -1);
  } else {
    HandControllerAxes[0] = AxisAssignments[AxisPitch].Value;
    HandControllerAxes[1] = AxisAssignments[AxisRoll].Value;
    // A yaw on the stick's X axis (type 0) is as bound as any other.
    if (AxisAssignments[AxisYaw].AxisType >= 0)
      HandControllerAxes[2] = AxisAssignments[AxisYaw].Value;
    else
      ProcessKeypadYaw();
    CommandRollAndPitch();
    CommandYaw();
  }
  StickTranslation();
}

bool RedesignationOpen() {
  return PGNSSwitch.SwitchPosition == 2 && CurrentProgram == P64 &&
         !Main_Display->TimerP64.Enabled();
}

// The guidance computer takes a redesignation only after PRO; the refusal says so.
bool RedesignationRefused() {
  if (!VerbFlash) return false;
  ShowMessage(UiText[ProRequiredText], ProRequiredMs, ProRequiredBox, ProRequiredLetters);
  return true;
}

// Arms on a deflection and steps once when the stick is back in the centre band.
void StickRedesignation(float value, int32_t& arm, float& target, float step) {
  if (value > 0.0f && value < StickLow) arm = -1;
  if (value > StickHigh) arm = 1;
  if (arm == 0 || value < StickLow || value > StickHigh) return;
  if (!RedesignationRefused()) target += static_cast<float>(arm) * step;
  Main_Display->TimerP64.SetEnabled(true);
  arm = 0;
}

void KeyPulse(AttitudeAxis& axis, ActionIndex negative, ActionIndex positive) {
  if (IsCommandHeld(negative)) {
    axis.HandControllerState = -1;
  } else if (IsCommandHeld(positive)) {
    axis.HandControllerState = 1;
  } else {
    axis.HandControllerState = 0;
    axis.PulseRequest = true;
  }
}

void KeyStep(float& value, ActionIndex minus, ActionIndex plus, float step) {
  if (IsCommandHeld(minus)) value = std::max(value - step, -KeyControllerLimit);
  if (IsCommandHeld(plus)) value = std::min(value + step, KeyControllerLimit);
}

void KeyRedesignation() {
  struct Key {
    ActionIndex action;
    float* target;
    float step;
  };
  const Key keys[] = {{ActionPitchUp, &LandingSpot.EastWest, LPDStep},
                      {ActionPitchDown, &LandingSpot.EastWest, -LPDStep},
                      {ActionRollLeft, &LPDCrossRangeAngle, RedesignationAngle},
                      {ActionRollRight, &LPDCrossRangeAngle, -RedesignationAngle}};
  for (const Key& key : keys) {
    if (!IsCommandHeld(key.action)) continue;
    if (!RedesignationRefused()) *key.target += key.step;
    Main_Display->TimerP64.SetEnabled(true);
  }
}

}  // namespace

float ApplyDeadZone(float width, float value) {
  const float lo = 0.5f - width / 2.0f;
  const float hi = 0.5f + width / 2.0f;
  if (value <= 0.5f) {
    if (lo <= 0.0f) return 0.5f;
    return std::min(value / lo, 1.0f) * 0.5f;
  }
  if (hi >= 1.0f) return 0.5f;
  return std::max((value - hi) / (1.0f - hi), 0.0f) * 0.5f + 0.5f;
}

float FlyingFrameRate() { return std::max(FramesPerSecond, LowestFrameRate); }

void CommandRollAndPitch() {
  const float m = MaxCommandedRadialVelocity;
  RollAxis.HandControllerCommand = Smoothing.AxisOutput[1] * 2.0f * m - m;
  PitchAxis.HandControllerCommand = m - Smoothing.AxisOutput[0] * 2.0f * m;
}

void CommandYaw() {
  const float m = MaxCommandedRadialVelocity;
  YawAxis.HandControllerCommand = Smoothing.AxisOutput[2] * 2.0f * m - m;
}

void ProcessJoystickControls() {
  const float f = FlyingFrameRate();
  if (POVJoystick > 0) TurnViewByHat(f);
  if (!ControlsActive) return;
  StickThrottle();
  if (EVAViewFlag && Landed) StickWalk();
  if (Landed) return;
  if (PGNSSwitch.SwitchPosition == 0 || PGNSSwitch.SwitchPosition == 1) StickAttitude();
  if (RedesignationOpen()) {
    StickRedesignation(AxisAssignments[AxisRoll].Value, LPDRollArm, LPDCrossRangeAngle,
                       -RedesignationAngle);
    StickRedesignation(AxisAssignments[AxisPitch].Value, LPDPitchArm, LandingSpot.EastWest,
                       LPDStep);
  }
}

void ProcessKeyboardFlying() {
  if (!ControlsActive) return;
  const float step = KeyUnitsPerSecond / FlyingFrameRate();
  const int32_t pgns = PGNSSwitch.SwitchPosition;
  if (pgns == 1 && MinimumImpulseMode) {
    KeyPulse(PitchAxis, ActionPitchUp, ActionPitchDown);
    KeyPulse(RollAxis, ActionRollLeft, ActionRollRight);
    KeyPulse(YawAxis, ActionYawLeft, ActionYawRight);
  } else if (pgns == 1) {
    KeyStep(KeyHandController[0], ActionRollLeft, ActionRollRight, step);
    KeyStep(KeyHandController[1], ActionPitchDown, ActionPitchUp, step);
    KeyStep(KeyHandController[2], ActionYawLeft, ActionYawRight, step);
    if (!UseMouse) {
      const auto target = [](float value) {
        return (static_cast<float>(win::RoundHalfEven(value)) + KeyControllerLimit) /
               (2.0f * KeyControllerLimit);
      };
      HandControllerAxes[0] = target(KeyHandController[1]);
      HandControllerAxes[1] = target(KeyHandController[0]);
      HandControllerAxes[2] = target(KeyHandController[2]);
      CommandRollAndPitch();
      CommandYaw();
    }
  } else if (pgns == 2 && CurrentProgram == P64 && !Main_Display->TimerP64.Enabled()) {
    KeyRedesignation();
  }
  if (IsCommandHeld(ActionThrottleDown))
    ThrottleKeyValue = std::max(ThrottleKeyValue - step, 0.0f);
  else if (IsCommandHeld(ActionThrottleUp))
    ThrottleKeyValue = std::min(ThrottleKeyValue + step, KeyThrottleLimit);
  if (!AutoThrottleOn)
    ThrottleCommand =
        std::clamp(MinThrottle + ThrottleKeyValue / KeyThrottleLimit, MinThrottle, 1.0f);
}
