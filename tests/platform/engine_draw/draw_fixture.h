// An engine drawing through the library backend on a headless main window of 640 x 480 pixels,
// with the device a creation object of the test's choice makes.
#pragma once

#include <gtest/gtest.h>

#include "library/core/vortanautil.h"
#include "platform/engine_draw/library_backend.h"
#include "tests/platform/engine/engine_fixture.h"

class DrawTest : public ::testing::Test {
 protected:
  static constexpr int32_t kWidth = kMainWindowWidth;
  static constexpr int32_t kHeight = kMainWindowHeight;

  void SetUp() override {
    forms::UseClock(&clock);
    window->Show();
  }
  void TearDown() override {
    engine.reset();
    window.Unload();
    forms::UseClock(nullptr);
  }

  void Start(engine::Direct3DSource source) {
    engine = std::make_unique<engine::Engine>(engine::MakeLibraryBackend(std::move(source)));
    int32_t result = -1;
    engine->Init(*window, true, result);
    ASSERT_EQ(result, 0);
  }
  // The device the library made, without a reference.
  static d3d::IDirect3DDevice8* Device() {
    d3d::IDirect3DDevice8* device = nullptr;
    Internal_GetDevice(&device);
    return device;
  }
  void* Handle() { return reinterpret_cast<void*>(window->hWnd()); }

  forms::VirtualClock clock;
  forms::FormSlot<MainWindowForm> window;
  std::unique_ptr<engine::Engine> engine;
};
