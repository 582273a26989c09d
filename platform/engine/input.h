// Keyboard, mouse and joystick input as the program reads it.
//
// InputQueue is where input arrives: the Qt view of the main window (through scan::FromQtKey) or a
// test calls KeyEvent and the mouse calls. EngineInput is the program's reading side: the key
// buffer holds every change since the last read, in order, without auto-repeat (a key already down
// that goes down again is not an event), up to kBufferSize events; later ones are dropped until
// the buffer is read. Mouse positions are pixels of the main window's drawing area.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/engine/joystick.h"

namespace engine {

class Engine;

// One key buffer item as the program's records hold it: 8 bytes, state -1 when the key went down
// and 0 when it came up, then the scan code (scan_codes.h).
struct KeyEvent {
  int16_t state = 0;
  int32_t scanCode = 0;
};
static_assert(sizeof(KeyEvent) == 8, "the program reads key events as 8-byte items");

// The keys and mouse buttons as the window system reports them. The program takes the key
// buffer once a frame and then polls what is held; a key or button that went down since the
// buffer was taken before reads as down until it is taken again, so that a press shorter than a
// frame, which comes and goes within the frame's one yield, is still seen by the polls.
class InputQueue {
 public:
  static constexpr size_t kBufferSize = 256;  // events

  void KeyEvent(int32_t scanCode, bool pressed);
  void MouseMoved(int32_t x, int32_t y);
  // Button 0 left, 1 right, 2 middle.
  void MouseButton(int32_t button, bool down);
  // Forgets every key held (the window lost the keyboard) without making events.
  void ReleaseAllKeys() {
    down_.fill(false);
    keysWentDown_.fill(false);
    keysSeenDown_.fill(false);
  }
  void SetNumLock(bool on) { numLock_ = on; }

  std::vector<engine::KeyEvent> TakeEvents();
  bool IsDown(int32_t scanCode) const;
  bool NumLockOn() const { return numLock_; }
  int32_t MouseX() const { return mouseX_; }
  int32_t MouseY() const { return mouseY_; }
  bool ButtonDown(int32_t button) const {
    if (button < 0 || button >= 3) return false;
    const auto b = static_cast<size_t>(button);
    return buttons_[b] || buttonsSeenDown_[b];
  }

 private:
  std::deque<engine::KeyEvent> events_;
  std::array<bool, 256> down_{};
  // Went down since the buffer was last taken, and went down before that take: read as down.
  std::array<bool, 256> keysWentDown_{}, keysSeenDown_{};
  bool numLock_ = false;
  int32_t mouseX_ = 0;
  int32_t mouseY_ = 0;
  std::array<bool, 3> buttons_{};
  std::array<bool, 3> buttonsWentDown_{}, buttonsSeenDown_{};
};

class EngineInput {
 public:
  explicit EngineInput(Engine& engine) : engine_(engine) {}

  // The events since the last call; returns their count.
  int32_t GetKeyBuffer(std::vector<KeyEvent>& items);
  bool IsKeyPressed(int32_t scanCode) const;
  // Buttons are -1 while down, 0 when up; the fifth value is the middle button.
  void GetMouseState(int32_t& x, int32_t& y, int16_t& button1, int16_t& button2,
                     int16_t& button3) const;
  bool NumLockOn() const;
  // Moves the pointer to a point of the main window; false where the window system does not let
  // a program move it (headless it always moves). The position reads back as moved either way.
  bool SetMousePosition(int32_t x, int32_t y);
  // Controllers are calibrated in the desktop's own controller settings: a message box says so.
  void Calibrate(uintptr_t);
  void SetScreenSize(int32_t width, int32_t height);
  void SetFactor(float factor) { factor_ = factor; }
  // (Re)acquires the devices: events before it are dropped, as a fresh device has none.
  void Reinitialise(bool, int32_t);
  void ReleaseDevices();

 private:
  Engine& engine_;
  int32_t screenWidth_ = 0;
  int32_t screenHeight_ = 0;
  float factor_ = 1.0f;
};

class EngineJoystick {
 public:
  EngineJoystick(JoystickSource& source, size_t index, JoystickInfo info)
      : source_(&source), index_(index), info_(std::move(info)) {}

  void Acquire() { acquired_ = true; }
  bool IsValid() const { return source_ != nullptr; }
  // Whether the device answered its last poll.
  bool IsPresent() const { return present_; }
  const std::string& GetName() const { return info_.name; }
  void GetCapabilities(int32_t& axes, int32_t& buttons, int32_t& povs) const;
  int32_t GetButtonCount() const { return info_.capabilities.buttons; }
  // Reads the device; a gone device keeps its last state and stops being present.
  void Poll();
  // The state of the last poll, as its 80-byte record.
  void GetState(JoystickState& state) const;
  void Release();

 private:
  JoystickSource* source_;
  size_t index_;
  JoystickInfo info_;
  JoystickState state_;
  bool acquired_ = false;
  bool present_ = true;
};

class EngineInputDevices {
 public:
  explicit EngineInputDevices(Engine& engine) : engine_(engine) {}
  // Lists the joysticks attached now; returns their count.
  int32_t Enumerate();
  int32_t Count() const { return static_cast<int32_t>(joysticks_.size()); }
  // Joystick i, from 1.
  std::shared_ptr<EngineJoystick> Item(int32_t i) const;
  void Release();

 private:
  Engine& engine_;
  std::vector<std::shared_ptr<EngineJoystick>> joysticks_;
};

}  // namespace engine
