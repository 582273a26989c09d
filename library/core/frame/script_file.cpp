#include "library/core/frame/script_file.h"

#include <cstring>

#include "platform/win/byte_reader.h"

namespace {

constexpr char kMagic[4] = {'C', 'O', 'D', 'E'};
constexpr size_t kConstantBytes = 12;

bool ReadConstants(win::ByteReader& reader, int32_t count, std::vector<ScriptConstant>* constants) {
  for (int32_t constant = 0; constant < count; ++constant) {
    const int32_t slot = reader.I32();
    const int32_t value = reader.I32();
    reader.Skip(4);
    constants->push_back({slot, value});
  }
  return reader.Ok();
}

}  // namespace

bool IsScriptFile(std::span<const uint8_t> bytes) {
  return bytes.size() >= sizeof kMagic && std::memcmp(bytes.data(), kMagic, sizeof kMagic) == 0;
}

std::optional<ScriptFile> ReadScriptFile(std::span<const uint8_t> bytes) {
  if (!IsScriptFile(bytes)) return std::nullopt;
  win::ByteReader reader(bytes);
  reader.Skip(sizeof kMagic);
  const int32_t flowCount = reader.I32();
  const int32_t floatCount = reader.I32();
  const int32_t integerCount = reader.I32();
  reader.Skip(4);
  ScriptFile script;
  script.slotCount = reader.I32();
  if (!reader.Ok() || flowCount < 0 || floatCount < 0 || integerCount < 0 || script.slotCount < 0 ||
      static_cast<size_t>(script.slotCount) > bytes.size()) {
    return std::nullopt;
  }
  // Compared in 64 bits: the counts alone are up to 2^31 each.
  const uint64_t needed =
      4ull * static_cast<uint64_t>(flowCount) +
      kConstantBytes * (static_cast<uint64_t>(floatCount) + static_cast<uint64_t>(integerCount));
  if (needed > reader.Remaining()) return std::nullopt;
  script.flow.reserve(static_cast<size_t>(flowCount));
  for (int32_t word = 0; word < flowCount; ++word) script.flow.push_back(reader.I32());
  if (!ReadConstants(reader, floatCount, &script.floats) ||
      !ReadConstants(reader, integerCount, &script.integers)) {
    return std::nullopt;
  }
  return script;
}
