// The models of X files as D3DX loads them, before anything goes to a device: meshes with one
// attribute per material, the frame hierarchy, skin weights and animation sets.
//
// A "Mesh" object holds vertex positions and polygons (indices into the positions). Its children
// add, each at most once: "MeshNormals" (normals and, per polygon, one normal index per corner),
// "MeshTextureCoords" (one coordinate pair per vertex), "MeshVertexColors" (colours for listed
// vertices), "MeshMaterialList" (a material index per polygon, then the "Material" objects, inline
// or referenced), "XSkinMeshHeader" and "SkinWeights" (per bone: the bone frame's name, weighted
// vertices and the bone's offset matrix). Polygons become triangle fans. Because the file gives
// normals per polygon corner, a vertex used with two different normals becomes two vertices; the
// first keeps the file's index, copies go after the file's vertices, and skin weights follow the
// copies.
//
// "Frame" objects nest; a "FrameTransformMatrix" child gives a frame's matrix relative to its
// parent; meshes, frames and references to them hang below frames. "AnimationSet" objects hold
// "Animation" objects, each naming its frame by a reference and holding "AnimationKey" objects
// (key type 0 rotation as w, x, y, z; 1 scale; 2 position; 4 matrix of 16 values; each key a time
// in ticks and its values) and optionally "AnimationOptions".
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/d3dx/math.h"
#include "platform/d3dx/x_file_format.h"

namespace d3dx {

struct XMaterial {
  std::array<float, 4> diffuse{};  // red, green, blue, alpha
  float power = 0;
  std::array<float, 3> specular{};
  std::array<float, 3> emissive{};
  std::string textureFilename;  // empty when the material has no texture
};

struct XBoneWeights {
  std::string boneName;            // the frame that moves these vertices
  std::vector<uint32_t> vertices;  // indices of the loaded mesh
  std::vector<float> weights;      // one per vertex
  D3DXMATRIX offset{};             // from mesh space to the bone's space
};

struct XMesh {
  std::string name;
  std::vector<D3DXVECTOR3> positions;
  std::vector<D3DXVECTOR3> normals;    // empty, or one per vertex
  std::vector<D3DXVECTOR2> texcoords;  // empty, or one per vertex
  std::vector<uint32_t> colors;        // empty, or 0xAARRGGBB per vertex
  std::vector<uint32_t> fileVertex;    // per vertex, the file's vertex it was made from
  std::vector<uint32_t> indices;       // three per triangle
  std::vector<uint32_t> attributes;    // material index per triangle
  std::vector<XMaterial> materials;    // empty when the file gives none (all attributes 0)
  uint32_t filePolygons = 0;           // polygons of the file before triangulation
  uint32_t fileCorners = 0;            // polygon corners of the file
  std::vector<XBoneWeights> bones;
  uint32_t maxWeightsPerVertex = 0;  // from XSkinMeshHeader; 0 without one
  uint32_t maxWeightsPerFace = 0;

  size_t TriangleCount() const { return indices.size() / 3; }
};

struct XFrame {
  std::string name;
  D3DXMATRIX transform{};  // relative to the parent; loaded frames without one get identity
  std::vector<XMesh> meshes;
  std::vector<XFrame> children;
};

struct XAnimationKeys {
  uint32_t keyType = 0;  // 0 rotation (w, x, y, z), 1 scale, 2 position, 4 matrix
  std::vector<uint32_t> times;
  std::vector<float> values;  // ValuesPerKey() per key, in file order

  uint32_t ValuesPerKey() const;
};

struct XAnimation {
  std::string name;
  std::string frameName;  // empty when the animation names no frame
  std::vector<XAnimationKeys> keys;
  bool closed = true;  // AnimationOptions: the animation repeats
  bool splinePositions = false;
};

struct XAnimationSet {
  std::string name;
  std::vector<XAnimation> animations;
};

struct XModel {
  XFrame root;  // unnamed; holds the file's top-level frames and meshes
  std::vector<XAnimationSet> animationSets;
  uint32_t ticksPerSecond = 0;  // 0 when the file does not say
};

// Case-insensitive test of an object's template, as the files spell names freely.
bool IsXTemplate(const XDataObject& object, std::string_view templateName);

// Each throws XFileError naming the object when a count, index or reference does not fit the data.
XMesh LoadXMesh(const XDataObject& mesh);
XFrame LoadXFrame(const XDataObject& frame);
XAnimationSet LoadXAnimationSet(const XDataObject& set);
XModel LoadXModel(const XFileDocument& document);

// Every mesh of the hierarchy in one, positions and normals moved by their frames' combined
// matrices and material lists joined, as a single model is loaded from a file.
XMesh MergeXMeshes(const XFrame& root);

}  // namespace d3dx
