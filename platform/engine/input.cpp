#include "platform/engine/input.h"

#include <utility>

#include "platform/engine/engine.h"
#include "platform/engine/engine_error.h"
#include "platform/engine/scan_codes.h"
#include "platform/forms/dialogs.h"

namespace engine {

void InputQueue::KeyEvent(int32_t scanCode, bool pressed) {
  if (scanCode <= 0 || scanCode >= scan::kCount) return;
  bool& down = down_[static_cast<size_t>(scanCode)];
  if (down == pressed) return;
  down = pressed;
  if (pressed) keysWentDown_[static_cast<size_t>(scanCode)] = true;
  if (pressed && scanCode == scan::kNumLock) numLock_ = !numLock_;
  if (events_.size() < kBufferSize)
    events_.push_back({static_cast<int16_t>(pressed ? -1 : 0), scanCode});
}

void InputQueue::MouseMoved(int32_t x, int32_t y) {
  mouseX_ = x;
  mouseY_ = y;
}

void InputQueue::MouseButton(int32_t button, bool down) {
  if (button < 0 || button >= 3) return;
  buttons_[static_cast<size_t>(button)] = down;
  if (down) buttonsWentDown_[static_cast<size_t>(button)] = true;
}

std::vector<KeyEvent> InputQueue::TakeEvents() {
  std::vector<engine::KeyEvent> taken(events_.begin(), events_.end());
  events_.clear();
  keysSeenDown_ = std::exchange(keysWentDown_, {});
  buttonsSeenDown_ = std::exchange(buttonsWentDown_, {});
  return taken;
}

bool InputQueue::IsDown(int32_t scanCode) const {
  if (scanCode <= 0 || scanCode >= scan::kCount) return false;
  const auto code = static_cast<size_t>(scanCode);
  return down_[code] || keysSeenDown_[code];
}

int32_t EngineInput::GetKeyBuffer(std::vector<KeyEvent>& items) {
  items = engine_.Input().TakeEvents();
  return static_cast<int32_t>(items.size());
}

bool EngineInput::IsKeyPressed(int32_t scanCode) const { return engine_.Input().IsDown(scanCode); }

void EngineInput::GetMouseState(int32_t& x, int32_t& y, int16_t& button1, int16_t& button2,
                                int16_t& button3) const {
  const InputQueue& input = engine_.Input();
  x = input.MouseX();
  y = input.MouseY();
  button1 = input.ButtonDown(0) ? -1 : 0;
  button2 = input.ButtonDown(1) ? -1 : 0;
  button3 = input.ButtonDown(2) ? -1 : 0;
}

bool EngineInput::NumLockOn() const { return engine_.Input().NumLockOn(); }

bool EngineInput::SetMousePosition(int32_t x, int32_t y) { return engine_.MovePointer(x, y); }

void EngineInput::Calibrate(uintptr_t) {
  forms::MsgBox("Joysticks are calibrated in the desktop's game controller settings.",
                forms::MsgBoxButtons::Ok, forms::MsgBoxIcon::Information, "Calibrate");
}

void EngineInput::SetScreenSize(int32_t width, int32_t height) {
  screenWidth_ = width;
  screenHeight_ = height;
}

void EngineInput::Reinitialise(bool, int32_t) { engine_.Input().TakeEvents(); }

void EngineInput::ReleaseDevices() {
  engine_.Input().TakeEvents();
  engine_.Input().ReleaseAllKeys();
}

void EngineJoystick::GetCapabilities(int32_t& axes, int32_t& buttons, int32_t& povs) const {
  axes = info_.capabilities.axes;
  buttons = info_.capabilities.buttons;
  povs = info_.capabilities.povs;
}

void EngineJoystick::Poll() {
  if (source_ == nullptr)
    throw EngineError("Poll: the joystick \"" + info_.name + "\" was released");
  present_ = source_->Poll(index_, state_);
}

void EngineJoystick::GetState(JoystickState& state) const {
  if (source_ == nullptr)
    throw EngineError("GetState: the joystick \"" + info_.name + "\" was released");
  state = state_;
}

void EngineJoystick::Release() {
  source_ = nullptr;
  acquired_ = false;
}

int32_t EngineInputDevices::Enumerate() {
  Release();
  JoystickSource& source = engine_.Joysticks();
  const std::vector<JoystickInfo> infos = source.Enumerate();
  for (size_t i = 0; i < infos.size(); ++i)
    joysticks_.push_back(std::make_shared<EngineJoystick>(source, i, infos[i]));
  return Count();
}

std::shared_ptr<EngineJoystick> EngineInputDevices::Item(int32_t i) const {
  if (i < 1 || i > Count()) throw EngineError("no input device " + std::to_string(i));
  return joysticks_[static_cast<size_t>(i - 1)];
}

void EngineInputDevices::Release() {
  for (const auto& joystick : joysticks_) joystick->Release();
  joysticks_.clear();
}

}  // namespace engine
