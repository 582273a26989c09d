// Feeds arbitrary bytes to the BSP level reader as a whole file, then takes a level it accepts
// through everything the level table does before it makes device objects: the entity text, the
// lightmap packing into small atlases, and the leaf search and visibility set from every leaf.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "library/core/levels/bsp_file.h"

namespace {
constexpr size_t kMaxInputBytes = 1 << 20;
constexpr int32_t kAtlasSide = 64;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > kMaxInputBytes) return 0;
  BspReadResult read = ReadBspFile(std::span<const uint8_t>(data, size));
  if (!read.image) return 0;
  BspImage& image = *read.image;
  ParseBspEntities(image.entityText);
  int32_t atlases = 0;
  PackBspLightmaps(
      image, kAtlasSide,
      [&atlases](const std::vector<uint32_t>& texels) {
        if (texels.size() != static_cast<size_t>(kAtlasSide * kAtlasSide)) std::abort();
        return atlases++;
      },
      [](int32_t) {});
  for (const BspFace& face : image.faces) {
    if (face.atlas >= atlases) std::abort();
  }
  std::vector<uint8_t> visible(image.leaves.size());
  for (const BspLeaf& leaf : image.leaves) {
    const int32_t found = FindBspLeaf(image, image.models[0].headNode, leaf.centre);
    if (found < 0 || static_cast<size_t>(found) >= image.leaves.size()) std::abort();
    DecodeBspVisibility(image.visibility, leaf.visibilityOffset, visible);
    for (uint16_t face : leaf.faces) {
      if (face >= image.faces.size()) std::abort();
    }
  }
  return 0;
}
