// Reader of the text language database: a text file that pairs the program's native (English)
// phrases with their translations into one or more languages.
//
// The file is 8-bit text (UTF-8 in our data set); a line ends at CR LF, CR or LF. It holds:
//
//   [Tralexa]                    the header, read key by key as an INI section
//   NumberOfLanguages=2          how many foreign columns the file holds (1 or more)
//   NumberOfStrings=312          N, the number of phrases in every column (1 or more)
//   Language1=Deutsch            the name of each foreign column; matched without regard to case
//   Language2=Francais
//   Language0_Offset=0           optional: bytes from the start of the "[NATIVE]" line to the
//   Language1_Offset=9416        section line of column k (0 is the native column); a missing or
//                                wrong offset only costs a scan from the start of the file
//   [NATIVE]
//   L1=3D Modeling               N phrase lines "L<i>=<phrase>", i = 1 to N in order
//   ...
//   [Deutsch]                    each foreign column: its name in brackets and N phrase lines;
//   L1=3D-Modellierung           line i translates native line i
//
// A phrase is everything after "L<i>=" up to the line end, kept exactly: blanks, further "=" signs
// and the markup "{\r}", "{\n}" and "%s" are part of it. The native phrases must be in ascending
// byte order (every capital letter sorts before every small letter), since lookups search them
// by bisection. Lines after line N of a column are ignored; sections may stand in any order.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// One column read from a database: its N phrases, entry 0 being phrase line 1.
struct TextLanguageColumn {
  bool ok = false;
  std::vector<std::string> phrases;
  // The name of the column read; an empty name asked for the first foreign language.
  std::string columnName;
  // Why the load failed; nothing when the failure has no text of its own (a missing section).
  std::optional<std::string> error;
};

inline constexpr const char* NotAValidTextDb = "Not a valid Text Language Database";
inline constexpr const char* LanguageNotFound = "Language not found in Language Database";

// Reads one column of the database at filePath (a file-system path). "Native", in any case, is the
// native column; an empty name reads the first foreign column.
TextLanguageColumn LoadTextLanguageColumn(const std::string& filePath,
                                          const std::string& columnName);

// Writes a database of one foreign column from native and foreign phrase pairs: sorted into byte
// order, each native phrase once (its first pair wins), with the header's count and both offsets.
// A phrase holding a line end is written with the markup "{\r}" and "{\n}" in its place. False
// with the reason when the file cannot be written.
bool WriteTextLanguageDb(const std::filesystem::path& file, const std::string& columnName,
                         const std::vector<std::pair<std::string, std::string>>& phrases,
                         std::string& error);
