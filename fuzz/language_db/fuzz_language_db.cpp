// Any bytes as a text language database, its first line the column asked for: a column is read
// whole or refused, and no count of the header costs more than the file holds.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_folder.h"
#include "program/startup/text_language_db.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 20)) return 0;
  static FuzzFolder folder;
  const auto [column, text] = FirstLineAndRest(data, size);
  folder.Write("language.txt", text);
  const std::string path = (folder.Path() / "language.txt").string();
  for (const std::string& name : {column, std::string("Native"), std::string()}) {
    const TextLanguageColumn read = LoadTextLanguageColumn(path, name);
    if (read.ok == read.phrases.empty()) __builtin_trap();
  }
  return 0;
}
