// The tables of fixed-size records that model files hold at an offset with a count.
#pragma once

#include <cstdint>
#include <span>

#include "platform/win/byte_reader.h"

// A reader over count records of recordSize bytes at offset; failed when they leave the file or
// the offset or count is negative.
inline win::ByteReader RecordTable(std::span<const uint8_t> bytes, int32_t offset, int32_t count,
                                   size_t recordSize) {
  win::ByteReader table;
  table.Fail();
  if (offset < 0 || count < 0 || static_cast<size_t>(offset) > bytes.size()) return table;
  const size_t room = bytes.size() - static_cast<size_t>(offset);
  if (static_cast<size_t>(count) > room / recordSize) return table;
  return win::ByteReader(
      bytes.subspan(static_cast<size_t>(offset), static_cast<size_t>(count) * recordSize));
}
