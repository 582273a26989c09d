#include "program/startup/ui_text.h"

#include <gtest/gtest.h>

#include "program/startup/native_strings.h"
#include "program/startup/startup_state.h"
#include "tests/program/startup/program_folder.h"
#include "tests/program/startup/startup_test.h"

namespace {

class TranslatedStrings : public StartupTest {};

}  // namespace

TEST_F(TranslatedStrings, FillsEveryEntryWithTheNativeTextWithoutADatabase) {
  LoadTranslatedStrings();
  for (int16_t id : UiTextFillOrder())
    EXPECT_EQ(UiText[static_cast<size_t>(id)], NativeString(id, "")) << id;
  EXPECT_EQ(UiText[270], "Simulation Paused");
  EXPECT_EQ(UiText[266], "None");
  EXPECT_EQ(UiText[37], "Save");
  for (int32_t id : {48, 248, 249, 250}) EXPECT_EQ(UiText[static_cast<size_t>(id)], "") << id;
  EXPECT_EQ(UiText[258], "Your current screen color depth is: ");
}

TEST_F(TranslatedStrings, FillsTheShippedTranslationAndRefillsOnAChange) {
  ProgramFolder folder;
  Tralexa& tralexa = EnsureTralexa();
  tralexa.sForeignColumnName("Deutsch");
  ASSERT_TRUE(
      tralexa.OpenLanguageDatabase(PathIn(folder, "MarovinLanguages.txt"), true, TextLanguageDb));
  LoadTranslatedStrings();
  EXPECT_EQ(UiText[37], "Speichern");
  EXPECT_EQ(UiText[266], "Keine");
  EXPECT_EQ(UiText[322], " nicht gefunden. Die Standard-Hintergrundmusik wird verwendet.");
  // One native text, one translation.
  EXPECT_EQ(UiText[28], "Programm");
  EXPECT_EQ(UiText[193], UiText[28]);
  EXPECT_EQ(UiText[48], "");
  tralexa.CloseLanguageDatabase();
  LoadTranslatedStrings();
  EXPECT_EQ(UiText[37], "Save");
}
