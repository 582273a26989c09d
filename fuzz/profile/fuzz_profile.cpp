// Profile contents of any bytes: reading never fails, and a write that is accepted reads back.
// Input: section, key and value on the first three lines, the file's contents after them.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/win/profile.h"

namespace {

std::string_view NextLine(std::string_view& input) {
  size_t end = input.find('\n');
  std::string_view line = input.substr(0, end);
  input.remove_prefix(end == std::string_view::npos ? input.size() : end + 1);
  return line;
}

// A value that the reading rules return unchanged: no blanks at its ends, no quotes around it.
bool ReadsBackUnchanged(std::string_view value) {
  return !value.empty() && value.front() != ' ' && value.front() != '\t' && value.back() != ' ' &&
         value.back() != '\t' && value.front() != '"' && value.front() != '\'';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 20)) return 0;
  std::string_view input(reinterpret_cast<const char*>(data), size);
  std::string_view section = NextLine(input);
  std::string_view key = NextLine(input);
  std::string_view value = NextLine(input);
  win::FindProfileValue(input, section, key);
  auto edited = win::SetProfileValue(input, section, key, value);
  if (edited && ReadsBackUnchanged(value) &&
      win::FindProfileValue(*edited, section, key) != value) {
    __builtin_trap();
  }
  return 0;
}
