#include "program/input/mouse_input.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "platform/engine/scan_codes.h"
#include "platform/win/ascii_case.h"
#include "program/cockpit/cockpit_state.h"
#include "program/cockpit/screen_messages.h"
#include "program/flight/flight_state.h"
#include "program/flight/main_display.h"
#include "program/input/flying.h"
#include "program/input/input_state.h"
#include "program/input/key_dispatch.h"
#include "program/scene/cockpit_models.h"
#include "program/scene/engine_objects.h"
#include "program/scene/scene_state.h"

namespace {

constexpr float CursorSize = 32.0f;  // pixels
constexpr uint32_t OutsideLabelBox = 0xFF000000;
constexpr uint32_t OutsideLabelLetters = 0xFF00FF00;
constexpr uint32_t PartLabelBox = 0xFFFFFFFF;
constexpr uint32_t PartLabelLetters = 0xFF0000FF;

void UseCursor(const char* texture) {
  Scene->SetMouseCursor(Globals->GetTextureId(texture), CursorSize, CursorSize, 0, 0);
  MainDisplayForm& display = *Main_Display;
  SetCursorToClientPoint(display, display.ScaleWidth() / 2, display.ScaleHeight() / 2);
}

bool MouseMayFly() {
  return CurrentProgram == P20 || CurrentProgram == P64 || CurrentProgram == P66 || EVAViewFlag;
}

void ChooseFlyingSource() {
  if (!MouseMayFly()) {
    if (UseMouse) {
      UseMouse = false;
      UseCursor("ArrowPointer");
    }
    if (UseJoystick)
      ProcessJoystickControls();
    else
      ProcessKeyboardFlying();
    return;
  }
  if (UseJoystick) {
    ProcessJoystickControls();
    return;
  }
  if (UseMouse) ProcessKeypadYaw();
  if (MouseButton2) {
    UseMouse = true;
    UseCursor("nomouse");
  }
  if (UseMouse && MouseButton1) {
    UseMouse = false;
    UseCursor("ArrowPointer");
  }
  if (UseMouse) ProcessMouseHandController();
  ProcessKeyboardFlying();
}

void PickCockpitPart() {
  engine::EnginePickResult pick;
  Scene->MousePick(MouseX, MouseY, 1, 1, pick);
  if (!pick.IsHit() || pick.GetMesh() == nullptr) return;
  const std::string name = pick.GetMesh()->GetName();
  const std::string_view prefix = std::string_view(name).substr(0, 4);
  if (prefix == "Brig") {
    if ((SpotViewFlag || ExteriorViewFlag || EVAViewFlag) && !IntroFlyby)
      ShowMessage3(name, OutsideLabelBox, OutsideLabelLetters, static_cast<float>(MouseX),
                   static_cast<float>(MouseY));
  } else if (prefix != "Mesh") {
    ShowMessage3(name, PartLabelBox, PartLabelLetters, -1.0f, -1.0f);
  }
  if (!MouseButton1) return;
  CommandInputPending = true;
  Main_Display->TimerKeyPress.SetEnabled(true);
  ClickCockpitControl(name);
}

void Click2DSwitches() {
  if (!CockpitPanelFlag || Main_Display->TimerKeyPress.Enabled() || !MouseButton1) return;
  const struct {
    PanelItem& item;
    int32_t positions;
    void (*showModel)(int32_t&);
  } switches[] = {{XPointerSwitch, 2, SetSwitchModelI},
                  {AutoThrottleSwitch, 2, SetSwitchModelG},
                  {PGNSSwitch, 3, SetSwitchModelB},
                  {DeadbandSwitch, 2, SetSwitchModelH},
                  {RateScaleSwitch, 2, SetSwitchModelC}};
  for (const auto& s : switches) {
    if (!IsMouseInRect(s.item)) continue;
    StepSwitchPosition(s.item, s.positions, s.showModel);
    Main_Display->TimerKeyPress.SetEnabled(true);
    PlaySwitchClick();
  }
}

}  // namespace

void ProcessMouse() {
  int32_t x = 0, y = 0;
  int16_t left = 0, right = 0, middle = 0;
  InputEngine->GetMouseState(x, y, left, right, middle);
  MouseX = x;
  MouseY = y;
  MouseButton1 = left != 0;
  MouseButton2 = right != 0;
  ChooseFlyingSource();
  PickCockpitPart();
  Click2DSwitches();
}

void ClickCockpitControl(const std::string& name) {
  static constexpr struct {
    std::string_view name;
    ActionIndex action;
  } Parts[] = {
      {"keyverb", ActionKeyPadVerb},
      {"keynoun", ActionKeyPadNoun},
      {"keyentr", ActionKeyPadEntr},
      {"keyclr", ActionKeyPadClr},
      {"keypro", ActionKeyPadPro},
      {"keyrset", ActionKeyPadRset},
      {"keykeyrel", ActionKeyPadRelease},
      {"keyplus", ActionKeyPadPlus},
      {"keyminus", ActionKeyPadMinus},
      {"sw_ags_off", ActionAGSToggle},
      {"sw_ags_hold", ActionAGSToggle},
      {"sw_ags_auto", ActionAGSToggle},
      {"sw_pgns_off", ActionPGNSToggle},
      {"sw_pgns_hold", ActionPGNSToggle},
      {"sw_pgns_auto", ActionPGNSToggle},
      {"sw_yawmode_off", ActionYawModeToggle},
      {"sw_yawmode_pulse", ActionYawModeToggle},
      {"sw_yawmode_cont", ActionYawModeToggle},
      {"sw_pitchmode_off", ActionPitchModeToggle},
      {"sw_pitchmode_pulse", ActionPitchModeToggle},
      {"sw_pitchmode_cont", ActionPitchModeToggle},
      {"sw_rollmode_off", ActionRollModeToggle},
      {"sw_rollmode_pulse", ActionRollModeToggle},
      {"sw_rollmode_cont", ActionRollModeToggle},
      {"sw_deadband_max", ActionDeadbandToggle},
      {"sw_deadband_min", ActionDeadbandToggle},
      {"sw_throttlecontrol_auto", ActionAutManThrottleToggle},
      {"sw_throttlecontrol_manual", ActionAutManThrottleToggle},
      {"sw_ratescale_max", ActionRatescaleToggle},
      {"sw_ratescale_min", ActionRatescaleToggle},
      {"sw_xpointer_himult", ActionXPointerScaleToggle},
      {"sw_xpointer_lomult", ActionXPointerScaleToggle},
  };
  const std::string lower = win::FoldAsciiCase(name);
  if (lower.size() == 4 && lower.starts_with("key") && lower[3] >= '0' && lower[3] <= '9') {
    ControlAssignments[static_cast<size_t>(ActionKeyPad0 + (lower[3] - '0'))].Pressed = true;
    return;
  }
  for (const auto& part : Parts)
    if (part.name == lower) ControlAssignments[static_cast<size_t>(part.action)].Pressed = true;
}

bool IsMouseInRect(const PanelItem& rect) {
  const float x = static_cast<float>(MouseX);
  const float y = static_cast<float>(MouseY);
  return ScreenScaleY * rect.Top < y && y < ScreenScaleY * rect.Bottom &&
         ScreenScaleX * rect.Left < x && x < ScreenScaleX * rect.Right;
}

void ProcessKeypadYaw() {
  const float step = KeyControllerStep();
  float& yaw = KeyHandController[2];
  if (InputEngine->IsKeyPressed(engine::scan::kKeypad1))
    yaw = std::max(yaw - step, -KeyControllerLimit);
  else if (InputEngine->IsKeyPressed(engine::scan::kKeypad3))
    yaw = std::min(yaw + step, KeyControllerLimit);
  if (!ControlsActive) return;
  HandControllerAxes[2] = (yaw + KeyControllerLimit) / (2.0f * KeyControllerLimit);
  CommandYaw();
}

void ProcessMouseHandController() {
  if (!ControlsActive || ScreenWidth <= 0 || ScreenHeight <= 0) return;
  HandControllerAxes[1] = static_cast<float>(MouseX) / static_cast<float>(ScreenWidth);
  HandControllerAxes[0] = static_cast<float>(MouseY) / static_cast<float>(ScreenHeight);
  CommandRollAndPitch();
}

bool SetCursorToClientPoint(forms::Form&, int32_t x, int32_t y) {
  return InputEngine->SetMousePosition(x, y);
}
