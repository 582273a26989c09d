// The templates that model files use without declaring them. Files of every exporter rely on a
// reader that knows these layouts already; a file may still declare its own, which then replace
// these for that file.
#include "platform/d3dx/x_file_reader.h"

namespace d3dx {

const std::string_view kXModelTemplates = R"(xof 0303txt 0032
template Header {
 <3d82ab43-62da-11cf-ab39-0020af71e433>
 WORD major;
 WORD minor;
 DWORD flags;
}
template Vector {
 <3d82ab5e-62da-11cf-ab39-0020af71e433>
 FLOAT x;
 FLOAT y;
 FLOAT z;
}
template Coords2d {
 <f6f23f44-7686-11cf-8f52-0040333594a3>
 FLOAT u;
 FLOAT v;
}
template Matrix4x4 {
 <f6f23f45-7686-11cf-8f52-0040333594a3>
 array FLOAT matrix[16];
}
template ColorRGBA {
 <35ff44e0-6c7c-11cf-8f52-0040333594a3>
 FLOAT red;
 FLOAT green;
 FLOAT blue;
 FLOAT alpha;
}
template ColorRGB {
 <d3e16e81-7835-11cf-8f52-0040333594a3>
 FLOAT red;
 FLOAT green;
 FLOAT blue;
}
template IndexedColor {
 <1630b820-7842-11cf-8f52-0040333594a3>
 DWORD index;
 ColorRGBA indexColor;
}
template TextureFilename {
 <a42790e1-7810-11cf-8f52-0040333594a3>
 STRING filename;
}
template Material {
 <3d82ab4d-62da-11cf-ab39-0020af71e433>
 ColorRGBA faceColor;
 FLOAT power;
 ColorRGB specularColor;
 ColorRGB emissiveColor;
 [...]
}
template MeshFace {
 <3d82ab5f-62da-11cf-ab39-0020af71e433>
 DWORD nFaceVertexIndices;
 array DWORD faceVertexIndices[nFaceVertexIndices];
}
template MeshTextureCoords {
 <f6f23f40-7686-11cf-8f52-0040333594a3>
 DWORD nTextureCoords;
 array Coords2d textureCoords[nTextureCoords];
}
template MeshMaterialList {
 <f6f23f42-7686-11cf-8f52-0040333594a3>
 DWORD nMaterials;
 DWORD nFaceIndexes;
 array DWORD faceIndexes[nFaceIndexes];
 [Material <3d82ab4d-62da-11cf-ab39-0020af71e433>]
}
template MeshNormals {
 <f6f23f43-7686-11cf-8f52-0040333594a3>
 DWORD nNormals;
 array Vector normals[nNormals];
 DWORD nFaceNormals;
 array MeshFace faceNormals[nFaceNormals];
}
template MeshVertexColors {
 <1630b821-7842-11cf-8f52-0040333594a3>
 DWORD nVertexColors;
 array IndexedColor vertexColors[nVertexColors];
}
template Mesh {
 <3d82ab44-62da-11cf-ab39-0020af71e433>
 DWORD nVertices;
 array Vector vertices[nVertices];
 DWORD nFaces;
 array MeshFace faces[nFaces];
 [...]
}
template FrameTransformMatrix {
 <f6f23f41-7686-11cf-8f52-0040333594a3>
 Matrix4x4 frameMatrix;
}
template Frame {
 <3d82ab46-62da-11cf-ab39-0020af71e433>
 [...]
}
template FloatKeys {
 <10dd46a9-775b-11cf-8f52-0040333594a3>
 DWORD nValues;
 array FLOAT values[nValues];
}
template TimedFloatKeys {
 <f406b180-7b3b-11cf-8f52-0040333594a3>
 DWORD time;
 FloatKeys tfkeys;
}
template AnimationKey {
 <10dd46a8-775b-11cf-8f52-0040333594a3>
 DWORD keyType;
 DWORD nKeys;
 array TimedFloatKeys keys[nKeys];
}
template AnimationOptions {
 <e2bf56c0-840f-11cf-8f52-0040333594a3>
 DWORD openclosed;
 DWORD positionquality;
}
template Animation {
 <3d82ab4f-62da-11cf-ab39-0020af71e433>
 [...]
}
template AnimationSet {
 <3d82ab50-62da-11cf-ab39-0020af71e433>
 [Animation <3d82ab4f-62da-11cf-ab39-0020af71e433>]
}
template AnimTicksPerSecond {
 <9e415a43-7ba6-4a73-8743-b73d47e88476>
 DWORD AnimTicksPerSecond;
}
)";

const std::string_view kXSkinTemplates = R"(xof 0303txt 0032
template XSkinMeshHeader {
 <3cf169ce-ff7c-44ab-93c0-f78f62d172e2>
 WORD nMaxSkinWeightsPerVertex;
 WORD nMaxSkinWeightsPerFace;
 WORD nBones;
}
template VertexDuplicationIndices {
 <b8d65549-d7c9-4995-89cf-53a9a8b031e3>
 DWORD nIndices;
 DWORD nOriginalVertices;
 array DWORD indices[nIndices];
}
template SkinWeights {
 <6f0d123b-bad2-4167-a0d0-80224f25fabb>
 STRING transformNodeName;
 DWORD nWeights;
 array DWORD vertexIndices[nWeights];
 array FLOAT weights[nWeights];
 Matrix4x4 matrixOffset;
}
)";

const std::string_view kXProgressiveMeshTemplates = R"(xof 0303txt 0032
template FVFData {
 <b6e70a0e-8ef9-4e83-94ad-ecc8b0c04897>
 DWORD dwFVF;
 DWORD nDWords;
 array DWORD data[nDWords];
}
template PMAttributeRange {
 <917e0427-c61e-4a14-9c64-afe65f9e9844>
 DWORD iFaceOffset;
 DWORD nFacesMin;
 DWORD nFacesMax;
 DWORD iVertexOffset;
 DWORD nVerticesMin;
 DWORD nVerticesMax;
}
template PMVSplitRecord {
 <574ccc14-f0b3-4333-822d-93e8a8a08e4c>
 DWORD iFaceCLW;
 DWORD iVlrOffset;
 DWORD iCode;
}
template PMInfo {
 <b6c3e656-ec8b-4b92-9b62-681659522947>
 DWORD nAttributes;
 array PMAttributeRange attributeRanges[nAttributes];
 DWORD nMaxValence;
 DWORD nMinLogicalVertices;
 DWORD nMaxLogicalVertices;
 DWORD nVSplits;
 array PMVSplitRecord splitRecords[nVSplits];
 DWORD nAttributeMispredicts;
 array DWORD attributeMispredicts[nAttributeMispredicts];
}
template Patch {
 <a3eb5d44-fc22-429d-9afb-3221cb9719a6>
 DWORD nControlIndices;
 array DWORD controlIndices[nControlIndices];
}
template PatchMesh {
 <d02c95cc-edba-4305-9b5d-1820d7704bbf>
 DWORD nVertices;
 array Vector vertices[nVertices];
 DWORD nPatches;
 array Patch patches[nPatches];
 [ ... ]
}
)";

const XTemplateSet& StandardXTemplates() {
  static const XTemplateSet standard = [] {
    XTemplateSet set;
    RegisterXTemplates(kXModelTemplates, set);
    RegisterXTemplates(kXSkinTemplates, set);
    return set;
  }();
  return standard;
}

}  // namespace d3dx
