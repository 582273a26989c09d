#include "program/input/joystick_devices.h"

#include <algorithm>
#include <chrono>
#include <numeric>
#include <string>

#include "platform/engine/engine_error.h"
#include "platform/engine/joystick.h"
#include "platform/engine/scan_codes.h"
#include "platform/forms/event_pump.h"
#include "platform/win/numbers.h"
#include "program/flight/flight_loop_state.h"
#include "program/flight/flight_maths.h"
#include "program/flight/flight_state.h"
#include "program/flight/main_display.h"
#include "program/input/input_state.h"
#include "program/input/joystick_assign.h"
#include "program/input/joystick_data.h"
#include "program/scene/engine_objects.h"

namespace {

constexpr float AxisScale = static_cast<float>(engine::JoystickState::kAxisMax);
constexpr int32_t MaxButtons = 32;
constexpr int32_t NoPov = -1;
constexpr auto EnumerationSpacing = std::chrono::seconds(1);  // while no joystick is found
constexpr int32_t PressedButtonColour = 255;                  // red
constexpr int32_t ButtonFaceColour = static_cast<int32_t>(0x8000000F);
constexpr float PreviewTurnDegrees = 90.0f;  // a full deflection turns the preview this far

// The hat picture of each direction; the centred hat (-1) shows picture 0.
constexpr int32_t HatDirections[] = {0, 4500, 9000, 13500, 18000, 22500, 27000, 31500};

int16_t AsJoystickNumber(int32_t i) { return static_cast<int16_t>(i); }

bool HasAxes(const engine::EngineJoystick& joystick) {
  int32_t axes = 0, buttons = 0, povs = 0;
  joystick.GetCapabilities(axes, buttons, povs);
  return axes >= 1;
}

// A joystick that stopped answering lets go of its axes instead of flying on at their last place.
void CentreAxesOf(int32_t joystick) {
  for (AxisAssignment& axis : AxisAssignments)
    if (axis.Joystick == joystick) axis.Value = 0.5f;
}

void MatchButtons(const engine::JoystickState& state, int32_t buttonCount, int32_t joystick) {
  const int32_t count = std::min(buttonCount, MaxButtons);
  // A one-shot command fires once per repeat block of the key timer.
  const bool repeatBlocked = Main_Display->TimerKeyPress.Enabled();
  for (int32_t b = 0; b < count; ++b) {
    if (state.buttons[b] == 0) continue;
    const auto button = static_cast<int16_t>(b);
    for (const ActionDefinition& action : ActionDefinitions) {
      const bool fires = action.Firing == ButtonFiring::Held ||
                         (action.Firing == ButtonFiring::OneShot && !repeatBlocked);
      if (fires)
        MatchJoystickButton(ControlAssignments[action.Index], button, AsJoystickNumber(joystick));
    }
  }
}

// Sets the dialog up for a newly chosen joystick: the reverse boxes and the hat box from the
// bindings, as many button options as it has buttons.
void ShowJoystickInDialog(JoystickAssignForm& dialog, const engine::EngineJoystick& joystick) {
  dialog.Option2(0).SetValue(-1);
  Busy = true;
  for (int16_t type = 0; type < PhysicalAxisCount; ++type) {
    bool reversed = false;
    for (const AxisAssignment& axis : AxisAssignments)
      reversed |= axis.Joystick == SelectedJoystick && axis.AxisType == type && axis.Reverse != 0;
    dialog.Check1(type).SetValue(reversed ? forms::Control::kChecked : forms::Control::kUnchecked);
  }
  for (int16_t n = 0; n < ButtonOptionCount; ++n)
    dialog.Option2(n).SetVisible(n < joystick.GetButtonCount());
  dialog.Check2.SetValue(POVJoystick == SelectedJoystick ? forms::Control::kChecked
                                                         : forms::Control::kUnchecked);
  Busy = false;
  LastTestedJoystick = SelectedJoystick;
}

void ShowTestState(JoystickAssignForm& dialog, const engine::JoystickState& state, int32_t povs) {
  // The bars in the order of the axis types, each as an unreversed binding reads it.
  for (int16_t k = 0; k < PhysicalAxisCount; ++k) {
    float fraction = 0.0f;
    ReadAxis(state, k, false, fraction);
    dialog.Picture6(k).SetWidth(
        static_cast<int32_t>(static_cast<float>(dialog.Picture5(k).Width()) * fraction));
  }
  for (int16_t n = 0; n < ButtonOptionCount; ++n) {
    forms::OptionButton& option = dialog.Option2(n);
    if (state.buttons[n] != 0) {
      option.SetBackColor(PressedButtonColour);
      option.SetValue(-1);
    } else {
      option.SetBackColor(ButtonFaceColour);
    }
  }
  if (povs < 1) {
    dialog.Check2.SetVisible(false);
    for (int16_t k = 0; k < HatPictureCount; ++k) dialog.Image1(k).SetVisible(false);
    return;
  }
  dialog.Check2.SetVisible(true);
  for (int16_t k = 1; k < HatPictureCount; ++k) dialog.Image1(k).SetVisible(false);
  const auto pov = static_cast<int32_t>(state.povs[0]);
  dialog.Text1.SetText(std::to_string(pov));
  if (pov == NoPov) dialog.Image1(0).SetVisible(true);
  for (int16_t k = 0; k < HatPictureCount - 1; ++k)
    if (pov == HatDirections[k]) dialog.Image1(static_cast<int16_t>(k + 1)).SetVisible(true);
}

float Mean(const std::array<float, 10>& samples) {
  return std::accumulate(samples.begin(), samples.end(), 0.0f) / static_cast<float>(samples.size());
}

void PushSample(std::array<float, 10>& samples, float degrees) {
  std::rotate(samples.begin(), samples.begin() + 1, samples.end());
  samples.back() = degrees;
}

}  // namespace

bool ReadAxis(const engine::JoystickState& state, int32_t type, bool reverse, float& value) {
  int32_t raw = 0;
  switch (type) {
    case 0:
      raw = state.x;
      break;
    case 1:
      raw = state.y;
      break;
    case 2:
      raw = state.sliders[0];
      // The first slider reads inverted unless the binding reverses it.
      reverse = !reverse;
      break;
    case 3:
      raw = state.rz;
      break;
    case 4:
      raw = state.z;
      break;
    case 5:
      raw = state.sliders[1];
      break;
    case 6:
      raw = state.rx;
      break;
    case 7:
      raw = state.ry;
      break;
    default:
      return false;
  }
  const float fraction = static_cast<float>(raw) / AxisScale;
  value = reverse ? 1.0f - fraction : fraction;
  return true;
}

void UseSdlJoysticks() {
  try {
    Engine->UseJoysticks(std::make_unique<engine::Sdl2Joysticks>());
  } catch (const engine::EngineError& error) {
    Engine->WriteLog(std::string("No joysticks: ") + error.what());
  }
}

void EnumerateJoysticks() {
  JoystickAssignForm& dialog = *JoystickAssign;
  InputDevices->Release();
  InputDevices->Enumerate();
  JoystickCount = 0;
  JoystickListCount = 0;
  dialog.Combo1.Clear();
  JoystickAxisLimit.assign(static_cast<size_t>(InputDevices->Count()) + 1, -1);
  for (int32_t i = 1; i <= InputDevices->Count(); ++i) {
    ++JoystickCount;
    const std::shared_ptr<engine::EngineJoystick> joystick = InputDevices->Item(i);
    joystick->Acquire();
    if (!joystick->IsValid()) continue;
    const std::string name = joystick->GetName();
    if (!joystick->IsPresent()) continue;
    int32_t axes = 0, buttons = 0, povs = 0;
    joystick->GetCapabilities(axes, buttons, povs);
    if (axes < 1) continue;
    JoystickAxisLimit[static_cast<size_t>(i)] = axes - 1;
    dialog.Combo1.AddItem(std::to_string(i) + " > " + name);
    ++JoystickListCount;
  }
  if (JoystickListCount == 0) dialog.Combo1.AddItem("1 > No Joystick Connected");
  dialog.Combo1.SetListIndex(0);
}

void PollJoysticks() {
  const int32_t count = std::min(JoystickCount, InputDevices->Count());
  for (int32_t i = 1; i <= count; ++i) {
    CurrentJoystick = InputDevices->Item(i);
    engine::EngineJoystick& joystick = *CurrentJoystick;
    if (!joystick.IsPresent() || !HasAxes(joystick)) {
      CentreAxesOf(i);
      continue;
    }
    joystick.Poll();
    if (!joystick.IsPresent()) {
      CentreAxesOf(i);
      continue;
    }
    engine::JoystickState state;
    joystick.GetState(state);
    for (AxisAssignment& axis : AxisAssignments)
      if (axis.Joystick == i) ReadAxis(state, axis.AxisType, axis.Reverse != 0, axis.Value);
    if (i == POVJoystick) POVValue = static_cast<int32_t>(state.povs[0]);
    AxisAssignment& pitch = AxisAssignments[AxisPitch];
    AxisAssignment& roll = AxisAssignments[AxisRoll];
    AxisAssignment& yaw = AxisAssignments[AxisYaw];
    // A joystick that has not reported yet reads all zero: it stands centred.
    if (pitch.Value == 0.0f && roll.Value == 0.0f && POVValue == 0) {
      pitch.Value = roll.Value = 0.5f;
      if (yaw.Value == 0.0f) yaw.Value = 0.5f;
      POVValue = NoPov;
    }
    MatchButtons(state, joystick.GetButtonCount(), i);
  }
}

void ReleaseJoysticks() {
  if (!InputDevices) return;
  // Shutting down: nothing a joystick says may stop it.
  try {
    for (int32_t i = 1; i <= InputDevices->Count(); ++i) InputDevices->Item(i)->Release();
    InputDevices->Release();
  } catch (const std::exception&) {
  }
  CurrentJoystick.reset();
}

namespace {

void TestUntilStopped() {
  forms::Duration lastEnumeration = forms::Now();
  while (!InputEngine->IsKeyPressed(engine::scan::kEscape) && !JoystickTestStop) {
    forms::DoEvents();
    if (!JoystickAssign.Loaded()) return;
    JoystickAssignForm& dialog = *JoystickAssign;
    if (JoystickCount < 1) {
      dialog.Check2.SetVisible(false);
      for (int16_t k = 0; k < HatPictureCount; ++k) dialog.Image1(k).SetVisible(false);
      for (int16_t n = 0; n < ButtonOptionCount; ++n) dialog.Option2(n).SetVisible(false);
      // Looking for a joystick plugged in meanwhile, about once a second.
      if (forms::Now() - lastEnumeration >= EnumerationSpacing) {
        lastEnumeration = forms::Now();
        EnumerateJoysticks();
      }
      forms::DoEvents();
      UpdateJoystickPreview();
      continue;
    }
    SelectedJoystick = static_cast<int16_t>(
        win::RoundHalfEven(win::LeadingNumber(dialog.Combo1.Text().substr(0, 2))));
    if (SelectedJoystick == 0) SelectedJoystick = 1;
    if (SelectedJoystick > InputDevices->Count()) SelectedJoystick = 1;
    CurrentJoystick = InputDevices->Item(SelectedJoystick);
    const std::shared_ptr<engine::EngineJoystick> joystick = CurrentJoystick;
    if (SelectedJoystick != LastTestedJoystick) ShowJoystickInDialog(dialog, *joystick);
    if (JoystickTestStop) break;
    int32_t axes = 0, buttons = 0, povs = 0;
    joystick->GetCapabilities(axes, buttons, povs);
    dialog.Text1.SetEnabled(povs > 0);
    joystick->Poll();
    engine::JoystickState state;
    joystick->GetState(state);
    forms::DoEvents();
    if (!JoystickAssign.Loaded()) return;
    ShowTestState(dialog, state, povs);
    PollJoysticks();
    if (state.x == 0 && state.y == 0 && state.sliders[0] == 0)
      AxisAssignments[AxisRoll].Value = AxisAssignments[AxisPitch].Value =
          AxisAssignments[AxisThrottle].Value = 0.5f;
    for (AxisAssignment& axis : AxisAssignments)
      if (axis.Joystick < 1 || axis.AxisType < 0) axis.Value = 0.5f;
    UpdateJoystickPreview();
  }
}

}  // namespace

void RunJoystickTest() {
  TestUntilStopped();
  // The buttons tried in the test were no commands: the next flight must not act on them.
  for (ControlAssignment& record : ControlAssignments) record.Pressed = false;
  CommandInputPending = false;
}

void UpdateJoystickPreview() {
  for (const AxisIndex axis :
       {AxisRoll, AxisPitch, AxisYaw, AxisTranslateX, AxisTranslateY, AxisTranslateZ})
    CenterUnassignedAxis(AxisAssignments[axis]);
  PushSample(PreviewRollHistory, (AxisAssignments[AxisRoll].Value - 0.5f) * PreviewTurnDegrees);
  PushSample(PreviewPitchHistory, (AxisAssignments[AxisPitch].Value - 0.5f) * -PreviewTurnDegrees);
  PushSample(PreviewYawHistory, (AxisAssignments[AxisYaw].Value - 0.5f) * PreviewTurnDegrees);
  const auto radians = [](float degrees) { return static_cast<float>(degrees * RadiansPerDegree); };
  if (!MiniLMMesh || !Engine || !Engine->Initialised() || !JoystickAssign.Loaded()) return;
  if (JoystickCount > 0) {
    MiniLMMesh->SetRotation(radians(Mean(PreviewRollHistory)), radians(Mean(PreviewYawHistory)),
                            radians(Mean(PreviewPitchHistory)));
    const float tx = AxisAssignments[AxisTranslateX].Value;
    const float ty = AxisAssignments[AxisTranslateY].Value;
    const float tz = AxisAssignments[AxisTranslateZ].Value;
    MiniLMMesh->SetPosition((tz - 0.5f) * -4.0f, (tx - 0.5f) * 2.0f + 0.8f, (ty - 0.5f) * 2.0f);
  } else {
    MiniLMMesh->SetRotation(0.0f, 0.0f, 0.0f);
    MiniLMMesh->SetPosition(0.0f, 0.0f, 0.0f);
  }
  forms::PictureBox& picture = JoystickAssign->Picture1;
  const auto width = static_cast<float>(picture.ScaleWidth());
  const auto height = static_cast<float>(picture.ScaleHeight());
  constexpr uint32_t Same = engine::EngineScreen2DDraw::kSameAsFirst;
  Engine->Clear(0);
  Screen2DDraw->Begin();
  Screen2DDraw->DrawTexture(JoystickTestPicture, 0.0f, 0.0f, width, height, 0xFFFFFFFF, Same, Same,
                            Same, 0.0f, 0.0f, 1.0f, 1.0f);
  Screen2DDraw->End();
  MiniLMMesh->Render();
  Engine->PresentToWindow(picture.hWnd(), picture.ScaleWidth(), picture.ScaleHeight());
}
