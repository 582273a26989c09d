// The program help read from fixture files in two languages, and both help overlays as drawn:
// the program help's lines and the key pages with the key names of the shipped keyboard file.
#include "program/cockpit/help_overlays.h"

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "program/input/input_state.h"
#include "program/input/joystick_data.h"
#include "tests/program/cockpit/instrument_fixture.h"

namespace {

class HelpTest : public InstrumentTest {
 protected:
  void SetUp() override {
    InstrumentTest::SetUp();
    CurrentLanguage = 1;
  }
  const ProgramHelpRecord& Record(const std::string& name) const {
    for (const ProgramHelpRecord& record : ProgramHelp)
      if (record.Name == name) return record;
    throw std::runtime_error("no help record " + name);
  }

  SavedVariables help_ =
      SavedVariables(ProgramHelp, HelpPage, ProgramHelpShown, LanguageSuffix, ControlAssignments,
                     AxisAssignments, POVJoystick, UseJoystick);
};

TEST_F(HelpTest, EachLineHasItsTextAndColour) {
  std::string text =
      "P66 Procedure,white\r\n"
      "Hold the rate\r\n"
      "Three,fields,here\r\n"
      "Odd colour,blue\r\n"
      "Runs,,,of,commas\r\n"
      "Gr\xfc\xdf"
      "e\r\n"
      "Gr\xc3\xbc\xc3\x9f"
      "e,WHITE\r\n";
  for (int n = 0; n < 90; ++n) text += "line " + std::to_string(n) + "\n";
  folder_.WriteFile("Help/P66.txt", text);
  InitProgramNames();
  const ProgramHelpRecord& p66 = Record("P66");
  ASSERT_EQ(p66.LineCount, HelpLineCount);
  const std::vector<std::pair<std::string, uint32_t>> expected = {{"P66 Procedure", 0xFFFFFFFF},
                                                                  {"Hold the rate", 0xFFC0C0C0},
                                                                  {"Three", 0xFFC0C0C0},
                                                                  {"Odd colour", 0xFFC0C0C0},
                                                                  {"Runs", 0xFFC0C0C0},
                                                                  {"Gr\xc3\xbc\xc3\x9f"
                                                                   "e",
                                                                   0xFFC0C0C0},
                                                                  {"Gr\xc3\xbc\xc3\x9f"
                                                                   "e",
                                                                   0xFFFFFFFF}};
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(p66.Lines[i], expected[i].first) << i;
    EXPECT_EQ(p66.LineColours[i], expected[i].second) << i;
  }
  EXPECT_EQ(p66.Lines[79], "line 72");
  // A program without a file has no lines.
  EXPECT_EQ(Record("P12").LineCount, 0);
}

TEST_F(HelpTest, TheLanguageChoosesTheFile) {
  folder_.WriteFile("Help/P66.txt", "Native\n");
  folder_.WriteFile("Help/P66 LDE.txt", "Deutsch\n");
  for (const auto& [language, line] :
       std::vector<std::pair<int32_t, std::string>>{{1, "Native"}, {2, "Deutsch"}}) {
    CurrentLanguage = language;
    InitProgramNames();
    EXPECT_EQ(Record("P66").Lines[0], line);
  }
  EXPECT_EQ(LanguageSuffix, " LDE");
}

TEST_F(HelpTest, TheProgramHelpDrawsEveryLineUnderItsTitle) {
  folder_.WriteFile("Help/P64.txt", "One,white\nTwo\n");
  InitProgramNames();
  CurrentProgram = P64;
  ProgramHelpShown = false;
  DrawProgramHelpText();
  EXPECT_TRUE(ShapesOn(nullptr).empty());
  ProgramHelpShown = true;
  DrawProgramHelpText();
  const auto shapes = ShapesOn(nullptr);
  ASSERT_EQ(shapes.size(), 4u);
  EXPECT_EQ(shapes[0].kind, engine::Shape2D::Kind::FilledBox);
  EXPECT_NEAR(shapes[0].colours[0] >> 24, 0.9 * 255, 1);  // black at 0.9
  EXPECT_EQ(shapes[1].text, "Program P64");
  EXPECT_EQ(shapes[2].text, "One");
  EXPECT_EQ(shapes[2].colours[0], 0xFFFFFFFFu);
  EXPECT_EQ(shapes[3].text, "Two");
  const float lineHeight = shapes[3].y1 - shapes[2].y1;
  EXPECT_GT(lineHeight, 0);
  EXPECT_FLOAT_EQ(shapes[2].y1, lineHeight + 10);
  EXPECT_FLOAT_EQ(shapes[2].x1, 20);
  // A program without help shows only the title over the dark screen.
  ClearRecord();
  CurrentProgram = P63;
  DrawProgramHelpText();
  EXPECT_EQ(TextsOnScreen(), (std::vector<std::string>{"Program "}));
}

TEST_F(HelpTest, TheKeyPagesShowTheKeysOfTheKeyboardFile) {
  std::ifstream shipped(std::string(MAROVIN_DATA) + "/KeyBoardOnly.ini", std::ios::binary);
  std::stringstream contents;
  contents << shipped.rdbuf();
  folder_.WriteFile("KeyBoardOnly.ini", contents.str());
  UseJoystick = false;
  LoadJoyAssignments();
  HelpPage = 1;
  DrawHelpPages();
  const std::vector<std::string> page1 = TextsOnScreen();
  ASSERT_GT(page1.size(), 3u);
  EXPECT_EQ(page1[0], "KeyboardAssignments");
  EXPECT_EQ(
      std::vector<std::string>(page1.begin() + 1, page1.begin() + 6),
      (std::vector<std::string>{"Basic Commands", "General Help", "F1 ", "Computer Help", "F2 "}));
  const auto after = [&](const std::vector<std::string>& texts, const std::string& row) {
    for (size_t i = 0; i + 1 < texts.size(); ++i)
      if (texts[i] == row) return texts[i + 1];
    return std::string("(none)");
  };
  EXPECT_EQ(after(page1, "Pause"), "P ");
  EXPECT_EQ(after(page1, "Start Flying"), "F6 ");
  EXPECT_EQ(after(page1, "Walk Left"), "A ");
  EXPECT_EQ(after(page1, "Ratescale Toggle"), "CTRL+R ");
  ClearRecord();
  HelpPage = 2;
  DrawHelpPages();
  const std::vector<std::string> page2 = TextsOnScreen();
  ClearRecord();
  HelpPage = 0;
  DrawHelpPages();
  EXPECT_TRUE(ShapesOn(nullptr).empty());
  EXPECT_EQ(after(page2, "PGNS Auto"), "PAGEDOWN ");
  EXPECT_EQ(after(page2, "Deadband Large"), "J ");
  EXPECT_EQ(after(page2, "Continuous Switches"), "Key Xpointer Up");
}

TEST_F(HelpTest, RowsAndTitlesStepDownTheirColumn) {
  HelpPage = 2;
  DrawHelpPages();  // resets the row counters; page 2 leaves the third column empty
  ClearRecord();
  DrawHelpEntry("Title", "Section", 3);
  DrawHelpEntry("", "", 3);
  DrawHelpEntry("K", "Row", 3);
  const auto shapes = ShapesOn(nullptr);
  ASSERT_EQ(shapes.size(), 7u);
  // The title two rows down, the next row three more, each row two.
  EXPECT_FLOAT_EQ(shapes[0].y1, 2 * 15 + 100);
  EXPECT_FLOAT_EQ(shapes[0].x1, 1060);
  EXPECT_EQ(shapes[1].text, " ");
  EXPECT_FLOAT_EQ(shapes[1].y1, 5 * 15 + 100);
  EXPECT_FLOAT_EQ(shapes[2].x1, 1460);
  EXPECT_EQ(shapes[3].kind, engine::Shape2D::Kind::Line);
  EXPECT_FLOAT_EQ(shapes[3].y1, 5 * 15 + 100 + 30);
  EXPECT_FLOAT_EQ(shapes[3].x2, 1440);
  EXPECT_FLOAT_EQ(shapes[4].y1, 7 * 15 + 100);
  EXPECT_EQ(shapes[5].text, "K ");
}

}  // namespace
