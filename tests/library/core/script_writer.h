// The tests' writer of compiled script files ("CODE"), for the interpreter's tests and the seed
// corpus of its fuzz target.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/win/byte_writer.h"

struct ScriptSource {
  std::vector<int32_t> flow;
  std::vector<std::pair<int32_t, float>> floats;      // slot, value
  std::vector<std::pair<int32_t, int32_t>> integers;  // slot, value
  int32_t slots = 0;

  std::vector<uint8_t> Bytes() const {
    win::ByteWriter w;
    w.Bytes(std::vector<uint8_t>{'C', 'O', 'D', 'E'});
    w.I32(static_cast<int32_t>(flow.size()));
    w.I32(static_cast<int32_t>(floats.size()));
    w.I32(static_cast<int32_t>(integers.size()));
    w.I32(0);
    w.I32(slots);
    for (const int32_t word : flow) w.I32(word);
    for (const auto& [slot, value] : floats) {
      w.I32(slot);
      w.F32(value);
      w.I32(0);
    }
    for (const auto& [slot, value] : integers) {
      w.I32(slot);
      w.I32(value);
      w.I32(0);
    }
    return w.Data();
  }
};

// Header words of a written script, for files that lie about their counts.
enum ScriptHeaderWord : size_t { kFlowCount = 4, kFloatCount = 8, kIntegerCount = 12, kSlots = 20 };

inline void SetHeaderWord(std::vector<uint8_t>& bytes, ScriptHeaderWord word, int32_t value) {
  std::memcpy(bytes.data() + word, &value, sizeof value);
}

// A script that opens a width x height window, clears it and presents it.
inline ScriptSource WindowScript(int32_t width, int32_t height) {
  return {{10, 0, 1, -1, 11, -1, 12, -1}, {}, {{0, width}, {1, height}}, 2};
}
