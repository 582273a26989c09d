// The engine objects the input steps, the in-flight menu and the joystick dialog use, on the null
// backend (or a test's own), with scripted joysticks; made when the fixture is and dropped, newest
// first, when it goes. The engine runs on the main display, as at the program's engine start.
#pragma once

#include <memory>
#include <utility>

#include "platform/engine/joystick.h"
#include "program/flight/main_display.h"
#include "program/input/joystick_devices.h"
#include "program/scene/engine_objects.h"

class EngineForInput {
 public:
  explicit EngineForInput(
      std::unique_ptr<engine::DrawBackend> backend = engine::MakeNullBackend()) {
    Engine = std::make_unique<engine::Engine>(std::move(backend));
    auto sticks = std::make_unique<engine::ScriptedJoysticks>();
    joysticks = sticks.get();
    Engine->UseJoysticks(std::move(sticks));
    MainDisplayForm& display = *Main_Display;
    if (display.ScaleWidth() <= 0) display.Move(0, 0, 800 * 15, 600 * 15);  // twips
    int32_t result = 0;
    Engine->Init(display, true, result);
    Globals = std::make_unique<engine::EngineGlobals>(*Engine);
    InputEngine = std::make_unique<engine::EngineInput>(*Engine);
    InputDevices = std::make_unique<engine::EngineInputDevices>(*Engine);
    MathLibrary = std::make_unique<engine::EngineMathLibrary>();
    TextureFactory = std::make_unique<engine::EngineTextureFactory>(*Engine);
    Scene = std::make_unique<engine::EngineScene>(*Engine);
    LightEngine = std::make_unique<engine::EngineLights>(*Engine);
    Screen2DText = std::make_unique<engine::EngineScreen2DText>(*Engine);
    Screen2DDraw = std::make_unique<engine::EngineScreen2DDraw>(*Engine);
    GraphicEffect = std::make_unique<engine::EngineGraphicEffect>();
    MaterialFactory = std::make_unique<engine::EngineMaterialFactory>(*Engine);
    SceneHelper = std::make_unique<engine::EnginePath>(*Engine);
  }
  ~EngineForInput() {
    CurrentJoystick.reset();
    MiniLMMesh.reset();
    SceneHelper.reset();
    MaterialFactory.reset();
    GraphicEffect.reset();
    Screen2DDraw.reset();
    Screen2DText.reset();
    LightEngine.reset();
    Scene.reset();
    TextureFactory.reset();
    MathLibrary.reset();
    InputDevices.reset();
    InputEngine.reset();
    Globals.reset();
    Engine.reset();
  }
  EngineForInput(const EngineForInput&) = delete;
  EngineForInput& operator=(const EngineForInput&) = delete;

  engine::InputQueue& Input() { return Engine->Input(); }

  engine::ScriptedJoysticks* joysticks;
};
