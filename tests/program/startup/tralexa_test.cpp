#include "program/startup/tralexa.h"

#include <gtest/gtest.h>

#include "tests/program/startup/language_db_builder.h"
#include "tests/program/startup/program_folder.h"

namespace {

class TralexaWithGerman : public testing::Test {
 protected:
  void SetUp() override {
    db_ = WriteTestFile(folder_, "de.txt", SmallGermanDb());
    tralexa_.sForeignColumnName("Deutsch");
    ASSERT_TRUE(tralexa_.OpenLanguageDatabase(db_, true, TextLanguageDb))
        << tralexa_.sErrDescription();
  }

  TempFolder folder_;
  std::string db_;
  Tralexa tralexa_;
};

}  // namespace

TEST_F(TralexaWithGerman, TranslatesByNativeTextAndFallsBackToIt) {
  EXPECT_TRUE(tralexa_.bDbIsOpen());
  EXPECT_EQ(tralexa_.lNumTextPhrases(), 5);
  EXPECT_EQ(tralexa_.sLanguageDB(), db_);
  EXPECT_EQ(tralexa_.GetS(176), "Stufe bereits getrennt");
  EXPECT_EQ(tralexa_.GetTranslation("Time"), "Zeit");
  EXPECT_EQ(tralexa_.GetTranslation("Velocity"), "Velocity");
  EXPECT_EQ(tralexa_.GetTranslation("time"), "time");
  // An empty translation is the native text unless empty translations are allowed.
  EXPECT_EQ(tralexa_.GetTranslation("Range"), "Range");
  tralexa_.bAllowZeroLengthTranslation = true;
  EXPECT_EQ(tralexa_.GetTranslation("Range"), "");
  tralexa_.bEnabled(false);
  EXPECT_EQ(tralexa_.GetTranslation("Time"), "Time");
  EXPECT_EQ(tralexa_.sNativeText(2), "Fuel");
  EXPECT_EQ(tralexa_.sForeignText(2), "Treibstoff");
}

TEST_F(TralexaWithGerman, AFailedOpenClosesAndLeavesNativeTexts) {
  tralexa_.sForeignColumnName("Klingon");
  EXPECT_FALSE(tralexa_.OpenLanguageDatabase(db_, true, TextLanguageDb));
  EXPECT_EQ(tralexa_.sErrDescription(), "Language not found in Language Database");
  EXPECT_FALSE(tralexa_.bDbIsOpen());
  EXPECT_EQ(tralexa_.sLanguageDB(), "");
  EXPECT_EQ(tralexa_.lNumTextPhrases(), 0);
  EXPECT_EQ(tralexa_.GetS(176), "Already Staged");
}

TEST_F(TralexaWithGerman, TheAccessKindIsRefusedAndKeepsTheOpenDatabase) {
  try {
    tralexa_.OpenLanguageDatabase(PathIn(folder_, "strings.mdb"), false, AccessLanguageDb);
    FAIL() << "no error raised";
  } catch (const LocalisationError& error) {
    EXPECT_EQ(error.Number(), LocalisationErrorNumber);
    EXPECT_STREQ(error.what(), "Access Language Database is not enabled");
  }
  EXPECT_EQ(tralexa_.sErrDescription(), "Access Language Database is not enabled");
  EXPECT_TRUE(tralexa_.bDbIsOpen());
  EXPECT_EQ(tralexa_.GetS(177), "Stufe getrennt");
}

TEST_F(TralexaWithGerman, AnUnsortedColumnMissesTextsOffTheSearchPath) {
  const std::string db =
      WriteTestFile(folder_, "unsorted.txt",
                    BuildLanguageDb({{"NATIVE", {"Time", "Fuel", "Alt"}},
                                     {"Deutsch", {"Zeit", "Treibstoff", "Höhe"}}}));
  ASSERT_TRUE(tralexa_.OpenLanguageDatabase(db, true, TextLanguageDb));
  EXPECT_EQ(tralexa_.GetTranslation("Fuel"), "Treibstoff");
  EXPECT_EQ(tralexa_.GetTranslation("Time"), "Time");
  ASSERT_TRUE(tralexa_.SortMemoryLanguageDB());
  EXPECT_EQ(tralexa_.GetTranslation("Time"), "Zeit");
  EXPECT_EQ(tralexa_.sNativeText(1), "Alt");
  EXPECT_EQ(tralexa_.sForeignText(1), "Höhe");
}

TEST(Tralexa, WithoutADatabaseEveryTextIsNative) {
  Tralexa tralexa;
  EXPECT_FALSE(tralexa.bDbIsOpen());
  EXPECT_EQ(tralexa.GetS(270), "Simulation Paused");
  EXPECT_EQ(tralexa.GetS(0), "GetS: Unknown String ID 0");
  tralexa.sUnknownStrID("?");
  EXPECT_EQ(tralexa.GetS(-1), "?-1");
  EXPECT_EQ(tralexa.TextDbVersion(), 2);
}

TEST(Tralexa, SubstitutesParametersInOrderAndConvertsLineBreaks) {
  Tralexa tralexa;
  EXPECT_EQ(tralexa.GetS(323, {"C:\\x.mdb"}),
            "Export application strings to Language Database C:\\x.mdb\r\rAre you sure?");
  EXPECT_EQ(tralexa.GetS(323),
            "Export application strings to Language Database %s\r\rAre you sure?");
  EXPECT_EQ(Tralexa::SubstituteParameters("%s and %s", {"1", "2", "3"}), "1 and 2");
  EXPECT_EQ(Tralexa::SubstituteParameters("%s and %s", {"1"}), "1 and %s");
  // A marker that arrives inside a parameter is text, not a place for the next parameter.
  EXPECT_EQ(Tralexa::SubstituteParameters("%s: %s", {"50%s", "x"}), "50%s: x");
  EXPECT_EQ(Tralexa::ConvertCrLf("a{\\r}{\\r}b{\\n}c"), "a\r\rb\nc");
  EXPECT_EQ(tralexa.TranslateString("%s{\\n}", {"Fuel"}), "Fuel\n");
}

TEST(Tralexa, WidthTestPadsByTheLengthTable) {
  Tralexa tralexa;
  tralexa.bTestStrWidth(true);
  const struct {
    std::string text;
    size_t pads;
  } cases[] = {{"abc", 3},
               {"abcdefghij", 8},
               {std::string(25, 'x'), 10},
               {std::string(60, 'x'), 6},
               {std::string(10000, 'x'), 0},
               {"", 0}};
  for (const auto& c : cases) {
    EXPECT_EQ(tralexa.GetTranslation(c.text), c.text + std::string(c.pads, 'W')) << c.text.size();
  }
  tralexa.sPadChar("");
  EXPECT_EQ(tralexa.sPadChar(), "W");
  tralexa.sPadChar("äx");
  EXPECT_EQ(tralexa.sPadChar(), "ä");
  EXPECT_EQ(tralexa.GetTranslation("ab"), "abää");
  EXPECT_EQ(tralexa.GetS(17), "Altäää") << "GetS pads too";
  // Halves round to even: 3 x 1.5 gives 4, 5 x 1.5 gives 8.
  tralexa.sStrWidthFactors("5:50");
  EXPECT_EQ(tralexa.GetTranslation("abc"), "abcä");
  EXPECT_EQ(tralexa.GetTranslation("abcde"), "abcdeäää");
}

TEST(Tralexa, TakesTokensPlainOrQuoted) {
  Tralexa tralexa;
  const struct {
    std::string line;
    std::string token;
    std::string rest;
  } cases[] = {
      {"  Caption, ToolTipText", "Caption", " ToolTipText"},
      {"\"a,b\",c", "a,b", "c"},
      {"'x' ,c", "x", " ,c"},
      {"\"open", "open", ""},
      {"last", "last", ""},
  };
  for (const auto& c : cases) {
    std::string line = c.line;
    EXPECT_EQ(tralexa.GetToken(line, ","), c.token) << c.line;
    EXPECT_EQ(line, c.rest) << c.line;
  }
  EXPECT_EQ(tralexa.PropertyList(), (std::vector<std::string>{"Caption", "ToolTipText"}));
  tralexa.sProperties(" Text , Font.Name,,Caption");
  EXPECT_EQ(tralexa.PropertyList(), (std::vector<std::string>{"Text", "Font.Name"}));
  EXPECT_EQ(Tralexa::GetFilePathOnly("C:\\lang\\de.txt"), "C:\\lang\\");
  EXPECT_EQ(Tralexa::GetFilePathOnly("de.txt"), "");
}
