// Joysticks: where their states come from (scripted in tests, SDL2's joystick subsystem for
// users) and the state record the program reads.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace engine {

// The 80-byte joystick state of the program's records, little-endian. Axes run from 0 to 10000,
// centre 5000. Points of view are in hundredths of a degree clockwise from forward, 0xFFFFFFFF
// when centred. A button is down when its byte is non-zero (0x80).
struct JoystickState {
  static constexpr int32_t kAxisMax = 10000;
  static constexpr uint32_t kPovCentred = 0xFFFFFFFF;
  static constexpr uint8_t kButtonDown = 0x80;

  int32_t x = kAxisMax / 2, y = kAxisMax / 2, z = kAxisMax / 2;
  int32_t rx = kAxisMax / 2, ry = kAxisMax / 2, rz = kAxisMax / 2;
  int32_t sliders[2] = {kAxisMax / 2, kAxisMax / 2};
  uint32_t povs[4] = {kPovCentred, kPovCentred, kPovCentred, kPovCentred};
  uint8_t buttons[32] = {};

  // Axis k of a device is the field of the program's axis type k: x, y, slider 0, rz, z,
  // slider 1, rx, ry. So a device's axis numbers are the ones the assignment files store.
  static constexpr int32_t kAxes = 8;
  int32_t& Axis(int32_t k);
};
static_assert(sizeof(JoystickState) == 80, "the program reads the state as an 80-byte record");

struct JoystickCapabilities {
  int32_t axes = 0;
  int32_t buttons = 0;
  int32_t povs = 0;
};

struct JoystickInfo {
  std::string name;
  JoystickCapabilities capabilities;
};

class JoystickSource {
 public:
  virtual ~JoystickSource() = default;
  // The devices attached now, in a stable order; the index is what Poll takes.
  virtual std::vector<JoystickInfo> Enumerate() = 0;
  // The device's state now; false when it is gone.
  virtual bool Poll(size_t index, JoystickState& state) = 0;
};

// Devices a test plugs in and moves.
class ScriptedJoysticks final : public JoystickSource {
 public:
  size_t Plug(const std::string& name, JoystickCapabilities capabilities);
  void Unplug(size_t index);
  // Axis k as JoystickState::Axis numbers them, 0 to 10000.
  void SetAxis(size_t index, int32_t axis, int32_t value);
  void SetButton(size_t index, int32_t button, bool down);
  void SetPov(size_t index, int32_t pov, uint32_t hundredthsOfDegree);

  std::vector<JoystickInfo> Enumerate() override;
  bool Poll(size_t index, JoystickState& state) override;

 private:
  struct Device {
    JoystickInfo info;
    JoystickState state;
    bool present = true;
  };
  Device& At(size_t index);
  std::vector<Device> devices_;
};

// SDL2's joystick subsystem (and nothing else of SDL). SDL's axis k fills JoystickState::Axis(k);
// hat 0 to 3 the points of view; buttons 0 to 31.
class Sdl2Joysticks final : public JoystickSource {
 public:
  // Throws EngineError when the subsystem cannot start.
  Sdl2Joysticks();
  ~Sdl2Joysticks() override;
  Sdl2Joysticks(const Sdl2Joysticks&) = delete;
  Sdl2Joysticks& operator=(const Sdl2Joysticks&) = delete;

  std::vector<JoystickInfo> Enumerate() override;
  bool Poll(size_t index, JoystickState& state) override;

  // SDL's axis value (-32768 to 32767) on the 0 to 10000 scale.
  static int32_t ScaleAxis(int16_t value);
  // An SDL hat position in hundredths of a degree, or centred.
  static uint32_t HatToPov(uint8_t hat);

 private:
  void CloseAll();
  std::vector<void*> opened_;  // SDL_Joystick handles, in Enumerate's order
};

}  // namespace engine
