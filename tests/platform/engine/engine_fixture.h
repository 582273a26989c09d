// A started engine on a headless main window of 640 x 480 pixels, a program folder of its own and
// the virtual clock.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "platform/engine/engine.h"
#include "platform/forms/forms.h"
#include "platform/win/app_path.h"
#include "platform/win/twips.h"
#include "tests/platform/win/temp_folder.h"

inline constexpr int32_t kMainWindowWidth = 640;  // pixels
inline constexpr int32_t kMainWindowHeight = 480;

struct MainWindowForm : forms::Form {
  MainWindowForm() : Form("Main_Display") {
    SetBorderStyle(forms::BorderStyle::None);
    SetRenderSurface(true);
    Move(0, 0, win::PixelsToTwips(kMainWindowWidth), win::PixelsToTwips(kMainWindowHeight));
  }
};

class EngineTest : public ::testing::Test {
 protected:
  static constexpr int32_t kWidth = kMainWindowWidth;
  static constexpr int32_t kHeight = kMainWindowHeight;

  void SetUp() override {
    forms::UseClock(&clock);
    programFolder_ = win::AppPath();
    win::SetAppPath(folder.Path().string());
    window->Show();
    int32_t result = -1;
    engine.Init(*window, true, result);
    ASSERT_EQ(result, 0);
  }
  void TearDown() override {
    window.Unload();
    win::SetAppPath(programFolder_);
    forms::UseClock(nullptr);
  }

  // A program path under the program folder, spelt with backslashes as the program does.
  static std::string ProgramPath(const std::string& relative) {
    return win::AppPath() + "\\" + relative;
  }

  forms::VirtualClock clock;
  TempFolder folder;
  forms::FormSlot<MainWindowForm> window;
  engine::Engine engine;

 private:
  std::string programFolder_;
};
