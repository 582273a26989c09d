#include "platform/d3dx/x_file_d3dx.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "platform/d3dx/com_ptr.h"
#include "platform/d3dx/x_file_reader.h"
#include "tests/platform/d3dx/headless_fixture.h"

namespace {

using namespace d3d;
using namespace d3dx;

// Two triangles with a material each; bone A moves vertices 0 and 1 and half of 2, bone B the
// other half of 2 and all of 3.
constexpr std::string_view kStrip = R"(xof 0303txt 0032
Frame Root {
  Mesh Strip {
    4; 0;0;0;, 1;0;0;, 0;1;0;, 1;1;0;;
    2; 3;0,2,1;, 3;1,2,3;;
    MeshNormals { 1; 0;0;-1;; 2; 3;0,0,0;, 3;0,0,0;; }
    MeshMaterialList { 2; 2; 0, 1;;
      Material { 1;0;0;1;; 8; 1;1;1;; 0;0;0;; TextureFilename { "red.png"; } }
      Material { 0;0;1;1;; 0; 0;0;0;; 0;0;0;; }
    }
    XSkinMeshHeader { 2; 3; 2; }
    SkinWeights { "A"; 3; 0, 1, 2; 1, 1, 0.5; 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1;; }
    SkinWeights { "B"; 2; 2, 3; 0.5, 1; 1,0,0,0, 0,1,0,0, 0,0,1,0, -1,0,0,1;; }
  }
}
)";

struct PositionNormal {
  D3DXVECTOR3 position, normal;
};

struct BlendedVertex {
  D3DXVECTOR3 position;
  float weight;
  D3DXVECTOR3 normal;
};

class XFileD3dx : public d3dx_test::DeviceTest {
 protected:
  std::string Write(std::string_view text) {
    std::string path = TempPath("model.x");
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }

  // The Mesh object of a file read with the standard templates.
  const XDataObject& MeshObject(const XFileDocument& document) {
    return document.objects.at(0).children.at(0);
  }
};

TEST_F(XFileD3dx, LoadsAFileAsOneMeshWithAnAttributePerMaterialAndAdjacency) {
  ComPtr<ID3DXMesh> mesh;
  ComPtr<ID3DXBuffer> adjacency, materials;
  DWORD materialCount = 0;
  ASSERT_EQ(D3D_OK,
            D3DXLoadMeshFromX(Write(kStrip).c_str(), D3DXMESH_MANAGED, device, adjacency.Out(),
                              materials.Out(), &materialCount, mesh.Out()));
  EXPECT_EQ(mesh->GetNumFaces(), 2u);
  EXPECT_EQ(mesh->GetNumVertices(), 4u);
  EXPECT_EQ(mesh->GetFVF(), D3DFVF_XYZ | D3DFVF_NORMAL);

  DWORD ranges = 0;
  ASSERT_EQ(D3D_OK, mesh->GetAttributeTable(nullptr, &ranges));
  ASSERT_EQ(ranges, 2u);
  std::vector<D3DXATTRIBUTERANGE> table(ranges);
  mesh->GetAttributeTable(table.data(), &ranges);
  EXPECT_EQ(table[1].AttribId, 1u);
  EXPECT_EQ(table[1].FaceStart, 1u);

  ASSERT_EQ(materialCount, 2u);
  const auto* records = static_cast<const D3DXMATERIAL*>(materials->GetBufferPointer());
  EXPECT_STREQ(records[0].pTextureFilename, "red.png");
  EXPECT_EQ(records[0].MatD3D.Diffuse.r, 1);
  EXPECT_EQ(records[0].MatD3D.Power, 8);
  EXPECT_EQ(records[1].pTextureFilename, nullptr);
  EXPECT_EQ(records[1].MatD3D.Diffuse.b, 1);

  ASSERT_EQ(adjacency->GetBufferSize(), 6 * sizeof(DWORD));
  const auto* neighbours = static_cast<const DWORD*>(adjacency->GetBufferPointer());
  EXPECT_EQ(std::vector<DWORD>(neighbours, neighbours + 6),
            (std::vector<DWORD>{kNoNeighbour, 1, kNoNeighbour, 0, kNoNeighbour, kNoNeighbour}));
}

TEST_F(XFileD3dx, RefusesFilesItCannotLoadAndSaysWhy) {
  ComPtr<ID3DXMesh> mesh;
  std::string why;
  EXPECT_EQ(D3DXERR_INVALIDDATA,
            D3DXLoadMeshFromX(Write("xof 0303txt 0032\nFrame A { { Missing } }").c_str(), 0, device,
                              nullptr, nullptr, nullptr, mesh.Out(), &why));
  EXPECT_NE(why.find("reference 'Missing' names no object"), std::string::npos) << why;
  EXPECT_EQ(D3DXERR_LOADEDMESHASNODATA,
            D3DXLoadMeshFromX(Write("xof 0303txt 0032\nFrame A { }").c_str(), 0, device, nullptr,
                              nullptr, nullptr, mesh.Out()));
  EXPECT_FALSE(mesh);
}

TEST_F(XFileD3dx, LoadsASkinMeshWithItsBonesAndSkinsItInSoftware) {
  XFileDocument document = ReadXFile(
      std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(kStrip.data()), kStrip.size()));
  ComPtr<ID3DXSkinMesh> skin;
  ComPtr<ID3DXBuffer> names, offsets;
  DWORD materialCount = 0;
  ASSERT_EQ(D3D_OK, D3DXLoadSkinMeshFromXof(MeshObject(document), D3DXMESH_SYSTEMMEM, device,
                                            nullptr, nullptr, &materialCount, names.Out(),
                                            offsets.Out(), skin.Out()));
  EXPECT_EQ(materialCount, 2u);
  ASSERT_EQ(skin->GetNumBones(), 2u);
  const auto* boneNames = static_cast<char* const*>(names->GetBufferPointer());
  EXPECT_STREQ(boneNames[0], "A");
  EXPECT_STREQ(boneNames[1], "B");
  EXPECT_EQ(static_cast<const D3DXMATRIX*>(offsets->GetBufferPointer())[1].m[3][0], -1);
  DWORD influences = 0;
  skin->GetMaxVertexInfluences(&influences);
  EXPECT_EQ(influences, 2u);
  skin->GetMaxFaceInfluences(&influences);
  EXPECT_EQ(influences, 2u);

  ComPtr<ID3DXMesh> skinned;
  ASSERT_EQ(D3D_OK, skin->GenerateSkinnedMesh(D3DXMESH_MANAGED | D3DXMESH_WRITEONLY, 0, nullptr,
                                              nullptr, skinned.Out()));
  DWORD ranges = 0;
  skinned->GetAttributeTable(nullptr, &ranges);
  EXPECT_EQ(ranges, 2u);
  D3DXMATRIX bones[2];
  D3DXMatrixIdentity(&bones[0]);
  D3DXMatrixTranslation(&bones[1], 0, 0, 5);
  ASSERT_EQ(D3D_OK, skin->UpdateSkinnedMesh(bones, nullptr, skinned.Get()));
  PositionNormal* vertices = nullptr;
  ASSERT_EQ(D3D_OK,
            skinned->LockVertexBuffer(D3DLOCK_READONLY, reinterpret_cast<BYTE**>(&vertices)));
  EXPECT_EQ(vertices[0].position, (D3DXVECTOR3{0, 0, 0}));
  EXPECT_EQ(vertices[2].position, (D3DXVECTOR3{0, 1, 2.5f}));
  EXPECT_EQ(vertices[3].position, (D3DXVECTOR3{1, 1, 5}));
  EXPECT_FLOAT_EQ(vertices[3].normal.z, -1);
  skinned->UnlockVertexBuffer();

  ComPtr<ID3DXMesh> original;
  ASSERT_EQ(D3D_OK, skin->GetOriginalMesh(original.Out()));
  EXPECT_EQ(original->GetNumFaces(), 2u);
}

TEST_F(XFileD3dx, ConvertsToABlendedMeshWithABonePalettePerGroup) {
  XFileDocument document = ReadXFile(
      std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(kStrip.data()), kStrip.size()));
  ComPtr<ID3DXSkinMesh> skin;
  ASSERT_EQ(D3D_OK,
            D3DXLoadSkinMeshFromXof(MeshObject(document), D3DXMESH_SYSTEMMEM, device, nullptr,
                                    nullptr, nullptr, nullptr, nullptr, skin.Out()));
  ComPtr<ID3DXMesh> blended;
  ComPtr<ID3DXBuffer> combinations, vertexRemap;
  DWORD groups = 0;
  DWORD faceRemap[2] = {};
  // The options a skinned model asks for.
  const DWORD options = D3DXMESH_MANAGED | D3DXMESH_WRITEONLY | D3DXMESHOPT_ATTRSORT |
                        D3DXMESHOPT_COMPACT | D3DXMESHOPT_VERTEXCACHE;
  ASSERT_EQ(D3D_OK,
            skin->ConvertToBlendedMesh(options, nullptr, nullptr, &groups, combinations.Out(),
                                       faceRemap, vertexRemap.Out(), blended.Out()));
  EXPECT_EQ(blended->GetFVF(), D3DFVF_XYZB1 | D3DFVF_NORMAL);
  ASSERT_EQ(groups, 2u);
  const auto* table = static_cast<const D3DXBONECOMBINATION*>(combinations->GetBufferPointer());
  EXPECT_EQ(table[1].AttribId, 1u);
  EXPECT_EQ(table[1].FaceStart, 1u);
  EXPECT_EQ(table[1].VertexStart, 3u);
  EXPECT_EQ(table[1].VertexCount, 3u);
  EXPECT_EQ(table[1].BoneId[0], 0u);
  EXPECT_EQ(table[1].BoneId[1], 1u);
  EXPECT_EQ(faceRemap[1], 1u);
  const auto* sources = static_cast<const DWORD*>(vertexRemap->GetBufferPointer());
  EXPECT_EQ(std::vector<DWORD>(sources, sources + 6), (std::vector<DWORD>{0, 2, 1, 1, 2, 3}));

  BlendedVertex* vertices = nullptr;
  ASSERT_EQ(D3D_OK,
            blended->LockVertexBuffer(D3DLOCK_READONLY, reinterpret_cast<BYTE**>(&vertices)));
  EXPECT_EQ(vertices[0].weight, 1);     // vertex 0: all bone A
  EXPECT_EQ(vertices[1].weight, 0.5f);  // vertex 2: half A, the rest B
  EXPECT_EQ(vertices[5].weight, 0);     // vertex 3: all B
  blended->UnlockVertexBuffer();
}

TEST_F(XFileD3dx, RefusesToBlendFacesMovedByMoreBonesThanAVertexCanFollow) {
  std::string text = "xof 0303txt 0032\nMesh Fan { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;;\n";
  for (int bone = 0; bone < 5; ++bone) {
    text += "SkinWeights { \"B" + std::to_string(bone) + "\"; 1; " + std::to_string(bone % 3) +
            "; 0.2; 1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1;; }\n";
  }
  text += "}\n";
  XFileDocument document = ReadXFile(
      std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
  ComPtr<ID3DXSkinMesh> skin;
  ASSERT_EQ(D3D_OK, D3DXLoadSkinMeshFromXof(document.objects.at(0), 0, device, nullptr, nullptr,
                                            nullptr, nullptr, nullptr, skin.Out()));
  ComPtr<ID3DXMesh> blended;
  EXPECT_EQ(D3DXERR_TOOMANYINFLUENCES,
            skin->ConvertToBlendedMesh(D3DXMESH_MANAGED, nullptr, nullptr, nullptr, nullptr,
                                       nullptr, nullptr, blended.Out()));
  ComPtr<ID3DXMesh> skinned;
  EXPECT_EQ(D3D_OK,
            skin->GenerateSkinnedMesh(D3DXMESH_MANAGED, 0, nullptr, nullptr, skinned.Out()));
}

}  // namespace
