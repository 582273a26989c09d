// The program's access to its INI files: the profile-file wrappers, the reading rule every reader
// follows, and the conversions of the texts read.
//
// Every key is read by its own call through the platform's profile reader, which matches section
// and key names without regard to case, returns the default for a missing file, section or key and
// an empty text for a key present with nothing after "=". The platform parses a file once and
// answers from that parse until the file changes, so reading every key costs one pass.
#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

#include "platform/win/locale.h"
#include "platform/win/numbers.h"
#include "platform/win/profile.h"

// The program folder, without a trailing separator.
std::string ProgramFolder();

// Writes one key. A write the platform refuses leaves the file as it was and tells the user where
// the settings could not be saved, once for a run of failed writes to one file: the next key is
// still written, and the file is told of again only after a write to it succeeded.
void WriteINI(const std::string& section, const std::string& key, const std::string& value,
              const std::string& path);

// Gathers the WriteINI calls to one file, from its making on, into one write of the file at
// Commit: the file on disk is at every moment wholly as before or wholly as saved. A failed commit
// is told of as a failed WriteINI is; writes not committed when it ends are dropped.
class INIWriteBatch {
 public:
  explicit INIWriteBatch(const std::string& path);
  ~INIWriteBatch();
  INIWriteBatch(const INIWriteBatch&) = delete;
  INIWriteBatch& operator=(const INIWriteBatch&) = delete;
  void Commit();

 private:
  std::string path_;
  win::ProfileWriteBatch batch_;
};

// Reads one key with a buffer of 2048 characters (at most 2047 of the value).
std::string ReadINI(const std::string& section, const std::string& key,
                    const std::string& defaultText, const std::string& path);

// Reads one key with a buffer of 128 characters (at most 127 of the value): the reading rule of
// the settings, scenario, layout and assignment files.
std::string ReadProfileValue(const std::string& section, const std::string& key,
                             const std::string& defaultText, const std::string& path);

// Conversions of a text read.
float ToNumber(std::string_view text);  // decimal number, "." or "," as separator
double ToValue(std::string_view text);  // leading number, "." only
// The leading number rounded half to even; nothing when it is not finite or does not fit the
// integer.
std::optional<int32_t> ToWhole(std::string_view text);
std::optional<int16_t> ToShort(std::string_view text);
// A number rounded half to even into an integer type; nothing when it does not fit.
template <typename Integer>
std::optional<Integer> RoundTo(double value) {
  // Half a unit beyond either end still rounds into range, except at the odd top end.
  constexpr double lowest = std::numeric_limits<Integer>::min() - 0.5;
  constexpr double beyondHighest = std::numeric_limits<Integer>::max() + 0.5;
  if (!(value >= lowest && value < beyondHighest)) return std::nullopt;
  return static_cast<Integer>(win::RoundHalfEven(value));
}
// A value that does not fit the integer or the control it is put into.
class ProfileValueError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};
// The value, or a ProfileValueError when there is none.
template <typename Integer>
Integer Fits(std::optional<Integer> value) {
  if (!value) throw ProfileValueError("overflow");
  return *value;
}
// True when the leading number is not 0.
bool ToFlag(std::string_view text);

// How a file tells of a value that could not be used: a line in the log (the scenario, layout and
// assignment files), or the section and the text read in a message box (the settings file).
enum class BadValueLine { Logged, Shown };

// The keys of one file read by the reading rule and converted. A number that is not finite
// ("nan", "inf", "1E400") or a whole number that does not fit its integer reads as the key's
// default, and the file tells of the text read. A number followed by other text ("0x10" reads as
// 0, "12.5 ft" as 12.5) is read by its leading number, with a line in the log. It keeps the text
// it read last.
class ProfileFile {
 public:
  explicit ProfileFile(std::string path, BadValueLine line = BadValueLine::Logged)
      : path_(std::move(path)), line_(line), scope_(path_) {}

  const std::string& Path() const { return path_; }
  const std::string& LastText() const { return lastText_; }
  std::string Text(const std::string& section, const std::string& key,
                   const std::string& defaultText) const;
  float Number(const std::string& section, const std::string& key,
               const std::string& defaultText) const;
  double Value(const std::string& section, const std::string& key,
               const std::string& defaultText) const;
  // Value into a float: one beyond a float's range is not finite either.
  float SingleValue(const std::string& section, const std::string& key,
                    const std::string& defaultText) const;
  int32_t Whole(const std::string& section, const std::string& key,
                const std::string& defaultText) const;
  // Number rounded half to even into a 32-bit integer.
  int32_t RoundedNumber(const std::string& section, const std::string& key,
                        const std::string& defaultText) const;
  int16_t Short(const std::string& section, const std::string& key,
                const std::string& defaultText) const;
  bool Flag(const std::string& section, const std::string& key,
            const std::string& defaultText) const;
  // Tells of the text read last as a value of section that could not be used.
  void TellBadValue(const std::string& section, const std::string& key) const;

 private:
  // Reads the key's text into lastText_.
  const std::string& Read(const std::string& section, const std::string& key,
                          const std::string& defaultText) const;
  // The text of the key converted by convert, or the default converted when the text gives
  // nothing.
  template <typename Result, typename Convert>
  Result Converted(const std::string& section, const std::string& key,
                   const std::string& defaultText, Convert convert) const;

  std::string path_;
  BadValueLine line_;
  // The file is read once for all the keys read through this.
  win::ProfileReadScope scope_;
  mutable std::string lastText_;
};

// A line in the program's log about a file it read.
void LogFileProblem(const std::string& path, const std::string& problem);

// Cuts a value into the fields between separators, for lists such as "a,b,c" or "CTRL+D". A run
// of separators ends one field and starts no empty one; blanks belong to the fields; the text
// after the last field that fits is ignored. Empties every field first; returns the number filled.
int32_t SplitFields(std::string_view text, char separator, std::span<std::string> fields);

// The written forms: integers as decimal text, flags as "-1" and "0", singles as the platform's
// ordinary number text (7 significant digits, no trailing zeros) with the regional separator.
std::string FlagText(bool flag);
std::string SingleText(float value);

// Singles are written and read with the regional separator of the platform's locale.
using win::RegionalDecimalSeparator;
