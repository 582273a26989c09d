// Small studio model files written by the tests: bones, hit boxes, sequences with channel runs,
// palette textures, one model of meshes made of strips and fans, and the texture and
// sequence-group files beside them.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace mdltest {

struct Bone {
  std::string name;
  int32_t parent = -1;
  std::array<float, 6> value{};  // position x, y, z, angles x, y, z
  std::array<float, 6> scale{1, 1, 1, 1, 1, 1};
};

struct HitBox {
  int32_t bone = 0;
  std::array<float, 3> min{};
  std::array<float, 3> max{};
};

struct Run {
  uint8_t total = 1;
  std::vector<int16_t> values;  // the valid ones
};

struct Sequence {
  std::string name;
  int32_t frames = 1;
  int32_t group = 0;
  // Per bone, per channel, its runs; a channel without runs is not animated.
  std::vector<std::array<std::vector<Run>, 6>> channels;
};

struct Texture {
  std::string name = "skin.bmp";
  int32_t width = 4;
  int32_t height = 4;
  uint8_t index = 1;                      // every pixel's palette entry
  std::array<uint8_t, 3> rgb{255, 0, 0};  // that entry's colour
};

struct Vertex {
  std::array<float, 3> position{};
  uint8_t bone = 0;
};

// One entry of a triangle command: vertex, normal, s, t.
using Corner = std::array<int16_t, 4>;

struct Command {
  bool fan = false;
  std::vector<Corner> corners;
};

struct Mesh {
  int32_t skin = 0;
  std::vector<Command> commands;
};

struct Contents {
  std::vector<Bone> bones;
  std::vector<HitBox> hitBoxes;
  std::vector<Sequence> sequences;
  int32_t groupCount = 1;
  std::vector<Texture> textures;
  bool texturesBeside = false;  // the textures go into the texture file, not the model
  std::vector<Vertex> vertices;
  std::vector<std::array<float, 3>> normals = {{0, 0, 1}};
  std::vector<Mesh> meshes;
};

class Writer {
 public:
  void I32(int32_t v) { Raw(&v, 4); }
  void U16(uint16_t v) { Raw(&v, 2); }
  void I16(int16_t v) { Raw(&v, 2); }
  void U8(uint8_t v) { bytes.push_back(v); }
  void F32(float v) { Raw(&v, 4); }
  void Name(const std::string& name, size_t size) {
    std::string field = name;
    field.resize(size, '\0');
    Raw(field.data(), size);
  }
  void Pad(size_t count) { bytes.resize(bytes.size() + count, 0); }
  int32_t At() const { return static_cast<int32_t>(bytes.size()); }
  void Patch(int32_t offset, int32_t value) {
    std::memcpy(&bytes[static_cast<size_t>(offset)], &value, 4);
  }
  void Patch16(size_t offset, uint16_t value) { std::memcpy(&bytes[offset], &value, 2); }
  void Raw(const void* data, size_t size) {
    const auto* p = static_cast<const uint8_t*>(data);
    bytes.insert(bytes.end(), p, p + size);
  }
  std::vector<uint8_t> bytes;
};

inline constexpr size_t kHeaderSize = 244;

inline Writer Header() {
  Writer w;
  w.Raw("IDST", 4);
  w.I32(10);
  w.Pad(kHeaderSize - 8);
  return w;
}

// The sequence's animation block at the writer's end: per bone six channel offsets, then the runs.
inline int32_t WriteAnimation(Writer& w, const Sequence& sequence, size_t boneCount) {
  const int32_t start = w.At();
  w.Pad(boneCount * 12);
  for (size_t b = 0; b < boneCount && b < sequence.channels.size(); ++b) {
    for (size_t c = 0; c < 6; ++c) {
      const auto& runs = sequence.channels[b][c];
      if (runs.empty()) continue;
      const size_t base = static_cast<size_t>(start) + b * 12;
      w.Patch16(base + c * 2, static_cast<uint16_t>(static_cast<size_t>(w.At()) - base));
      for (const Run& run : runs) {
        w.U8(static_cast<uint8_t>(run.values.size()));
        w.U8(run.total);
        for (int16_t value : run.values) w.I16(value);
      }
    }
  }
  return start;
}

inline void WriteTextures(Writer& w, const std::vector<Texture>& textures) {
  w.Patch(180, static_cast<int32_t>(textures.size()));
  w.Patch(184, w.At());
  const int32_t table = w.At();
  w.Pad(textures.size() * 80);
  for (size_t t = 0; t < textures.size(); ++t) {
    const Texture& texture = textures[t];
    const int32_t record = table + static_cast<int32_t>(t * 80);
    const int32_t pixels = w.At();
    w.Pad(static_cast<size_t>(texture.width * texture.height));
    std::memset(&w.bytes[static_cast<size_t>(pixels)], texture.index,
                static_cast<size_t>(texture.width * texture.height));
    std::array<uint8_t, 768> palette{};
    std::memcpy(&palette[texture.index * 3u], texture.rgb.data(), 3);
    w.Raw(palette.data(), palette.size());
    std::string name = texture.name;
    name.resize(64, '\0');
    std::memcpy(&w.bytes[static_cast<size_t>(record)], name.data(), 64);
    w.Patch(record + 68, texture.width);
    w.Patch(record + 72, texture.height);
    w.Patch(record + 76, pixels);
  }
}

inline std::vector<uint8_t> ModelFile(const Contents& c) {
  Writer w = Header();
  w.Patch(140, static_cast<int32_t>(c.bones.size()));
  w.Patch(144, w.At());
  for (const Bone& bone : c.bones) {
    w.Name(bone.name, 32);
    w.I32(bone.parent);
    w.I32(0);
    for (int i = 0; i < 6; ++i) w.I32(-1);
    for (float v : bone.value) w.F32(v);
    for (float s : bone.scale) w.F32(s);
  }
  w.Patch(156, static_cast<int32_t>(c.hitBoxes.size()));
  w.Patch(160, w.At());
  for (const HitBox& box : c.hitBoxes) {
    w.I32(box.bone);
    w.I32(0);
    for (float v : box.min) w.F32(v);
    for (float v : box.max) w.F32(v);
  }
  w.Patch(164, static_cast<int32_t>(c.sequences.size()));
  const int32_t sequences = w.At();
  w.Patch(168, sequences);
  w.Pad(c.sequences.size() * 176);
  for (size_t s = 0; s < c.sequences.size(); ++s) {
    const Sequence& sequence = c.sequences[s];
    const int32_t record = sequences + static_cast<int32_t>(s * 176);
    std::string name = sequence.name;
    name.resize(32, '\0');
    std::memcpy(&w.bytes[static_cast<size_t>(record)], name.data(), 32);
    float rate = 30.0f;
    std::memcpy(&w.bytes[static_cast<size_t>(record) + 32], &rate, 4);
    w.Patch(record + 56, sequence.frames);
    w.Patch(record + 156, sequence.group);
    if (sequence.group == 0) w.Patch(record + 124, WriteAnimation(w, sequence, c.bones.size()));
  }
  w.Patch(172, c.groupCount);
  if (!c.texturesBeside) WriteTextures(w, c.textures);
  // One body part of one model.
  w.Patch(204, 1);
  w.Patch(208, w.At());
  w.Name("body", 64);
  w.I32(1);
  w.I32(1);
  w.I32(w.At() + 4);
  const int32_t model = w.At();
  w.Pad(112);
  w.Patch(model + 72, static_cast<int32_t>(c.meshes.size()));
  w.Patch(model + 80, static_cast<int32_t>(c.vertices.size()));
  w.Patch(model + 84, w.At());
  for (const Vertex& v : c.vertices) w.U8(v.bone);
  w.Patch(model + 88, w.At());
  for (const Vertex& v : c.vertices)
    for (float p : v.position) w.F32(p);
  w.Patch(model + 92, static_cast<int32_t>(c.normals.size()));
  w.Patch(model + 100, w.At());
  for (const auto& n : c.normals)
    for (float p : n) w.F32(p);
  const int32_t meshes = w.At();
  w.Patch(model + 76, meshes);
  w.Pad(c.meshes.size() * 20);
  for (size_t m = 0; m < c.meshes.size(); ++m) {
    const int32_t record = meshes + static_cast<int32_t>(m * 20);
    w.Patch(record + 4, w.At());
    w.Patch(record + 8, c.meshes[m].skin);
    for (const Command& command : c.meshes[m].commands) {
      const auto n = static_cast<int16_t>(command.corners.size());
      w.I16(command.fan ? static_cast<int16_t>(-n) : n);
      for (const Corner& corner : command.corners)
        for (int16_t value : corner) w.I16(value);
    }
    w.I16(0);
  }
  return w.bytes;
}

inline std::vector<uint8_t> TextureFile(const Contents& c) {
  Writer w = Header();
  WriteTextures(w, c.textures);
  return w.bytes;
}

// Group file g: the animations of its sequences, at the offsets the model file does not hold, so
// the model must be rewritten with them: returns the group file and patches the model.
inline std::vector<uint8_t> GroupFile(const Contents& c, int32_t group,
                                      std::vector<uint8_t>& model) {
  Writer w;
  w.Raw("IDSQ", 4);
  w.I32(10);
  const int32_t sequences = [&] {
    int32_t offset = 0;
    std::memcpy(&offset, &model[168], 4);
    return offset;
  }();
  for (size_t s = 0; s < c.sequences.size(); ++s) {
    if (c.sequences[s].group != group) continue;
    const int32_t animation = WriteAnimation(w, c.sequences[s], c.bones.size());
    std::memcpy(&model[static_cast<size_t>(sequences) + s * 176 + 124], &animation, 4);
  }
  return w.bytes;
}

// A quad of two triangles as one strip over vertices 0 .. 3 (all at bone 0 unless said).
inline Contents OneBoneQuad() {
  Contents c;
  c.bones = {Bone{"root", -1, {}, {1, 1, 1, 1, 1, 1}}};
  c.textures = {Texture{}};
  c.vertices = {{{0, 0, 0}, 0}, {{1, 0, 0}, 0}, {{0, 1, 0}, 0}, {{1, 1, 0}, 0}};
  c.meshes = {Mesh{0, {Command{false, {{0, 0, 0, 0}, {1, 0, 4, 0}, {2, 0, 0, 4}, {3, 0, 4, 4}}}}}};
  c.sequences = {Sequence{"idle", 1, 0, {}}};
  return c;
}

// A root at (1, 2, 3) whose x moves 0, 1, 2 over three frames, and a child 5 above it turning
// about z by 0, 1, 2 radians; two triangles on each bone.
inline Contents TwoBones() {
  Contents c;
  c.bones = {Bone{"root", -1, {1, 2, 3, 0, 0, 0}, {0.1f, 1, 1, 1, 1, 1}},
             Bone{"child", 0, {0, 0, 5, 0, 0, 0}, {1, 1, 1, 1, 1, 0.01f}}};
  c.textures = {Texture{}};
  c.vertices = {{{0, 0, 0}, 0}, {{1, 0, 0}, 0}, {{0, 1, 0}, 0}, {{1, 1, 0}, 0},
                {{0, 0, 0}, 1}, {{1, 0, 0}, 1}, {{0, 1, 0}, 1}, {{1, 1, 0}, 1}};
  c.meshes = {Mesh{0,
                   {Command{false, {{0, 0, 0, 0}, {1, 0, 4, 0}, {2, 0, 0, 4}, {3, 0, 4, 4}}},
                    Command{true, {{4, 0, 0, 0}, {5, 0, 4, 0}, {7, 0, 4, 4}, {6, 0, 0, 4}}}}}};
  c.hitBoxes = {HitBox{0, {0, 0, -1}, {1, 1, 1}}, HitBox{1, {0, 0, -1}, {1, 1, 1}}};
  Sequence turn{"turn", 3, 0, {}};
  turn.channels.resize(2);
  turn.channels[0][0] = {Run{3, {0, 10, 20}}};
  turn.channels[1][5] = {Run{3, {0, 100, 200}}};
  Sequence still{"still", 10, 0, {}};
  c.sequences = {turn, still};
  return c;
}

}  // namespace mdltest
