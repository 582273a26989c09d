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

// Makes the engine objects afresh for a test. Objects that exist (the headless LM's scene keeps an
// engine for the whole process) are set aside meanwhile and put back at the end, so that meshes
// made on them stay good.
class EngineForInput {
 public:
  // On the recording backend, or on a test's own (the recorder is then null), on the main display
  // or a test's own window.
  explicit EngineForInput(std::unique_ptr<engine::DrawBackend> backend = nullptr,
                          forms::Form* window = nullptr) {
    if (!backend) {
      auto recording = std::make_unique<FrameRecorder>();
      recorder = recording.get();
      backend = std::move(recording);
    }
    Make(Engine, std::move(backend));
    auto sticks = std::make_unique<engine::ScriptedJoysticks>();
    joysticks = sticks.get();
    Engine->UseJoysticks(std::move(sticks));
    forms::Form& display = window != nullptr ? *window : *Main_Display;
    if (display.ScaleWidth() <= 0) display.Move(0, 0, 800 * 15, 600 * 15);  // twips
    int32_t result = 0;
    Engine->Init(display, true, result);
    Make(Globals, *Engine);
    Make(InputEngine, *Engine);
    Make(InputDevices, *Engine);
    Make(MathLibrary);
    Make(TextureFactory, *Engine);
    Make(Scene, *Engine);
    Make(LightEngine, *Engine);
    Make(Screen2DText, *Engine);
    Make(Screen2DDraw, *Engine);
    Make(GraphicEffect);
    Make(MaterialFactory, *Engine);
    Make(SceneHelper, *Engine);
  }
  ~EngineForInput() {
    CurrentJoystick.reset();
    MiniLMMesh.reset();
    for (auto restore = restores_.rbegin(); restore != restores_.rend(); ++restore) (*restore)();
  }
  EngineForInput(const EngineForInput&) = delete;
  EngineForInput& operator=(const EngineForInput&) = delete;

  engine::InputQueue& Input() { return Engine->Input(); }

  engine::ScriptedJoysticks* joysticks;
  FrameRecorder* recorder = nullptr;

 private:
  template <class T, class... Args>
  void Make(std::unique_ptr<T>& object, Args&&... args) {
    auto kept = std::make_shared<std::unique_ptr<T>>(std::move(object));
    object = std::make_unique<T>(std::forward<Args>(args)...);
    restores_.push_back([&object, kept] { object = std::move(*kept); });
  }
  std::vector<std::function<void()>> restores_;
};
