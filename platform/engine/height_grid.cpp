#include "platform/engine/height_grid.h"

#include <cmath>
#include <cstring>

#include "platform/win/byte_reader.h"
#include "platform/win/byte_writer.h"

namespace engine {

namespace {

constexpr char kMagic[4] = {'M', 'H', 'G', 'T'};
constexpr uint32_t kVersion = 1;

std::optional<HeightGrid> Refuse(std::string* why, const char* reason) {
  if (why) *why = reason;
  return std::nullopt;
}

}  // namespace

std::optional<HeightGrid> ReadHeightGrid(std::span<const uint8_t> bytes, std::string* why) {
  win::ByteReader reader(bytes);
  const auto magic = reader.Bytes(sizeof kMagic);
  if (magic.empty() || std::memcmp(magic.data(), kMagic, sizeof kMagic) != 0)
    return Refuse(why, "not a height grid");
  if (reader.U32() != kVersion) return Refuse(why, "unknown height grid version");
  HeightGrid grid;
  grid.columns = reader.U32();
  grid.rows = reader.U32();
  grid.spacing = reader.F32();
  if (!reader.Ok()) return Refuse(why, "height grid header cut short");
  if (grid.columns < 2 || grid.rows < 2 || grid.columns > HeightGrid::kMaxSide ||
      grid.rows > HeightGrid::kMaxSide)
    return Refuse(why, "height grid size out of range");
  if (!std::isfinite(grid.spacing) || grid.spacing <= 0)
    return Refuse(why, "height grid spacing not positive");
  const size_t count = size_t{grid.columns} * grid.rows;
  if (reader.Remaining() != count * sizeof(float))
    return Refuse(why, "height grid size does not match its heights");
  grid.heights.resize(count);
  for (float& height : grid.heights) {
    height = reader.F32();
    if (!std::isfinite(height))
      return Refuse(why, "height grid holds a value that is not a number");
  }
  return grid;
}

std::vector<uint8_t> WriteHeightGrid(const HeightGrid& grid) {
  win::ByteWriter writer;
  writer.Bytes(std::span(reinterpret_cast<const uint8_t*>(kMagic), sizeof kMagic));
  writer.U32(kVersion);
  writer.U32(grid.columns);
  writer.U32(grid.rows);
  writer.F32(grid.spacing);
  for (float height : grid.heights) writer.F32(height);
  return writer.Data();
}

}  // namespace engine
