// Text map files and their material scripts through the exported interface, on the headless device.
#include <cmath>
#include <string>

#include "tests/library/core/library_fixture.h"

namespace {

// An uncompressed 32-bit TGA of one colour, stored top row first.
std::vector<uint8_t> Tga(uint16_t side, uint32_t argb) {
  win::ByteWriter file;
  file.U16(0);  // no identifier, no colour map
  file.U8(2);   // uncompressed true colour
  file.U8(0);   // colour map: none
  file.U32(0);
  file.U16(0);
  file.U16(0);
  file.U16(side);
  file.U16(side);
  file.U8(32);
  file.U8(0x28);
  for (int texel = 0; texel < side * side; ++texel) file.U32(argb);
  return file.Data();
}

// A model of two surfaces with comments in every place the format allows them; lines end as
// lineEnd says.
std::string Map(const std::string& lineEnd) {
  std::string text =
      "mapProcFile003\n"
      "model { /* name = */ \"_area0\" /* numSurfaces = */ 2\n"
      "/* surface 0 */ { \"stone\" /* numVerts = */ 3 /* numIndexes = */ 3\n"
      "( 0 0 0 0 0 0 0 1 ) ( 1 0 0 1 0 0 0 1 ) ( 0 1 0 0 1 0 0 1 )\n"
      "0 1 2 // one triangle\n"
      "}\n"
      "{ \"plain\" 4 6\n"
      "( -1.5 0 2 0 0 0 1 0 ) ( 1.5 0 2 1 0 0 1 0 ) ( 1.5 0 -2 1 1 0 1 0 ) ( -1.5 0 -2 0 1 0 1 0 "
      ")\n"
      "0 1 2 0 2 3\n"
      "}\n"
      "}\n"
      "model { \"_area1\" 1\n"
      "{ \"stone\" 3 3 ( 0 0 5 0 0 0 0 1 ) ( 1 0 5 1 0 0 0 1 ) ( 0 1 5 0 1 0 0 1 ) 2 1 0 }\n"
      "}\n";
  std::string out;
  for (char c : text) {
    if (c == '\n') {
      out += lineEnd;
    } else {
      out += c;
    }
  }
  return out;
}

class MapFileTest : public LibraryTest {
 protected:
  std::string Write(const std::string& name, const std::string& text) const {
    const std::filesystem::path path = Folder() / name;
    std::filesystem::create_directories(path.parent_path());
    win::WriteFileBytes(path, std::vector<uint8_t>(text.begin(), text.end()));
    return path.string();
  }
  std::string Base() const { return Folder().string() + "/"; }
  bool LoadedFile(const std::string& name) const {
    return TextureFactory_GetTextureIDByFilename((Base() + name).c_str()) != 0;
  }
};

TEST_F(MapFileTest, MapsWithCommentsAndEitherLineEndLoadTheirSurfacesAndDrawThem) {
  win::WriteFileBytes(Folder() / "stone_d.tga", Tga(2, 0xFF808080));
  for (const char* lineEnd : {"\n", "\r\n"}) {
    SCOPED_TRACE(lineEnd[0] == '\r' ? "CR LF" : "LF");
    ASSERT_EQ(CreateDevice(), d3d::D3D_OK);
    const std::string map = Write("level.proc", Map(lineEnd));
    ASSERT_EQ(D3_Load(map.c_str(), Base().c_str()), 1);
    ASSERT_EQ(Viewport_Clear(0, 0), 1);
    Control()->ClearDraws();
    EXPECT_EQ(D3_RenderAll(), 1);
    Viewport_Present(0, -1);
    const auto& draws = Control()->Draws();
    ASSERT_EQ(draws.size(), 3u);
    EXPECT_EQ(draws[0].call, d3d::DrawCall::IndexedPrimitiveUP);
    EXPECT_EQ(draws[0].fvf, 0x112u);
    EXPECT_EQ(draws[0].stride, 32u);
    EXPECT_EQ(draws[0].indexFormat, d3d::D3DFMT_INDEX16);
    EXPECT_EQ(draws[0].primitiveCount, 1u);
    EXPECT_EQ(draws[1].primitiveCount, 2u);
    EXPECT_EQ(draws[1].vertexCount, 4u);
    EXPECT_NE(draws[0].textures[0], nullptr);  // stone_d.tga
    EXPECT_EQ(draws[1].textures[0], nullptr);  // plain has no texture on disk
    EXPECT_EQ(draws[2].textures[0], draws[0].textures[0]);
    // The vertices as the file gives them: x y z u v nx ny nz into position, normal, uv.
    D3_Vertex second{};
    std::memcpy(&second, draws[1].vertices.data() + sizeof(D3_Vertex), sizeof second);
    EXPECT_FLOAT_EQ(second.x, 1.5f);
    EXPECT_FLOAT_EQ(second.z, 2.0f);
    EXPECT_FLOAT_EQ(second.u, 1.0f);
    EXPECT_FLOAT_EQ(second.ny, 1.0f);
    EXPECT_TRUE(ShutDownAndRelease());
  }
}

TEST_F(MapFileTest, MaterialsComeFromTheFirstScriptMentioningThemOrFromTheSuffixDefaults) {
  ASSERT_EQ(CreateDevice(), d3d::D3D_OK);
  // In name order without regard to case "a.mtr" comes before "B.mtr": its mention of "stone"
  // inside another material's text wins.
  Write("materials/B.mtr", "stone\n{\n  diffusemap b_stone.bmp\n}\n");
  Write("materials/a.mtr",
        "wall // looks like stone\n{\n  {\n    diffusemap stage.bmp\n  }\n"
        "\tdiffusemap\ta_wall.bmp\n  specularmap a_spec.bmp\n  qer_editorimage x.bmp\n}\n");
  Write("materials/ignored.txt", "plain { diffusemap never.bmp }");
  for (const char* file : {"a_wall.bmp", "a_spec.bmp", "stage.bmp", "b_stone.bmp", "never.bmp"}) {
    WriteBmp(file, 2, 2, 0xFF00FF00);
  }
  for (const char* file : {"stone_local.tga", "plain_d.tga", "plain_local.tga", "plain_s.tga"}) {
    win::WriteFileBytes(Folder() / file, Tga(2, 0xFF0000FF));
  }
  const std::string map = Write("level.proc", Map("\n"));
  ASSERT_EQ(D3_Load(map.c_str(), Base().c_str()), 1);
  EXPECT_TRUE(LoadedFile("a_wall.bmp"));
  EXPECT_TRUE(LoadedFile("a_spec.bmp"));
  EXPECT_TRUE(LoadedFile("stone_local.tga"));  // no bump map named: the default
  EXPECT_FALSE(LoadedFile("stage.bmp"));       // stage blocks are passed over
  EXPECT_FALSE(LoadedFile("b_stone.bmp"));
  EXPECT_FALSE(LoadedFile("never.bmp"));
  for (const char* file : {"plain_d.tga", "plain_local.tga", "plain_s.tga"}) {
    EXPECT_TRUE(LoadedFile(file)) << file;
  }
  // "stone" is met twice in the map and made once: the next material gets index 2.
  const int32_t count = TextureFactory_GetCount();
  EXPECT_EQ(D3_FindMaterial("stone", Base().c_str()), 0);
  EXPECT_EQ(D3_FindMaterial("plain", Base().c_str()), 1);
  EXPECT_EQ(TextureFactory_GetCount(), count);
  EXPECT_EQ(D3_FindMaterial("new", Base().c_str()), 2);
  EXPECT_TRUE(ShutDownAndRelease());
}

TEST_F(MapFileTest, MissingOrDamagedMapsAreRefusedAndKeepNothing) {
  ASSERT_EQ(CreateDevice(), d3d::D3D_OK);
  EXPECT_EQ(D3_Load((Folder() / "none.proc").string().c_str(), Base().c_str()), 0);
  EXPECT_TRUE(
      Logged("D3 MANAGER : Could not load the file : " + (Folder() / "none.proc").string() + "."));
  const std::string vertex = "( 0 0 0 0 0 0 0 1 ) ";
  const std::string three = vertex + vertex + vertex;
  struct Case {
    const char* what;
    std::string text;
  };
  const Case cases[] = {
      {"index past the vertices", "model { \"m\" 1 { \"s\" 3 3 " + three + "0 1 3 } }"},
      {"index count no multiple of 3", "model { \"m\" 1 { \"s\" 3 4 " + three + "0 1 2 0 } }"},
      {"vertex count past the text", "model { \"m\" 1 { \"s\" 300 3 " + three + "0 1 2 } }"},
      {"more vertices than 16 bits reach", "model { \"m\" 1 { \"s\" 70000 3 " + three + "} }"},
      {"signed count", "model { \"m\" 1 { \"s\" -3 3 " + three + "0 1 2 } }"},
      {"unterminated name", "model { \"m 1 { \"s\" 3 3 " + three + "0 1 2 } }"},
      {"surface count past the text", "model { \"m\" 99999 { \"s\" 3 3 " + three + "0 1 2 } }"},
      {"vertex cut short", "model { \"m\" 1 { \"s\" 3 3 " + vertex + vertex + "( 0 0 0 0 0"},
      {"number with letters",
       "model { \"m\" 1 { \"s\" 3 3 ( 0 0 0 0 0 0 0 1x ) " + vertex + vertex + "0 1 2 } }"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string map = Write("bad.proc", c.text);
    EXPECT_EQ(D3_Load(map.c_str(), Base().c_str()), 0);
    EXPECT_TRUE(
        Logged("D3 MANAGER : Could not load the file : " + map + ". This is not a valid map file"));
  }
  Control()->ClearDraws();
  D3_RenderAll();
  EXPECT_TRUE(Control()->Draws().empty());
  EXPECT_TRUE(ShutDownAndRelease());
}

TEST_F(MapFileTest, TangentFramesFollowTheTextureCoordinatesAndTurnToTheNormal) {
  // u along x, v along y, the normal facing -z: S = x, T = y and S x T turned to -z.
  const D3_Vertex quad[4] = {{0, 0, 0, 0, 0, -2, 0, 0},
                             {1, 0, 0, 0, 0, -2, 1, 0},
                             {0, 1, 0, 0, 0, -2, 0, 1},
                             {5, 5, 5, 0, 1, 0, 3, 3}};
  // The second triangle has one texture coordinate for all corners; the third names vertex 9.
  const uint16_t indices[9] = {0, 1, 2, 3, 3, 3, 0, 1, 9};
  D3_BumpVertex bump[4];
  EXPECT_EQ(D3_PrecomputeBumpInfo(quad, indices, bump, 4, 9), 1);
  for (int vertex = 0; vertex < 3; ++vertex) {
    SCOPED_TRACE(vertex);
    const D3_BumpVertex& b = bump[vertex];
    EXPECT_FLOAT_EQ(b.sx, 1);
    EXPECT_FLOAT_EQ(b.sy, 0);
    EXPECT_FLOAT_EQ(b.ty, 1);
    EXPECT_FLOAT_EQ(b.tx, 0);
    EXPECT_FLOAT_EQ(b.sxt[2], -1);
    EXPECT_FLOAT_EQ(b.nz, -1);  // normalised in place
    EXPECT_FLOAT_EQ(b.u, quad[vertex].u);
    EXPECT_FLOAT_EQ(b.v, quad[vertex].v);
  }
  const D3_BumpVertex& degenerate = bump[3];
  EXPECT_EQ(degenerate.sx + degenerate.sy + degenerate.sz, 0);
  EXPECT_EQ(degenerate.tx + degenerate.ty + degenerate.tz, 0);
  EXPECT_FLOAT_EQ(degenerate.x, 5);
}

}  // namespace
