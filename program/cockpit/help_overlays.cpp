#include "program/cockpit/help_overlays.h"

#include <algorithm>
#include <fstream>
#include <vector>

#include "platform/win/app_path.h"
#include "platform/win/ascii_case.h"
#include "program/cockpit/cockpit_state.h"
#include "program/cockpit/draw_2d.h"
#include "program/flight/flight_state.h"
#include "program/input/input_state.h"
#include "program/input/joystick_data.h"
#include "program/missions/mission_setup.h"
#include "program/startup/startup_state.h"

namespace {

constexpr uint32_t RowText = 0xFFA0A0A0;
constexpr int32_t ProgramText = 28;

constexpr std::array<const char*, ProgramHelpCount> ProgramNames = {"P12", "P20", "P51", "P64",
                                                                    "P66", "P68", "P71"};
constexpr std::array<int32_t, ProgramHelpCount> ProgramIndices = {P12, P20, P51, P64,
                                                                  P66, P68, P71};

// A help page row: its text id and the command whose key it shows; the function keys and the
// section titles have none. A row may name its text by the native text instead of an id.
constexpr int Title = -1;
constexpr int F1 = -2, F2 = -3, F3 = -4, F4 = -5;
struct HelpRow {
  int32_t text;
  int command;
  const char* native = nullptr;
};

// Two interface texts are spelled as the language databases know them; the pages show them
// spelled right, translated where a database holds them so.
constexpr int32_t ShowOriginalSiteText = 33;
constexpr char KeyboardAssignmentsSpelled[] = "Keyboard Assignments";
constexpr char ShowOriginalSiteSpelled[] = "Show Original Site";
// The hand controller's keys, which no other section lists.
constexpr char AttitudeTitle[] = "Attitude";

std::string Description(const HelpRow& row) {
  if (row.native != nullptr) return EnsureTralexa().GetTranslation(row.native);
  if (row.text == ShowOriginalSiteText)
    return EnsureTralexa().GetTranslation(ShowOriginalSiteSpelled);
  return UiText[static_cast<size_t>(row.text)];
}

const std::vector<HelpRow> Page1Column1 = {{30, Title},
                                           {31, F1},
                                           {32, F2},
                                           {33, F3},
                                           {34, F4},
                                           {35, ActionStartFlying},
                                           {36, ActionStartReplay},
                                           {37, ActionSaveReplay},
                                           {39, ActionScreenDump},
                                           {40, ActionExitIntroScreen},
                                           {41, ActionShowMenu},
                                           {42, ActionEscape},
                                           {43, ActionCenterControls},
                                           {44, ActionPause},
                                           {45, ActionUndock},
                                           {46, ActionKillEngine},
                                           {47, ActionPlantFlag},
                                           {48, Title},
                                           {49, ActionVirtualCockpit1},
                                           {50, ActionVirtualCockpit2},
                                           {51, ActionVirtualCockpit3},
                                           {52, ActionCockpitView1},
                                           {53, ActionCockpitView2},
                                           {54, ActionCockpitView3},
                                           {55, ActionSpotView1},
                                           {56, ActionSpotView2},
                                           {57, ActionGroundView},
                                           {58, ActionEVAView}};
const std::vector<HelpRow> Page1Column2 = {{59, Title},
                                           {60, ActionStrafeLeft},
                                           {61, ActionStrafeRight},
                                           {62, ActionWalkForward},
                                           {63, ActionWalkBackward},
                                           {64, ActionKeyTranslatePX},
                                           {65, ActionKeyTranslateMX},
                                           {66, ActionKeyTranslatePY},
                                           {67, ActionKeyTranslateMY},
                                           {68, ActionKeyTranslatePZ},
                                           {69, ActionKeyTranslateMZ},
                                           {84, Title},
                                           {85, ActionVirtualUp},
                                           {86, ActionVirtualDown},
                                           {87, ActionVirtualLeft},
                                           {88, ActionVirtualRight},
                                           {89, ActionLowerCamera},
                                           {90, ActionRaiseCamera},
                                           {91, ActionWiderCameraAngle},
                                           {92, ActionNarrowerCameraAngle},
                                           {93, ActionResetSpotView}};
const std::vector<HelpRow> Page1Column3 = {{94, Title},
                                           {95, ActionRateOfDescentUp},
                                           {96, ActionRateOfDescentDown},
                                           {97, ActionRatescaleToggle},
                                           {98, ActionDeadbandToggle},
                                           {99, ActionRollModeToggle},
                                           {100, ActionPitchModeToggle},
                                           {101, ActionYawModeToggle},
                                           {102, ActionAGSToggle},
                                           {103, ActionPGNSToggle},
                                           {104, ActionATTMONToggle},
                                           {105, ActionAutManThrottleToggle},
                                           {106, ActionXPointerScaleToggle},
                                           {107, ActionKeyAbortAscent},
                                           {108, ActionKeyAbortDescent}};

// A section title and the rows whose texts and commands both run on from a first pair.
std::vector<HelpRow> Section(int32_t title, int32_t firstText, int firstCommand, int lastCommand) {
  std::vector<HelpRow> rows = {{title, Title}};
  for (int command = firstCommand; command <= lastCommand; ++command)
    rows.push_back({firstText + command - firstCommand, command});
  return rows;
}

// Page 2, column 1: the DSKY keys, then the attitude keys.
std::vector<HelpRow> Page2Column1() {
  std::vector<HelpRow> rows = Section(110, 111, ActionKeyPad0, ActionKeyPadRelease);
  const std::vector<HelpRow> attitude = Section(0, 70, ActionRollLeft, ActionYawRight);
  rows.push_back({0, Title, AttitudeTitle});
  rows.insert(rows.end(), attitude.begin() + 1, attitude.end());
  return rows;
}

// Page 2, column 2: the switches that are set by a key of their own.
std::vector<HelpRow> Page2Column2() {
  std::vector<HelpRow> rows = {{130, Title},
                               {131, ActionKeyXpointerUp},
                               {132, ActionKeyXpointerDown},
                               {133, ActionThrottleUp},
                               {134, ActionThrottleDown},
                               {135, ActionATTMONPGNS},
                               {136, ActionATTMONAGS}};
  for (int command = ActionAGSOff; command <= ActionThrottleMan; ++command)
    rows.push_back({137 + command - ActionAGSOff, command});
  return rows;
}

std::array<int32_t, 4> RowCounters{};  // columns 1 to 3

float X(int column, float reference) {
  return ScaledX((static_cast<float>(column) - 1) * 520 + reference);
}

// Where a column's descriptions, keys and rules go [pixels]. The designed places hold while the
// texts fit them; a longer description or key (a long key name, a translation, a small window)
// moves the key, and the columns after it, right by what it needs.
struct ColumnPlace {
  float description, key, ruleEnd;
};
ColumnPlace DesignedPlace(int column) { return {X(column, 20), X(column, 420), X(column, 400)}; }
std::array<ColumnPlace, 4> Places{};  // columns 1 to 3 of the page drawn last

std::string KeyText(int command) {
  switch (command) {
    case F1:
      return "F1";
    case F2:
      return "F2";
    case F3:
      return "F3";
    case F4:
      return "F4";
    default:
      return ControlAssignments[static_cast<size_t>(command)].KeyName;
  }
}

// The pages' font: the help font, or in a window too narrow for a page in it, the small one.
constexpr int HelpFontOrdinal = 11;
constexpr int NarrowHelpFontOrdinal = 9;
int32_t HelpFont = 0;

float TextWidth(const std::string& text) {
  int32_t w = 0, h = 0;
  Screen2DText->GetTextSize(text, HelpFont, w, h);
  return static_cast<float>(w);
}

// Places the page's columns in HelpFont; gives the right end of the last one [pixels].
float PlaceColumns(const std::vector<std::vector<HelpRow>>& columns) {
  const float gap = ScaledX(20);
  float start = 0;
  for (int column = 1; column <= 3; ++column) {
    const ColumnPlace designed = DesignedPlace(column);
    ColumnPlace& place = Places[static_cast<size_t>(column)];
    if (static_cast<size_t>(column) > columns.size()) {
      place = designed;  // nothing of the page stands in it
      continue;
    }
    float descriptions = 0, keys = 0;
    for (const HelpRow& row : columns[static_cast<size_t>(column - 1)]) {
      descriptions = std::max(descriptions, TextWidth(Description(row)));
      if (row.command != Title) keys = std::max(keys, TextWidth(KeyText(row.command) + " "));
    }
    place.description = std::max(designed.description, start);
    place.key = std::max(designed.key + place.description - designed.description,
                         place.description + descriptions + gap);
    place.ruleEnd = place.key - (designed.key - designed.ruleEnd);
    start = place.key + keys + gap;
  }
  return start;
}

void DrawRows(const std::vector<HelpRow>& rows, int column) {
  for (const HelpRow& row : rows)
    DrawHelpEntry(row.command == Title ? "Title" : KeyText(row.command), Description(row), column);
}

void DarkenScreen(float alpha) {
  const uint32_t c = engine::EngineGlobals::MakeColor(0, 0, 0, alpha);
  Screen2DDraw->Begin();
  Screen2DDraw->DrawFilledBox(0, 0, static_cast<float>(ScreenWidth),
                              static_cast<float>(ScreenHeight), c, c, c, c);
  Screen2DDraw->End();
}

bool IsUtf8(const std::string& text) {
  for (size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    const size_t length = c < 0x80           ? 1
                          : (c >> 5) == 0x6  ? 2
                          : (c >> 4) == 0xE  ? 3
                          : (c >> 3) == 0x1E ? 4
                                             : 0;
    if (length == 0 || i + length > text.size()) return false;
    for (size_t k = 1; k < length; ++k)
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    i += length;
  }
  return true;
}

// A Windows-1252 text in UTF-8; its five unused bytes become "?".
std::string Utf8FromWindows1252(const std::string& text) {
  static constexpr char16_t High[32] = {
      0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
      0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
  std::string out;
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    const char32_t code = c < 0x80 ? c : c < 0xA0 ? (High[c - 0x80] ? High[c - 0x80] : U'?') : c;
    if (code < 0x80) {
      out += static_cast<char>(code);
    } else if (code < 0x800) {
      out += static_cast<char>(0xC0 | (code >> 6));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (code >> 12));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    }
  }
  return out;
}

}  // namespace

void InitProgramNames() {
  for (int n = 0; n < ProgramHelpCount; ++n) {
    ProgramHelpRecord& record = ProgramHelp[static_cast<size_t>(n)];
    record = {};
    record.Name = ProgramNames[static_cast<size_t>(n)];
    LoadProgramHelpText(record);
  }
}

void LoadProgramHelpText(ProgramHelpRecord& record) {
  LanguageSuffix = LanguageSuffixFor(CurrentLanguage);
  record.LineCount = 0;
  std::ifstream file(
      win::ResolvePath(win::AppPath() + "\\Help\\" + record.Name + LanguageSuffix + ".txt"));
  std::string line;
  // A record keeps the first lines of a longer file.
  while (record.LineCount < HelpLineCount && std::getline(file, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!IsUtf8(line)) line = Utf8FromWindows1252(line);
    std::array<std::string, CommaListFields + 1> fields;
    const int32_t count = SplitCommaList(line, fields);
    const auto n = static_cast<size_t>(record.LineCount);
    record.Lines[n] = fields[1];
    // Only "white" stands out; any other colour word reads as the plain gray.
    record.LineColours[n] =
        count == 2 && win::EqualsIgnoringCase(fields[2], "white") ? ArgbWhite : ArgbGray;
    ++record.LineCount;
  }
}

void DrawProgramHelpText() {
  if (!ProgramHelpShown) return;
  DarkenScreen(0.9f);
  static const ProgramHelpRecord none;
  const ProgramHelpRecord* record = &none;
  for (size_t n = 0; n < ProgramIndices.size(); ++n)
    if (ProgramIndices[n] == CurrentProgram) record = &ProgramHelp[n];
  int32_t w = 0, h = 0;
  Screen2DText->GetTextSize(record->Name, NthFont(2), w, h);
  DrawScreenText(UiText[ProgramText] + " " + record->Name,
                 static_cast<float>(ScreenWidth) / 2 - static_cast<float>(w) / 2,
                 static_cast<float>(ScreenHeight) * 0.01f, ArgbWhite, NthFont(2));
  for (int32_t i = 0; i < record->LineCount; ++i)
    DrawHelpLine(record->Lines[static_cast<size_t>(i)], NthFont(1), i + 1,
                 record->LineColours[static_cast<size_t>(i)]);
}

void DrawHelpLine(const std::string& text, int32_t font, int32_t line, uint32_t colour) {
  int32_t w = 0, h = 0;
  Screen2DText->GetTextSize(text, font, w, h);
  DrawScreenText(text, ScaledX(20), static_cast<float>(line * h) + ScaledY(10), colour, font);
}

void DrawHelpPages() {
  if (HelpPage != 1 && HelpPage != 2) return;
  DarkenScreen(0.6f);
  const std::string title = EnsureTralexa().GetTranslation(KeyboardAssignmentsSpelled);
  const int32_t font = FontIds[MessageFont];
  int32_t w = 0, h = 0;
  Screen2DText->GetTextSize(title, font, w, h);
  DrawScreenText(title, (static_cast<float>(ScreenWidth) - static_cast<float>(w)) / 2,
                 static_cast<float>(ScreenHeight) * 0.02f, ArgbWhite, font);
  RowCounters = {};
  const std::vector<std::vector<HelpRow>> columns =
      HelpPage == 1 ? std::vector{Page1Column1, Page1Column2, Page1Column3}
                    : std::vector{Page2Column1(), Page2Column2()};
  HelpFont = NthFont(HelpFontOrdinal);
  if (PlaceColumns(columns) > static_cast<float>(ScreenWidth)) {
    HelpFont = NthFont(NarrowHelpFontOrdinal);
    PlaceColumns(columns);
  }
  for (size_t c = 0; c < columns.size(); ++c) DrawRows(columns[c], static_cast<int>(c + 1));
}

void DrawHelpEntry(const std::string& key, const std::string& description, int column) {
  const std::string k = key.empty() ? " " : key;
  const std::string d = description.empty() ? " " : description;
  int32_t& counter = RowCounters[static_cast<size_t>(column)];
  const int32_t font = HelpFont;
  const ColumnPlace& place = Places[static_cast<size_t>(column)];
  const float x0 = place.description;
  const auto y = [&] { return ScaledY(static_cast<float>(counter) * 15 + 100); };
  if (k == "Title") {
    counter += 2;
    DrawScreenText(d, x0, y(), ArgbWhite, font);
    counter += 3;
    return;
  }
  const float top = y();
  DrawScreenText(d, x0, top, RowText, font);
  DrawScreenText(k + " ", place.key, top, ArgbGray, font);
  Screen2DDraw->Begin();
  const float rule = top + ScaledY(30);
  Screen2DDraw->DrawLine(x0, rule, place.ruleEnd, rule, ArgbDarkGray, ArgbDarkGray);
  Screen2DDraw->End();
  counter += 2;
}
