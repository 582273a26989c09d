// The byte half of the BSP levels: every lump read through the one bounds-checked reader, every
// record checked against the lumps it names before a face is built.
#include "library/core/levels/bsp_file.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "library/core/geometry/maths.h"
#include "platform/win/ascii_case.h"
#include "platform/win/byte_reader.h"

namespace {

enum Lump {
  kEntities,
  kPlanes,
  kTextures,
  kVertices,
  kVisibility,
  kNodes,
  kTextureInfo,
  kFaces,
  kLighting,
  kClipNodes,
  kLeaves,
  kMarkSurfaces,
  kEdges,
  kSurfaceEdges,
  kModels,
  kLumpCount
};

constexpr size_t kPlaneBytes = 20;
constexpr size_t kTextureNameBytes = 16;
constexpr size_t kVertexBytes = 12;
constexpr size_t kNodeBytes = 24;
constexpr size_t kTextureInfoBytes = 40;
constexpr size_t kFaceBytes = 20;
constexpr size_t kLeafBytes = 28;
constexpr size_t kEdgeBytes = 4;
constexpr size_t kModelBytes = 64;
constexpr float kLightmapCell = 16.0f;  // texture units a lightmap texel covers
constexpr float kExtentStart = 10000.0f;
// A lightmap side past it cannot be packed into any atlas a device makes.
constexpr double kMaxLightmapSide = 65536.0;
constexpr float kPlaneEpsilon = -0.001f;

struct TextureInfo {
  float s[4];
  float t[4];
  int32_t texture;
};

struct Failure {
  std::string fault;
};

// A lump's bytes; a failure when its range is not inside the file.
std::span<const uint8_t> LumpBytes(std::span<const uint8_t> file, int32_t offset, int32_t length,
                                   bool& ok) {
  if (offset < 0 || length < 0 || static_cast<size_t>(offset) > file.size() ||
      static_cast<size_t>(length) > file.size() - static_cast<size_t>(offset)) {
    ok = false;
    return {};
  }
  return file.subspan(static_cast<size_t>(offset), static_cast<size_t>(length));
}

// A node child or head node that names a node or leaf that exists.
bool ValidChild(int32_t child, size_t nodes, size_t leaves) {
  if (child >= 0) return static_cast<size_t>(child) < nodes;
  return static_cast<size_t>(-(static_cast<int64_t>(child) + 1)) < leaves;
}

std::string FieldText(std::span<const uint8_t> field) {
  size_t length = 0;
  while (length < field.size() && field[length] != 0) ++length;
  return std::string(reinterpret_cast<const char*>(field.data()), length);
}

std::vector<TextureInfo> ReadTextureInfo(std::span<const uint8_t> lump) {
  win::ByteReader reader(lump);
  std::vector<TextureInfo> infos(lump.size() / kTextureInfoBytes);
  for (TextureInfo& info : infos) {
    for (float& value : info.s) value = reader.F32();
    for (float& value : info.t) value = reader.F32();
    info.texture = reader.I32();
    reader.Skip(4);  // flags
  }
  return infos;
}

// The faces' vertices, fans and lightmap coordinates; a fault names the first record that does
// not fit.
std::optional<Failure> BuildFaces(std::span<const uint8_t> faceLump,
                                  const std::vector<TextureInfo>& infos,
                                  const std::vector<uint32_t>& surfaceEdges,
                                  const std::vector<std::pair<uint16_t, uint16_t>>& edges,
                                  const std::vector<d3dx::D3DXVECTOR3>& positions,
                                  size_t lightingBytes, BspImage& image) {
  win::ByteReader reader(faceLump);
  const size_t faceCount = faceLump.size() / kFaceBytes;
  for (size_t index = 0; index < faceCount; ++index) {
    const uint16_t plane = reader.U16();
    reader.Skip(2);  // side
    const int32_t firstEdge = reader.I32();
    const int16_t edgeCount = reader.I16();
    const int16_t info = reader.I16();
    reader.Skip(4);  // styles
    const int32_t lightmapOffset = reader.I32();
    if (plane >= image.planes.size()) return Failure{"face plane"};
    if (edgeCount < 3 || firstEdge < 0 ||
        static_cast<size_t>(firstEdge) + static_cast<size_t>(edgeCount) > surfaceEdges.size()) {
      return Failure{"face edges"};
    }
    if (info < 0 || static_cast<size_t>(info) >= infos.size() ||
        infos[static_cast<size_t>(info)].texture < 0 ||
        static_cast<size_t>(infos[static_cast<size_t>(info)].texture) >= image.textures.size()) {
      return Failure{"face texture"};
    }
    const TextureInfo& axes = infos[static_cast<size_t>(info)];
    const BspTexture& texture = image.textures[static_cast<size_t>(axes.texture)];

    BspFace face{};
    face.plane = plane;
    face.texture = axes.texture;
    face.firstVertex = static_cast<int32_t>(image.vertices.size());
    face.vertexCount = edgeCount;
    face.firstIndex = static_cast<int32_t>(image.indices.size());
    face.indexCount = 3 * (edgeCount - 2);
    float sMin = kExtentStart, sMax = -kExtentStart, tMin = kExtentStart, tMax = -kExtentStart;
    std::vector<float> ss, ts;
    for (int32_t k = 0; k < edgeCount; ++k) {
      const uint32_t edge = surfaceEdges[static_cast<size_t>(firstEdge + k)];
      const auto signedEdge = static_cast<int32_t>(edge);
      const size_t edgeIndex = signedEdge >= 0
                                   ? static_cast<size_t>(signedEdge)
                                   : static_cast<size_t>(-static_cast<int64_t>(signedEdge));
      if (edgeIndex >= edges.size()) return Failure{"surface edge"};
      const uint16_t vertex = signedEdge >= 0 ? edges[edgeIndex].first : edges[edgeIndex].second;
      if (vertex >= positions.size()) return Failure{"edge vertex"};
      const d3dx::D3DXVECTOR3& p = positions[vertex];
      // The file's x is the negated one taken back.
      const float s = -p.x * axes.s[0] + p.y * axes.s[1] + p.z * axes.s[2] + axes.s[3];
      const float t = -p.x * axes.t[0] + p.y * axes.t[1] + p.z * axes.t[2] + axes.t[3];
      if (!std::isfinite(s) || !std::isfinite(t)) return Failure{"texture coordinates"};
      sMin = std::min(sMin, s);
      sMax = std::max(sMax, s);
      tMin = std::min(tMin, t);
      tMax = std::max(tMax, t);
      ss.push_back(s);
      ts.push_back(t);
      // A missing texture has no size to scale by; nothing is drawn on its coordinates.
      const float u = texture.missing ? 0.0f : s / static_cast<float>(texture.width);
      const float v = texture.missing ? 0.0f : t / static_cast<float>(texture.height);
      image.vertices.push_back({p.x, p.y, p.z, 0, 0, 1, u, v, 0, 0});
    }
    const double width = std::ceil(sMax / kLightmapCell) - std::floor(sMin / kLightmapCell) + 1.0;
    const double height = std::ceil(tMax / kLightmapCell) - std::floor(tMin / kLightmapCell) + 1.0;
    if (!(width <= kMaxLightmapSide && height <= kMaxLightmapSide)) {
      return Failure{"lightmap size"};
    }
    face.lightmapWidth = static_cast<float>(width);
    face.lightmapHeight = static_cast<float>(height);
    if (lightmapOffset != kBspNoLightmap) {
      const uint64_t bytes =
          static_cast<uint64_t>(width) * static_cast<uint64_t>(height) * kBspLightmapTexelBytes;
      if (lightmapOffset < 0 || static_cast<uint64_t>(lightmapOffset) > lightingBytes ||
          bytes > lightingBytes - static_cast<uint64_t>(lightmapOffset)) {
        return Failure{"lightmap offset"};
      }
    }
    face.lightmapOffset = lightmapOffset;
    face.atlas = lightmapOffset;
    const float sCentre = (sMin + sMax) / 2, tCentre = (tMin + tMax) / 2;
    for (int32_t k = 0; k < edgeCount; ++k) {
      BspVertex& vertex = image.vertices[static_cast<size_t>(face.firstVertex + k)];
      vertex.lightU =
          ((ss[static_cast<size_t>(k)] - sCentre) / kLightmapCell + face.lightmapWidth / 2) /
          face.lightmapWidth;
      vertex.lightV =
          ((ts[static_cast<size_t>(k)] - tCentre) / kLightmapCell + face.lightmapHeight / 2) /
          face.lightmapHeight;
    }
    const auto first = static_cast<uint32_t>(face.firstVertex);
    for (uint32_t k = 0; k + 3 <= static_cast<uint32_t>(edgeCount); ++k) {
      image.indices.insert(image.indices.end(), {first, first + k + 1, first + k + 2});
    }
    image.faces.push_back(face);
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::vector<BspTexture>> ReadBspTextures(std::span<const uint8_t> lump) {
  std::vector<BspTexture> textures;
  if (lump.empty()) return textures;
  win::ByteReader reader(lump);
  const int32_t count = reader.I32();
  if (!reader.Ok() || count < 0 || static_cast<size_t>(count) > reader.Remaining() / 4) {
    return std::nullopt;
  }
  std::vector<int32_t> offsets(static_cast<size_t>(count));
  for (int32_t& offset : offsets) offset = reader.I32();
  for (int32_t offset : offsets) {
    if (offset == kBspMissingTexture) {
      textures.push_back({"", 0, 0, true});
      continue;
    }
    if (offset < 0 || !reader.Seek(static_cast<size_t>(offset))) return std::nullopt;
    win::ByteReader header = reader.Sub(kBspTextureHeaderBytes);
    const std::string name = FieldText(header.Bytes(kTextureNameBytes));
    const int32_t width = header.I32();
    const int32_t height = header.I32();
    // Texture coordinates are divided by the size.
    if (!header.Ok() || width <= 0 || height <= 0) return std::nullopt;
    textures.push_back({name, width, height});
  }
  return textures;
}

BspReadResult ReadBspFile(std::span<const uint8_t> file) {
  BspReadResult result;
  win::ByteReader header(file);
  const int32_t version = header.I32();
  if (!header.Ok() || version != kBspVersion) {
    result.formatRefused = true;
    return result;
  }
  std::span<const uint8_t> lumps[kLumpCount];
  bool ok = true;
  for (auto& lump : lumps) {
    const int32_t offset = header.I32();
    const int32_t length = header.I32();
    if (!header.Ok()) ok = false;
    lump = LumpBytes(file, offset, length, ok);
  }
  const auto refuse = [&result](std::string fault) {
    result.fault = std::move(fault);
    return std::move(result);
  };
  if (!ok) return refuse("lump range");

  BspImage image;
  image.entityText.assign(reinterpret_cast<const char*>(lumps[kEntities].data()),
                          lumps[kEntities].size());
  {
    win::ByteReader reader(lumps[kPlanes]);
    image.planes.resize(lumps[kPlanes].size() / kPlaneBytes);
    for (BspPlane& plane : image.planes) {
      for (float& component : plane.normal) component = reader.F32();
      plane.distance = reader.F32();
      reader.Skip(4);  // type
    }
  }
  auto textures = ReadBspTextures(lumps[kTextures]);
  if (!textures) return refuse("textures");
  image.textures = std::move(*textures);

  std::vector<d3dx::D3DXVECTOR3> positions(lumps[kVertices].size() / kVertexBytes);
  {
    win::ByteReader reader(lumps[kVertices]);
    for (d3dx::D3DXVECTOR3& p : positions) {
      p.x = -reader.F32();
      p.y = reader.F32();
      p.z = reader.F32();
    }
  }
  image.visibility.assign(lumps[kVisibility].begin(), lumps[kVisibility].end());
  image.lighting.assign(lumps[kLighting].begin(), lumps[kLighting].end());

  const size_t leafCount = lumps[kLeaves].size() / kLeafBytes;
  {
    win::ByteReader reader(lumps[kNodes]);
    image.nodes.resize(lumps[kNodes].size() / kNodeBytes);
    for (BspNode& node : image.nodes) {
      node.plane = reader.I32();
      node.front = reader.I16();
      node.back = reader.I16();
      reader.Skip(16);  // bounds, first face, face count
      if (node.plane < 0 || static_cast<size_t>(node.plane) >= image.planes.size() ||
          !ValidChild(node.front, image.nodes.size(), leafCount) ||
          !ValidChild(node.back, image.nodes.size(), leafCount)) {
        return refuse("node");
      }
    }
  }
  const std::vector<TextureInfo> infos = ReadTextureInfo(lumps[kTextureInfo]);
  std::vector<std::pair<uint16_t, uint16_t>> edges(lumps[kEdges].size() / kEdgeBytes);
  {
    win::ByteReader reader(lumps[kEdges]);
    for (auto& edge : edges) {
      edge.first = reader.U16();
      edge.second = reader.U16();
    }
  }
  std::vector<uint32_t> surfaceEdges(lumps[kSurfaceEdges].size() / 4);
  {
    win::ByteReader reader(lumps[kSurfaceEdges]);
    for (uint32_t& edge : surfaceEdges) edge = reader.U32();
  }
  if (auto failure = BuildFaces(lumps[kFaces], infos, surfaceEdges, edges, positions,
                                lumps[kLighting].size(), image)) {
    return refuse(failure->fault);
  }

  std::vector<uint16_t> markSurfaces(lumps[kMarkSurfaces].size() / 2);
  {
    win::ByteReader reader(lumps[kMarkSurfaces]);
    for (uint16_t& face : markSurfaces) {
      face = reader.U16();
      if (face >= image.faces.size()) return refuse("mark surface");
    }
  }
  {
    win::ByteReader reader(lumps[kLeaves]);
    image.leaves.resize(leafCount);
    for (BspLeaf& leaf : image.leaves) {
      reader.Skip(4);  // contents
      leaf.visibilityOffset = reader.I32();
      for (float& value : leaf.minimum) value = reader.I16();
      for (float& value : leaf.maximum) value = reader.I16();
      const uint16_t first = reader.U16();
      const uint16_t count = reader.U16();
      reader.Skip(4);  // ambient levels
      if (leaf.visibilityOffset != kBspNoVisibility &&
          (leaf.visibilityOffset < 0 ||
           static_cast<size_t>(leaf.visibilityOffset) >= image.visibility.size())) {
        return refuse("leaf visibility");
      }
      if (size_t{first} + count > markSurfaces.size()) return refuse("leaf faces");
      leaf.faces.assign(markSurfaces.begin() + first, markSurfaces.begin() + first + count);
      const d3dx::D3DXVECTOR3 centre{{(leaf.minimum[0] + leaf.maximum[0]) / 2,
                                      (leaf.minimum[1] + leaf.maximum[1]) / 2,
                                      (leaf.minimum[2] + leaf.maximum[2]) / 2}};
      const float dx = centre.x - leaf.minimum[0], dy = centre.y - leaf.minimum[1],
                  dz = centre.z - leaf.minimum[2];
      leaf.radius = std::sqrt(dx * dx + dy * dy + dz * dz);
      leaf.centre = {{-centre.x, centre.y, centre.z}};
    }
  }
  {
    win::ByteReader reader(lumps[kModels]);
    image.models.resize(lumps[kModels].size() / kModelBytes);
    for (BspModel& model : image.models) {
      float minimum[3], maximum[3];
      for (float& value : minimum) value = reader.F32();
      for (float& value : maximum) value = reader.F32();
      reader.Skip(12);  // origin
      model.headNode = reader.I32();
      reader.Skip(12);  // the clipping hulls' heads
      model.visibleLeaves = reader.I32();
      model.firstFace = reader.I32();
      model.faceCount = reader.I32();
      model.centre = {{(minimum[0] + maximum[0]) / 2, (minimum[1] + maximum[1]) / 2,
                       (minimum[2] + maximum[2]) / 2}};
      const float dx = maximum[0] - model.centre.x, dy = maximum[1] - model.centre.y,
                  dz = maximum[2] - model.centre.z;
      model.radius = std::sqrt(dx * dx + dy * dy + dz * dz);
      if (!ValidChild(model.headNode, image.nodes.size(), image.leaves.size()) ||
          model.firstFace < 0 || model.faceCount < 0 ||
          static_cast<size_t>(model.firstFace) + static_cast<size_t>(model.faceCount) >
              image.faces.size()) {
        return refuse("model");
      }
    }
  }
  // The drawing walks the first model's tree, which must end in a leaf.
  if (image.models.empty()) return refuse("models");
  if (image.leaves.empty()) return refuse("leaves");
  result.image = std::move(image);
  return result;
}

namespace {

// The text between the quote at position and the next one; false when it is not closed.
bool QuotedText(std::string_view text, size_t& position, size_t limit, std::string& out) {
  const size_t open = text.find('"', position);
  if (open == std::string_view::npos) return false;
  const size_t close = text.find('"', open + 1);
  if (close == std::string_view::npos) return false;
  out.assign(text.substr(open + 1, std::min(close - open - 1, limit)));
  position = close + 1;
  return true;
}

void ReadFloats(const std::string& value, float* out, int count) {
  float read[4] = {};
  const int got = std::sscanf(value.c_str(), "%f %f %f %f", &read[0], &read[1], &read[2], &read[3]);
  // What sscanf matched before a short value ended is written, as the fields it filled.
  for (int i = 0; i < std::min(got, count); ++i) out[i] = read[i];
}

void ApplyPair(BspEntity& entity, const std::string& key, const std::string& value) {
  if (win::EqualsIgnoringCase(key, "position") || win::EqualsIgnoringCase(key, "origin") ||
      win::EqualsIgnoringCase(key, "color")) {
    ReadFloats(value, entity.origin, 3);
  } else if (win::EqualsIgnoringCase(key, "_light")) {
    ReadFloats(value, entity.light, 4);
  } else if (win::EqualsIgnoringCase(key, "classname")) {
    entity.className = value;
  } else if (key == "angle") {
    float angle = 0;
    ReadFloats(value, &angle, 1);
    entity.angles[0] = 0;
    entity.angles[1] = angle * kRadiansPerDegree;
    entity.angles[2] = 0;
  }
}

}  // namespace

std::vector<BspEntity> ParseBspEntities(std::string_view text) {
  // The lump may carry its terminator; the text ends there.
  text = text.substr(0, text.find('\0'));
  std::vector<BspEntity> entities;
  int32_t depth = 0;
  size_t position = 0;
  while (position < text.size()) {
    const char c = text[position];
    if (c == '{') {
      entities.emplace_back();
      ++depth;
      ++position;
    } else if (c == '}') {
      --depth;
      ++position;
    } else if (c == '"' && depth > 0 && !entities.empty()) {
      std::string key, value;
      if (!QuotedText(text, position, kBspEntityKeyLength, key) ||
          !QuotedText(text, position, kBspEntityValueLength, value)) {
        break;
      }
      ApplyPair(entities.back(), key, value);
      entities.back().pairs.emplace_back(std::move(key), std::move(value));
    } else {
      ++position;
    }
  }
  return entities;
}

int32_t FindBspLeaf(const BspImage& image, int32_t headNode, const d3dx::D3DXVECTOR3& point) {
  int32_t child = headNode;
  // A well-made tree reaches a leaf in fewer steps than it has nodes; a loop never ends one.
  for (size_t step = 0; step <= image.nodes.size() && child >= 0; ++step) {
    const BspNode& node = image.nodes[static_cast<size_t>(child)];
    const BspPlane& plane = image.planes[static_cast<size_t>(node.plane)];
    const float side = -point.x * plane.normal[0] + point.y * plane.normal[1] +
                       point.z * plane.normal[2] - plane.distance;
    child = side < kPlaneEpsilon ? node.back : node.front;
  }
  return child < 0 ? -(child + 1) : 0;
}

void DecodeBspVisibility(std::span<const uint8_t> visibility, int32_t offset,
                         std::vector<uint8_t>& visible) {
  const size_t leaves = visible.size();
  if (offset == kBspNoVisibility) {
    std::fill(visible.begin(), visible.end(), uint8_t{1});
    return;
  }
  if (offset < 0) return;
  size_t position = static_cast<size_t>(offset);
  size_t leaf = 1;
  while (leaf < leaves && position < visibility.size()) {
    const uint8_t bits = visibility[position++];
    if (bits == 0) {
      if (position >= visibility.size()) break;
      leaf += 8 * size_t{visibility[position++]};
      continue;
    }
    for (size_t bit = 0; bit < 8 && leaf + bit < leaves; ++bit) {
      if ((bits >> bit & 1) != 0) visible[leaf + bit] = 1;
    }
    leaf += 8;
  }
}

namespace {

class AtlasPacker {
 public:
  explicit AtlasPacker(int32_t side)
      : side_(side),
        used_(static_cast<size_t>(side) * static_cast<size_t>(side)),
        texels_(used_.size()) {}

  // Where a block of need x (h + 2) cells goes from the cursor on; nothing when the atlas is full.
  std::optional<std::pair<int32_t, int32_t>> Find(int32_t need, int32_t height) {
    while (true) {
      if (y_ + height + 2 > side_) return std::nullopt;
      if (x_ >= side_) {
        x_ = 0;
        ++y_;
        continue;
      }
      if (Used(x_, y_)) {
        ++x_;
        continue;
      }
      if (side_ - x_ < need) {
        x_ = 0;
        ++y_;
        continue;
      }
      bool free = true;
      for (int32_t cell = 0; cell < need && free; ++cell) free = !Used(x_ + cell, y_);
      if (free) return std::pair{x_, y_};
      x_ += need;
    }
  }

  // Copies the w x h lightmap to (x + 1, y + 1) with its frame, and moves the cursor past it.
  void Place(int32_t x, int32_t y, int32_t w, int32_t h, std::span<const uint8_t> rgb) {
    for (int32_t row = -1; row <= h; ++row) {
      for (int32_t column = -1; column <= w; ++column) {
        // The frame repeats the nearest texel of the block.
        const int32_t from = std::clamp(row, 0, h - 1) * w + std::clamp(column, 0, w - 1);
        const uint8_t* texel = &rgb[static_cast<size_t>(from) * kBspLightmapTexelBytes];
        const size_t at = Cell(x + 1 + column, y + 1 + row);
        texels_[at] = 0xFF000000u | uint32_t{texel[0]} << 16 | uint32_t{texel[1]} << 8 | texel[2];
        used_[at] = 1;
      }
    }
    x_ = x + w + 2;
    y_ = y;
    ++placed_;
  }

  int32_t Placed() const { return placed_; }
  const std::vector<uint32_t>& Texels() const { return texels_; }

  void Clear() {
    std::fill(used_.begin(), used_.end(), uint8_t{0});
    std::fill(texels_.begin(), texels_.end(), 0u);
    x_ = y_ = placed_ = 0;
  }

 private:
  size_t Cell(int32_t x, int32_t y) const {
    return static_cast<size_t>(y) * static_cast<size_t>(side_) + static_cast<size_t>(x);
  }
  bool Used(int32_t x, int32_t y) const { return used_[Cell(x, y)] != 0; }

  int32_t side_;
  std::vector<uint8_t> used_;
  std::vector<uint32_t> texels_;
  int32_t x_ = 0, y_ = 0, placed_ = 0;
};

}  // namespace

void PackBspLightmaps(BspImage& image, int32_t side,
                      const std::function<int32_t(const std::vector<uint32_t>&)>& makeAtlas,
                      const std::function<void(int32_t face)>& tooLarge) {
  AtlasPacker packer(side);
  std::vector<BspFace*> inAtlas;
  const auto finish = [&] {
    const int32_t atlas = makeAtlas(packer.Texels());
    for (BspFace* face : inAtlas) face->atlas = atlas;
    inAtlas.clear();
    packer.Clear();
  };
  for (size_t index = 0; index < image.faces.size(); ++index) {
    BspFace& face = image.faces[index];
    if (face.lightmapOffset == kBspNoLightmap) continue;
    const auto w = static_cast<int32_t>(face.lightmapWidth);
    const auto h = static_cast<int32_t>(face.lightmapHeight);
    face.atlas = kBspNoLightmap;
    if (w + 2 > side || h + 2 > side) {
      tooLarge(static_cast<int32_t>(index));
      continue;
    }
    auto place = packer.Find(w + 2, h);
    if (!place) {
      finish();
      place = packer.Find(w + 2, h);  // an empty atlas takes any block that fits its side
      if (!place) continue;
    }
    packer.Place(
        place->first, place->second, w, h,
        std::span(image.lighting)
            .subspan(static_cast<size_t>(face.lightmapOffset),
                     static_cast<size_t>(w) * static_cast<size_t>(h) * kBspLightmapTexelBytes));
    const auto fside = static_cast<float>(side);
    for (int32_t k = 0; k < face.vertexCount; ++k) {
      BspVertex& vertex = image.vertices[static_cast<size_t>(face.firstVertex + k)];
      vertex.lightU =
          vertex.lightU * face.lightmapWidth / fside + static_cast<float>(place->first + 1) / fside;
      vertex.lightV = vertex.lightV * face.lightmapHeight / fside +
                      static_cast<float>(place->second + 1) / fside;
    }
    inAtlas.push_back(&face);
  }
  if (packer.Placed() > 0) finish();
}
