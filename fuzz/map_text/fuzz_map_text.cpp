// Feeds arbitrary text to the map-file parser, and to the material-script reader with the names of
// the materials the map gives (or a fixed one), checking what the parser accepts.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "library/core/levels/map_file.h"

namespace {
constexpr size_t kMaxInputBytes = 1 << 20;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > kMaxInputBytes) return 0;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  FindMaterialMaps(text, "stone");
  if (const auto models = ParseMapText(text)) {
    for (const MapModel& model : *models) {
      for (const MapSurface& surface : model.surfaces) {
        if (surface.indices.size() % 3 != 0) std::abort();
        for (uint16_t index : surface.indices) {
          if (index >= surface.vertices.size()) std::abort();
        }
        FindMaterialMaps(text, surface.material);
      }
    }
  }
  return 0;
}
