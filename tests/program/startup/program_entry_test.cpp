#include "program/startup/program_entry.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/forms/headless_view.h"
#include "platform/forms/script.h"
#include "platform/win/twips.h"
#include "program/flight/flight_state.h"
#include "program/input/input_state.h"
#include "program/missions/launcher_services.h"
#include "program/missions/missions_state.h"
#include "program/missions/settings.h"
#include "program/startup/form_helpers.h"
#include "program/startup/lang_chooser.h"
#include "program/startup/language_change.h"
#include "program/startup/startup_state.h"
#include "tests/program/killed_saves.h"
#include "tests/program/startup/language_db_builder.h"
#include "tests/program/startup/program_folder.h"
#include "tests/program/startup/startup_test.h"

namespace {

// The native and the German text of one interface entry, to tell the language shown.
constexpr int32_t kStagedId = 177;
constexpr const char* kStagedGerman = "Stufe getrennt";

// Records what the window system sees of the start-up, step by step; otherwise headless.
class RecordingView final : public forms::View {
 public:
  std::vector<std::string> steps;

  void FormLoaded(forms::Form& form) override {
    Record("load " + form.Name() + (UiText[kStagedId].empty() ? " before the texts" : ""));
  }
  void FormUnloaded(forms::Form& form) override { Record("unload " + form.Name()); }
  void ControlAdded(forms::Control&) override {}
  void ControlRemoved(forms::Control&) override {}
  void Changed(forms::Form& form, forms::Property what) override {
    if (what == forms::Property::Geometry) Record("place " + form.Name());
    if (what == forms::Property::Visible)
      Record((form.Visible() ? "show " : "hide ") + form.Name());
  }
  void Changed(forms::Control&, forms::Property) override {}
  forms::WindowHandle Handle(forms::Form& form) override { return headless_.Handle(form); }
  forms::WindowHandle Handle(forms::Control& control) override { return headless_.Handle(control); }
  void ProcessEvents() override { Record("yield"); }
  void WaitForEvents(std::optional<forms::Duration> timeout) override {
    headless_.WaitForEvents(timeout);
  }
  forms::MsgBoxResult ShowMessageBox(const forms::MessageBox& box) override {
    return forms::DefaultAnswer(box);
  }
  forms::OpenFileResult ShowOpenFile(const forms::OpenFileRequest&) override { return {}; }
  forms::ScreenInfo QueryScreen() override { return {}; }
  void Beep() override {}
  void MousePointerChanged(forms::MousePointer) override {}

 private:
  void Record(const std::string& step) {
    if (steps.empty() || steps.back() != step) steps.push_back(step);
  }
  forms::HeadlessView headless_;
};

// Named apart from the procedures they test.
class ProgramStart : public StartupTest {};
class LanguageChange : public StartupTest {};
class FormsOnScreen : public StartupTest {};

}  // namespace

TEST_F(ProgramStart, RunsItsStepsInOrderWithTheSavedDefault) {
  ProgramFolder folder(std::string(kTwoLanguages) + "DefaultLanguage=2\n", "fr_FR.UTF-8");
  auto view = std::make_unique<RecordingView>();
  RecordingView& recorded = *view;
  forms::InstallView(std::move(view));
  Main();
  EXPECT_EQ(recorded.steps,
            (std::vector<std::string>{"load frmChooseLang before the texts", "unload frmChooseLang",
                                      "load DriverDialog", "yield", "load Advanced",
                                      "load SoundSettings", "yield", "load PilotList",
                                      "place DriverDialog", "show DriverDialog", "yield"}))
      << "the launcher's load yields after translating itself, and its settings load the two "
         "dialogs whose controls they fill";
  EXPECT_EQ(UiText[kStagedId], kStagedGerman);
  EXPECT_EQ(DriverDialog->Command_Continue.Caption(), "Weiter");
  forms::InstallView(nullptr);
}

TEST_F(ProgramStart, ShowsTheLauncherCentredAndTheChooserNot) {
  ProgramFolder folder(std::string(kTwoLanguages) + "DefaultLanguage=1\n");
  forms::script::SetHeadlessScreen({1280, 1024, 32, 60});
  Main();
  EXPECT_TRUE(DriverDialog->Visible());
  EXPECT_FALSE(DriverDialog->IsModal());
  EXPECT_TRUE(PilotList.Loaded());
  EXPECT_FALSE(frmChooseLang.Loaded());
  EXPECT_EQ(DriverDialog->Left(), (win::PixelsToTwips(1280) - DriverDialog->Width()) / 2);
  EXPECT_EQ(DriverDialog->Top(), (win::PixelsToTwips(1024) - DriverDialog->Height()) / 2);
  EXPECT_EQ(UiText[kStagedId], "Staged");
  EXPECT_EQ(CurrentLanguage, 1);
  EXPECT_EQ(HelpFilePath, folder.Path().string() + "\\help\\marovinhelp.chm");
}

// A settings save killed at any moment leaves the file wholly as before or wholly as saved, and
// the next start removes the temporaries the kills left.
TEST_F(ProgramStart, ASaveKilledAnywhereLeavesTheSettingsWholeAndTheNextStartNoTemporary) {
  ProgramFolder folder(std::string(kTwoLanguages) + "DefaultLanguage=1\n");
  const SavedVariables saved(Gamma, StarSize, WindowLeft, WindowTop, RockGraphic, MissionName);
  Main();
  ExpectWholeAfterKilledSaves(folder.Path() / "Marovin.ini", [](int n) {
    Gamma = 1.0f + static_cast<float>(n);
    StarSize = n + 1;
    WindowLeft = WindowTop = 100 * n;
    RockGraphic = 10 * n;
    MissionName = n == 0 ? "Apollo 11" : "Apollo 17";
    SaveSettings();
  });
  UnloadLauncherDialogs();
  Main();
  for (const auto& entry : std::filesystem::directory_iterator(folder.Path()))
    EXPECT_FALSE(entry.path().filename().string().starts_with(".Marovin.ini"))
        << entry.path().filename();
}

TEST_F(ProgramStart, TakesTheLanguageOfTheLocaleWhenThereIsNoDefault) {
  ProgramFolder folder(kTwoLanguages, "de_DE.UTF-8");
  Main();
  EXPECT_EQ(UiText[kStagedId], kStagedGerman);
  EXPECT_EQ(CurrentLanguage, 2);
  EXPECT_EQ(folder.StoredDefault(), "(none)");
  EXPECT_TRUE(MessageBoxes().empty());
}

// Polish, Japanese, Swedish ... are locales the platform cannot name: the program starts in the
// first language of the list, with every key of its assignment file, and asks nothing.
TEST_F(ProgramStart, ALocaleThePlatformCannotNameStartsInTheFirstLanguage) {
  ProgramFolder folder(kTwoLanguages, "pl_PL.UTF-8");
  std::filesystem::copy_file(MAROVIN_DATA "/KeyBoardOnly.ini", folder.Path() / "KeyBoardOnly.ini");
  Main();
  EXPECT_EQ(CurrentLanguage, 1);
  EXPECT_EQ(UiText[kStagedId], "Staged");
  EXPECT_EQ(ControlAssignments[ActionKeyPadVerb].KeyName, "V");
  EXPECT_EQ(folder.StoredDefault(), "(none)");
  EXPECT_TRUE(MessageBoxes().empty());
  EXPECT_TRUE(DriverDialog->Visible());
}

TEST_F(ProgramStart, AsksTheUserWhenNeitherDefaultNorLocaleDecides) {
  ProgramFolder folder(kTwoLanguages, "fr_FR.UTF-8");
  forms::script::PostUserAction([] {
    EXPECT_TRUE(frmChooseLang->IsModal());
    EXPECT_FALSE(DriverDialog.Loaded());
    frmChooseLang->lstLanguages.UserChoose(1);
    frmChooseLang->cmdOK.UserClick();
  });
  Main();
  EXPECT_EQ(UiText[kStagedId], kStagedGerman);
  EXPECT_EQ(folder.StoredDefault(), "2");
  EXPECT_FALSE(frmChooseLang.Loaded());
  EXPECT_TRUE(DriverDialog->Visible());
}

TEST_F(ProgramStart, AChooserClosedWithoutOkStartsInTheFirstLanguageAndAsksAgainNextTime) {
  ProgramFolder folder(kTwoLanguages, "fr_FR.UTF-8");
  forms::script::PostUserAction([] { frmChooseLang->UserClose(); });
  Main();
  EXPECT_EQ(UiText[kStagedId], "Staged");
  EXPECT_EQ(CurrentLanguage, 1);
  EXPECT_EQ(folder.StoredDefault(), "(none)");
  EXPECT_TRUE(DriverDialog->Visible());
}

TEST_F(ProgramStart, ASingleLanguageIsTakenWithoutAList) {
  ProgramFolder folder(
      "[Language]\nLanguage_1=Deutsch\nLanguageDB_1=MarovinLanguages.txt\n"
      "LanguageColumn_1=Deutsch\nLanguageLocaleID_1=1031\n",
      "fr_FR.UTF-8");
  Main();
  EXPECT_EQ(UiText[kStagedId], kStagedGerman);
  EXPECT_EQ(folder.StoredDefault(), "1");
}

TEST_F(ProgramStart, ABrokenDatabaseStartsInNativeTextsWithOneMessage) {
  ProgramFolder folder(std::string(kTwoLanguages) + "DefaultLanguage=2\n");
  WriteTestFile(folder, "MarovinLanguages.txt",
                "[Tralexa]\r\nNumberOfLanguages=1\r\nNumberOfStrings=302\r\n"
                "Language1=Deutsch\r\n[NATIVE]\r\nL1= not fou");
  Main();
  EXPECT_EQ(UiText[kStagedId], "Staged");
  ASSERT_EQ(MessageBoxes().size(), 1u);
  EXPECT_NE(MessageBoxes()[0].prompt.find("Not a valid Text Language Database"), std::string::npos);
  EXPECT_TRUE(DriverDialog->Visible());
}

TEST_F(ProgramStart, ALanguageWrittenRightToLeftTurnsTheDialogs) {
  ProgramFolder folder(
      "[Language]\nDefaultLanguage=1\nLanguage_1=Arabic\nLanguageDB_1=ar.txt\n"
      "LanguageColumn_1=Arabic\nLanguageLocaleID_1=1025\n");
  WriteTestFile(folder, "ar.txt",
                BuildLanguageDb({{"NATIVE", {"Continue"}}, {"Arabic", {"متابعة"}}}));
  Main();
  EXPECT_EQ(DriverDialog->Command_Continue.Caption(), "متابعة");
  EXPECT_TRUE(DriverDialog->Command_Continue.RightToLeft());
  EXPECT_TRUE(DriverDialog->RightToLeft());
}

TEST_F(LanguageChange, RebuildsTheDialogsInTheNewLanguageWhereTheLauncherWas) {
  ProgramFolder folder(std::string(kTwoLanguages) + "DefaultLanguage=1\n");
  Main();
  Advanced->SetCaption("stale");
  // Beyond the 16-bit range of twips: a launcher on a second monitor.
  DriverDialog->Move(40000, 1200, DriverDialog->Width(), DriverDialog->Height());
  forms::script::PostUserAction([] {
    frmChooseLang->lstLanguages.UserChoose(1);
    frmChooseLang->cmdOK.UserClick();
  });
  DriverDialog->Command8.UserClick();  // Language

  EXPECT_FALSE(forms::ProgramHasEnded());
  EXPECT_FALSE(LanguageChanging);
  // Unloaded, then loaded afresh by the new launcher's settings.
  EXPECT_NE(Advanced->Caption(), "stale");
  EXPECT_TRUE(PilotList.Loaded());
  EXPECT_TRUE(DriverDialog->Visible());
  EXPECT_EQ(DriverDialog->Left(), 40000);
  EXPECT_EQ(DriverDialog->Top(), 1200);
  EXPECT_EQ(DriverDialog->Command_Continue.Caption(), "Weiter");
  EXPECT_EQ(UiText[kStagedId], kStagedGerman);
  EXPECT_EQ(CurrentLanguage, 2);
  EXPECT_EQ(folder.StoredDefault(), "2");
}

// Chooses language n (1 for the first of the list) in the chooser that ChangeLanguage shows.
void ChangeLanguageTo(int16_t n) {
  forms::script::PostUserAction([n] {
    frmChooseLang->lstLanguages.UserChoose(static_cast<int16_t>(n - 1));
    frmChooseLang->cmdOK.UserClick();
  });
  ChangeLanguage();
}

TEST_F(LanguageChange, ALanguageChangedAndChangedBackKeepsNothingOfTheOtherOne) {
  ProgramFolder folder(std::string(kTwoLanguages) +
                       "DefaultLanguage=3\nLanguage_3=Arabic\nLanguageDB_3=ar.txt\n"
                       "LanguageColumn_3=Arabic\nLanguageLocaleID_3=1025\n");
  WriteTestFile(folder, "ar.txt",
                BuildLanguageDb({{"NATIVE", {"Continue"}}, {"Arabic", {"متابعة"}}}));
  Main();
  ASSERT_TRUE(DriverDialog->RightToLeft());

  ChangeLanguageTo(2);
  EXPECT_EQ(DriverDialog->Command_Continue.Caption(), "Weiter");
  EXPECT_FALSE(DriverDialog->RightToLeft());
  EXPECT_FALSE(DriverDialog->Command_Continue.RightToLeft());
  EXPECT_EQ(UiText[kStagedId], kStagedGerman);

  ChangeLanguageTo(1);
  EXPECT_EQ(DriverDialog->Command_Continue.Caption(), "Continue");
  EXPECT_EQ(UiText[kStagedId], "Staged");
  EXPECT_EQ(CurrentLanguage, 1);
  EXPECT_EQ(HelpFilePath, folder.Path().string() + "\\help\\marovinhelp.chm");

  ChangeLanguageTo(2);
  EXPECT_EQ(DriverDialog->Command_Continue.Caption(), "Weiter");
  EXPECT_EQ(UiText[kStagedId], kStagedGerman);
  EXPECT_TRUE(MessageBoxes().empty());
}

TEST_F(LanguageChange, ClosingTheChooserChangesNothing) {
  ProgramFolder folder(std::string(kTwoLanguages) + "DefaultLanguage=2\n");
  Main();
  forms::script::PostUserAction([] { frmChooseLang->UserClose(); });
  ChangeLanguage();
  EXPECT_EQ(UiText[kStagedId], kStagedGerman);
  EXPECT_EQ(CurrentLanguage, 2);
  EXPECT_EQ(DriverDialog->Command_Continue.Caption(), "Weiter");
  EXPECT_EQ(folder.StoredDefault(), "2");
}

TEST_F(FormsOnScreen, PullsFormsInsideTheScreen) {
  forms::script::SetHeadlessScreen({800, 600, 32, 60});  // 12000 x 9000 twips
  const struct {
    int32_t left, top, width, height;
    int32_t keptLeft, keptTop;
  } cases[] = {
      {100, 200, 3000, 2000, 100, 200},       // inside: unchanged
      {11000, 8000, 3000, 2000, 9000, 7000},  // over the right and bottom edges
      {-500, -40, 3000, 2000, 0, 0},          // negative
      {-500, 300, 13000, 2000, -500, 300},    // wider than the screen: left kept
      {700, 8000, 3000, 9500, 700, 8000},     // taller than the screen: top kept
  };
  for (const auto& c : cases) {
    forms::Form form("Probe");
    form.Move(c.left, c.top, c.width, c.height);
    KeepFormOnScreen(form);
    EXPECT_EQ(form.Left(), c.keptLeft) << c.left << "," << c.top;
    EXPECT_EQ(form.Top(), c.keptTop) << c.left << "," << c.top;
  }
}

TEST(AddPath, JoinsWithExactlyOneBackslash) {
  const struct {
    const char* folder;
    const char* file;
    const char* joined;
  } cases[] = {
      {"C:\\Marovin", "MarovinLang.ini", "C:\\Marovin\\MarovinLang.ini"},
      {"C:\\Marovin\\", "\\MarovinLang.ini", "C:\\Marovin\\MarovinLang.ini"},
      {"C:\\Marovin\\", "MarovinLang.ini", "C:\\Marovin\\MarovinLang.ini"},
      {"C:\\Marovin", "\\MarovinLang.ini", "C:\\Marovin\\MarovinLang.ini"},
      {"", "MarovinLang.ini", "MarovinLang.ini"},
      {"C:\\Marovin\\", "", "C:\\Marovin\\"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(AddPath(c.folder, c.file), c.joined) << c.folder << " + " << c.file;
}

TEST(AskYesNo, DefaultsToNoAndAsksWithAQuestion) {
  EXPECT_FALSE(AskYesNo("Sure?"));
  forms::script::AnswerNextMessageBox(forms::MsgBoxResult::Yes);
  EXPECT_TRUE(AskYesNo("Sure?"));
  const forms::MessageBox& box = forms::script::ShownMessageBoxes().back();
  EXPECT_EQ(box.buttons, forms::MsgBoxButtons::YesNo);
  EXPECT_EQ(box.icon, forms::MsgBoxIcon::Question);
  EXPECT_EQ(box.defaultButton, 1);
}
