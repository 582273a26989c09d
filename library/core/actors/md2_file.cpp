#include "library/core/actors/md2_file.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "library/core/actors/record_table.h"

namespace {

struct Header {
  uint32_t ident;
  int32_t version, skinWidth, skinHeight, frameSize, skinCount, vertexCount, texCoordCount,
      triangleCount, commandCount, frameCount, skinOffset, texCoordOffset, triangleOffset,
      frameOffset, commandOffset, endOffset;
};

Md2Decoded Refuse(std::string reason) {
  Md2Decoded decoded;
  decoded.reason = std::move(reason);
  return decoded;
}

// A name in a fixed field, which must hold its terminator; false when it does not.
bool FixedName(win::ByteReader& reader, size_t fieldSize, std::string& name) {
  win::ByteReader field = reader.Sub(fieldSize);
  name = field.CString(fieldSize - 1);
  return field.Ok();
}

void FillBox(Md2Frame& frame) {
  for (int axis = 0; axis < 3; ++axis) {
    frame.boxMin[axis] = frame.positions[static_cast<size_t>(axis)];
    frame.boxMax[axis] = frame.boxMin[axis];
  }
  for (size_t i = 0; i < frame.positions.size(); ++i) {
    float& low = frame.boxMin[i % 3];
    float& high = frame.boxMax[i % 3];
    low = std::min(low, frame.positions[i]);
    high = std::max(high, frame.positions[i]);
  }
  float squared = 0.0f;
  for (int axis = 0; axis < 3; ++axis) {
    frame.centre[axis] = (frame.boxMin[axis] + frame.boxMax[axis]) / 2.0f;
    const float half = frame.centre[axis] - frame.boxMin[axis];
    squared += half * half;
  }
  frame.radius = std::sqrt(squared);
}

// Each name's run of frames, in file order; a name that comes back later starts a new run.
std::vector<Md2Animation> Animations(const std::vector<Md2Frame>& frames) {
  std::vector<Md2Animation> animations;
  for (size_t i = 0; i < frames.size(); ++i) {
    std::string name = Md2AnimationName(frames[i].name);
    if (animations.empty() || animations.back().name != name)
      animations.push_back({name, static_cast<int32_t>(i), static_cast<int32_t>(i)});
    else
      animations.back().last = static_cast<int32_t>(i);
  }
  return animations;
}

}  // namespace

std::string Md2AnimationName(const std::string& frameName) {
  size_t end = frameName.size();
  while (end > 0 && std::isdigit(static_cast<unsigned char>(frameName[end - 1])) != 0) --end;
  return frameName.substr(0, end);
}

Md2Decoded DecodeMd2(std::span<const uint8_t> bytes) {
  win::ByteReader reader(bytes);
  Header h{};
  h.ident = reader.U32();
  for (int32_t* word :
       {&h.version, &h.skinWidth, &h.skinHeight, &h.frameSize, &h.skinCount, &h.vertexCount,
        &h.texCoordCount, &h.triangleCount, &h.commandCount, &h.frameCount, &h.skinOffset,
        &h.texCoordOffset, &h.triangleOffset, &h.frameOffset, &h.commandOffset, &h.endOffset})
    *word = reader.I32();
  if (!reader.Ok() || h.ident != kMd2Ident) {
    Md2Decoded decoded = Refuse("bad Ident");
    decoded.refusal = Md2Refusal::BadIdent;
    return decoded;
  }
  if (h.skinWidth <= 0 || h.skinHeight <= 0) return Refuse("skin size is not positive");
  if (h.frameCount <= 0) return Refuse("no frames");
  if (h.triangleCount <= 0) return Refuse("no triangles");
  if (h.vertexCount <= 0 || h.vertexCount > UINT16_MAX + 1) return Refuse("bad vertex count");
  if (h.frameSize < 0 ||
      static_cast<size_t>(h.frameSize) <
          kMd2FrameHeaderSize + static_cast<size_t>(h.vertexCount) * kMd2FrameVertexSize)
    return Refuse("frame size too small for its vertices");

  win::ByteReader skins = RecordTable(bytes, h.skinOffset, h.skinCount, kMd2SkinNameSize);
  win::ByteReader texCoords =
      RecordTable(bytes, h.texCoordOffset, h.texCoordCount, kMd2TexCoordSize);
  win::ByteReader triangles =
      RecordTable(bytes, h.triangleOffset, h.triangleCount, kMd2TriangleSize);
  win::ByteReader frames =
      RecordTable(bytes, h.frameOffset, h.frameCount, static_cast<size_t>(h.frameSize));
  if (!skins.Ok() || !texCoords.Ok() || !triangles.Ok() || !frames.Ok())
    return Refuse("a table lies outside the file");

  Md2Model model;
  model.skinWidth = h.skinWidth;
  model.skinHeight = h.skinHeight;
  model.triangleCount = h.triangleCount;
  if (h.skinCount > 0) {
    if (!FixedName(skins, kMd2SkinNameSize, model.skin)) return Refuse("skin name not terminated");
  }

  std::vector<int16_t> texels(static_cast<size_t>(h.texCoordCount) * 2);
  for (int16_t& texel : texels) texel = texCoords.I16();
  model.corners.resize(static_cast<size_t>(h.triangleCount) * 3);
  for (size_t t = 0; t < static_cast<size_t>(h.triangleCount); ++t) {
    uint16_t vertex[3], texCoord[3];
    for (uint16_t& index : vertex) index = triangles.U16();
    for (uint16_t& index : texCoord) index = triangles.U16();
    for (int c = 0; c < 3; ++c) {
      if (vertex[c] >= h.vertexCount) return Refuse("triangle vertex index out of range");
      if (texCoord[c] >= h.texCoordCount)
        return Refuse("triangle texture coordinate index out of range");
      Md2Corner& corner = model.corners[t * 3 + static_cast<size_t>(c)];
      corner.u = static_cast<float>(texels[texCoord[c] * 2u]) / static_cast<float>(h.skinWidth);
      corner.v =
          static_cast<float>(texels[texCoord[c] * 2u + 1]) / static_cast<float>(h.skinHeight);
      corner.vertex = vertex[c];
    }
  }

  model.frames.resize(static_cast<size_t>(h.frameCount));
  std::vector<uint8_t> packed(static_cast<size_t>(h.vertexCount) * 3);
  for (Md2Frame& frame : model.frames) {
    win::ByteReader record = frames.Sub(static_cast<size_t>(h.frameSize));
    float scale[3], translation[3];
    for (float& value : scale) value = record.F32();
    for (float& value : translation) value = record.F32();
    if (!FixedName(record, kMd2FrameNameSize, frame.name))
      return Refuse("frame name not terminated");
    for (size_t v = 0; v < static_cast<size_t>(h.vertexCount); ++v) {
      for (int axis = 0; axis < 3; ++axis) packed[v * 3 + static_cast<size_t>(axis)] = record.U8();
      record.U8();
    }
    for (int axis = 0; axis < 3; ++axis)
      if (!std::isfinite(scale[axis]) || !std::isfinite(translation[axis]))
        return Refuse("frame scale or translation not finite");
    frame.positions.resize(model.corners.size() * 3);
    for (size_t c = 0; c < model.corners.size(); ++c)
      for (size_t axis = 0; axis < 3; ++axis)
        frame.positions[c * 3 + axis] =
            static_cast<float>(packed[model.corners[c].vertex * 3u + axis]) * scale[axis] +
            translation[axis];
    FillBox(frame);
  }
  model.animations = Animations(model.frames);
  Md2Decoded decoded;
  decoded.model = std::move(model);
  return decoded;
}
