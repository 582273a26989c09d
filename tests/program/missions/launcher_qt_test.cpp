// The launcher as a Qt window on the offscreen platform, in English and in German: its lists are
// filled, and the logo and the boxes are drawn (the layout of every dialog is
// form_layout_qt_test's). Each language's picture is saved beside the test binary.
#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QWidget>

#include <cstdlib>
#include <string>

#include "platform/d3d/gl.h"
#include "platform/forms/qt_view.h"
#include "program/missions/launcher_forms.h"
#include "program/missions/star_sound_dialogs.h"
#include "program/startup/startup_state.h"
#include "program/startup/ui_text.h"
#include "tests/platform/forms/qt_view_once.h"
#include "tests/program/launcher_dialogs.h"
#include "tests/program/missions/program_folder.h"

namespace {

class LauncherOnScreen : public ProgramFolderTest {
 protected:
  static void SetUpTestSuite() { tests::StartQtViewOnce(); }
  void SetUp() override {
    ProgramFolderTest::SetUp();
    UnloadLauncherDialogs();
    for (const char* mission : {"Apollo 11", "Apollo 12", "Apollo 14", "Apollo 15", "Apollo 16",
                                "Apollo 17", "LM Race", "Orbital", "Apollo 13"})
      folder_.WriteFile(std::string("Missions/") + mission + "/Flight.sit",
                        "[Mission Description 1]\nScenario Name=Landing\n"
                        "[Mission Description 2]\nScenario Name=Landung\n");
    QImage logo(240, 120, QImage::Format_RGB32);
    logo.fill(QColor(200, 30, 40));
    std::filesystem::create_directories(folder_.Path() / "Textures");
    logo.save(QString::fromStdString((folder_.Path() / "Textures" / "marovinlogo.png").string()));
  }
  void TearDown() override {
    UnloadLauncherDialogs();
    ProgramTralexa.reset();
    LoadTranslatedStrings();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  // Checks the shown launcher and saves its picture under the name.
  static void CheckLauncher(const std::string& picture) {
    DriverDialogForm& form = *DriverDialog;
    form.Show();
    forms::DoEvents();
    QWidget* window = forms::WidgetOf(form);
    ASSERT_NE(window, nullptr);
    EXPECT_GT(form.cboGroup(2).ListCount(), 0);
    EXPECT_EQ(form.Combo1.ListCount(), 9);
    EXPECT_GT(form.Combo2.ListCount(), 0);
    EXPECT_EQ(form.Combo3.ListCount(), 9);

    const QImage image = window->grab().toImage();
    EXPECT_TRUE(image.save(QString::fromStdString(picture)));
    QWidget* logo = forms::WidgetOf(form.ImageLogo);
    const QPoint centre = logo->geometry().center();
    EXPECT_EQ(QColor(image.pixel(centre)), QColor(200, 30, 40)) << "the logo is drawn";
    // A logo of another shape than its box keeps its proportions: bars above and below it.
    ASSERT_GT(logo->height() * 2, logo->width() + 8) << "the box is less wide than the logo";
    EXPECT_NE(QColor(image.pixel(centre.x(), logo->geometry().top() + 1)), QColor(200, 30, 40))
        << "the logo is stretched";
    QWidget* modes = forms::WidgetOf(form.cboGroup(2));
    const QPoint inside = modes->mapTo(window, QPoint(2, modes->height() / 2));
    EXPECT_NE(image.pixel(inside), image.pixel(modes->mapTo(window, QPoint(-6, 0))))
        << "the mode box is drawn";
  }
};

TEST_F(LauncherOnScreen, ReadsWellInEnglishAndGerman) {
  CurrentLanguage = 1;
  LoadTranslatedStrings();
  CheckLauncher("launcher_english.png");
  UnloadLauncherDialogs();

  CurrentLanguage = 2;
  Tralexa& tralexa = EnsureTralexa();
  tralexa.sForeignColumnName("Deutsch");
  ASSERT_TRUE(
      tralexa.OpenLanguageDatabase(MAROVIN_DATA "/MarovinLanguages.txt", true, TextLanguageDb));
  LoadTranslatedStrings();
  CheckLauncher("launcher_german.png");
  EXPECT_EQ(DriverDialog->Combo2.List(0), "Landung");
  EXPECT_EQ(DriverDialog->FrameVideo.Caption(), "Videoeinstellungen");
}

// Under an X server (xvfb-run -s "-screen 0 1280x1024x24") the OpenGL creation object lists the
// server's mode, and the launcher shows it in 32 bits.
TEST_F(LauncherOnScreen, ListsTheXServersModeThroughOpenGL) {
  if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X display";
  d3d::InstallGlDirect3D();
  DriverDialogForm& form = *DriverDialog;
  d3d::SetDirect3DCreator(nullptr);
  bool listed = false;
  for (int16_t i = 0; i < form.cboGroup(2).ListCount(); ++i)
    listed |= form.cboGroup(2).List(i) == "1280x1024x32";
  EXPECT_TRUE(listed);
}

TEST_F(LauncherOnScreen, TheSoundAndStarDialogsShowAndTheirButtonsReachTheModel) {
  CurrentLanguage = 1;
  LoadTranslatedStrings();
  for (forms::Form* dialog :
       {static_cast<forms::Form*>(&*SoundSettings), static_cast<forms::Form*>(&*StarForm)}) {
    dialog->Show();
    forms::DoEvents();
    ASSERT_NE(forms::WidgetOf(*dialog), nullptr);
    EXPECT_TRUE(forms::WidgetOf(*dialog)->isVisible());
  }
  auto* ok = qobject_cast<QAbstractButton*>(forms::WidgetOf(SoundSettings->Command1));
  ASSERT_NE(ok, nullptr);
  ok->click();
  forms::DoEvents();
  EXPECT_FALSE(SoundSettings->Visible());
  const SavedVariables stars(StarSize);
  StarSize = 2;
  StarForm->HScroll1.SetValue(8);
  auto* cancel = qobject_cast<QAbstractButton*>(forms::WidgetOf(StarForm->Command2));
  ASSERT_NE(cancel, nullptr);
  cancel->click();
  forms::DoEvents();
  EXPECT_FALSE(StarForm->Visible());
  EXPECT_EQ(StarSize, 2);
}

}  // namespace
