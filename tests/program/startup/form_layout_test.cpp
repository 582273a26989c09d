// Every dialog laid out in the control model, in both languages, and closed as a user closes it.
#include <gtest/gtest.h>

#include "tests/program/missions/shipped_texts.h"
#include "tests/program/startup/every_form.h"

namespace {

using form_layout::CancelButtonOf;
using form_layout::CheckModel;

// Every text a dialog shows has its German translation in the shipped database; the chooser shows
// the language list file's texts, and the launcher's caption is made in code.
TEST_F(EveryFormTest, TheShippedDatabaseTranslatesEveryDialog) {
  UseLanguage(EveryLanguage[0]);
  const ShippedTexts shipped;
  for (const FormCase& each : EveryForm()) {
    SCOPED_TRACE(each.name);
    forms::Form& form = each.open();
    if (&form != &*frmChooseLang) shipped.ExpectFormTranslated(form, &form != &*DriverDialog);
  }
}

TEST_F(EveryFormTest, EveryDialogIsLaidOutAndClosesWithEscapeOrItsCancel) {
  ForEveryFormShown(
      [](const Language&, const FormCase& each, forms::Form& form) {
        CheckModel(form);
        if (&form == &*DriverDialog) return;  // the program's own window: Quit ends it, below
        form.UserEscape();
        EXPECT_FALSE(each.shown()) << "Escape leaves it open";
      },
      [] {
        // Escape does not end the program by accident; its Cancel, Quit, does.
        DriverDialog->UserEscape();
        EXPECT_TRUE(DriverDialog->Visible());
        EXPECT_EQ(CancelButtonOf(*DriverDialog), nullptr);
        EXPECT_THROW(DriverDialog->Command_Quit.UserClick(), forms::ProgramEnded);
        forms::script::StartAfresh();
      });
}

}  // namespace
