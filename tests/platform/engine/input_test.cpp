// A scripted key, mouse and joystick sequence as the program's input dispatch reads it.
#include <SDL.h>

#include <Qt>
#include <cstring>

#include "platform/engine/engine_error.h"
#include "platform/engine/input.h"
#include "platform/engine/scan_codes.h"
#include "tests/platform/engine/engine_fixture.h"

namespace {

using engine::EngineError;
using engine::JoystickState;
using engine::KeyEvent;
namespace scan = engine::scan;

class InputTest : public EngineTest {
 protected:
  engine::EngineInput input{engine};
  engine::InputQueue& keys = engine.Input();
};

TEST_F(InputTest, TheKeyBufferHoldsEveryChangeSinceTheLastReadWithoutRepeats) {
  keys.KeyEvent(scan::kLeftControl, true);
  keys.KeyEvent(scan::kC, true);
  keys.KeyEvent(scan::kC, true);  // auto-repeat of a held key
  keys.KeyEvent(scan::kC, false);
  std::vector<KeyEvent> items;
  ASSERT_EQ(input.GetKeyBuffer(items), 3);
  EXPECT_EQ(items[0].state, -1);
  EXPECT_EQ(items[0].scanCode, scan::kLeftControl);
  EXPECT_EQ(items[1].scanCode, scan::kC);
  EXPECT_EQ(items[2].state, 0);
  EXPECT_EQ(items[2].scanCode, scan::kC);
  EXPECT_TRUE(input.IsKeyPressed(scan::kLeftControl));
  // A key that went down and up again since the last read reads as down until the next one, so
  // that the polls of the frame that read the buffer see a press shorter than the frame.
  EXPECT_TRUE(input.IsKeyPressed(scan::kC));
  EXPECT_EQ(input.GetKeyBuffer(items), 0);
  EXPECT_FALSE(input.IsKeyPressed(scan::kC));
  EXPECT_TRUE(input.IsKeyPressed(scan::kLeftControl));

  // The buffer is finite: later events are dropped until it is read; the key state stays right.
  for (size_t i = 0; i < engine::InputQueue::kBufferSize; ++i)
    keys.KeyEvent(scan::kSpace, i % 2 == 0);
  keys.KeyEvent(scan::kF1, true);
  EXPECT_EQ(input.GetKeyBuffer(items), static_cast<int32_t>(engine::InputQueue::kBufferSize));
  EXPECT_TRUE(input.IsKeyPressed(scan::kF1));

  // Reacquiring the devices starts from an empty buffer; releasing them lets go of every key.
  keys.KeyEvent(scan::kF10, true);
  input.Reinitialise(true, 0);
  EXPECT_EQ(input.GetKeyBuffer(items), 0);
  input.ReleaseDevices();
  EXPECT_FALSE(input.IsKeyPressed(scan::kLeftControl));
}

TEST_F(InputTest, NumLockTogglesOnEachPress) {
  EXPECT_FALSE(input.NumLockOn());
  keys.KeyEvent(scan::kNumLock, true);
  keys.KeyEvent(scan::kNumLock, false);
  EXPECT_TRUE(input.NumLockOn());
  keys.KeyEvent(scan::kNumLock, true);
  EXPECT_FALSE(input.NumLockOn());
}

TEST_F(InputTest, TheMouseIsReadInWindowPixelsWithButtonsAsMinusOne) {
  keys.MouseMoved(120, 80);
  keys.MouseButton(0, true);
  int32_t x = 0, y = 0;
  int16_t left = 0, right = 0, middle = 0;
  input.GetMouseState(x, y, left, right, middle);
  EXPECT_EQ(x, 120);
  EXPECT_EQ(y, 80);
  EXPECT_EQ(left, -1);
  EXPECT_EQ(right, 0);
  keys.MouseButton(0, false);
  keys.MouseButton(1, true);
  EXPECT_TRUE(input.SetMousePosition(320, 240));
  input.GetMouseState(x, y, left, right, middle);
  EXPECT_EQ(x, 320);
  EXPECT_EQ(left, 0);
  EXPECT_EQ(right, -1);
}

TEST(QtScanCodes, KeysMapToTheirPlacesWithTheKeypadAndTheExtendedKeys) {
  struct Case {
    int key;
    bool keypad;
    uint32_t native;
    int32_t code;
  };
  const Case cases[] = {{Qt::Key_Escape, false, 0, scan::kEscape},
                        {Qt::Key_A, false, 0, scan::kA},
                        {Qt::Key_Exclam, false, 0, scan::k1},
                        {Qt::Key_Return, false, 0, scan::kEnter},
                        {Qt::Key_Enter, true, 0, scan::kKeypadEnter},
                        {Qt::Key_Enter, false, 0, scan::kKeypadEnter},
                        {Qt::Key_Home, false, 0, scan::kHome},
                        {Qt::Key_Home, true, 0, scan::kKeypad7},  // Num Lock off
                        {Qt::Key_7, true, 0, scan::kKeypad7},
                        {Qt::Key_Clear, true, 0, scan::kKeypad5},
                        {Qt::Key_Delete, true, 0, scan::kKeypadPeriod},
                        {Qt::Key_Slash, true, 0, scan::kKeypadDivide},
                        {Qt::Key_Slash, false, 0, scan::kSlash},
                        {Qt::Key_NumLock, true, 0, scan::kNumLock},
                        {Qt::Key_Control, false, 37, scan::kLeftControl},
                        {Qt::Key_Control, false, 105, scan::kRightControl},
                        {Qt::Key_Shift, false, 62, scan::kRightShift},
                        {Qt::Key_Alt, false, 108, scan::kRightAlt},
                        {Qt::Key_F12, false, 0, scan::kF12},
                        {Qt::Key_PageDown, false, 0, scan::kPageDown},
                        {Qt::Key_unknown, false, 0, 0}};
  for (const Case& c : cases)
    EXPECT_EQ(scan::FromQtKey(c.key, c.keypad, c.native), c.code)
        << std::hex << c.key << " keypad " << c.keypad;
}

TEST_F(InputTest, ScriptedJoysticksComeOutAsEightyByteStates) {
  auto scripted = std::make_unique<engine::ScriptedJoysticks>();
  engine::ScriptedJoysticks& sticks = *scripted;
  engine.UseJoysticks(std::move(scripted));
  sticks.Plug("Pedals", {3, 0, 0});
  const size_t stick = sticks.Plug("Flight Stick", {4, 12, 1});

  engine::EngineInputDevices devices(engine);
  ASSERT_EQ(devices.Enumerate(), 2);
  auto joystick = devices.Item(2);
  joystick->Acquire();
  EXPECT_TRUE(joystick->IsValid());
  EXPECT_EQ(joystick->GetName(), "Flight Stick");
  int32_t axes = 0, buttons = 0, povs = 0;
  joystick->GetCapabilities(axes, buttons, povs);
  EXPECT_EQ(axes, 4);
  EXPECT_EQ(povs, 1);
  EXPECT_EQ(joystick->GetButtonCount(), 12);
  EXPECT_THROW(devices.Item(0), EngineError);
  EXPECT_THROW(devices.Item(3), EngineError);

  sticks.SetAxis(stick, 0, 10000);
  sticks.SetAxis(stick, 3, 0);
  sticks.SetAxis(stick, 6, 12000);  // clamped
  sticks.SetButton(stick, 11, true);
  sticks.SetPov(stick, 0, 9000);
  joystick->Poll();
  EXPECT_TRUE(joystick->IsPresent());
  JoystickState state;
  joystick->GetState(state);

  // The record as the program's 80-byte layout reads it.
  uint8_t record[80];
  std::memcpy(record, &state, sizeof record);
  auto i32 = [&](size_t offset) {
    int32_t v;
    std::memcpy(&v, record + offset, 4);
    return v;
  };
  // Axis k is the field of axis type k: 0 x, 3 the z rotation, 6 the x rotation.
  EXPECT_EQ(i32(0), 10000);   // x
  EXPECT_EQ(i32(4), 5000);    // y, centred
  EXPECT_EQ(i32(20), 0);      // rz
  EXPECT_EQ(i32(12), 10000);  // rx
  EXPECT_EQ(i32(24), 5000);   // first slider, centred
  EXPECT_EQ(i32(32), 9000);   // first point of view
  EXPECT_EQ(i32(36), -1);     // centred
  EXPECT_EQ(record[48 + 11], 0x80);
  EXPECT_EQ(record[48 + 10], 0);

  sticks.Unplug(0);
  joystick->Poll();
  EXPECT_FALSE(joystick->IsPresent());
  JoystickState kept;
  joystick->GetState(kept);
  EXPECT_EQ(kept.x, 10000);
  devices.Release();
  EXPECT_FALSE(joystick->IsValid());
  EXPECT_THROW(joystick->Poll(), EngineError);
}

TEST(Sdl2Joysticks, AxesHatsAndButtonsOfARealDevice) {
  EXPECT_EQ(engine::Sdl2Joysticks::ScaleAxis(-32768), 0);
  EXPECT_EQ(engine::Sdl2Joysticks::ScaleAxis(32767), 10000);
  EXPECT_EQ(engine::Sdl2Joysticks::ScaleAxis(0), 5000);
  EXPECT_EQ(engine::Sdl2Joysticks::HatToPov(SDL_HAT_LEFTUP), 31500u);
  EXPECT_EQ(engine::Sdl2Joysticks::HatToPov(SDL_HAT_CENTERED), JoystickState::kPovCentred);

  // Only SDL's own drivers: the HIDAPI one would go looking for real devices besides.
  SDL_SetHint(SDL_HINT_JOYSTICK_HIDAPI, "0");
  engine::Sdl2Joysticks sdl;
  // A virtual device of SDL's own stands in for a plugged-in stick.
  const int device = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 3, 5, 1);
  ASSERT_GE(device, 0) << SDL_GetError();
  const auto infos = sdl.Enumerate();
  ASSERT_EQ(infos.size(), 1u);
  EXPECT_EQ(infos[0].capabilities.axes, 3);
  EXPECT_EQ(infos[0].capabilities.buttons, 5);
  EXPECT_EQ(infos[0].capabilities.povs, 1);

  SDL_Joystick* handle = SDL_JoystickFromPlayerIndex(0);
  if (handle == nullptr) handle = SDL_JoystickOpen(0);
  ASSERT_NE(handle, nullptr);
  SDL_JoystickSetVirtualAxis(handle, 1, 32767);
  SDL_JoystickSetVirtualButton(handle, 4, SDL_PRESSED);
  SDL_JoystickSetVirtualHat(handle, 0, SDL_HAT_RIGHT);
  JoystickState state;
  ASSERT_TRUE(sdl.Poll(0, state));
  EXPECT_EQ(state.y, 10000);
  EXPECT_EQ(state.buttons[4], JoystickState::kButtonDown);
  EXPECT_EQ(state.povs[0], 9000u);
  SDL_JoystickClose(handle);

  SDL_JoystickDetachVirtual(device);
  EXPECT_FALSE(sdl.Poll(0, state));
  EXPECT_FALSE(sdl.Poll(5, state));
}

}  // namespace
