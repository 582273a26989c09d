// Score files of any bytes: only whole records are taken, never more than the ten pilots, and each
// record writes back to its 86 bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>

#include "program/missions/score_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> bytes(data, size);
  const std::vector<PilotRecord> records = DecodeScoreFile(bytes);
  if (records.size() != std::min<size_t>(size / PilotRecordBytes, PilotCount)) std::abort();
  for (size_t i = 0; i < records.size(); ++i) {
    win::ByteWriter writer;
    WritePilotRecord(writer, records[i]);
    if (writer.Data().size() != PilotRecordBytes) std::abort();
    // Numbers come back bit for bit; a name cut inside a character differs from its bytes.
    if (std::memcmp(writer.Data().data() + PilotNameBytes,
                    data + i * PilotRecordBytes + PilotNameBytes,
                    PilotRecordBytes - PilotNameBytes) != 0)
      std::abort();
  }
  return 0;
}
