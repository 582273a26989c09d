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

  static std::string ShippedFile(const std::string& name) {
    std::ifstream shipped(std::string(MAROVIN_DATA) + "/" + name, std::ios::binary);
    std::stringstream contents;
    contents << shipped.rdbuf();
    return contents.str();
  }

  SavedVariables help_ = SavedVariables(
      ProgramHelp, HelpPage, ProgramHelpShown, LanguageSuffix, ControlAssignments, AxisAssignments,
      POVJoystick, UseJoystick, ScreenWidth, ScreenHeight, ScreenScaleX, ScreenScaleY, FontIds);
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
  folder_.WriteFile("KeyBoardOnly.ini", ShippedFile("KeyBoardOnly.ini"));
  UseJoystick = false;
  LoadJoyAssignments();
  HelpPage = 1;
  DrawHelpPages();
  const std::vector<std::string> page1 = TextsOnScreen();
  ASSERT_GT(page1.size(), 3u);
  EXPECT_EQ(page1[0], "Keyboard Assignments");
  EXPECT_EQ(
      std::vector<std::string>(page1.begin() + 1, page1.begin() + 6),
      (std::vector<std::string>{"Basic Commands", "General Help", "F1 ", "Computer Help", "F2 "}));
  const auto after = [&](const std::vector<std::string>& texts, const std::string& row) {
    for (size_t i = 0; i + 1 < texts.size(); ++i)
      if (texts[i] == row) return texts[i + 1];
    return std::string("(none)");
  };
  EXPECT_EQ(after(page1, "Show Original Site"), "F3 ");
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
  EXPECT_EQ(after(page2, "Roll Left"), "LEFTARROW ");
  EXPECT_EQ(after(page2, "Yaw Right"), "C ");
}

// A new user learns the keys from these pages: every command the keyboard file binds has its row
// on one of them, once, beside the four function keys.
TEST_F(HelpTest, ThePagesListEveryKeyOfTheKeyboardFile) {
  folder_.WriteFile("KeyBoardOnly.ini", ShippedFile("KeyBoardOnly.ini"));
  UseJoystick = false;
  LoadJoyAssignments();
  size_t bound = 0;
  for (const ControlAssignment& record : ControlAssignments) bound += record.KeyName != "NA";
  ASSERT_GT(bound, 100u);
  size_t rows = 0;
  for (int16_t page : {int16_t{1}, int16_t{2}}) {
    ClearRecord();
    HelpPage = page;
    DrawHelpPages();
    for (const engine::Shape2D& shape : ShapesOn(nullptr))
      rows += shape.kind == engine::Shape2D::Kind::Line;
  }
  EXPECT_EQ(rows, bound + 4);
}

// In a narrow window, with the German texts and the long key names of the keypad, no text of a
// page runs into another or out of the window: a column's keys move right to clear its longest
// text, and a page too wide for the window takes the small font.
TEST_F(HelpTest, NoTextOfAPageRunsIntoAnother) {
  folder_.WriteFile("KeyBoardOnly LDE.ini", ShippedFile("KeyBoardOnly LDE.ini"));
  CurrentLanguage = 2;
  UseJoystick = false;
  LoadJoyAssignments();
  ScreenWidth = 800;
  ScreenHeight = 780;
  ScreenScaleX = 800.0f / 1600.0f;
  ScreenScaleY = 780.0f / 1200.0f;
  CreateFonts();
  for (int16_t page : {int16_t{1}, int16_t{2}}) {
    ClearRecord();
    HelpPage = page;
    DrawHelpPages();
    struct Box {
      std::string text;
      float x1, y1, x2, y2;
    };
    std::vector<Box> boxes;
    for (const engine::Shape2D& shape : ShapesOn(nullptr)) {
      if (shape.kind != engine::Shape2D::Kind::Text) continue;
      int32_t w = 0, h = 0;
      Screen2DText->GetTextSize(shape.text, shape.font, w, h);
      boxes.push_back({shape.text, shape.x1, shape.y1, shape.x1 + static_cast<float>(w),
                       shape.y1 + static_cast<float>(h) * 0.8f});
    }
    for (size_t i = 0; i < boxes.size(); ++i) {
      const Box& a = boxes[i];
      EXPECT_LE(a.x2, static_cast<float>(ScreenWidth)) << a.text;
      for (size_t j = i + 1; j < boxes.size(); ++j) {
        const Box& b = boxes[j];
        EXPECT_FALSE(a.x1 < b.x2 && b.x1 < a.x2 && a.y1 < b.y2 && b.y1 < a.y2)
            << "page " << page << ": " << a.text << " runs into " << b.text;
      }
    }
  }
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
