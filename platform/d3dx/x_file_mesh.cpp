#include "platform/d3dx/x_file_mesh.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <unordered_map>

namespace d3dx {
namespace {

constexpr uint32_t kUnset = 0xFFFFFFFF;
// Frames and meshes made while following references: references may share objects, so a small
// file could otherwise ask for an exponential number of copies.
constexpr size_t kMaxInstances = size_t{1} << 20;
constexpr uint32_t kMatrixValues = 16;

std::string Describe(const XDataObject& object) {
  return object.templateName + (object.name.empty() ? "" : " '" + object.name + "'");
}

[[noreturn]] void Refuse(const XDataObject& object, const std::string& message) {
  throw XFileError(Describe(object) + ": " + message);
}

D3DXMATRIX Identity() {
  D3DXMATRIX matrix;
  D3DXMatrixIdentity(&matrix);
  return matrix;
}

D3DXMATRIX ReadMatrix(XDataCursor& cursor) {
  D3DXMATRIX matrix;
  for (uint32_t i = 0; i < kMatrixValues; ++i)
    matrix.m[i / 4][i % 4] = cursor.Float("a matrix value");
  return matrix;
}

D3DXVECTOR3 ReadVector(XDataCursor& cursor) {
  D3DXVECTOR3 v;
  v.x = cursor.Float("a vector");
  v.y = cursor.Float("a vector");
  v.z = cursor.Float("a vector");
  return v;
}

// A count that the following data must be able to hold, at `valuesEach` numbers per element.
uint32_t ReadCount(XDataCursor& cursor, const XDataObject& object, const char* what,
                   size_t valuesEach) {
  uint32_t count = cursor.Dword(what);
  if (count > cursor.NumbersLeft() / std::max<size_t>(valuesEach, 1)) {
    Refuse(object,
           std::string(what) + " " + std::to_string(count) + " is more than its data holds");
  }
  return count;
}

// Polygons stored flat: polygon p has the corners first[p] .. first[p + 1] - 1.
struct Polygons {
  std::vector<uint32_t> first{0};
  std::vector<uint32_t> corners;

  size_t Count() const { return first.size() - 1; }
  uint32_t Size(size_t p) const { return first[p + 1] - first[p]; }
};

Polygons ReadPolygons(XDataCursor& cursor, const XDataObject& object, uint32_t count,
                      uint32_t indexLimit, const char* indexName) {
  Polygons polygons;
  polygons.first.reserve(size_t{count} + 1);
  for (uint32_t p = 0; p < count; ++p) {
    uint32_t size = ReadCount(cursor, object, "polygon size", 1);
    for (uint32_t k = 0; k < size; ++k) {
      uint32_t index = cursor.Dword("a polygon index");
      if (index >= indexLimit) {
        Refuse(object, "polygon " + std::to_string(p) + " uses " + indexName + " " +
                           std::to_string(index) + " of " + std::to_string(indexLimit));
      }
      polygons.corners.push_back(index);
    }
    polygons.first.push_back(static_cast<uint32_t>(polygons.corners.size()));
  }
  return polygons;
}

XMaterial LoadMaterial(const XDataObject& material) {
  XDataCursor cursor(material);
  XMaterial out;
  for (float& value : out.diffuse) value = cursor.Float("the face colour");
  out.power = cursor.Float("the power");
  for (float& value : out.specular) value = cursor.Float("the specular colour");
  for (float& value : out.emissive) value = cursor.Float("the emissive colour");
  for (const XDataObject& child : material.children) {
    const XDataObject& object = child.Resolved();
    if (IsXTemplate(object, "TextureFilename")) {
      out.textureFilename = XDataCursor(object).String("the file name");
      break;
    }
  }
  return out;
}

// The children of a mesh that shape it; each kind counts once.
struct MeshParts {
  const XDataObject* normals = nullptr;
  const XDataObject* texcoords = nullptr;
  const XDataObject* colors = nullptr;
  const XDataObject* materials = nullptr;
  const XDataObject* skinHeader = nullptr;
  std::vector<const XDataObject*> skinWeights;
};

MeshParts FindParts(const XDataObject& mesh) {
  MeshParts parts;
  auto take = [](const XDataObject*& slot, const XDataObject& object) {
    if (slot == nullptr) slot = &object;
  };
  for (const XDataObject& child : mesh.children) {
    const XDataObject& object = child.Resolved();
    if (IsXTemplate(object, "MeshNormals"))
      take(parts.normals, object);
    else if (IsXTemplate(object, "MeshTextureCoords"))
      take(parts.texcoords, object);
    else if (IsXTemplate(object, "MeshVertexColors"))
      take(parts.colors, object);
    else if (IsXTemplate(object, "MeshMaterialList"))
      take(parts.materials, object);
    else if (IsXTemplate(object, "XSkinMeshHeader"))
      take(parts.skinHeader, object);
    else if (IsXTemplate(object, "SkinWeights"))
      parts.skinWeights.push_back(&object);
  }
  return parts;
}

// Gives every corner its vertex, copying a vertex for each further normal it is used with.
void ApplyNormals(const XDataObject& normalsObject, const Polygons& faces, XMesh& out,
                  std::vector<uint32_t>& cornerVertex) {
  XDataCursor cursor(normalsObject);
  uint32_t count = ReadCount(cursor, normalsObject, "normal count", 3);
  std::vector<D3DXVECTOR3> normals(count);
  for (D3DXVECTOR3& normal : normals) normal = ReadVector(cursor);
  uint32_t faceCount = cursor.Dword("the face count");
  if (faceCount != faces.Count()) {
    Refuse(normalsObject,
           std::to_string(faceCount) + " faces for a mesh of " + std::to_string(faces.Count()));
  }
  Polygons faceNormals = ReadPolygons(cursor, normalsObject, faceCount, count, "normal");
  const size_t fileVertices = out.positions.size();
  std::vector<uint32_t> normalOf(fileVertices, kUnset);
  out.normals.assign(fileVertices, D3DXVECTOR3{});
  std::unordered_map<uint64_t, uint32_t> copies;
  for (size_t p = 0; p < faces.Count(); ++p) {
    if (faceNormals.Size(p) != faces.Size(p)) {
      Refuse(normalsObject, "face " + std::to_string(p) + " has " +
                                std::to_string(faceNormals.Size(p)) + " normals for " +
                                std::to_string(faces.Size(p)) + " corners");
    }
    for (uint32_t k = faces.first[p]; k < faces.first[p + 1]; ++k) {
      uint32_t vertex = faces.corners[k];
      uint32_t normal = faceNormals.corners[k];
      if (normalOf[vertex] == kUnset) {
        normalOf[vertex] = normal;
        out.normals[vertex] = normals[normal];
        continue;
      }
      if (normals[normalOf[vertex]] == normals[normal]) continue;
      auto [copy, added] = copies.try_emplace((uint64_t{vertex} << 32) | normal,
                                              static_cast<uint32_t>(out.positions.size()));
      if (added) {
        out.positions.push_back(out.positions[vertex]);
        out.normals.push_back(normals[normal]);
        out.fileVertex.push_back(vertex);
      }
      cornerVertex[k] = copy->second;
    }
  }
}

void ApplyTexcoords(const XDataObject& object, size_t fileVertices, XMesh& out) {
  XDataCursor cursor(object);
  uint32_t count = cursor.Dword("the coordinate count");
  if (count != fileVertices) {
    Refuse(object, std::to_string(count) + " coordinates for " + std::to_string(fileVertices) +
                       " vertices");
  }
  std::vector<D3DXVECTOR2> coords(count);
  for (D3DXVECTOR2& coord : coords) {
    coord.x = cursor.Float("a coordinate");
    coord.y = cursor.Float("a coordinate");
  }
  out.texcoords.resize(out.positions.size());
  for (size_t i = 0; i < out.positions.size(); ++i) out.texcoords[i] = coords[out.fileVertex[i]];
}

void ApplyColors(const XDataObject& object, size_t fileVertices, XMesh& out) {
  constexpr uint32_t kWhite = 0xFFFFFFFF;
  XDataCursor cursor(object);
  uint32_t count = ReadCount(cursor, object, "colour count", 5);
  std::vector<uint32_t> colors(fileVertices, kWhite);
  for (uint32_t i = 0; i < count; ++i) {
    uint32_t vertex = cursor.Dword("a vertex index");
    if (vertex >= fileVertices) {
      Refuse(object,
             "colour for vertex " + std::to_string(vertex) + " of " + std::to_string(fileVertices));
    }
    float red = cursor.Float("a colour");
    float green = cursor.Float("a colour");
    float blue = cursor.Float("a colour");
    float alpha = cursor.Float("a colour");
    colors[vertex] = D3DXCOLOR(red, green, blue, alpha).ToArgb();
  }
  out.colors.resize(out.positions.size());
  for (size_t i = 0; i < out.positions.size(); ++i) out.colors[i] = colors[out.fileVertex[i]];
}

// The material of each polygon; a list shorter than the polygons repeats its last entry.
std::vector<uint32_t> ApplyMaterials(const XDataObject& list, size_t polygons, XMesh& out) {
  XDataCursor cursor(list);
  uint32_t materialCount = cursor.Dword("the material count");
  uint32_t indexCount = ReadCount(cursor, list, "face index count", 1);
  std::vector<uint32_t> faceMaterial(indexCount);
  for (uint32_t& material : faceMaterial) {
    material = cursor.Dword("a material index");
    if (material >= materialCount) {
      Refuse(list,
             "material index " + std::to_string(material) + " of " + std::to_string(materialCount));
    }
  }
  for (const XDataObject& child : list.children) {
    const XDataObject& object = child.Resolved();
    if (IsXTemplate(object, "Material") && out.materials.size() < materialCount) {
      out.materials.push_back(LoadMaterial(object));
    }
  }
  if (out.materials.size() < materialCount) {
    Refuse(list, "announces " + std::to_string(materialCount) + " materials but holds " +
                     std::to_string(out.materials.size()));
  }
  faceMaterial.resize(polygons, faceMaterial.empty() ? 0 : faceMaterial.back());
  return faceMaterial;
}

void ApplySkin(const MeshParts& parts, size_t fileVertices, XMesh& out) {
  if (parts.skinHeader != nullptr) {
    XDataCursor cursor(*parts.skinHeader);
    out.maxWeightsPerVertex = cursor.Dword("the weights per vertex");
    out.maxWeightsPerFace = cursor.Dword("the weights per face");
  }
  if (parts.skinWeights.empty()) return;
  // The copies of each file vertex, so that weights given for it reach them too.
  std::unordered_multimap<uint32_t, uint32_t> copiesOf;
  for (size_t i = fileVertices; i < out.positions.size(); ++i) {
    copiesOf.emplace(out.fileVertex[i], static_cast<uint32_t>(i));
  }
  for (const XDataObject* object : parts.skinWeights) {
    XDataCursor cursor(*object);
    XBoneWeights bone;
    bone.boneName = cursor.String("the bone name");
    uint32_t count = ReadCount(cursor, *object, "weight count", 2);
    std::vector<uint32_t> vertices(count);
    for (uint32_t& vertex : vertices) {
      vertex = cursor.Dword("a vertex index");
      if (vertex >= fileVertices) {
        Refuse(*object, "weight for vertex " + std::to_string(vertex) + " of " +
                            std::to_string(fileVertices));
      }
    }
    for (uint32_t vertex : vertices) {
      float weight = cursor.Float("a weight");
      bone.vertices.push_back(vertex);
      bone.weights.push_back(weight);
      auto [first, last] = copiesOf.equal_range(vertex);
      for (auto it = first; it != last; ++it) {
        bone.vertices.push_back(it->second);
        bone.weights.push_back(weight);
      }
    }
    bone.offset = ReadMatrix(cursor);
    out.bones.push_back(std::move(bone));
  }
}

class ModelLoader {
 public:
  XFrame Frame(const XDataObject& frame) {
    Count(frame);
    XFrame out;
    out.name = frame.name;
    out.transform = Identity();
    for (const XDataObject& child : frame.children) {
      const XDataObject& object = child.Resolved();
      if (IsXTemplate(object, "FrameTransformMatrix")) {
        XDataCursor cursor(object);
        out.transform = ReadMatrix(cursor);
      } else if (IsXTemplate(object, "Frame")) {
        out.children.push_back(Frame(object));
      } else if (IsXTemplate(object, "Mesh")) {
        Count(object);
        out.meshes.push_back(LoadXMesh(object));
      }
    }
    return out;
  }

 private:
  void Count(const XDataObject& object) {
    if (++instances_ > kMaxInstances) Refuse(object, "references make too many copies");
  }

  size_t instances_ = 0;
};

XAnimationKeys LoadKeys(const XDataObject& object) {
  XDataCursor cursor(object);
  XAnimationKeys keys;
  keys.keyType = cursor.Dword("the key type");
  const uint32_t valuesPerKey = keys.ValuesPerKey();
  if (valuesPerKey == 0) Refuse(object, "unknown key type " + std::to_string(keys.keyType));
  uint32_t count = ReadCount(cursor, object, "key count", 2);
  keys.times.reserve(count);
  keys.values.reserve(size_t{count} * valuesPerKey);
  for (uint32_t k = 0; k < count; ++k) {
    keys.times.push_back(cursor.Dword("a key time"));
    uint32_t values = cursor.Dword("a value count");
    if (values != valuesPerKey) {
      Refuse(object, "key " + std::to_string(k) + " has " + std::to_string(values) +
                         " values where its type has " + std::to_string(valuesPerKey));
    }
    for (uint32_t v = 0; v < values; ++v) keys.values.push_back(cursor.Float("a key value"));
  }
  return keys;
}

XAnimation LoadAnimation(const XDataObject& animation) {
  XAnimation out;
  out.name = animation.name;
  for (const XDataObject& child : animation.children) {
    const XDataObject& object = child.Resolved();
    if (child.isReference) {
      if (IsXTemplate(object, "Frame")) out.frameName = child.name;
    } else if (IsXTemplate(object, "AnimationKey")) {
      out.keys.push_back(LoadKeys(object));
    } else if (IsXTemplate(object, "AnimationOptions")) {
      XDataCursor cursor(object);
      out.closed = cursor.Dword("the open or closed flag") != 0;
      out.splinePositions = cursor.Dword("the position quality") == 0;
    }
  }
  return out;
}

D3DXMATRIX NormalMatrix(const D3DXMATRIX& matrix) {
  D3DXMATRIX inverse;
  D3DXMATRIX normal;
  if (D3DXMatrixInverse(&inverse, nullptr, &matrix) == nullptr) return matrix;
  D3DXMatrixTranspose(&normal, &inverse);
  return normal;
}

struct Channels {
  bool normals = false;
  bool texcoords = false;
  bool colors = false;
  bool materials = false;
};

void FindChannels(const XFrame& frame, Channels& channels) {
  for (const XMesh& mesh : frame.meshes) {
    channels.normals |= !mesh.normals.empty();
    channels.texcoords |= !mesh.texcoords.empty();
    channels.colors |= !mesh.colors.empty();
    channels.materials |= !mesh.materials.empty();
  }
  for (const XFrame& child : frame.children) FindChannels(child, channels);
}

void AppendMesh(const XMesh& mesh, const D3DXMATRIX& world, const Channels& channels, XMesh& out) {
  constexpr uint32_t kWhite = 0xFFFFFFFF;
  const auto base = static_cast<uint32_t>(out.positions.size());
  const D3DXMATRIX normalMatrix = NormalMatrix(world);
  for (size_t i = 0; i < mesh.positions.size(); ++i) {
    D3DXVECTOR3 position;
    out.positions.push_back(*D3DXVec3TransformCoord(&position, &mesh.positions[i], &world));
    out.fileVertex.push_back(base + mesh.fileVertex[i]);
    if (channels.normals) {
      D3DXVECTOR3 normal{};
      if (!mesh.normals.empty()) {
        D3DXVec3TransformNormal(&normal, &mesh.normals[i], &normalMatrix);
        D3DXVec3Normalize(&normal, &normal);
      }
      out.normals.push_back(normal);
    }
    if (channels.texcoords) {
      out.texcoords.push_back(mesh.texcoords.empty() ? D3DXVECTOR2{} : mesh.texcoords[i]);
    }
    if (channels.colors) out.colors.push_back(mesh.colors.empty() ? kWhite : mesh.colors[i]);
  }
  for (uint32_t index : mesh.indices) out.indices.push_back(base + index);
  const auto firstMaterial = static_cast<uint32_t>(out.materials.size());
  for (uint32_t attribute : mesh.attributes) out.attributes.push_back(firstMaterial + attribute);
  out.filePolygons += mesh.filePolygons;
  out.fileCorners += mesh.fileCorners;
  if (!channels.materials) return;
  if (mesh.materials.empty()) {
    // A mesh without materials keeps a plain white one, so its triangles still have an attribute
    // of their own.
    XMaterial white;
    white.diffuse = {1, 1, 1, 1};
    out.materials.push_back(white);
  } else {
    out.materials.insert(out.materials.end(), mesh.materials.begin(), mesh.materials.end());
  }
}

void AppendFrame(const XFrame& frame, const D3DXMATRIX& parent, const Channels& channels,
                 XMesh& out) {
  D3DXMATRIX world;
  D3DXMatrixMultiply(&world, &frame.transform, &parent);
  for (const XMesh& mesh : frame.meshes) AppendMesh(mesh, world, channels, out);
  for (const XFrame& child : frame.children) AppendFrame(child, world, channels, out);
}

}  // namespace

uint32_t XAnimationKeys::ValuesPerKey() const {
  switch (keyType) {
    case 0:
      return 4;
    case 1:
    case 2:
      return 3;
    case 4:
      return kMatrixValues;
    default:
      return 0;
  }
}

bool IsXTemplate(const XDataObject& object, std::string_view templateName) {
  XNameLess less;
  return !less(object.templateName, templateName) && !less(templateName, object.templateName);
}

XMesh LoadXMesh(const XDataObject& mesh) {
  XMesh out;
  out.name = mesh.name;
  XDataCursor cursor(mesh);
  uint32_t vertexCount = ReadCount(cursor, mesh, "vertex count", 3);
  out.positions.resize(vertexCount);
  for (D3DXVECTOR3& position : out.positions) position = ReadVector(cursor);
  out.fileVertex.resize(vertexCount);
  std::iota(out.fileVertex.begin(), out.fileVertex.end(), 0u);
  uint32_t faceCount = ReadCount(cursor, mesh, "face count", 1);
  Polygons faces = ReadPolygons(cursor, mesh, faceCount, vertexCount, "vertex");
  out.filePolygons = faceCount;
  out.fileCorners = static_cast<uint32_t>(faces.corners.size());

  MeshParts parts = FindParts(mesh);
  std::vector<uint32_t> cornerVertex = faces.corners;
  if (parts.normals != nullptr) ApplyNormals(*parts.normals, faces, out, cornerVertex);
  if (parts.texcoords != nullptr) ApplyTexcoords(*parts.texcoords, vertexCount, out);
  if (parts.colors != nullptr) ApplyColors(*parts.colors, vertexCount, out);
  std::vector<uint32_t> faceMaterial(faceCount, 0);
  if (parts.materials != nullptr) faceMaterial = ApplyMaterials(*parts.materials, faceCount, out);
  ApplySkin(parts, vertexCount, out);

  for (size_t p = 0; p < faces.Count(); ++p) {
    const uint32_t first = faces.first[p];
    for (uint32_t k = 1; k + 1 < faces.Size(p); ++k) {
      out.indices.insert(out.indices.end(), {cornerVertex[first], cornerVertex[first + k],
                                             cornerVertex[first + k + 1]});
      out.attributes.push_back(faceMaterial[p]);
    }
  }
  return out;
}

XFrame LoadXFrame(const XDataObject& frame) { return ModelLoader().Frame(frame); }

XAnimationSet LoadXAnimationSet(const XDataObject& set) {
  XAnimationSet out;
  out.name = set.name;
  for (const XDataObject& child : set.children) {
    const XDataObject& object = child.Resolved();
    if (IsXTemplate(object, "Animation")) out.animations.push_back(LoadAnimation(object));
  }
  return out;
}

XModel LoadXModel(const XFileDocument& document) {
  XModel model;
  model.root.transform = Identity();
  ModelLoader loader;
  for (const XDataObject& object : document.objects) {
    if (IsXTemplate(object, "Frame")) {
      model.root.children.push_back(loader.Frame(object));
    } else if (IsXTemplate(object, "Mesh")) {
      model.root.meshes.push_back(LoadXMesh(object));
    } else if (IsXTemplate(object, "AnimationSet")) {
      model.animationSets.push_back(LoadXAnimationSet(object));
    } else if (IsXTemplate(object, "AnimTicksPerSecond")) {
      model.ticksPerSecond = XDataCursor(object).Dword("the ticks per second");
    }
  }
  return model;
}

XMesh MergeXMeshes(const XFrame& root) {
  Channels channels;
  FindChannels(root, channels);
  XMesh out;
  out.name = root.name;
  AppendFrame(root, Identity(), channels, out);
  return out;
}

}  // namespace d3dx
