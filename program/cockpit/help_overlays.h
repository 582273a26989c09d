// The two help overlays of a flight: the pages of commands with their keys, and the procedure of
// the running guidance program, read from the help folder when a flight starts.
#pragma once

#include <array>
#include <cstdint>
#include <string>

inline constexpr int HelpLineCount = 80;
inline constexpr int ProgramHelpCount = 7;

struct ProgramHelpRecord {
  std::string Name;  // "P12" ..., the file name's stem
  std::array<std::string, HelpLineCount> Lines;
  std::array<uint32_t, HelpLineCount> LineColours{};
  int32_t LineCount = 0;
};

// P12, P20, P51, P64, P66, P68, P71.
inline std::array<ProgramHelpRecord, ProgramHelpCount> ProgramHelp;

// Names the seven records and reads their files in the current language.
void InitProgramNames();
// "\Help\" + name + LanguageSuffix + ".txt"; a missing file leaves no lines. Each line is a text
// with an optional colour word after a comma; a line that is not UTF-8 is read as Windows-1252.
void LoadProgramHelpText(ProgramHelpRecord& record);
// Each draws only while its overlay is asked for: ProgramHelpShown, HelpPage 1 or 2.
void DrawProgramHelpText();
void DrawHelpPages();
// One row of a help page in column 1 to 3; the key "Title" makes it a section title.
void DrawHelpEntry(const std::string& key, const std::string& description, int column);
void DrawHelpLine(const std::string& text, int32_t font, int32_t line, uint32_t colour);
