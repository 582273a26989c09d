#include "platform/engine/joystick.h"

#include <SDL.h>

#include <algorithm>

#include "platform/engine/engine_error.h"

namespace engine {

int32_t& JoystickState::Axis(int32_t k) {
  int32_t* axes[kAxes] = {&x, &y, &sliders[0], &rz, &z, &sliders[1], &rx, &ry};
  if (k < 0 || k >= kAxes) throw EngineError("no joystick axis " + std::to_string(k));
  return *axes[k];
}

size_t ScriptedJoysticks::Plug(const std::string& name, JoystickCapabilities capabilities) {
  devices_.push_back(Device{JoystickInfo{name, capabilities}, JoystickState{}, true});
  return devices_.size() - 1;
}

ScriptedJoysticks::Device& ScriptedJoysticks::At(size_t index) {
  if (index >= devices_.size()) throw EngineError("no scripted joystick " + std::to_string(index));
  return devices_[index];
}

void ScriptedJoysticks::Unplug(size_t index) { At(index).present = false; }

void ScriptedJoysticks::SetAxis(size_t index, int32_t axis, int32_t value) {
  At(index).state.Axis(axis) = std::clamp(value, 0, JoystickState::kAxisMax);
}

void ScriptedJoysticks::SetButton(size_t index, int32_t button, bool down) {
  if (button < 0 || button >= 32) throw EngineError("no joystick button " + std::to_string(button));
  At(index).state.buttons[button] = down ? JoystickState::kButtonDown : 0;
}

void ScriptedJoysticks::SetPov(size_t index, int32_t pov, uint32_t hundredthsOfDegree) {
  if (pov < 0 || pov >= 4) throw EngineError("no point of view " + std::to_string(pov));
  At(index).state.povs[pov] = hundredthsOfDegree;
}

std::vector<JoystickInfo> ScriptedJoysticks::Enumerate() {
  std::vector<JoystickInfo> infos;
  for (const Device& device : devices_)
    if (device.present) infos.push_back(device.info);
  return infos;
}

bool ScriptedJoysticks::Poll(size_t index, JoystickState& state) {
  // Indices count the present devices, as Enumerate lists them.
  for (const Device& device : devices_) {
    if (!device.present) continue;
    if (index-- == 0) {
      state = device.state;
      return true;
    }
  }
  return false;
}

Sdl2Joysticks::Sdl2Joysticks() {
  // Interrupt and terminate signals are the program's to answer, not SDL's event queue's.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0)
    throw EngineError(std::string("joysticks: SDL cannot start: ") + SDL_GetError());
}

Sdl2Joysticks::~Sdl2Joysticks() {
  CloseAll();
  SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
}

void Sdl2Joysticks::CloseAll() {
  for (void* joystick : opened_)
    if (joystick) SDL_JoystickClose(static_cast<SDL_Joystick*>(joystick));
  opened_.clear();
}

std::vector<JoystickInfo> Sdl2Joysticks::Enumerate() {
  CloseAll();
  SDL_JoystickUpdate();
  std::vector<JoystickInfo> infos;
  const int count = SDL_NumJoysticks();
  for (int i = 0; i < count; ++i) {
    SDL_Joystick* joystick = SDL_JoystickOpen(i);
    if (joystick == nullptr) continue;
    opened_.push_back(joystick);
    const char* name = SDL_JoystickName(joystick);
    infos.push_back(JoystickInfo{name ? name : "Joystick",
                                 {std::min(SDL_JoystickNumAxes(joystick), JoystickState::kAxes),
                                  std::min(SDL_JoystickNumButtons(joystick), 32),
                                  std::min(SDL_JoystickNumHats(joystick), 4)}});
  }
  return infos;
}

int32_t Sdl2Joysticks::ScaleAxis(int16_t value) {
  return static_cast<int32_t>((int64_t{value} + 32768) * JoystickState::kAxisMax / 65535);
}

uint32_t Sdl2Joysticks::HatToPov(uint8_t hat) {
  switch (hat) {
    case SDL_HAT_UP:
      return 0;
    case SDL_HAT_RIGHTUP:
      return 4500;
    case SDL_HAT_RIGHT:
      return 9000;
    case SDL_HAT_RIGHTDOWN:
      return 13500;
    case SDL_HAT_DOWN:
      return 18000;
    case SDL_HAT_LEFTDOWN:
      return 22500;
    case SDL_HAT_LEFT:
      return 27000;
    case SDL_HAT_LEFTUP:
      return 31500;
    default:
      return JoystickState::kPovCentred;
  }
}

bool Sdl2Joysticks::Poll(size_t index, JoystickState& state) {
  if (index >= opened_.size()) return false;
  auto* joystick = static_cast<SDL_Joystick*>(opened_[index]);
  SDL_JoystickUpdate();
  if (!SDL_JoystickGetAttached(joystick)) return false;
  state = JoystickState{};
  const int axes = std::min(SDL_JoystickNumAxes(joystick), JoystickState::kAxes);
  for (int k = 0; k < axes; ++k) state.Axis(k) = ScaleAxis(SDL_JoystickGetAxis(joystick, k));
  const int hats = std::min(SDL_JoystickNumHats(joystick), 4);
  for (int h = 0; h < hats; ++h) state.povs[h] = HatToPov(SDL_JoystickGetHat(joystick, h));
  const int buttons = std::min(SDL_JoystickNumButtons(joystick), 32);
  for (int b = 0; b < buttons; ++b)
    state.buttons[b] = SDL_JoystickGetButton(joystick, b) ? JoystickState::kButtonDown : 0;
  return true;
}

}  // namespace engine
