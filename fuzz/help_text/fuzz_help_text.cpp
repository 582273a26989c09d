// Any bytes as a guidance program's help text: the record keeps at most its first lines, each a
// text and a colour, in UTF-8 whatever the file's encoding.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz/fuzz_folder.h"
#include "program/cockpit/help_overlays.h"
#include "program/startup/startup_state.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 20)) return 0;
  static FuzzFolder folder;
  folder.Write("Help/P63.txt", std::string_view(reinterpret_cast<const char*>(data), size));
  CurrentLanguage = 1;  // the native texts: no suffix to the file's name
  ProgramHelpRecord record;
  record.Name = "P63";
  LoadProgramHelpText(record);
  if (record.LineCount < 0 || record.LineCount > HelpLineCount) __builtin_trap();
  return 0;
}
