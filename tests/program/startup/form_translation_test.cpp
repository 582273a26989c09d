#include "program/startup/form_translation.h"

#include <gtest/gtest.h>

#include "platform/forms/forms.h"
#include "platform/forms/script.h"
#include "program/missions/launcher_services.h"
#include "program/startup/startup_state.h"
#include "tests/program/startup/program_folder.h"
#include "tests/program/startup/startup_test.h"

namespace {

struct ProbeForm : forms::Form {
  ProbeForm() : Form("Probe") {
    SetCaption("Pilot");
    Continue.SetCaption("Continue");
    Continue.SetToolTipText("Start Flying");
    Kept.SetCaption("Exit");
    Kept.SetToolTipText("Pause");
    Kept.SetTag("!keep");
    Views.AddItem("Ground View");
    Views.AddItem("Not in the database");
    KeptList.AddItem("Ground View");
    KeptList.SetTag("!");
    Axes.AddItem("Roll");
    Axes.SetText("Roll");
    Entry.SetText("Pitch");
  }
  forms::CommandButton Continue{*this, "Continue"};
  forms::CommandButton Kept{*this, "Kept"};
  forms::ListBox Views{*this, "Views"};
  forms::ListBox KeptList{*this, "KeptList"};
  forms::ComboBox Axes{*this, "Axes"};
  forms::TextBox Entry{*this, "Entry"};
  forms::Timer Clock{*this, "Clock"};
};

class FormTranslation : public StartupTest {
 protected:
  void OpenGerman() {
    tralexa_.sForeignColumnName("Deutsch");
    ASSERT_TRUE(tralexa_.OpenLanguageDatabase(PathIn(folder_, "MarovinLanguages.txt"), true,
                                              TextLanguageDb));
  }

  ProgramFolder folder_;
  Tralexa& tralexa_ = EnsureTralexa();
  ProbeForm form_;
};

}  // namespace

TEST_F(FormTranslation, TranslatesCaptionsToolTipsAndListBoxItemsInPlace) {
  OpenGerman();
  tralexa_.TranslateForm(form_);
  EXPECT_EQ(form_.Caption(), "Pilot");
  EXPECT_EQ(form_.Continue.Caption(), "Weiter");
  EXPECT_EQ(form_.Continue.ToolTipText(), "Flug starten");
  EXPECT_EQ(form_.Views.List(0), "Bodenansicht");
  EXPECT_EQ(form_.Views.List(1), "Not in the database");
  EXPECT_EQ(form_.Axes.List(0), "Roll") << "combo box items stay";
  EXPECT_EQ(form_.Entry.Text(), "Pitch") << "Text is not in the default property list";
  form_.Continue.SetFont({"Fuel"});
  tralexa_.sProperties("Text,Font,Tag");
  tralexa_.TranslateForm(form_);
  EXPECT_EQ(form_.Entry.Text(), "Nicken");
  EXPECT_EQ(form_.Continue.GetFont().Name, "Treibstoff");
  EXPECT_EQ(form_.Continue.Caption(), "Weiter") << "a caption translated once stays as it is";
}

TEST_F(FormTranslation, LeavesTaggedControlsButStillSetsTheirReadingDirection) {
  OpenGerman();
  tralexa_.eSetRightToLeft = RightToLeftOn;
  tralexa_.TranslateForm(form_);
  EXPECT_EQ(form_.Kept.Caption(), "Exit");
  EXPECT_EQ(form_.Kept.ToolTipText(), "Pause");
  EXPECT_EQ(form_.KeptList.List(0), "Ground View");
  EXPECT_TRUE(form_.Kept.RightToLeft());
  EXPECT_TRUE(form_.Continue.RightToLeft());
  EXPECT_TRUE(form_.RightToLeft());
  tralexa_.eSetRightToLeft = RightToLeftOff;
  tralexa_.TranslateForm(form_);
  EXPECT_FALSE(form_.Kept.RightToLeft());
}

TEST_F(FormTranslation, WithoutADatabaseOnlyTheWidthTestChangesTexts) {
  tralexa_.TranslateForm(form_);
  EXPECT_EQ(form_.Continue.Caption(), "Continue");
  tralexa_.bTestStrWidth(true);
  tralexa_.TranslateForm(form_);
  EXPECT_EQ(form_.Caption(), "PilotWWWW");
  EXPECT_EQ(form_.Continue.Caption(), "ContinueWWWWWW");
  EXPECT_EQ(form_.Continue.ToolTipText(), "Start FlyingWWWWWWW");
}

TEST_F(FormTranslation, ExportRefusesAndKeepsTheTranslationInUse) {
  OpenGerman();
  forms::script::AnswerNextOpenFile({false, "/tmp", {"strings.mdb"}});
  forms::script::AnswerNextMessageBox(forms::MsgBoxResult::Yes);
  DriverDialog->ExportAppStrings();

  const auto& boxes = MessageBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].prompt,
            "Texte des Programms in die Sprachdatenbank /tmp/strings.mdb exportieren\r\r"
            "Sind Sie sicher?");
  EXPECT_EQ(boxes[1].prompt, "Access Language Database is not enabled");
  EXPECT_EQ(boxes[1].title, DriverDialog->Caption());
  EXPECT_EQ(boxes[1].icon, forms::MsgBoxIcon::Exclamation);
  EXPECT_EQ(forms::script::ShownOpenFileDialogs().back().title, "Sprachdatenbank öffnen");
  EXPECT_EQ(forms::CurrentMousePointer(), forms::MousePointer::Default);
  EXPECT_TRUE(tralexa_.bDbIsOpen());
  tralexa_.TranslateForm(form_);
  EXPECT_EQ(form_.Continue.Caption(), "Weiter");
}

// The export writes a text database a translator can take up: every text of the program with its
// translation in the language in use, which the program then opens as a language of its own.
TEST_F(FormTranslation, ExportWritesATextDatabaseOfEveryTextAndItsTranslation) {
  OpenGerman();
  forms::script::AnswerNextOpenFile({false, folder_.Path().string(), {"mine.txt"}});
  forms::script::AnswerNextMessageBox(forms::MsgBoxResult::Yes);
  DriverDialog->ExportAppStrings();
  const forms::OpenFileRequest& request = forms::script::ShownOpenFileDialogs().back();
  EXPECT_TRUE(request.newFile) << "the name of a file yet to be made can be given";
  EXPECT_EQ(request.initialName, "") << "a pattern is no name";
  EXPECT_EQ(request.defaultExtension, "txt");
  ASSERT_EQ(MessageBoxes().size(), 2u);
  EXPECT_EQ(MessageBoxes()[1].icon, forms::MsgBoxIcon::Information);
  EXPECT_NE(MessageBoxes()[1].prompt.find("mine.txt"), std::string::npos);

  Tralexa exported;
  exported.sForeignColumnName("Deutsch");
  ASSERT_TRUE(exported.OpenLanguageDatabase(PathIn(folder_, "mine.txt"), true, TextLanguageDb));
  EXPECT_EQ(exported.GetTranslation("Continue"), "Weiter");           // an interface text
  EXPECT_EQ(exported.GetTranslation("Texture Mode"), "Texturmodus");  // a dialog's label
  EXPECT_EQ(exported.GetTranslation("No Joystick Connected"),
            tralexa_.GetTranslation("No Joystick Connected"));  // a message
  EXPECT_GT(exported.lNumTextPhrases(), 400);
}

TEST_F(FormTranslation, ExportEndsQuietlyWhenTheUserCancelsOrSaysNo) {
  DriverDialog->ExportAppStrings();
  EXPECT_TRUE(MessageBoxes().empty()) << "no question after a cancelled dialog";
  forms::script::AnswerNextOpenFile({false, "/tmp", {"strings.mdb"}});
  DriverDialog->ExportAppStrings();
  EXPECT_EQ(MessageBoxes().size(), 1u) << "only the question, answered No";
}

TEST_F(FormTranslation, ExportOperationsAreRefused) {
  tralexa_.ExportFormStrings(form_);
  EXPECT_TRUE(MessageBoxes().empty()) << "nothing happens without a database";
  OpenGerman();
  EXPECT_THROW(tralexa_.ExportFormStrings(form_), LocalisationError);
  EXPECT_EQ(tralexa_.sErrDescription(), "Text can only be exported to an Access Language Database");
  tralexa_.ExportOneString(std::string(256, 'x'));
  ASSERT_EQ(MessageBoxes().size(), 1u);
  EXPECT_TRUE(MessageBoxes()[0].prompt.starts_with(
      "A phrase of 256 characters was encountered which is longer than the maximum of 255"));
}
