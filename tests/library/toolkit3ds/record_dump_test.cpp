#include "library/toolkit3ds/record_dump.h"

#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "library/toolkit3ds/error_stack.h"
#include "tests/library/toolkit3ds/chunk_bytes.h"

namespace {

using RecordDump = test3ds::ToolkitTest;

// Five vertices, two faces in one material group, and smoothing words of one group and of two.
Mesh3ds SmallMesh() {
  Mesh3ds mesh;
  CopyName3ds(mesh.name, sizeof(mesh.name), "Box");
  mesh.ishidden = 1;
  mesh.isfrozen = 1;
  mesh.nvertices = 5;
  mesh.vertexarray = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}, {0, 0, 1}};
  mesh.nfaces = 2;
  mesh.facearray = {{0, 1, 2, 7}, {1, 3, 2, 0x10}};
  mesh.smootharray = {4, 3};
  mesh.locmatrix = {1, 0, 0, 0, 1, 0, 0, 0, 1, 0.5f, 0.5f, 0.5f};
  mesh.meshcolor = 2;
  mesh.nmats = 1;
  mesh.matarray.resize(1);
  CopyName3ds(mesh.matarray[0].name, kMaterialNameSize3ds, "Steel");
  mesh.matarray[0].nfaces = 2;
  mesh.matarray[0].faceindex = {0, 1};
  return mesh;
}

const char* kMatrixLines =
    "[0] 1.000000 [1] 0.000000 [2] 0.000000\n"
    "[3] 0.000000 [4] 1.000000 [5] 0.000000\n"
    "[6] 0.000000 [7] 0.000000 [8] 1.000000\n"
    "[9] 0.500000 [10] 0.500000 [11] 0.500000\n";

TEST_F(RecordDump, AMesh) {
  Mesh3ds mesh = SmallMesh();
  EXPECT_EQ(test3ds::TextOf([&](FILE* s) { DumpMesh3ds(s, &mesh); }),
            std::string("Mesh3ds structure contents:\n\n"
                        "Name: Box\n"
                        "Object Flags: ishidden isfrozen\n"
                        "Number of vertices: 5\n"
                        "Number of texture coords: 0\n"
                        "Mesh Matrix:\n") +
                kMatrixLines +
                "Number of faces: 2\n"
                "Mesh Color: 2\n"
                "Materials assigned to mesh:\n"
                "Steel\n"
                "Smooth groups assigned to mesh: 2 \n");
  mesh.nmats = 0;
  mesh.smootharray.clear();
  mesh.usemapinfo = 1;
  mesh.m_map.maptype = 1;
  mesh.m_map.matrix = mesh.locmatrix;
  CopyName3ds(mesh.procname, sizeof(mesh.procname), "twist");
  std::string text = test3ds::TextOf([&](FILE* s) { DumpMesh3ds(s, &mesh); });
  EXPECT_NE(text.find("No materials assigned to mesh.\n"), std::string::npos);
  EXPECT_NE(text.find(std::string("Mapping info:\n"
                                  "m_map Type of 1\n"
                                  "X Tiling of 1.000000\n"
                                  "Y Tiling of 1.000000\n"
                                  "Icon position of 0.000000, 0.000000, 0.000000\n") +
                      kMatrixLines +
                      "Scaling Value of 1.000000\n"
                      "Planar Icon Width of 1.000000\n"
                      "Planar Icon Height of 1.000000\n"
                      "Cylinder Icon Height of 1.000000\n"
                      "Mesh Matrix:\n"),
            std::string::npos);
  EXPECT_NE(text.find("Stand-in procedure: twist\n"), std::string::npos);
  EXPECT_EQ(text.find("Smooth groups"), std::string::npos);
}

TEST_F(RecordDump, AMaterialWithAMapAndAutomaticReflection) {
  Materials3ds material;
  CopyName3ds(material.name, sizeof(material.name), "Glass");
  material.diffuse = {1.0f, 0.5f, 0.0f};
  material.shininess = 0.25f;
  material.shadingstyle = 2;
  material.additive = 1;
  material.cubic.use = 1;
  material.cubic.mapsize = 64;
  CopyName3ds(material.texture.name, kMapNameSize3ds, "wood.tga");
  material.texture.strength = 1.0f;
  material.texture.tiling = 0;
  material.texture.source = 2;
  CopyName3ds(material.bump.name, kMapNameSize3ds, "bump.tga");
  material.bump.strength = 0.5f;
  std::string map =
      "   Strength: %s\n"
      "   Tiling: %s\n"
      "   Pyramidal m_map Filtering\n"
      "   m_map Blurring of 0.000000\n"
      "   Scaling u: 1.000000 v: 1.000000\n"
      "   Offset u: 0.000000 v: 0.000000\n"
      "   Rotation angle: 0.000000\n"
      "   Image source from %s\n"
      "   First tint r: 0.000000 g: 0.000000 b: 0.000000\n"
      "   Second tint r: 1.000000 g: 1.000000 b: 1.000000\n"
      "   Red tint r: 1.000000 g: 0.000000 b: 0.000000\n"
      "   Green tint r: 0.000000 g: 1.000000 b: 0.000000\n"
      "   Blue tint r: 0.000000 g: 0.000000 b: 1.000000\n";
  auto mapText = [&](const char* strength, const char* tiling, const char* source) {
    char text[2000];
    std::snprintf(text, sizeof(text), map.c_str(), strength, tiling, source);
    return std::string(text);
  };
  EXPECT_EQ(test3ds::TextOf([&](FILE* s) { DumpMaterial3ds(s, &material); }),
            "Materials3ds structure contents:\n\n"
            "Name: Glass\n"
            "Ambient: r: 0.000000, g: 0.000000, b: 0.000000\n"
            "Diffuse: r: 1.000000, g: 0.500000, b: 0.000000\n"
            "Specular: r: 0.000000, g: 0.000000, b: 0.000000\n"
            "Shininess: 0.250000 Shininess Strength: 0.000000\n"
            "Not using blur, but its set to 0.000000\n"
            "Transparency: 0.000000\n"
            "Not using transparency falloff, but is set to 0.000000\n"
            "Shading Style: Gouraud\n"
            "Additive Transparency\n"
            "Cubic Reflection Mapping Parameters: \n"
            "\n"
            "   Flags: None\n"
            "   m_map size: 64\n"
            "   Nth frame: 1\n"
            "Texture m_map contents:\n"
            "   Name: wood.tga\n" +
                mapText("1.000000", "", "RGB lumanence tint") +
                "Bump m_map contents:\n"
                "   Name: bump.tga\n" +
                mapText("0.500000", "Tile", "m_map RGB") + "   R3 Bump of 0.500000\n");
  material.shadingstyle = 7;
  material.cubic.firstframeonly = 1;
  material.cubic.flatmirror = 1;
  std::string text = test3ds::TextOf([&](FILE* s) { DumpMaterial3ds(s, &material); });
  EXPECT_NE(text.find("Shading Style: \n"), std::string::npos);
  EXPECT_NE(text.find("   Flags: [First Frame Only] [Flat Mirror]\n"), std::string::npos);
}

TEST_F(RecordDump, MeshDeclarations) {
  Mesh3ds mesh = SmallMesh();
  mesh.procsize = 3;
  mesh.procdata = {1, 2, 255};
  CopyName3ds(mesh.boxmap[0], kMaterialNameSize3ds, "Top");
  EXPECT_EQ(test3ds::TextOf([&](FILE* s) { WriteMeshDeclarations3ds(s, &mesh, "box"); }),
            "point3ds boxverts[5] = {\n"
            "   {0.000000, 0.000000, 0.000000}, {1.000000, 0.000000, 0.000000}, \n"
            "   {0.000000, 1.000000, 0.000000}, {1.000000, 1.000000, 0.000000}, \n"
            "   {0.000000, 0.000000, 1.000000}\n};\n\n"
            "face3ds boxface[2] = {\n   {0, 1, 2, 0x7}, {1, 3, 2, 0x10}\n};\n\n"
            "ulong3ds boxsmooth[2] = {\n   0x4, 0x3\n};\n\n"
            "ushort3ds boxfal0[2] = {\n   0, 1\n};\n\n"
            "objmat3ds boxmats[1] = {\n   {\"Steel\", 2, boxfal0}\n\n};\n\n"
            "unsigned char boxproc[3] = {\n   0x1, 0x2, 0xff\n};\n\n"
            "mesh3ds box = {\n"
            "   {'B','o','x'}, /* name */\n"
            "   1, /* ishidden */\n"
            "   0, /* isvislofter */\n"
            "   0, /* ismatte */\n"
            "   0, /* isnocast */\n"
            "   0, /* isfast */\n"
            "   0, /* isnorcvshad */\n"
            "   1, /* isfrozen */\n"
            "   5, /* nvertices */\n"
            "   boxverts, /* vertexarray */\n"
            "   0, /* ntextverts */\n"
            "   NULL, /* textarray */\n"
            "   0, /* usemapinfo */\n"
            "   { /* m_map */\n"
            "      0, /* m_map.maptype */\n"
            "      1.000000, /* m_map.tilex */\n"
            "      1.000000, /* m_map.tiley */\n"
            "      0.000000, /* m_map.cenx */\n"
            "      0.000000, /* m_map.ceny */\n"
            "      0.000000, /* m_map.cenz */\n"
            "      1.000000, /* m_map.scale */\n"
            "      { /* m_map.matrix[12] */\n"
            "         0.000000, 0.000000, 0.000000, 0.000000, \n"
            "         0.000000, 0.000000, 0.000000, 0.000000, \n"
            "         0.000000, 0.000000, 0.000000, 0.000000, \n"
            "      },\n"
            "      1.000000, /* m_map.pw */\n"
            "      1.000000, /* m_map.ph */\n"
            "      1.000000, /* m_map.ch */\n"
            "   },\n"
            "   { /* locmatrix[12] */\n"
            "      1.000000, 0.000000, 0.000000, 0.000000, \n"
            "      1.000000, 0.000000, 0.000000, 0.000000, \n"
            "      1.000000, 0.500000, 0.500000, 0.500000, \n"
            "   },\n"
            "   2, /* nfaces */\n"
            "   boxface, /* facearray */\n"
            "   boxsmooth, /* smootharray */\n"
            "   0, /* useboxmap */\n"
            "   { /* boxmap */\n"
            "      \"Top\",\n"
            "      \"\",\n"
            "      \"\",\n"
            "      \"\",\n"
            "      \"\",\n"
            "      \"\",\n"
            "   },\n"
            "   2, /* meshcolor */\n"
            "   1, /* nmats */\n"
            "   boxmats, /* matarray */\n"
            "   3, /* procsize */\n"
            "   \"\", /* procname */\n"
            "   boxproc /* procdata */\n"
            "};\n");
  mesh.nmats = 0;
  std::string text = test3ds::TextOf([&](FILE* s) { WriteMeshDeclarations3ds(s, &mesh, "box"); });
  EXPECT_EQ(text.find("objmat3ds"), std::string::npos);
  EXPECT_NE(text.find("   NULL, /* matarray */\n"), std::string::npos);
}

TEST_F(RecordDump, RefusalsWriteNothing) {
  Mesh3ds mesh;
  EXPECT_EQ(test3ds::TextOf([&](FILE* s) { DumpMesh3ds(s, nullptr); }), "");
  DumpMaterial3ds(nullptr, nullptr);
  WriteMeshDeclarations3ds(nullptr, &mesh, "m");
  EXPECT_EQ(test3ds::PendingCodes(), std::vector<int32_t>(3, ERR_INVALID_ARG));
}

TEST_F(RecordDump, HeaderSectionsFollowTheirSwitches) {
  std::string path = test3ds::WriteFile(test3ds::TestFolder() / "sample.h",
                                        test3ds::Text("#pragma once\n"
                                                      "/* Public Typedefs */\n"
                                                      "typedef int count3ds;\n"
                                                      "/* End Public */\n"
                                                      "/* Public Defines */\n"
                                                      "#define LIMIT 3\n"
                                                      "/* End Public */\n"
                                                      "/* Private Typedefs */\n"
                                                      "typedef long hidden3ds;\n"
                                                      "\n"
                                                      "/* End Private */\n"));
  auto copied = [&](const HeaderSections3ds& sections) {
    SetHeaderSections3ds(sections);
    testing::internal::CaptureStdout();
    WriteHeaderSections3ds(path.c_str());
    std::fflush(stdout);
    return testing::internal::GetCapturedStdout();
  };
  EXPECT_EQ(copied({}), "");
  HeaderSections3ds typedefs;
  typedefs.publicSections = true;
  typedefs.privateSections = true;
  typedefs.typedefs = true;
  EXPECT_EQ(copied(typedefs), "typedef int count3ds;\n/* Priv */ typedef long hidden3ds;\n\n");
  HeaderSections3ds defines;
  defines.publicSections = true;
  defines.defines = true;
  EXPECT_EQ(copied(defines), "#define LIMIT 3\n");
  SetHeaderSections3ds({});
}

}  // namespace
