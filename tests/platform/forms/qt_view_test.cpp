// The Qt side under the offscreen platform: windows mirror their forms, and what a user does to
// the widgets reaches the model's events.

#include <gtest/gtest.h>
#include <unistd.h>

#include <xcb/xcb.h>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/forms/qt_view.h"
#include "platform/win/twips.h"
#include "platform/win/window.h"
#include "tests/platform/forms/qt_view_once.h"
#include "tests/platform/forms/test_form.h"

namespace {

struct DisplayForm : forms::Form {
  DisplayForm() : Form("Main_Display") {
    SetRenderSurface(true);
    SetCaption("Marovin");
    Move(0, 0, win::PixelsToTwips(640), win::PixelsToTwips(480));
    Resize = [this] { resizes.push_back(ScaleWidth()); };
    GotFocus = [this] { ++focus; };
    LostFocus = [this] { --focus; };
  }
  std::vector<int32_t> resizes;
  int focus = 0;
};

forms::FormSlot<DisplayForm> MainDisplay;

class QtView : public FormsTest {
 protected:
  static void SetUpTestSuite() { tests::StartQtViewOnce(); }
  void TearDown() override {
    FormsTest::TearDown();
    // The windows of the dropped forms go at Qt's next turn; without one they would pile up.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  template <class T>
  static T& WidgetOf(forms::Control& control) {
    auto* widget = qobject_cast<T*>(forms::WidgetOf(control));
    if (!widget) throw std::runtime_error("no widget of the expected kind for " + control.Name());
    return *widget;
  }
};

}  // namespace

TEST_F(QtView, AFormIsAWindowShowingItsControlsAtTheirPlaces) {
  TestDialogForm& f = *TestDialog;
  f.Combo1.AddItem("800x600x32");
  f.Combo1.AddItem("1024x768x32");
  f.Combo1.SetListIndex(1);
  f.Label1.SetRightToLeft(true);
  f.Show();
  forms::DoEvents();

  QWidget* window = forms::WidgetOf(f);
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(window->windowTitle(), "Test Dialog");
  auto& ok = WidgetOf<QPushButton>(f.Command1);
  EXPECT_EQ(ok.text(), "OK");
  auto& name = WidgetOf<QLineEdit>(f.Names(1));
  EXPECT_EQ(name.geometry(), QRect(win::TwipsToPixels(120), win::TwipsToPixels(400),
                                   win::TwipsToPixels(2000), win::TwipsToPixels(300)));
  auto& combo = WidgetOf<QComboBox>(f.Combo1);
  EXPECT_EQ(combo.count(), 2);
  EXPECT_EQ(combo.currentText(), "1024x768x32");
  EXPECT_TRUE(combo.isEditable());
  f.Combo1.SetEditable(false);
  EXPECT_FALSE(combo.isEditable());
  EXPECT_EQ(combo.currentText(), "1024x768x32");
  EXPECT_EQ(WidgetOf<QLabel>(f.Label1).layoutDirection(), Qt::RightToLeft);
  EXPECT_EQ(WidgetOf<QLabel>(f.Label1).toolTip(), "A label");
  EXPECT_EQ(forms::WidgetOf(f.OptionA)->parentWidget(), forms::WidgetOf(f.Frame1))
      << "controls of a frame sit inside it";
}

TEST_F(QtView, UserActionsOnWidgetsRaiseTheModelsEvents) {
  TestDialogForm& f = *TestDialog;
  f.Show();
  forms::DoEvents();
  Seen.clear();
  QTest::mouseClick(&WidgetOf<QPushButton>(f.Command1), Qt::LeftButton);
  QTest::mouseClick(&WidgetOf<QCheckBox>(f.Check1), Qt::LeftButton);
  QTest::keyClicks(&WidgetOf<QLineEdit>(f.Text1), "ab");
  WidgetOf<QScrollBar>(f.HScroll1).triggerAction(QAbstractSlider::SliderPageStepAdd);
  QTest::keyClicks(WidgetOf<QComboBox>(f.Combo1).lineEdit(), "x");
  forms::DoEvents();
  EXPECT_EQ(Seen, (std::vector<std::string>{"Command1:Click", "Check1:Click", "Text1:Change",
                                            "Text1:Change", "HScroll1:Change", "Combo1:Change"}));
  EXPECT_EQ(f.Combo1.Text(), "x");
  EXPECT_EQ(f.Check1.Value(), forms::Control::kChecked);
  EXPECT_EQ(f.Text1.Text(), "ab");
  EXPECT_EQ(f.HScroll1.Value(), f.HScroll1.LargeChange());

  f.Command1.SetEnabled(false);
  QTest::mouseClick(&WidgetOf<QPushButton>(f.Command1), Qt::LeftButton);
  EXPECT_EQ(Seen.size(), 6u) << "a disabled button takes no click";
}

TEST_F(QtView, ChangesInCodeReachTheWidgetsAndUnloadingClosesTheWindow) {
  TestDialogForm& f = *TestDialog;
  f.Show();
  f.Command1.SetCaption("Weiter");
  f.Check1.SetValue(forms::Control::kChecked);
  f.OptionB.SetValue(-1);
  f.Text1.SetVisible(false);
  f.Names.Load(2);
  f.Names(2).SetVisible(true);
  f.Names(2).SetTop(800);
  forms::DoEvents();
  EXPECT_EQ(WidgetOf<QPushButton>(f.Command1).text(), "Weiter");
  EXPECT_TRUE(WidgetOf<QCheckBox>(f.Check1).isChecked());
  EXPECT_FALSE(WidgetOf<QAbstractButton>(f.OptionA).isChecked());
  EXPECT_FALSE(forms::WidgetOf(f.Text1)->isVisible());
  EXPECT_TRUE(WidgetOf<QLineEdit>(f.Names(2)).isVisible());
  EXPECT_EQ(forms::WidgetOf(f.Names(2))->y(), win::TwipsToPixels(800));

  TestDialog.Unload();
  forms::DoEvents();
  EXPECT_EQ(forms::WidgetOf(TestDialog.Get()), forms::WidgetOf(*TestDialog));
  EXPECT_FALSE(forms::WidgetOf(*TestDialog)->isVisible()) << "a reloaded form starts hidden";
}

TEST_F(QtView, ClosingTheWindowAsksTheFormWhichMayRefuse) {
  TestDialogForm& f = *TestDialog;
  bool refuse = true;
  f.QueryUnload = [&refuse](bool& cancel, forms::UnloadMode mode) {
    EXPECT_EQ(mode, forms::UnloadMode::UserClose);
    cancel = refuse;
  };
  f.Show();
  forms::DoEvents();
  forms::WidgetOf(f)->close();
  forms::DoEvents();
  EXPECT_TRUE(TestDialog.Loaded());
  refuse = false;
  forms::WidgetOf(f)->close();
  forms::DoEvents();
  EXPECT_FALSE(TestDialog.Loaded());
}

TEST_F(QtView, EscapeInADialogPressesItsCancelButtonWhereverTheFocusIs) {
  TestDialogForm& f = *TestDialog;
  f.Command1.SetCancel(true);
  f.Show();
  forms::DoEvents();
  QWidget& text = WidgetOf<QLineEdit>(f.Text1);
  text.window()->activateWindow();
  QApplication::setActiveWindow(text.window());
  text.setFocus();
  QTest::keyClick(&text, Qt::Key_Escape);
  forms::DoEvents();
  EXPECT_EQ(Seen.back(), "Command1:Click");
}

// Ctrl+C or a desktop's logout while the program waits for the user: the wait ends and the
// program's own Quit runs, from the pump.
TEST_F(QtView, ATerminationSignalWakesTheIdleLoopAndEndsItAsQuit) {
  TestDialog->Show();
  bool quit = false;
  forms::EndOnTerminationSignals([&quit] {
    EXPECT_TRUE(forms::InsideHandler());
    quit = true;
  });
  std::thread signaller([] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ::kill(::getpid(), SIGTERM);
  });
  EXPECT_EQ(forms::Run(), 0);
  signaller.join();
  EXPECT_TRUE(quit);
  EXPECT_TRUE(forms::ProgramHasEnded());
  forms::EndOnTerminationSignals(nullptr);
  for (int signal : {SIGINT, SIGTERM}) std::signal(signal, SIG_DFL);
}

// A window that the window system destroys from outside closes its form, as its close box does;
// only an X server can destroy a window so (run with QT_QPA_PLATFORM=xcb under Xvfb).
TEST_F(QtView, AWindowDestroyedFromOutsideClosesItsForm) {
  if (QGuiApplication::platformName() != QLatin1String("xcb")) GTEST_SKIP() << "no X server";
  TestDialog->Show();
  forms::DoEvents();
  auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
  ASSERT_NE(x11, nullptr);
  xcb_destroy_window(x11->connection(),
                     static_cast<xcb_window_t>(forms::WidgetOf(*TestDialog)->winId()));
  xcb_flush(x11->connection());
  for (int pass = 0; pass < 100 && TestDialog.Loaded(); ++pass) {
    forms::DoEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_FALSE(TestDialog.Loaded());
  EXPECT_EQ(Seen.back(), "Form:QueryUnload");
}

TEST_F(QtView, TheMainDisplayHostsANativeSurfaceAndReportsResizeAndMinimise) {
  DisplayForm& display = *MainDisplay;
  display.Show();
  forms::DoEvents();
  QWidget* window = forms::WidgetOf(display);
  ASSERT_NE(window, nullptr);
  const win::Window* record = win::WindowFromHandle(reinterpret_cast<void*>(display.hWnd()));
  ASSERT_NE(record, nullptr);
  EXPECT_NE(record->nativeWindow, 0u);
  EXPECT_NE(record->nativeWindow, window->winId())
      << "the device draws into a child, not the whole window";
  EXPECT_EQ(window->width(), display.ScaleWidth()) << "the window's inner area is the form's";

  window->resize(800, 600);
  forms::DoEvents();
  EXPECT_EQ(display.ScaleWidth(), 800);
  EXPECT_EQ(display.ScaleHeight(), 600);
  const qreal ratio = window->devicePixelRatioF();
  EXPECT_EQ(record->clientWidth, std::lround(800 * ratio)) << "the handle follows the window";
  EXPECT_EQ(record->clientHeight, std::lround(600 * ratio));
  EXPECT_EQ(display.resizes.back(), 800);
  EXPECT_EQ(display.focus, 1) << "showing the window gave it the focus";
  TestDialog->Show();
  forms::DoEvents();
  EXPECT_EQ(display.focus, 0) << "another window took it";
  window->showMinimized();
  forms::DoEvents();
  EXPECT_EQ(display.GetWindowState(), forms::WindowState::Minimized);
  EXPECT_EQ(display.resizes.size(), 3u) << "minimising is a resize";
  EXPECT_EQ(record->show, win::ShowState::Minimised);
}

TEST_F(QtView, AHandlerEndsTheProgramFromInsideTheIdleLoop) {
  TestDialogForm& f = *TestDialog;
  f.Command1.Click = [] { forms::End(); };
  f.Show();
  QTimer::singleShot(
      0, [&f] { QTest::mouseClick(&WidgetOf<QPushButton>(f.Command1), Qt::LeftButton); });
  EXPECT_EQ(forms::Run(), 0);
  EXPECT_TRUE(forms::ProgramHasEnded());
  EXPECT_FALSE(TestDialog.Loaded());
}

TEST_F(QtView, TheOpenFileDialogStartsInItsFolderWithItsFilters) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("forms_qt_" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  std::ofstream(folder / "theme.mp3") << "x";
  QTimer::singleShot(0, [&folder] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->directory().absolutePath().toStdString(), folder.string());
    EXPECT_EQ(dialog->nameFilters(), QStringList{"Music (*.mp3 *.wav)"});
    dialog->selectFile("theme.mp3");
    QMetaObject::invokeMethod(dialog, "accept", Qt::DirectConnection);
  });
  forms::OpenFileRequest request;
  request.owner = &TestDialog.Get();
  request.title = "Music";
  request.filters = {{"Music", "*.mp3;*.wav"}};
  request.startFolder = folder.string();
  forms::OpenFileResult chosen = forms::ShowOpenFile(request);
  std::filesystem::remove_all(folder);
  EXPECT_FALSE(chosen.cancelled);
  EXPECT_EQ(chosen.folder, folder.string());
  EXPECT_EQ(chosen.names, std::vector<std::string>{"theme.mp3"});
}

// A file to be written: the dialog takes a name that is not on disk yet and completes it with the
// default extension.
TEST_F(QtView, TheFileDialogNamesAFileToBeMade) {
  const std::filesystem::path folder = std::filesystem::temp_directory_path();
  QTimer::singleShot(0, [] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
    dialog->selectFile("brand new");
    QMetaObject::invokeMethod(dialog, "accept", Qt::DirectConnection);
  });
  forms::OpenFileRequest request;
  request.owner = &TestDialog.Get();
  request.filters = {{"Text", "*.txt"}};
  request.startFolder = folder.string();
  request.defaultExtension = "txt";
  request.newFile = true;
  const forms::OpenFileResult chosen = forms::ShowOpenFile(request);
  EXPECT_FALSE(chosen.cancelled);
  EXPECT_EQ(chosen.names, std::vector<std::string>{"brand new.txt"});
}

TEST_F(QtView, MessageBoxesAreQtDialogsReturningTheButtonPressed) {
  QTimer::singleShot(0, [] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->windowTitle(), "DirectX Problem");
    EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::No));
    box->button(QMessageBox::Yes)->click();
  });
  forms::MessageBox question{"Go on?", forms::MsgBoxButtons::YesNo, forms::MsgBoxIcon::Critical, 1,
                             "DirectX Problem"};
  EXPECT_EQ(forms::MsgBox(question), forms::MsgBoxResult::Yes);
  EXPECT_EQ(forms::Screen().bitsPerPixel, 32);
  EXPECT_GT(forms::ScreenWidthTwips(), 0);
}

// Without a display Qt's X11 platform would abort the process; the view says why and refuses.
[[noreturn]] void StartWithoutDisplay() {
  unsetenv("DISPLAY");
  unsetenv("QT_QPA_PLATFORM");
  static int argc = 1;
  static char name[] = "forms_qt_tests";
  static char* argv[] = {name, nullptr};
  std::exit(forms::StartQtView(argc, argv) ? 0 : 1);
}

TEST(QtViewStart, WithoutADisplaySaysSoAndRefuses) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(StartWithoutDisplay(), testing::ExitedWithCode(1),
              "Marovin needs a graphical desktop: no X11 display \\(DISPLAY is not set\\); "
              "run it on a desktop or under xvfb-run");
}
