// The main display as a Qt window on the offscreen platform: what the window system reports of the
// keyboard and the pointer reaches the engine's input as the program reads it.
#include <gtest/gtest.h>
#include <QApplication>
#include <QComboBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

#include <memory>
#include <string>
#include <vector>

#include "platform/d3dx/image_file.h"
#include "platform/engine/scan_codes.h"
#include "platform/forms/event_pump.h"
#include "platform/forms/qt_view.h"
#include "program/flight/flight_loop_state.h"
#include "program/flight/main_display.h"
#include "program/input/input_state.h"
#include "program/input/joystick_assign.h"
#include "program/input/joystick_devices.h"
#include "program/startup/form_connections.h"
#include "program/startup/native_strings.h"
#include "program/startup/startup_state.h"
#include "tests/platform/forms/qt_view_once.h"
#include "tests/platform/win/temp_folder.h"
#include "tests/program/input_engine.h"
#include "tests/program/main_display_reload.h"
#include "tests/program/saved_variables.h"

namespace {

namespace scan = engine::scan;

// X11 key codes of the keys sent: Linux input codes plus 8.
constexpr uint32_t X11Keypad8 = 80;
constexpr uint32_t X11RightControl = 105;
constexpr uint32_t X11RightShift = 62;
constexpr uint32_t X11A = 38;
constexpr quint32 NumLockModifier = 0x10;

class MainWindowInput : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { tests::StartQtViewOnce(); }
  void SetUp() override {
    ConnectForms();
    DropMainDisplay();
    Main_Display->Move(0, 0, 640 * 15, 480 * 15);
    Main_Display->Show();
    forms::DoEvents();
    engine_ = std::make_unique<EngineForInput>();
    window = forms::WidgetOf(*Main_Display);
    ASSERT_NE(window, nullptr);
    for (QWidget* child : window->findChildren<QWidget*>())
      if (child->testAttribute(Qt::WA_NativeWindow)) surface = child;
    ASSERT_NE(surface, nullptr);
  }
  void TearDown() override {
    engine_.reset();
    DropMainDisplay();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  void Key(bool down, int qtKey, uint32_t native, Qt::KeyboardModifiers modifiers = {},
           quint32 nativeModifiers = 0, bool autoRepeat = false) {
    QKeyEvent event(down ? QEvent::KeyPress : QEvent::KeyRelease, qtKey, modifiers, native, 0,
                    nativeModifiers, QString(), autoRepeat);
    QApplication::sendEvent(surface, &event);
    forms::DoEvents();
  }
  std::vector<int32_t> TakeKeys() {
    std::vector<engine::KeyEvent> events;
    InputEngine->GetKeyBuffer(events);
    std::vector<int32_t> codes;
    for (const engine::KeyEvent& e : events)
      codes.push_back(e.state == -1 ? e.scanCode : -e.scanCode);
    return codes;
  }

  std::unique_ptr<EngineForInput> engine_;
  QWidget* window = nullptr;
  QWidget* surface = nullptr;
};

TEST_F(MainWindowInput, KeysArriveAsScanCodesWithoutAutoRepeat) {
  Key(true, Qt::Key_Control, X11RightControl);
  Key(false, Qt::Key_Control, X11RightControl);
  Key(true, Qt::Key_Shift, X11RightShift, Qt::ShiftModifier);
  Key(false, Qt::Key_Shift, X11RightShift);
  Key(true, Qt::Key_A, X11A);
  Key(true, Qt::Key_A, X11A, {}, 0, true);  // held: the window system repeats it
  Key(false, Qt::Key_A, X11A);
  // Keypad 8 is the same key with Num Lock on (a digit) and off (an arrow).
  Key(true, Qt::Key_8, X11Keypad8, Qt::KeypadModifier, NumLockModifier);
  Key(false, Qt::Key_8, X11Keypad8, Qt::KeypadModifier, NumLockModifier);
  Key(true, Qt::Key_Up, X11Keypad8, Qt::KeypadModifier);
  Key(false, Qt::Key_Up, X11Keypad8, Qt::KeypadModifier);
  EXPECT_EQ(TakeKeys(),
            (std::vector<int32_t>{scan::kRightControl, -scan::kRightControl, scan::kRightShift,
                                  -scan::kRightShift, scan::kA, -scan::kA, scan::kKeypad8,
                                  -scan::kKeypad8, scan::kKeypad8, -scan::kKeypad8}));
}

TEST_F(MainWindowInput, NumLockIsTheWindowSystemsWhereItSaysSo) {
  if (QGuiApplication::platformName() != QLatin1String("xcb"))
    GTEST_SKIP() << "the Num Lock state comes with X11's key events";
  Key(true, Qt::Key_A, X11A, {}, NumLockModifier);
  EXPECT_TRUE(InputEngine->NumLockOn());
  Key(false, Qt::Key_A, X11A, {}, 0);
  EXPECT_FALSE(InputEngine->NumLockOn());
}

TEST_F(MainWindowInput, ThePointerAndItsButtonsArriveInDrawingAreaPixels) {
  QMouseEvent move(QEvent::MouseMove, QPointF(120, 80), surface->mapToGlobal(QPointF(120, 80)),
                   Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(surface, &move);
  forms::DoEvents();
  int32_t x = 0, y = 0;
  int16_t left = 0, right = 0, middle = 0;
  InputEngine->GetMouseState(x, y, left, right, middle);
  EXPECT_EQ(x, 120);
  EXPECT_EQ(y, 80);
  EXPECT_EQ(right, 0);
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(200, 100),
                    surface->mapToGlobal(QPointF(200, 100)), Qt::RightButton, Qt::RightButton,
                    Qt::NoModifier);
  QApplication::sendEvent(surface, &press);
  forms::DoEvents();
  InputEngine->GetMouseState(x, y, left, right, middle);
  EXPECT_EQ(x, 200);
  EXPECT_EQ(right, -1);
  EXPECT_EQ(left, 0);
}

TEST_F(MainWindowInput, LosingTheKeyboardLetsEveryKeyGo) {
  Key(true, Qt::Key_A, X11A);
  EXPECT_TRUE(InputEngine->IsKeyPressed(scan::kA));
  Main_Display->UserFocus(false);
  EXPECT_FALSE(InputEngine->IsKeyPressed(scan::kA));
}

TEST_F(MainWindowInput, TheNoMouseCursorHidesThePointerAndFullScreenCoversTheScreen) {
  Scene->SetMouseCursor(0, 32.0f, 32.0f, 0, 0);
  EXPECT_TRUE(Main_Display->PointerHidden());
  EXPECT_EQ(surface->cursor().shape(), Qt::BlankCursor);
  Engine->EnterFullScreen(800, 600, 32, 1);
  forms::DoEvents();
  EXPECT_TRUE(Main_Display->FullScreen());
  EXPECT_TRUE(window->isFullScreen());
  Engine->LeaveFullScreen();
  forms::DoEvents();
  EXPECT_FALSE(window->isFullScreen());
}

TEST_F(MainWindowInput, TheAssignmentDialogShowsTheStickAndItsPreview) {
  const SavedVariables saved(UiText, ControlAssignments, AxisAssignments, JoystickCount,
                             JoystickAxisLimit, JoystickListCount, SelectedJoystick,
                             LastTestedJoystick, JoystickTestStop, CapturedButton, Busy,
                             JoystickTestPicture);
  for (int32_t id = 0; id <= LastUiTextId; ++id) UiText[id] = NativeString(id, "");
  const size_t stick = engine_->joysticks->Plug("Flight Stick", {4, 12, 1});
  MiniLMMesh = Scene->CreateMesh("JoyLM");
  const TempFolder folder;
  const auto bytes = d3dx::EncodeBmp(d3dx::ArgbImage(4, 4, 0xFF808080), false);
  folder.WriteFile("joyback.bmp", std::string(bytes.begin(), bytes.end()));
  JoystickTestPicture = TextureFactory->LoadTexture((folder.Path() / "joyback.bmp").string(), "");
  JoystickAssignForm& dialog = *JoystickAssign;
  dialog.Show();
  forms::DoEvents();
  auto* list = qobject_cast<QComboBox*>(forms::WidgetOf(dialog.Combo1));
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->itemText(0).toStdString(), "1 > Flight Stick");
  engine_->joysticks->SetButton(stick, 2, true);
  int passes = 0;
  engine_->recorder->onPresentToWindow = [&] {
    if (++passes == 2) JoystickTestStop = true;
  };
  RunJoystickTest();
  EXPECT_NE(dialog.Picture1.hWnd(), 0u);
  EXPECT_EQ(Engine->LastWindowPresent().window, dialog.Picture1.hWnd());
  EXPECT_EQ(dialog.Option2(2).BackColor(), 255);
  dialog.Option2(2).UserClick();
  dialog.List2.UserChoose(12);  // "Pause"
  EXPECT_EQ(ControlAssignments[ActionPause].Button, 2);
  JoystickAssign->DropWithoutEvents();
}

}  // namespace
