#include "program/startup/lang_chooser.h"

#include <gtest/gtest.h>

#include "platform/forms/script.h"
#include "program/startup/startup_state.h"
#include "tests/program/startup/program_folder.h"
#include "tests/program/startup/startup_test.h"

namespace {

class ChooserTest : public StartupTest {
 protected:
  std::string LastMessage() const {
    const auto shown = MessageBoxes();
    return shown.empty() ? std::string() : shown.back().prompt;
  }
  // The beeps of this test.
  int Beeps() const { return forms::script::BeepCount() - beepsBefore_; }

 private:
  const int beepsBefore_ = forms::script::BeepCount();
};

class SetupLanguage : public ChooserTest {};
class SetupDefaultLanguage : public ChooserTest {};
class SetLanguageByLocaleID : public ChooserTest {};
class Choose : public ChooserTest {};

}  // namespace

TEST_F(SetupLanguage, FindsARelativeDatabaseInTheProgramFolder) {
  ProgramFolder folder;
  Tralexa tralexa;
  std::string database = "MarovinLanguages.txt";
  ASSERT_TRUE(frmChooseLang->SetupLanguage(database, "Deutsch", tralexa));
  EXPECT_EQ(database, folder.Path().string() + "\\MarovinLanguages.txt");
  EXPECT_EQ(tralexa.GetS(246), "Weiter");
  EXPECT_TRUE(MessageBoxes().empty());
}

TEST_F(SetupLanguage, WidthTestNativeTextsAndRefusals) {
  ProgramFolder folder;
  Tralexa tralexa;
  std::string database = " <testwidth> ";
  ASSERT_TRUE(frmChooseLang->SetupLanguage(database, "", tralexa));
  EXPECT_EQ(tralexa.GetS(19), "FuelWWWW");

  database = "MarovinLanguages.txt";
  ASSERT_TRUE(frmChooseLang->SetupLanguage(database, "Deutsch", tralexa));
  EXPECT_FALSE(tralexa.bTestStrWidth());
  database = "";
  ASSERT_TRUE(frmChooseLang->SetupLanguage(database, "Deutsch", tralexa));
  EXPECT_FALSE(tralexa.bDbIsOpen());

  database = "Strings.Mdb";
  EXPECT_FALSE(frmChooseLang->SetupLanguage(database, "Deutsch", tralexa));
  EXPECT_EQ(LastMessage(), "SetupLanguage() Error: Access Language Database is not enabled");
  EXPECT_EQ(MessageBoxes().size(), 1u) << "no second try";
}

TEST_F(SetupLanguage, ABrokenDatabaseGivesOneClearMessageAndNativeTexts) {
  ProgramFolder folder;
  const struct {
    const char* what;
    std::string contents;
  } cases[] = {
      {"truncated",
       "[Tralexa]\r\nNumberOfLanguages=1\r\nNumberOfStrings=302\r\nLanguage1=Deutsch\r\n"
       "[NATIVE]\r\nL1= not found.\r\nL2=3D Modeling\r\nL3=AG"},
      {"binary garbage", std::string("\0\xff[Tralexa]\0\r\n\x01", 15)},
  };
  for (const auto& c : cases) {
    WriteTestFile(folder, "broken.txt", c.contents);
    Tralexa tralexa;
    std::string database = "broken.txt";
    const size_t before = MessageBoxes().size();
    EXPECT_FALSE(frmChooseLang->SetupLanguage(database, "Deutsch", tralexa)) << c.what;
    EXPECT_EQ(MessageBoxes().size(), before + 1) << c.what;
    EXPECT_EQ(LastMessage(),
              "While opening Language Database (broken.txt) the following error occurred:\r\r"
              "Not a valid Text Language Database")
        << c.what;
    EXPECT_EQ(tralexa.GetS(246), "Continue") << c.what;
  }
}

TEST_F(SetupDefaultLanguage, AcceptsOnlyALanguageTheFileLists) {
  for (const char* value : {"", "abc", "0", "57", "3", "-1"}) {
    ProgramFolder folder(std::string(kTwoLanguages) + "DefaultLanguage=" + value + "\n");
    Tralexa tralexa;
    EXPECT_FALSE(frmChooseLang->SetupDefaultLanguage(folder.LanguageList(), tralexa)) << value;
    EXPECT_EQ(CurrentLanguage, 0) << value;
  }
  ProgramFolder folder(std::string(kTwoLanguages) + "DefaultLanguage= 2.4 \n");
  Tralexa tralexa;
  EXPECT_TRUE(frmChooseLang->SetupDefaultLanguage(folder.LanguageList(), tralexa));
  EXPECT_EQ(CurrentLanguage, 2);
  EXPECT_EQ(HelpFilePath, folder.Path().string() + "\\help\\marovinhelpG.chm");
  EXPECT_EQ(tralexa.GetS(242), "Beenden");
}

TEST_F(SetLanguageByLocaleID, SetsUpTheLanguageAndItsNumber) {
  ProgramFolder folder;
  Tralexa tralexa;
  EXPECT_FALSE(frmChooseLang->SetLanguageByLocaleID(folder.LanguageList(), tralexa, 1036));
  EXPECT_TRUE(frmChooseLang->SetLanguageByLocaleID(folder.LanguageList(), tralexa, 1031));
  EXPECT_EQ(tralexa.GetS(242), "Beenden");
  EXPECT_EQ(CurrentLanguage, 2);
  EXPECT_EQ(HelpFilePath, folder.Path().string() + "\\help\\marovinhelpG.chm");
  EXPECT_EQ(folder.StoredDefault(), "(none)") << "the locale is asked again at the next start";
}

TEST_F(Choose, OffersTheLanguagesUpToTheFirstGap) {
  ProgramFolder folder(std::string(kTwoLanguages) +
                       "Language_4=Francais\nCaption=Sprache\nCommandOK=Gut\n");
  Tralexa tralexa;
  int16_t offered = 0;
  forms::script::PostUserAction([&] {
    offered = frmChooseLang->lstLanguages.ListCount();
    EXPECT_EQ(frmChooseLang->Caption(), "Sprache");
    EXPECT_EQ(frmChooseLang->cmdOK.Caption(), "Gut");
    frmChooseLang->lstLanguages.UserChoose(1);
    frmChooseLang->lstLanguages.UserDoubleClick();
  });
  EXPECT_TRUE(frmChooseLang->Choose(folder.LanguageList(), tralexa));
  EXPECT_EQ(offered, 2);
  EXPECT_EQ(CurrentLanguage, 2);
  EXPECT_EQ(folder.StoredDefault(), "2");
  EXPECT_FALSE(frmChooseLang.Loaded());
}

TEST_F(Choose, OkWithoutASelectionBeepsAndWaits) {
  ProgramFolder folder;
  Tralexa tralexa;
  forms::script::PostUserAction([] {
    frmChooseLang->lstLanguages.SetListIndex(-1);
    frmChooseLang->cmdOK.UserClick();
  });
  forms::script::PostUserAction([] {
    EXPECT_TRUE(frmChooseLang->Visible());
    frmChooseLang->lstLanguages.UserChoose(0);
    frmChooseLang->cmdOK.UserClick();
  });
  EXPECT_TRUE(frmChooseLang->Choose(folder.LanguageList(), tralexa));
  EXPECT_EQ(Beeps(), 1);
  EXPECT_EQ(CurrentLanguage, 1);
  EXPECT_EQ(folder.StoredDefault(), "1");
}

TEST_F(Choose, ClosingTheWindowKeepsTheLanguageInUse) {
  ProgramFolder folder;
  Tralexa tralexa;
  CurrentLanguage = 2;
  forms::script::PostUserAction([] { frmChooseLang->UserClose(); });
  EXPECT_FALSE(frmChooseLang->Choose(folder.LanguageList(), tralexa));
  EXPECT_EQ(CurrentLanguage, 2);
  EXPECT_EQ(folder.StoredDefault(), "(none)");
}

TEST_F(Choose, ARightToLeftLanguageTurnsDialogsRightToLeft) {
  ProgramFolder folder("[Language]\nLanguage_1=Arabic\nLanguageLocaleID_1=1025\n");
  Tralexa tralexa;
  EXPECT_TRUE(frmChooseLang->Choose(folder.LanguageList(), tralexa));
  EXPECT_EQ(tralexa.eSetRightToLeft, RightToLeftOn);
}
