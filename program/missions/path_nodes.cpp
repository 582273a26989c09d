#include "program/missions/path_nodes.h"

#include "platform/win/app_path.h"
#include "platform/win/byte_reader.h"
#include "platform/win/byte_writer.h"

namespace {

constexpr size_t NodeBytes = 12;
constexpr size_t MaxPathNodeFileBytes = sizeof(int32_t) + NodeBytes * MaxPathNodes;

}  // namespace

std::vector<uint8_t> EncodePathNodes(std::span<const Vector3> nodes) {
  win::ByteWriter writer;
  writer.I32(static_cast<int32_t>(nodes.size()));
  for (const Vector3& node : nodes) {
    writer.F32(node.x);
    writer.F32(node.y);
    writer.F32(node.z);
  }
  return writer.Data();
}

std::optional<std::vector<Vector3>> DecodePathNodes(std::span<const uint8_t> bytes) {
  win::ByteReader reader(bytes);
  const int32_t count = reader.I32();
  if (!reader.Ok() || count < 0 || count > MaxPathNodes ||
      reader.Remaining() < NodeBytes * static_cast<size_t>(count))
    return std::nullopt;
  std::vector<Vector3> nodes(static_cast<size_t>(count));
  for (Vector3& node : nodes) {
    node.x = reader.F32();
    node.y = reader.F32();
    node.z = reader.F32();
  }
  return nodes;
}

bool WritePathNodeFile(const std::string& programPath, std::span<const Vector3> nodes) {
  return win::WriteFileBytes(win::ResolvePath(programPath), EncodePathNodes(nodes));
}

std::optional<std::vector<Vector3>> ReadPathNodeFile(const std::string& programPath) {
  const auto bytes = win::ReadFileBytes(win::ResolvePath(programPath), MaxPathNodeFileBytes + 1);
  if (!bytes) return std::nullopt;
  return DecodePathNodes(*bytes);
}
