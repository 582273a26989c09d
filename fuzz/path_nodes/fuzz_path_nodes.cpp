// Path-node files of any bytes: a file is refused or read whole, and what is read writes back to
// the bytes it was read from, up to any tail after the last node.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>

#include "program/missions/path_nodes.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto nodes = DecodePathNodes(std::span<const uint8_t>(data, size));
  if (!nodes) return 0;
  if (nodes->size() > static_cast<size_t>(MaxPathNodes)) std::abort();
  const std::vector<uint8_t> written = EncodePathNodes(*nodes);
  if (written.size() > size || std::memcmp(written.data(), data, written.size()) != 0) std::abort();
  return 0;
}
