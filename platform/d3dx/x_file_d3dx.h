// D3DX's loading of X files onto a device: a file's meshes as one mesh, a single "Mesh" object
// with its skin, and the skin mesh that turns skinned geometry into meshes the device can draw
// (blended by the device with a bone palette per group of faces, or skinned in software).
//
// Loaded meshes carry one attribute per material of the file, in the file's order, and come with
// the material list (D3DXMATERIAL records whose texture names point into the same buffer) and the
// adjacency (three neighbour faces per face; vertices at one position count as one point).
#pragma once

#include <string>

#include "platform/d3dx/mesh.h"
#include "platform/d3dx/texture.h"  // D3DXERR_INVALIDDATA
#include "platform/d3dx/x_file_format.h"

namespace d3dx {

inline constexpr HRESULT D3DXERR_TOOMANYINFLUENCES = d3d::MakeDeviceError(2904);
inline constexpr HRESULT D3DXERR_LOADEDMESHASNODATA = d3d::MakeDeviceError(2906);

// Bones that one vertex of a blended mesh can follow: three weights and the rest.
inline constexpr DWORD kMaxBlendMatrices = 4;
// A bone slot of a bone combination that no bone uses.
inline constexpr DWORD kUnusedBone = 0xFFFFFFFF;

struct D3DXMATERIAL {
  d3d::D3DMATERIAL8 MatD3D;
  char* pTextureFilename;  // null when the material has no texture
};

// One group of a blended mesh: faces FaceStart .. FaceStart + FaceCount - 1 have material AttribId
// and their vertices follow the bones BoneId[0 .. palette size - 1] (kUnusedBone for a free slot).
struct D3DXBONECOMBINATION {
  DWORD AttribId;
  DWORD FaceStart;
  DWORD FaceCount;
  DWORD VertexStart;
  DWORD VertexCount;
  DWORD* BoneId;
};

class ID3DXSkinMesh : public d3d::IUnknown {
 public:
  virtual DWORD GetNumBones() = 0;
  // The mesh as loaded, one attribute per material; adds a reference for the caller.
  virtual HRESULT GetOriginalMesh(ID3DXMesh** mesh) = 0;
  // The most bones that move one vertex, and the most that move the three vertices of one face.
  virtual HRESULT GetMaxVertexInfluences(DWORD* influences) = 0;
  virtual HRESULT GetMaxFaceInfluences(DWORD* influences) = 0;
  // A mesh for the device's vertex blending: faces in groups (attribute = group number) whose
  // vertices follow at most GetMaxFaceInfluences bones, each vertex with its weights for that
  // group's bone palette (a blended position format; a plain one when one bone per face is
  // enough). D3DXERR_TOOMANYINFLUENCES when a face needs more than kMaxBlendMatrices bones.
  virtual HRESULT ConvertToBlendedMesh(DWORD options, const DWORD* adjacencyIn, DWORD* adjacencyOut,
                                       DWORD* numBoneCombinations,
                                       ID3DXBuffer** boneCombinationTable, DWORD* faceRemap,
                                       ID3DXBuffer** vertexRemap, ID3DXMesh** mesh) = 0;
  // A copy of the original mesh, faces sorted by material with an attribute table and vertices
  // in place, for UpdateSkinnedMesh to write the skinned positions and normals into.
  virtual HRESULT GenerateSkinnedMesh(DWORD options, float minWeight, const DWORD* adjacencyIn,
                                      DWORD* adjacencyOut, ID3DXMesh** mesh) = 0;
  // Skins the original vertices by the bone matrices (one per bone; the normals by
  // boneInvTransposeTransforms when given, else by the same matrices) into a mesh made by
  // GenerateSkinnedMesh. A vertex that no bone moves keeps its place.
  virtual HRESULT UpdateSkinnedMesh(const D3DXMATRIX* boneTransforms,
                                    const D3DXMATRIX* boneInvTransposeTransforms,
                                    ID3DXMesh* skinnedMesh) = 0;

 protected:
  ~ID3DXSkinMesh() = default;
};

inline constexpr d3d::IID IID_ID3DXSkinMesh = {
    0x8DB06ECC, 0xEBFC, 0x408A, {0x97, 0x34, 0x3A, 0x7B, 0x2E, 0xBD, 0x04, 0x4A}};

// Every mesh of the file as one mesh, moved by its frames. D3DXERR_INVALIDDATA for a file that
// cannot be read (why, when given, says what is wrong), D3DXERR_LOADEDMESHASNODATA when the file
// holds no triangles. Output buffers may be null when not wanted.
HRESULT D3DXLoadMeshFromX(const char* filename, DWORD options, IDirect3DDevice8* device,
                          ID3DXBuffer** adjacency, ID3DXBuffer** materials, DWORD* numMaterials,
                          ID3DXMesh** mesh, std::string* why = nullptr);

// One "Mesh" data object of a read file, with its skin: the bone names (an array of char pointers
// into the same buffer) and offset matrices, in the file's order of its SkinWeights objects.
HRESULT D3DXLoadSkinMeshFromXof(const XDataObject& meshObject, DWORD options,
                                IDirect3DDevice8* device, ID3DXBuffer** adjacency,
                                ID3DXBuffer** materials, DWORD* numMaterials,
                                ID3DXBuffer** boneNames, ID3DXBuffer** boneTransforms,
                                ID3DXSkinMesh** skinMesh, std::string* why = nullptr);

}  // namespace d3dx
