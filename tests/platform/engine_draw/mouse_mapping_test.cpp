// Under Qt's offscreen platform: a click on the main display's native child reaches the form, and
// the engine maps it to the back-buffer pixel the device shows there, in a window and in full
// screen between bars.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QWidget>

#include <utility>

#include "platform/engine/engine.h"
#include "platform/engine_draw/library_backend.h"
#include "platform/forms/forms.h"
#include "platform/forms/qt_view.h"
#include "platform/win/twips.h"

namespace {

struct DisplayForm : forms::Form {
  DisplayForm() : Form("Main_Display") {
    SetRenderSurface(true);
    Move(0, 0, win::PixelsToTwips(640), win::PixelsToTwips(480));
    MouseDown = [this](forms::MouseButton, int16_t, float x, float y) {
      if (engine == nullptr) return;
      engine->WindowToBackBuffer(x, y);
      clicked = {x, y};
    };
  }
  engine::Engine* engine = nullptr;
  std::pair<float, float> clicked{-1, -1};
};

forms::FormSlot<DisplayForm> MainDisplay;

class MouseMapping : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static bool started = false;
    if (started) return;
    started = true;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "engine_draw_qt_tests";
    static char* argv[] = {name, nullptr};
    forms::StartQtView(argc, argv);
  }
  void TearDown() override {
    engine_.Shutdown();
    MainDisplay.Unload();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  // Where a click at (x, y) of the native child lands in the back buffer.
  std::pair<float, float> Click(int x, int y) {
    QWidget* child = forms::WidgetOf(*MainDisplay)->findChild<QWidget*>();
    QTest::mouseClick(child, Qt::LeftButton, {}, QPoint(x, y));
    forms::DoEvents();
    return MainDisplay->clicked;
  }

  engine::Engine engine_{engine::MakeDrawBackend()};
};

TEST_F(MouseMapping, AClickOnTheChildLandsOnTheBackBufferPixelShownThere) {
  DisplayForm& display = *MainDisplay;
  display.engine = &engine_;
  display.Show();
  forms::DoEvents();
  int32_t result = -1;
  engine_.Init(display, true, result);
  EXPECT_EQ(Click(100, 50), std::pair(100.0f, 50.0f)) << "in a window, pixel for pixel";

  // Full screen at 800 x 600 on a 1280 x 1024 window: shown 1280 x 960 from 32 pixels down.
  forms::WidgetOf(display)->resize(1280, 1024);
  forms::DoEvents();
  engine_.EnterFullScreen(800, 600, 32, 1);
  EXPECT_EQ(Click(640, 32 + 480), std::pair(400.0f, 300.0f));
  EXPECT_EQ(Click(320, 32 + 240), std::pair(200.0f, 150.0f));
  EXPECT_LT(Click(640, 10).second, 0.0f) << "the bar above is outside the back buffer";
  engine_.LeaveFullScreen();
  EXPECT_EQ(Click(100, 50), std::pair(100.0f, 50.0f)) << "back in the window";
}

}  // namespace
