// The input steps of a flight on virtual time: the engine objects on the null backend with
// scripted joysticks, the cabin's switch levers, the shipped bindings, and frames that feed key
// and mouse events to the engine's input queue and run the input steps in the frame loop's order,
// then yield once. Each test starts from the state of a fresh process.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/d3dx/image_file.h"
#include "platform/engine/scan_codes.h"
#include "platform/forms/event_pump.h"
#include "platform/forms/script.h"
#include "platform/win/app_path.h"
#include "program/cockpit/cockpit_state.h"
#include "program/flight/flight_loop_state.h"
#include "program/flight/flight_state.h"
#include "program/flight/main_display.h"
#include "program/input/input_state.h"
#include "program/input/joystick_assign.h"
#include "program/input/joystick_data.h"
#include "program/input/key_dispatch.h"
#include "program/input/mouse_input.h"
#include "program/missions/missions_state.h"
#include "program/scene/cockpit_models.h"
#include "program/scene/engine_objects.h"
#include "program/scene/scene_state.h"
#include "program/startup/form_connections.h"
#include "program/startup/native_strings.h"
#include "program/startup/startup_state.h"
#include "tests/platform/win/temp_folder.h"
#include "tests/program/flight/headless_lm.h"
#include "tests/program/input_engine.h"
#include "tests/program/launcher_dialogs.h"
#include "tests/program/main_display_reload.h"
#include "tests/program/saved_variables.h"

namespace scan = engine::scan;
using namespace std::chrono_literals;

class InputTest : public ::testing::Test {
 protected:
  static constexpr auto FrameTime = 20ms;  // 50 frames per second

  void SetUp() override {
    ConnectForms();
    forms::UseClock(&clock);
    for (int32_t id = 0; id <= LastUiTextId; ++id) UiText[id] = NativeString(id, "");
    DropMainDisplay();
    engine_ = std::make_unique<EngineForInput>();
    for (const char* lever : SwitchLeverNames) SwitchMeshes[lever] = Scene->CreateMesh(lever);
    // The shipped assignment files in a folder of the test's own, which the dialog may rewrite.
    for (const char* file : {"KeyBoardOnly.ini", "JoyAssign.ini"})
      std::filesystem::copy_file(std::filesystem::path(MAROVIN_DATA) / file, folder_.Path() / file);
    win::SetAppPath(folder_.Path().string());
    UseJoystick = UseMouse = false;
    LoadJoyAssignments();
    for (PanelItem& item : InstrumentLayout) item.SwitchPosition = 0;
    ControlsActive = RunFlag = true;
    FramesPerSecond = 50.0f;
    MaxCommandedRadialVelocity = 0.0872665f;  // 5 degrees per second
    NumLockOn = false;
    Main_Display->TimerSpecialCharacter.SetEnabled(false);
  }
  void TearDown() override {
    if (JoystickAssign.Loaded()) JoystickAssign->DropWithoutEvents();
    SwitchMeshes.clear();
    headless::ReleaseScene();
    engine_.reset();
    DropMainDisplay();
    // The flights that the frames deferred are not flown.
    forms::script::StartAfresh();
    forms::UseClock(nullptr);
  }

  engine::InputQueue& Input() { return engine_->Input(); }
  engine::ScriptedJoysticks& Joysticks() { return *engine_->joysticks; }

  // Keys that go down (positive scan codes) and up (negative) before the next frame.
  void Keys(const std::vector<int32_t>& keys) {
    for (const int32_t key : keys) Input().KeyEvent(key < 0 ? -key : key, key > 0);
  }
  // One frame's input steps, then the frame's time and its yield. A flight's frames run inside the
  // launcher's click, so a restart they ask for waits for the outermost loop, which these tests
  // never reach: they have no scene to fly it in.
  void Frame() {
    ProcessKeyCommands();
    ProcessMouse();
    UpdateKeyHoldRamp();
    clock.Advance(FrameTime);
    forms::detail::HandlerScope flight;
    forms::DoEvents();
  }
  void Frames(int count) {
    for (int n = 0; n < count; ++n) Frame();
  }
  // A key pressed and released, each in a frame of its own.
  void Tap(int32_t key) {
    Keys({key});
    Frame();
    Keys({-key});
    Frame();
  }
  // A small picture loaded as the texture of that name.
  int32_t LoadTestTexture(const std::string& name) {
    const auto bytes = d3dx::EncodeBmp(d3dx::ArgbImage(4, 4, 0xFF808080), false);
    folder_.WriteFile("Textures/" + name + ".png", std::string(bytes.begin(), bytes.end()));
    return TextureFactory->LoadTexture(win::AppPath() + "\\Textures\\" + name + ".png", name);
  }
  // Lets the repeat block of a command run out.
  void WaitOutRepeatBlock() { Frames(12); }

  forms::VirtualClock clock;
  TempFolder folder_;
  std::unique_ptr<EngineForInput> engine_;

 private:
  EngineStartedElsewhere engine_started_;
  SavedVariables input_ = SavedVariables(
      ControlAssignments, AxisAssignments, UseJoystick, UseMouse, UseKeyboard, JoystickCount,
      JoystickAxisLimit, JoystickListCount, LastTestedJoystick, JoystickTestPicture, POVValue,
      POVJoystick, CommandInputPending, ShiftPending, CtrlPending, WindowsKeyPending, AltPending,
      KeyDelayActive, SettingsOverlayShown, CurrentKeyCode, NumLockOn, KeyRepeatBlocked,
      DescentRateChanged, ExitDialogShown, KeyHandController, ThrottleKeyValue, FlagPlanted,
      FlagPosition, KeyDelayActive, KeyHoldValue, KeyHoldStart, KeyHoldThreshold, KeyHoldRateLow,
      KeyHoldRateHigh, KeyHoldCapLow, KeyHoldCapHigh, MouseX, MouseY, MouseButton1, MouseButton2,
      LPDRollArm, LPDPitchArm, JoystickThrottleRing, JoystickThrottleIndex, NameEntryItem,
      SelectedJoystick, JoystickTestStop, LanguageSuffix);
  SavedVariables flight_ = SavedVariables(
      ControlsActive, RunFlag, ExitRequest, FramesPerSecond, MaxCommandedRadialVelocity,
      CommandedVerticalRate, ThrottleCommand, MinThrottle, AutoThrottleOn, EngineOff, Landed,
      AscentStageFlying, Staged, MenuShown, ScreenshotRequest, MovieCapture, PendingFadeTime,
      IntroFlyby, ReplayPlayback, TranslationCommand, HandControllerAxes, Smoothing, RollAxis,
      PitchAxis, YawAxis, LandingSpot, FullScreen, Busy, ScreenWidth, ScreenHeight, ScreenScaleX,
      ScreenScaleY, MissionType, SelectedDeadband, XPointerHighScale, SoundOn);
  SavedVariables cockpit_ = SavedVariables(
      UiText, MessageText, CurrentProgram, VerbFlash, MinimumImpulseMode, HelpPage,
      ProgramHelpShown, LPDStep, LPDCrossRangeAngle, LampSpare1, DSKYVerb, DSKYNoun, DSKYProgram,
      VerbPosition, NounPosition, VerbEntryActive, NounEntryActive, KeyEntryEnabled, KeyChar);
  SavedVariables scene_ = SavedVariables(
      InstrumentLayout, ViewRecords, CurrentView, CurrentViewIndex, InteriorViewFlag, SpotViewFlag,
      CockpitPanelFlag, ExteriorViewFlag, EVAViewFlag, CameraOrbitYaw, CameraOrbitPitch,
      CameraOrbitDistance, MouseSensitivity, VirtualCockpitEye, VirtualCockpitRotation,
      CurrentCockpitEye, CurrentCockpitRotation, EVAEye, EVARotation, WalkForward, WalkSide,
      FieldOfView, ShowGroundMarkers, PathNodeCount);
};
