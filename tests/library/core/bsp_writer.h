// A writer of version-30 BSP level files as the format lays them out, with the records open to
// damage, and the levels the tests load: a box room and two rooms side by side that cannot see
// each other. Coordinates are the file's (z up).
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/win/byte_writer.h"

namespace bsp_test {

struct Vec3 {
  float x, y, z;
};

struct Rgb {
  uint8_t red, green, blue;
};

struct Texture {
  std::string name;
  int32_t width, height;
  bool missing = false;  // offset -1 and no header, as compilers write a texture they lacked
};

struct TexInfo {
  float s[4];
  float t[4];
  int32_t texture;
};

struct Face {
  uint16_t plane;
  int32_t firstEdge;
  int16_t edgeCount;
  int16_t texInfo;
  int32_t lightmapOffset;
};

struct Node {
  int32_t plane;
  int16_t front, back;
};

struct Leaf {
  int32_t visibilityOffset;
  int16_t minimum[3], maximum[3];
  uint16_t firstMark, markCount;
};

struct Model {
  float minimum[3], maximum[3];
  int32_t headNode;
  int32_t firstFace, faceCount;
};

struct Level {
  int32_t version = 30;
  std::string entities;
  std::vector<std::array<float, 4>> planes;  // normal, distance
  std::vector<Texture> textures;
  std::vector<Vec3> vertices;
  std::vector<uint8_t> visibility;
  std::vector<Node> nodes;
  std::vector<TexInfo> texInfos;
  std::vector<Face> faces;
  std::vector<uint8_t> lighting;
  std::vector<Leaf> leaves;
  std::vector<uint16_t> markSurfaces;
  std::vector<std::pair<uint16_t, uint16_t>> edges;
  std::vector<int32_t> surfaceEdges;
  std::vector<Model> models;
  // A lump whose written range is moved past the file's end.
  int32_t brokenLump = -1;
};

// The lightmap size the format gives a face of these s and t extents.
inline std::pair<int32_t, int32_t> LightmapSize(float sMin, float sMax, float tMin, float tMax) {
  return {static_cast<int32_t>(std::ceil(sMax / 16) - std::floor(sMin / 16) + 1),
          static_cast<int32_t>(std::ceil(tMax / 16) - std::floor(tMin / 16) + 1)};
}

// Adds a face over the corners in order (clockwise seen from its front, as compilers wind them),
// with a lightmap of one colour (none: no lightmap); returns its index.
inline uint16_t AddFace(Level& level, const std::vector<Vec3>& corners, int16_t texInfo,
                        std::optional<Rgb> light) {
  Face face{0, static_cast<int32_t>(level.surfaceEdges.size()),
            static_cast<int16_t>(corners.size()), texInfo, -1};
  const size_t first = level.vertices.size();
  float sMin = 1e9f, sMax = -1e9f, tMin = 1e9f, tMax = -1e9f;
  const TexInfo& info = level.texInfos[static_cast<size_t>(texInfo)];
  for (size_t k = 0; k < corners.size(); ++k) {
    const Vec3& p = corners[k];
    level.vertices.push_back(p);
    const float s = p.x * info.s[0] + p.y * info.s[1] + p.z * info.s[2] + info.s[3];
    const float t = p.x * info.t[0] + p.y * info.t[1] + p.z * info.t[2] + info.t[3];
    sMin = std::min(sMin, s), sMax = std::max(sMax, s), tMin = std::min(tMin, t);
    tMax = std::max(tMax, t);
    // Edges alternate between forward and backward use, as compilers share them.
    const auto from = static_cast<uint16_t>(first + k);
    const auto to = static_cast<uint16_t>(first + (k + 1) % corners.size());
    const auto edge = static_cast<int32_t>(level.edges.size());
    if (k % 2 == 0) {
      level.edges.emplace_back(from, to);
      level.surfaceEdges.push_back(edge);
    } else {
      level.edges.emplace_back(to, from);
      level.surfaceEdges.push_back(-edge);
    }
  }
  // Edge 0 cannot be taken backwards: the writer starts every level with an unused one.
  if (light) {
    const auto [w, h] = LightmapSize(sMin, sMax, tMin, tMax);
    face.lightmapOffset = static_cast<int32_t>(level.lighting.size());
    for (int32_t texel = 0; texel < w * h; ++texel) {
      level.lighting.insert(level.lighting.end(), {light->red, light->green, light->blue});
    }
  }
  level.faces.push_back(face);
  return static_cast<uint16_t>(level.faces.size() - 1);
}

inline std::vector<uint8_t> Write(const Level& level) {
  std::vector<std::vector<uint8_t>> lumps(15);
  win::ByteWriter w;
  const auto take = [&w]() {
    std::vector<uint8_t> bytes = w.Data();
    w = win::ByteWriter{};
    return bytes;
  };
  w.Bytes(std::vector<uint8_t>(level.entities.begin(), level.entities.end()));
  lumps[0] = take();
  for (const auto& plane : level.planes) {
    for (float value : plane) w.F32(value);
    w.I32(0);
  }
  lumps[1] = take();
  if (!level.textures.empty()) {
    w.I32(static_cast<int32_t>(level.textures.size()));
    auto header = static_cast<int32_t>(4 + 4 * level.textures.size());
    for (const Texture& texture : level.textures) {
      w.I32(texture.missing ? -1 : header);
      if (!texture.missing) header += 40;
    }
    for (const Texture& texture : level.textures) {
      if (texture.missing) continue;
      std::vector<uint8_t> name(16, 0);
      std::copy_n(texture.name.begin(), std::min<size_t>(texture.name.size(), 15), name.begin());
      w.Bytes(name);
      w.I32(texture.width);
      w.I32(texture.height);
      for (int mip = 0; mip < 4; ++mip) w.I32(0);
    }
  }
  lumps[2] = take();
  for (const Vec3& v : level.vertices) {
    w.F32(v.x);
    w.F32(v.y);
    w.F32(v.z);
  }
  lumps[3] = take();
  w.Bytes(level.visibility);
  lumps[4] = take();
  for (const Node& node : level.nodes) {
    w.I32(node.plane);
    w.I16(node.front);
    w.I16(node.back);
    for (int i = 0; i < 8; ++i) w.I16(0);
  }
  lumps[5] = take();
  for (const TexInfo& info : level.texInfos) {
    for (float value : info.s) w.F32(value);
    for (float value : info.t) w.F32(value);
    w.I32(info.texture);
    w.I32(0);
  }
  lumps[6] = take();
  for (const Face& face : level.faces) {
    w.U16(face.plane);
    w.U16(0);
    w.I32(face.firstEdge);
    w.I16(face.edgeCount);
    w.I16(face.texInfo);
    w.U32(0);
    w.I32(face.lightmapOffset);
  }
  lumps[7] = take();
  w.Bytes(level.lighting);
  lumps[8] = take();
  lumps[9] = take();  // clip nodes
  for (const Leaf& leaf : level.leaves) {
    w.I32(-1);
    w.I32(leaf.visibilityOffset);
    for (int16_t value : leaf.minimum) w.I16(value);
    for (int16_t value : leaf.maximum) w.I16(value);
    w.U16(leaf.firstMark);
    w.U16(leaf.markCount);
    w.U32(0);
  }
  lumps[10] = take();
  for (uint16_t face : level.markSurfaces) w.U16(face);
  lumps[11] = take();
  for (const auto& [from, to] : level.edges) {
    w.U16(from);
    w.U16(to);
  }
  lumps[12] = take();
  for (int32_t edge : level.surfaceEdges) w.I32(edge);
  lumps[13] = take();
  for (const Model& model : level.models) {
    for (float value : model.minimum) w.F32(value);
    for (float value : model.maximum) w.F32(value);
    for (int i = 0; i < 3; ++i) w.F32(0);
    w.I32(model.headNode);
    for (int i = 0; i < 3; ++i) w.I32(0);
    w.I32(0);
    w.I32(model.firstFace);
    w.I32(model.faceCount);
  }
  lumps[14] = take();

  win::ByteWriter file;
  file.I32(level.version);
  int32_t offset = 4 + 15 * 8;
  for (size_t i = 0; i < lumps.size(); ++i) {
    const auto length = static_cast<int32_t>(lumps[i].size());
    file.I32(static_cast<int32_t>(i) == level.brokenLump ? offset + (1 << 20) : offset);
    file.I32(length);
    offset += length;
  }
  for (const auto& lump : lumps) file.Bytes(lump);
  return file.Data();
}

// The planes' texture axes: s and t along the two axes the face spans.
inline TexInfo Axes(int axis, int32_t texture) {
  TexInfo info{{0, 0, 0, 0}, {0, 0, 0, 0}, texture};
  info.s[axis == 0 ? 1 : 0] = 1;
  info.t[axis == 2 ? 1 : 2] = 1;
  return info;
}

// A room of side 128 from (x0, 0, 0): floor and ceiling of texture 1 ("Floor", 16 x 16), then the
// four walls of texture 0 ("Wall", 32 x 32), each face a quad with a lightmap of its colour.
// Returns the first face's index; the room's faces are its six marks from there.
inline uint16_t AddRoom(Level& level, float x0, Rgb light) {
  if (level.textures.empty()) {
    level.textures = {{"Wall", 32, 32}, {"Floor", 16, 16}};
    for (int axis = 0; axis < 3; ++axis) {
      level.texInfos.push_back(Axes(axis, 0));
      level.texInfos.push_back(Axes(axis, 1));
    }
    level.edges.emplace_back(0, 0);
    level.planes.push_back({0, 0, 1, 0});
  }
  const float x1 = x0 + 128;
  const uint16_t first =
      AddFace(level, {{x0, 0, 0}, {x0, 128, 0}, {x1, 128, 0}, {x1, 0, 0}}, 5, light);
  AddFace(level, {{x0, 0, 128}, {x1, 0, 128}, {x1, 128, 128}, {x0, 128, 128}}, 5, light);
  AddFace(level, {{x0, 0, 0}, {x1, 0, 0}, {x1, 0, 128}, {x0, 0, 128}}, 2, light);
  AddFace(level, {{x0, 128, 0}, {x0, 128, 128}, {x1, 128, 128}, {x1, 128, 0}}, 2, light);
  AddFace(level, {{x0, 0, 0}, {x0, 0, 128}, {x0, 128, 128}, {x0, 128, 0}}, 0, light);
  AddFace(level, {{x1, 0, 0}, {x1, 128, 0}, {x1, 128, 128}, {x1, 0, 128}}, 0, light);
  return first;
}

inline Leaf RoomLeaf(float x0, int32_t visibilityOffset, uint16_t firstMark) {
  const auto x = static_cast<int16_t>(x0);
  return {visibilityOffset, {x, 0, 0}, {static_cast<int16_t>(x + 128), 128, 128}, firstMark, 6};
}

inline void MarkRoom(Level& level, uint16_t firstFace) {
  for (uint16_t face = firstFace; face < firstFace + 6; ++face) level.markSurfaces.push_back(face);
}

// One room: one node whose front holds everything (leaf 1), leaf 0 the solid outside; leaf 1
// sees itself.
inline Level BoxRoom(Rgb light = {128, 64, 32}) {
  Level level;
  level.entities =
      "{\n\"classname\" \"worldspawn\"\n\"wad\" \"\\half\\rooms.wad\"\n}\n"
      "{\n\"classname\" \"light\"\n\"origin\" \"64 32 96\"\n\"_light\" \"255 200 100 300\"\n}\n"
      "{\n\"classname\" \"info_player_start\"\n\"origin\" \"64 64 36\"\n\"angle\" \"90\"\n}\n";
  MarkRoom(level, AddRoom(level, 0, light));
  level.planes.push_back({0, 0, 1, -10000});
  level.nodes.push_back({1, -2, -1});
  level.visibility = {0x01};
  level.leaves = {{-1, {0, 0, 0}, {0, 0, 0}, 0, 0}, RoomLeaf(0, 0, 0)};
  level.models.push_back({{0, 0, 0}, {128, 128, 128}, 0, 0, 6});
  return level;
}

// Rooms at x 0 and x 256; the plane x = 192 puts the first in leaf 1 and the second in leaf 2,
// and each leaf sees only itself.
inline Level TwoRooms() {
  Level level;
  level.entities = "{\n\"classname\" \"worldspawn\"\n}\n";
  MarkRoom(level, AddRoom(level, 0, {200, 200, 200}));
  MarkRoom(level, AddRoom(level, 256, {100, 100, 100}));
  level.planes.push_back({1, 0, 0, 192});
  level.nodes.push_back({1, -3, -2});
  level.visibility = {0x01, 0x02};
  level.leaves = {{-1, {0, 0, 0}, {0, 0, 0}, 0, 0}, RoomLeaf(0, 0, 0), RoomLeaf(256, 1, 6)};
  level.models.push_back({{0, 0, 0}, {384, 128, 128}, 0, 0, 12});
  return level;
}

}  // namespace bsp_test
