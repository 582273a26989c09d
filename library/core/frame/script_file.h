// The compiled script file that LoadScript runs, read whole with the bounds-checked reader.
//
// Every number is a 32-bit little-endian integer unless said otherwise:
//
//   offset 0        magic, the four characters "CODE"
//   4               F, the count of flow words
//   8               the count of float constants
//   12              the count of integer constants
//   16              a word that is not read
//   20              S, the count of variable slots
//   24              the flow: F words
//   24 + 4F         the float constants, 12 bytes each: slot index, value (32-bit float), a word
//                   that is not read
//   after them      the integer constants, 12 bytes each: slot index, value, a word not read
//
// Anything after the integer constants is ignored. The flow is a run of instructions, each a
// command number, its argument words and the end word -1; an argument is a slot index, except the
// argument of command 50 (a jump), which is a flow position.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

struct ScriptConstant {
  int32_t slot;
  int32_t value;  // the bits of a float constant's value
};

struct ScriptFile {
  std::vector<int32_t> flow;
  std::vector<ScriptConstant> floats;
  std::vector<ScriptConstant> integers;
  int32_t slotCount = 0;
};

// True when the file begins with the magic; a file without it is no script.
bool IsScriptFile(std::span<const uint8_t> bytes);

// The script, or nothing when its counts are negative or do not fit the file, or when it has more
// slots than the file has bytes (no slot could be filled by then).
std::optional<ScriptFile> ReadScriptFile(std::span<const uint8_t> bytes);
