// The profile-string functions: one key of one section of an INI file, read or written per call.
//
// File format (8-bit text; line ends CR LF, LF or CR, mixed freely):
//   [Section]        a section line; blanks around the name inside the brackets are ignored
//   Key=Value        an entry line of the section above it; blanks around key and value are
//                    ignored, and a value enclosed in matching double or single quotes loses them
// Lines before the first section and lines without "=" belong to no entry. Section and key names
// match without regard to ASCII case. When a section or a key appears twice, the first one counts,
// for reading and for writing alike. A section whose name holds a NUL byte is one no caller can
// name: its keys are not read, and the log says so when the file is parsed. The lines a write adds
// end as most lines of the file do (LF in a file that has no line end).
//
// A file is read and parsed once and every key of it answered from that parse until the file
// changes: a write through these functions, or a new size, modification time or inode on disk, so
// that an edit by hand or by another writer is seen at the next call. Reading a file costs one
// pass over it; names that lead to the same file as it is now share one parse. File names are
// program paths, resolved by ResolvePath, again only when the file they resolved to changes or
// goes. A file larger than 64 MiB is no settings file: reading it gives defaults and writing to it
// is refused.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace win {

// The value of key in section, at most bufferSize - 1 characters of it (the caller's buffer keeps
// its terminator). A missing file, section or key gives defaultText, cut the same way; a key that
// is present with nothing after "=" gives the empty text, not the default.
std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view defaultText, size_t bufferSize,
                                    std::string_view fileName);

// The names of the keys that section holds (each once, folded to lower case, in no particular
// order), so that a reader can bound a count it was given by what the file holds. Nothing for a
// missing file or section.
std::vector<std::string> GetProfileKeyNames(std::string_view section, std::string_view fileName);

// Sets key in section to value. An existing entry keeps its line, its key spelling and everything
// up to the value; a new key goes after the last entry of its section; a missing section is
// appended at the end and a missing file is created. Every other byte of the file stays as it was.
// The new contents are written to a temporary file beside the old one and renamed over it, so a
// failed write leaves the old file whole. A file without any write permission is read-only and
// left as it is (false), even for a user whose rights would let the rename through. Refuses (false)
// a name or value that would break the line structure: a line break anywhere, "=" in the key, "]"
// or a NUL byte in the section, an empty section or key.
bool WritePrivateProfileString(std::string_view section, std::string_view key,
                               std::string_view value, std::string_view fileName);

// Reads one file once for a run of reads: while it lives, every read of the file by that name
// answers from the parse taken at the first of them, with no look at the disk per key, as a reader
// of many keys wants. A change on disk meanwhile is seen after it ends; a write through these
// functions is seen at once. Scopes of one name nest.
class ProfileReadScope {
 public:
  explicit ProfileReadScope(std::string_view fileName);
  ~ProfileReadScope();
  ProfileReadScope(const ProfileReadScope&) = delete;
  ProfileReadScope& operator=(const ProfileReadScope&) = delete;

 private:
  std::string fileName_;
};

// Gathers the writes to one file into one replacement of it, so that the file on disk is at every
// moment wholly as it was or wholly as written, however many keys a save sets. From its making to
// its end, WritePrivateProfileString edits the file's contents in memory (refusing what it always
// refuses, and every write when the file may not be written); Commit writes them at once. Reads see
// the file on disk until then. Writes not committed when the batch ends are dropped, so a save
// that fails midway leaves the file as it was. A batch made for a file that has one open joins it:
// the outermost one writes, the Commit of a joined one only says whether the writes were accepted.
class ProfileWriteBatch {
 public:
  explicit ProfileWriteBatch(std::string_view fileName);
  ~ProfileWriteBatch();
  ProfileWriteBatch(const ProfileWriteBatch&) = delete;
  ProfileWriteBatch& operator=(const ProfileWriteBatch&) = delete;

  // False when the file may not be written or its replacement failed; the file is then as before.
  bool Commit();

 private:
  std::filesystem::path path_;
};

// The same rules on a file's contents in memory. FindProfileValue gives nothing for a missing
// section or key; SetProfileValue gives the edited contents, or nothing when it refuses the write.
std::optional<std::string> FindProfileValue(std::string_view contents, std::string_view section,
                                            std::string_view key);
std::optional<std::string> SetProfileValue(std::string_view contents, std::string_view section,
                                           std::string_view key, std::string_view value);

}  // namespace win
