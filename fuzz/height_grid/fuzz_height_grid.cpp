// Any bytes as a landscape height file: the reader refuses or returns a grid whose every height
// can be read, and a grid it returns is written back to the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "platform/engine/height_grid.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> bytes(data, size);
  const auto grid = engine::ReadHeightGrid(bytes);
  if (!grid) return 0;
  if (grid->heights.size() != size_t{grid->columns} * grid->rows) std::abort();
  const auto written = engine::WriteHeightGrid(*grid);
  if (!std::equal(written.begin(), written.end(), bytes.begin(), bytes.end())) std::abort();
  return 0;
}
