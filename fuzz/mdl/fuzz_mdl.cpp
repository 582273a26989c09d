// Feeds arbitrary bytes to the studio decoder as a model, its texture file and its sequence-group
// file: two little-endian lengths, then the model's and the texture file's bytes, the rest the
// group file every group names. What it accepts is posed at every frame of every sequence.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <vector>

#include "library/core/actors/mdl_file.h"
#include "library/core/actors/mdl_models.h"

namespace {
constexpr size_t kMaxInputBytes = 1 << 20;

uint32_t Length(const uint8_t* data) {
  uint32_t length;
  std::memcpy(&length, data, sizeof length);
  return length;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > kMaxInputBytes || size < 8) return 0;
  const size_t modelLength = Length(data), textureLength = Length(data + 4);
  if (modelLength > size - 8 || textureLength > size - 8 - modelLength) return 0;
  const std::span<const uint8_t> model(data + 8, modelLength);
  const std::span<const uint8_t> textures(data + 8 + modelLength, textureLength);
  const std::vector<uint8_t> group(data + 8 + modelLength + textureLength, data + size);
  const MdlPreview preview = PreviewMdl(model);
  if (preview.groupCount < 1 || preview.groupCount > kMdlMaxGroups) return 0;
  const std::vector<std::optional<std::vector<uint8_t>>> groups(
      static_cast<size_t>(preview.groupCount - 1), group);
  const MdlDecoded decoded = DecodeMdl(model, textures, groups);
  if (!decoded.model) return 0;
  float sum = 0.0f;
  const int32_t bones = static_cast<int32_t>(decoded.model->bones.size());
  for (const MdlSequence& sequence : decoded.model->sequences)
    if (sequence.hasData)
      for (int32_t f = 0; f <= sequence.frames; ++f)
        for (int32_t b = 0; b < bones; ++b) sum += sequence.At(f, b, bones)[5];
  for (size_t v = 0; v < decoded.model->vertices.size(); ++v)
    sum += static_cast<float>(decoded.model->vertexBones[v]);
  volatile float kept = sum;
  (void)kept;
  return 0;
}
