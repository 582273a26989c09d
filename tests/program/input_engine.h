// The engine objects the input steps, the in-flight menu and the joystick dialog use, on a backend
// that records what is drawn, with scripted joysticks; made when the fixture is and dropped, newest
// first, when it goes. The engine runs on the main display, as at the program's engine start.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/engine/draw_backend.h"
#include "platform/engine/joystick.h"
#include "program/flight/main_display.h"
#include "program/input/joystick_devices.h"
#include "program/scene/engine_objects.h"

// Keeps the 2D shapes and meshes drawn, in order, and calls a test's hook at each present into
// another window.
class FrameRecorder final : public engine::DrawBackend {
 public:
  struct Draw {
    const engine::EngineMesh* mesh;  // nullptr for a 2D shape
    engine::Shape2D shape;
  };
  std::vector<Draw> draws;
  std::function<void()> onPresentToWindow;

  void BeginTarget(const engine::DrawTarget&, bool, uint32_t) override {}
  void EndTarget() override {}
  void DrawMesh(const engine::EngineMesh& mesh, const engine::CameraView&) override {
    draws.push_back({&mesh, {}});
  }
  void DrawLandscape(const engine::EngineLandscape&, const engine::CameraView&) override {}
  void Draw2D(const engine::Shape2D& shape) override { draws.push_back({nullptr, shape}); }
  void Present() override {}
  void PresentToWindow(uintptr_t, int32_t, int32_t) override {
    if (onPresentToWindow) onPresentToWindow();
  }
  void MeasureText(const std::string& text, const engine::Font&, int32_t pixelHeight,
                   int32_t& width, int32_t& height) override {
    width = static_cast<int32_t>(text.size()) * pixelHeight / 2;
    height = pixelHeight;
  }
  std::vector<uint32_t> ReadBackBuffer(int32_t, int32_t) override { return {}; }
};

class EngineForInput {
 public:
  EngineForInput() {
    auto backend = std::make_unique<FrameRecorder>();
    recorder = backend.get();
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
  FrameRecorder* recorder;
};
