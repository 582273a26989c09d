// Any bytes as the bright-star catalogue: the reader keeps at most the catalogue's size of whole
// records, and the records it keeps are written back to the bytes they came from.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "program/scene/star_catalogue.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> bytes(data, size);
  std::vector<BrightStar> stars;
  const bool whole = ParseStarCatalogue(bytes, stars);
  if (stars.size() > MaxBrightStars) std::abort();
  const auto written = EncodeStarCatalogue(stars);
  if (!written) std::abort();
  if (written->size() > size || !std::equal(written->begin(), written->end(), bytes.begin()))
    std::abort();
  if (whole && written->size() != size) std::abort();
  return 0;
}
