#include "library/core/actors/mdl_file.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "library/core/actors/record_table.h"

namespace {

constexpr size_t kBoneSize = 112;
constexpr size_t kHitBoxSize = 32;
constexpr size_t kSequenceSize = 176;
constexpr size_t kTextureSize = 80;
constexpr size_t kBodyPartSize = 76;
constexpr size_t kModelSize = 112;
constexpr size_t kMeshSize = 20;
constexpr size_t kVectorSize = 12;
constexpr size_t kCommandVertexSize = 8;
constexpr size_t kChannelOffsetsSize = 2 * kMdlChannels;

struct Header {
  int32_t boneCount, boneOffset, hitBoxCount, hitBoxOffset, sequenceCount, sequenceOffset,
      groupCount, textureCount, textureOffset, bodyPartCount, bodyPartOffset;
};

int32_t WordAt(std::span<const uint8_t> bytes, size_t offset) {
  win::ByteReader reader(bytes);
  reader.Seek(offset);
  return reader.I32();
}

std::optional<Header> ReadHeader(std::span<const uint8_t> bytes) {
  if (bytes.size() < kMdlHeaderSize || static_cast<uint32_t>(WordAt(bytes, 0)) != kMdlIdent)
    return std::nullopt;
  Header h;
  h.boneCount = WordAt(bytes, 140);
  h.boneOffset = WordAt(bytes, 144);
  h.hitBoxCount = WordAt(bytes, 156);
  h.hitBoxOffset = WordAt(bytes, 160);
  h.sequenceCount = WordAt(bytes, 164);
  h.sequenceOffset = WordAt(bytes, 168);
  h.groupCount = WordAt(bytes, 172);
  h.textureCount = WordAt(bytes, 180);
  h.textureOffset = WordAt(bytes, 184);
  h.bodyPartCount = WordAt(bytes, 204);
  h.bodyPartOffset = WordAt(bytes, 208);
  return h;
}

// A name in a fixed field: up to its terminator, or the whole field.
std::string FieldName(win::ByteReader& reader, size_t fieldSize) {
  const std::span<const uint8_t> field = reader.Bytes(fieldSize);
  const char* text = reinterpret_cast<const char*>(field.data());
  return field.empty() ? std::string() : std::string(text, strnlen(text, fieldSize));
}

d3dx::D3DXVECTOR3 Vector(win::ByteReader& reader) {
  d3dx::D3DXVECTOR3 v;
  v.x = reader.F32();
  v.y = reader.F32();
  v.z = reader.F32();
  return v;
}

bool Finite(const d3dx::D3DXVECTOR3& v) {
  return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

class Decoder {
 public:
  Decoder(std::span<const uint8_t> bytes, const Header& header) : bytes_(bytes), h_(header) {}

  std::string error;
  MdlModel model;

  bool Bones() {
    if (h_.boneCount <= 0 || h_.boneCount > kMdlMaxBones) return Fail("bad bone count");
    win::ByteReader table = RecordTable(bytes_, h_.boneOffset, h_.boneCount, kBoneSize);
    if (!table.Ok()) return Fail("the bones lie outside the file");
    for (int32_t b = 0; b < h_.boneCount; ++b) {
      win::ByteReader record = table.Sub(kBoneSize);
      MdlBone bone;
      bone.name = FieldName(record, 32);
      bone.parent = record.I32();
      record.Skip(4 + 6 * 4);
      for (float& value : bone.value) value = record.F32();
      for (float& scale : bone.scale) scale = record.F32();
      if (bone.parent < -1 || bone.parent >= b) return Fail("a bone's parent does not precede it");
      for (int c = 0; c < kMdlChannels; ++c)
        if (!std::isfinite(bone.value[c]) || !std::isfinite(bone.scale[c]))
          return Fail("a bone's value is not finite");
      model.bones.push_back(std::move(bone));
    }
    return true;
  }

  bool HitBoxes() {
    win::ByteReader table = RecordTable(bytes_, h_.hitBoxOffset, h_.hitBoxCount, kHitBoxSize);
    if (!table.Ok()) return Fail("the hit boxes lie outside the file");
    for (int32_t i = 0; i < h_.hitBoxCount; ++i) {
      win::ByteReader record = table.Sub(kHitBoxSize);
      MdlHitBox box;
      box.bone = record.I32();
      record.I32();
      box.min = Vector(record);
      box.max = Vector(record);
      if (box.bone < 0 || box.bone >= h_.boneCount) return Fail("a hit box names no bone");
      if (!Finite(box.min) || !Finite(box.max)) return Fail("a hit box is not finite");
      model.hitBoxes.push_back(box);
    }
    return true;
  }

  bool Textures(std::span<const uint8_t> file) {
    if (file.empty()) return true;
    const std::optional<Header> header = ReadHeader(file);
    if (!header) return Fail("the texture file is not a studio file");
    win::ByteReader table =
        RecordTable(file, header->textureOffset, header->textureCount, kTextureSize);
    if (!table.Ok()) return Fail("the textures lie outside their file");
    for (int32_t i = 0; i < header->textureCount; ++i) {
      win::ByteReader record = table.Sub(kTextureSize);
      MdlTexture texture;
      texture.name = FieldName(record, 64);
      record.I32();
      texture.width = record.I32();
      texture.height = record.I32();
      const int32_t offset = record.I32();
      if (texture.width <= 0 || texture.height <= 0 || texture.width > 4096 ||
          texture.height > 4096)
        return Fail("a texture's size is not positive");
      const size_t pixels =
          static_cast<size_t>(texture.width) * static_cast<size_t>(texture.height);
      win::ByteReader data = RecordTable(file, offset, 1, pixels + kMdlPaletteBytes);
      if (!data.Ok()) return Fail("a texture's pixels lie outside their file");
      const std::span<const uint8_t> indices = data.Bytes(pixels);
      texture.pixels.assign(indices.begin(), indices.end());
      const std::span<const uint8_t> palette = data.Bytes(kMdlPaletteBytes);
      std::memcpy(texture.palette.data(), palette.data(), kMdlPaletteBytes);
      model.textures.push_back(std::move(texture));
    }
    return true;
  }

  bool Geometry() {
    if (h_.bodyPartCount <= 0) return Fail("no body parts");
    win::ByteReader parts = RecordTable(bytes_, h_.bodyPartOffset, h_.bodyPartCount, kBodyPartSize);
    if (!parts.Ok()) return Fail("the body parts lie outside the file");
    for (int32_t p = 0; p < h_.bodyPartCount; ++p) {
      win::ByteReader part = parts.Sub(kBodyPartSize);
      part.Skip(64);
      const int32_t modelCount = part.I32();
      part.I32();
      const int32_t modelOffset = part.I32();
      if (modelCount <= 0) continue;
      win::ByteReader record = RecordTable(bytes_, modelOffset, 1, kModelSize);
      if (!record.Ok()) return Fail("a body part's model lies outside the file");
      if (!Model(record)) return false;
    }
    return true;
  }

  bool Sequences(const std::vector<std::optional<std::vector<uint8_t>>>& groups) {
    if (h_.sequenceCount < 0) return Fail("bad sequence count");
    if (h_.groupCount < 1 || static_cast<size_t>(h_.groupCount) != groups.size() + 1)
      return Fail("bad sequence group count");
    win::ByteReader table = RecordTable(bytes_, h_.sequenceOffset, h_.sequenceCount, kSequenceSize);
    if (!table.Ok()) return Fail("the sequences lie outside the file");
    for (int32_t s = 0; s < h_.sequenceCount; ++s) {
      win::ByteReader record = table.Sub(kSequenceSize);
      win::ByteReader fields = record;
      MdlSequence sequence;
      sequence.name = FieldName(fields, 32);
      sequence.frameRate = fields.F32();
      fields.Seek(56);
      sequence.frames = fields.I32();
      fields.Seek(124);
      const int32_t animation = fields.I32();
      fields.Seek(156);
      sequence.group = fields.I32();
      if (sequence.frames < 0) return Fail("a sequence's frame count is negative");
      if (sequence.group < 0 || sequence.group >= h_.groupCount)
        return Fail("a sequence names no group");
      std::span<const uint8_t> source = bytes_;
      if (sequence.group > 0) {
        const auto& file = groups[static_cast<size_t>(sequence.group - 1)];
        source = file ? std::span<const uint8_t>(*file) : std::span<const uint8_t>();
      }
      sequence.hasData = sequence.group == 0 || !source.empty();
      if (sequence.hasData && !Decode(source, animation, sequence)) return false;
      model.sequences.push_back(std::move(sequence));
    }
    return true;
  }

 private:
  bool Fail(const char* why) {
    error = why;
    return false;
  }

  bool Model(win::ByteReader& record) {
    record.Seek(72);
    const int32_t meshCount = record.I32();
    const int32_t meshOffset = record.I32();
    const int32_t vertexCount = record.I32();
    const int32_t vertexBoneOffset = record.I32();
    const int32_t vertexOffset = record.I32();
    const int32_t normalCount = record.I32();
    record.I32();
    const int32_t normalOffset = record.I32();
    win::ByteReader meshes = RecordTable(bytes_, meshOffset, meshCount, kMeshSize);
    win::ByteReader boneTable = RecordTable(bytes_, vertexBoneOffset, vertexCount, 1);
    win::ByteReader positionTable = RecordTable(bytes_, vertexOffset, vertexCount, kVectorSize);
    win::ByteReader normalTable = RecordTable(bytes_, normalOffset, normalCount, kVectorSize);
    if (!meshes.Ok() || !boneTable.Ok() || !positionTable.Ok() || !normalTable.Ok())
      return Fail("a model's tables lie outside the file");
    std::vector<d3dx::D3DXVECTOR3> positions, normals;
    std::vector<int32_t> bones;
    for (int32_t v = 0; v < vertexCount; ++v) {
      bones.push_back(boneTable.U8());
      positions.push_back(Vector(positionTable));
      if (bones.back() >= h_.boneCount) return Fail("a vertex names no bone");
      if (!Finite(positions.back())) return Fail("a vertex is not finite");
    }
    for (int32_t n = 0; n < normalCount; ++n) normals.push_back(Vector(normalTable));
    for (int32_t m = 0; m < meshCount; ++m) {
      win::ByteReader mesh = meshes.Sub(kMeshSize);
      mesh.I32();
      const int32_t commandOffset = mesh.I32();
      const int32_t skin = mesh.I32();
      const bool textured = !model.textures.empty();
      if (textured && (skin < 0 || static_cast<size_t>(skin) >= model.textures.size()))
        return Fail("a mesh names no texture");
      MdlMesh out{static_cast<int32_t>(model.vertices.size()), 0, textured ? skin : -1};
      const MdlTexture* texture = textured ? &model.textures[static_cast<size_t>(skin)] : nullptr;
      if (commandOffset < 0 || static_cast<size_t>(commandOffset) > bytes_.size())
        return Fail("a mesh's commands lie outside the file");
      win::ByteReader commands(bytes_.subspan(static_cast<size_t>(commandOffset)));
      for (int16_t count = commands.I16(); count != 0; count = commands.I16()) {
        if (!commands.Ok()) return Fail("a mesh's commands run past the file");
        const bool fan = count < 0;
        const int32_t n = std::abs(static_cast<int32_t>(count));
        std::vector<MDLVertex> strip;
        std::vector<int32_t> stripBones;
        for (int32_t i = 0; i < n; ++i) {
          const int16_t vertex = commands.I16(), normal = commands.I16();
          const int16_t s = commands.I16(), t = commands.I16();
          if (!commands.Ok()) return Fail("a mesh's commands run past the file");
          if (vertex < 0 || vertex >= vertexCount || normal < 0 || normal >= normalCount)
            return Fail("a triangle command names no vertex or normal");
          const d3dx::D3DXVECTOR3& p = positions[static_cast<size_t>(vertex)];
          const d3dx::D3DXVECTOR3& q = normals[static_cast<size_t>(normal)];
          const int32_t bone = bones[static_cast<size_t>(vertex)];
          const float u = texture ? static_cast<float>(s) / static_cast<float>(texture->width) : 0;
          const float w = texture ? static_cast<float>(t) / static_cast<float>(texture->height) : 0;
          strip.push_back({p.x, p.y, p.z, q.x, q.y, q.z, u, w, static_cast<float>(3 * bone)});
          stripBones.push_back(bone);
        }
        for (int32_t j = 0; j + 2 < n; ++j) {
          int32_t corners[3] = {j, j + 1, j + 2};
          if (fan) {
            corners[0] = 0;
          } else if (j % 2 == 1) {
            std::swap(corners[0], corners[2]);
          }
          for (int32_t c : corners) {
            model.vertices.push_back(strip[static_cast<size_t>(c)]);
            model.vertexBones.push_back(stripBones[static_cast<size_t>(c)]);
          }
          ++out.triangleCount;
        }
      }
      model.meshes.push_back(out);
    }
    return true;
  }

  // Every channel of every bone at frames 0 .. frames; the frame after the last repeats it unless
  // the runs go on.
  bool Decode(std::span<const uint8_t> source, int32_t animation, MdlSequence& sequence) {
    const size_t boneCount = model.bones.size();
    const size_t frames = static_cast<size_t>(sequence.frames) + 1;
    if (frames * boneCount * kMdlChannels > kMdlMaxPoseValues)
      return Fail("a sequence is too long");
    win::ByteReader offsets =
        RecordTable(source, animation, static_cast<int32_t>(boneCount), kChannelOffsetsSize);
    if (!offsets.Ok()) return Fail("a sequence's animation lies outside its file");
    sequence.values.assign(frames * boneCount * kMdlChannels, 0.0f);
    for (size_t b = 0; b < boneCount; ++b) {
      const MdlBone& bone = model.bones[b];
      const size_t start = static_cast<size_t>(animation) + b * kChannelOffsetsSize;
      for (size_t c = 0; c < kMdlChannels; ++c) {
        const uint16_t offset = offsets.U16();
        ChannelRuns runs(source, start + offset);
        for (size_t f = 0; f < frames; ++f) {
          float& value = sequence.values[(f * boneCount + b) * kMdlChannels + c];
          value = bone.value[c];
          if (offset == 0) continue;
          int16_t stored = 0;
          if (runs.Next(&stored)) {
            value += static_cast<float>(stored) * bone.scale[c];
          } else if (f + 1 < frames) {
            return Fail("a sequence's channel runs past its file or has an empty run");
          } else if (f > 0) {
            value = sequence.values[((f - 1) * boneCount + b) * kMdlChannels + c];
          }
        }
      }
    }
    return true;
  }

  // The stored values of one channel, frame after frame.
  class ChannelRuns {
   public:
    ChannelRuns(std::span<const uint8_t> source, size_t offset) : reader_(source) {
      reader_.Seek(offset);
    }

    // The next frame's value; false once the runs do not hold (an empty run, or past the file).
    bool Next(int16_t* out) {
      if (index_ == total_) {
        if (!reader_.Skip(2 * valid_)) return false;
        valid_ = reader_.U8();
        total_ = reader_.U8();
        index_ = 0;
        if (!reader_.Ok() || valid_ == 0 || total_ == 0) return false;
        run_ = reader_;
      }
      win::ByteReader value = run_;
      value.Skip(2 * std::min(index_, valid_ - 1));
      *out = value.I16();
      ++index_;
      return value.Ok();
    }

   private:
    win::ByteReader reader_;
    win::ByteReader run_;  // at the current run's first value
    size_t valid_ = 0, total_ = 0, index_ = 0;
  };

  std::span<const uint8_t> bytes_;
  Header h_;
};

}  // namespace

MdlPreview PreviewMdl(std::span<const uint8_t> bytes) {
  MdlPreview preview;
  const std::optional<Header> header = ReadHeader(bytes);
  if (!header) return preview;
  preview.geometry = header->bodyPartCount > 0;
  preview.textureCount = header->textureCount;
  preview.groupCount = header->groupCount;
  return preview;
}

MdlDecoded DecodeMdl(std::span<const uint8_t> model, std::span<const uint8_t> textures,
                     const std::vector<std::optional<std::vector<uint8_t>>>& groups) {
  MdlDecoded decoded;
  const std::optional<Header> header = ReadHeader(model);
  if (!header) {
    decoded.reason = "not a studio file";
    return decoded;
  }
  Decoder decoder(model, *header);
  const std::span<const uint8_t> textureFile = header->textureCount > 0 ? model : textures;
  if (decoder.Bones() && decoder.HitBoxes() && decoder.Textures(textureFile) &&
      decoder.Geometry() && decoder.Sequences(groups)) {
    if (decoder.model.vertices.empty()) {
      decoded.reason = "no triangles";
      return decoded;
    }
    decoded.model = std::move(decoder.model);
  } else {
    decoded.reason = decoder.error;
  }
  return decoded;
}
