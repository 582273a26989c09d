// WAD3 texture archives and PAK packages through the exported interface, on the headless device.
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

#include "tests/file_size_limit.h"
#include "tests/library/core/archive_writers.h"
#include "tests/library/core/library_fixture.h"

namespace {

using namespace archive_test;

constexpr RgbColour kBlue{0, 0, 255};
constexpr RgbColour kRed{255, 0, 0};
constexpr RgbColour kGreen{0, 128, 0};
constexpr int32_t kFormatA8R8G8B8 = 21;

// An 8 x 4 texture: the left half palette index 0, the right half index 1, one texel index 2.
WadTexture Checker(const std::string& name, std::vector<RgbColour> palette) {
  WadTexture texture{name, 8, 4, std::vector<uint8_t>(32), std::move(palette)};
  for (size_t texel = 0; texel < 32; ++texel) texture.indices[texel] = texel % 8 < 4 ? 0 : 1;
  texture.indices[31] = 2;
  return texture;
}

std::vector<uint8_t> FileBytes(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

class ArchivesTest : public LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    // Extraction writes into the working folder.
    previous_ = std::filesystem::current_path();
    std::filesystem::current_path(Folder());
  }
  void TearDown() override {
    Archive_RemoveTempFiles();
    std::filesystem::current_path(previous_);
    LibraryTest::TearDown();
  }

  std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) const {
    const std::filesystem::path path = Folder() / name;
    win::WriteFileBytes(path, bytes);
    return path.string();
  }

  d3dx::ArgbImage TexturePixels(int32_t identifier) {
    d3d::IDirect3DTexture8* texture = nullptr;
    Internal_GetTexture(identifier, &texture);
    d3dx::ArgbImage image = Pixels(texture);
    texture->Release();
    return image;
  }

 private:
  std::filesystem::path previous_;
};

TEST_F(ArchivesTest, AWadTextureIsConvertedWithItsPaletteKeyAndMipChainAndSharedOnceLoaded) {
  ASSERT_EQ(CreateDevice(), d3d::D3D_OK);
  const int32_t first =
      WAD_Load(Write("a.wad", WriteWad({{Checker("Other", {kGreen, kGreen, kGreen})}})).c_str());
  const int32_t second =
      WAD_Load(Write("b.wad", WriteWad({{Checker("Wall", {kRed, kBlue, kGreen})}})).c_str());
  EXPECT_EQ(first, 1);  // 0 stays the refusal
  EXPECT_EQ(second, 2);

  const int32_t before = TextureFactory_GetCount();
  const int32_t identifier = WAD_LoadTextureFromWAD("wALL", kFormatA8R8G8B8);
  ASSERT_NE(identifier, 0);
  EXPECT_EQ(TextureFactory_IsAlreadyLoaded("WAD_wALL", "WAD_wALL"), identifier);
  const d3dx::ArgbImage pixels = TexturePixels(identifier);
  ASSERT_EQ(pixels.width, 8u);
  ASSERT_EQ(pixels.height, 4u);
  EXPECT_EQ(pixels.At(0, 0), 0xFFFF0000u);  // red, opaque
  EXPECT_EQ(pixels.At(4, 0), 0x000000FFu);  // the default key, blue: transparent
  EXPECT_EQ(pixels.At(7, 3), 0xFF008000u);
  d3d::IDirect3DTexture8* texture = nullptr;
  Internal_GetTexture(identifier, &texture);
  EXPECT_EQ(texture->GetLevelCount(), 4u);  // 8x4, 4x2, 2x1, 1x1
  texture->Release();

  const size_t live = Control()->LiveObjectCount();
  EXPECT_EQ(WAD_LoadTextureFromWAD("Wall", kFormatA8R8G8B8), identifier);
  EXPECT_EQ(Control()->LiveObjectCount(), live);
  EXPECT_EQ(TextureFactory_GetCount(), before + 1);
  EXPECT_EQ(WAD_LoadTextureFromWAD("Missing", kFormatA8R8G8B8), 0);
  EXPECT_TRUE(ShutDownAndRelease());
}

TEST_F(ArchivesTest, TheCallersKeyColourOrNoneInThePaletteDecidesTheAlpha) {
  ASSERT_EQ(CreateDevice(), d3d::D3D_OK);
  ASSERT_EQ(WAD_Load(Write("a.wad", WriteWad({{Checker("keyred", {kRed, kBlue, kGreen}),
                                               Checker("nokey", {kRed, kRed, kGreen})}}))
                         .c_str()),
            1);
  TextureFactory_SetAutoTransColor(1, 0xFFFF0000);
  const d3dx::ArgbImage keyed = TexturePixels(WAD_LoadTextureFromWAD("keyred", kFormatA8R8G8B8));
  EXPECT_EQ(keyed.At(0, 0), 0x00FF0000u);
  EXPECT_EQ(keyed.At(4, 0), 0xFF0000FFu);
  TextureFactory_SetAutoTransColor(1, 0xFF123456);
  const d3dx::ArgbImage opaque = TexturePixels(WAD_LoadTextureFromWAD("nokey", kFormatA8R8G8B8));
  for (uint32_t pixel : opaque.pixels) EXPECT_EQ(pixel >> 24, 0xFFu);
  EXPECT_TRUE(ShutDownAndRelease());
}

TEST_F(ArchivesTest, DamagedWadArchivesAreRefusedWithTheirLogLines) {
  ASSERT_EQ(CreateDevice(), d3d::D3D_OK);
  const WadTexture good = Checker("t", {kRed, kBlue, kGreen});
  struct Case {
    const char* what;
    WadFile wad;
  };
  Case cases[] = {
      {"wrong magic", {{good}, 0x32444157}},
      {"entry count past the file", {{good}, 0x33444157, 1000}},
      {"negative entry count", {{good}, 0x33444157, -5}},
      {"directory past the file", {{good}, 0x33444157, 0, 4096}},
      {"data offset past the file", {{good}, 0x33444157, 0, 0, 1 << 20}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string path = Write("bad.wad", WriteWad(c.wad));
    EXPECT_EQ(WAD_Load(path.c_str()), 0);
    EXPECT_TRUE(Logged("WAD MANAGER : Could not load the file : " + path +
                       ". This is not a valid WAD file"));
  }
  EXPECT_EQ(WAD_Load((Folder() / "none.wad").string().c_str()), 0);
  EXPECT_TRUE(
      Logged("WAD MANAGER : Could not load the file : " + (Folder() / "none.wad").string() + "."));
  WAD_CloseAll();

  // Textures whose sizes, mips or palette do not fit leave no record and no device object.
  auto damaged = [&](WadTexture texture) {
    texture.name = "t";
    return texture;
  };
  WadTexture negative = damaged(good);
  negative.width = -8;
  WadTexture tooManyColours = damaged(good);
  tooManyColours.colourCount = 300;
  WadTexture shortPalette = damaged(good);
  shortPalette.colourCount = 200;
  WadTexture mipPastEnd = damaged(good);
  mipPastEnd.mip0Offset = 1 << 20;
  WadTexture huge = damaged(good);
  huge.width = huge.height = 1 << 14;
  for (const WadTexture& texture : {negative, tooManyColours, shortPalette, mipPastEnd, huge}) {
    ASSERT_EQ(WAD_Load(Write("bad.wad", WriteWad({{texture}})).c_str()), 1);
    const int32_t count = TextureFactory_GetCount();
    const size_t live = Control()->LiveObjectCount();
    EXPECT_EQ(WAD_LoadTextureFromWAD("t", kFormatA8R8G8B8), 0);
    EXPECT_EQ(TextureFactory_GetCount(), count);
    EXPECT_EQ(Control()->LiveObjectCount(), live);
    EXPECT_TRUE(Logged("WAD MANAGER : Invalid texture format / file format during loading of t"));
    EXPECT_EQ(WAD_CloseAll(), 1);
  }
  EXPECT_TRUE(Logged("WAD MANAGER : Closing all WAD opened sessions."));
  EXPECT_TRUE(ShutDownAndRelease());
}

TEST_F(ArchivesTest, ClosedArchivesAreReusedAndReleaseAllClosesThem) {
  ASSERT_EQ(CreateDevice(), d3d::D3D_OK);
  const std::string wad = Write("a.wad", WriteWad({{Checker("Wall", {kRed, kBlue, kGreen})}}));
  const std::string pak = Write("a.pak", WritePak({{{"x.txt", Text("x")}}}));
  EXPECT_EQ(WAD_Load(wad.c_str()), 1);
  EXPECT_EQ(WAD_CloseAll(), 1);
  EXPECT_EQ(WAD_LoadTextureFromWAD("Wall", kFormatA8R8G8B8), 0);
  EXPECT_EQ(WAD_Load(wad.c_str()), 1);
  EXPECT_EQ(Archive_OpenPak(pak.c_str()), 1);
  EXPECT_EQ(Archive_OpenPak(pak.c_str()), 2);
  EXPECT_EQ(Archive_ClosePak(1), 0);
  EXPECT_EQ(Archive_OpenPak(pak.c_str()), 1);
  for (int32_t index : {0, -1, 3}) {
    EXPECT_EQ(Archive_ClosePak(index), 0);
    EXPECT_TRUE(
        Logged("PACK MANAGER : Archive_ClosePak : Index out of range -> " + std::to_string(index)));
  }
  ReleaseAll();
  char name[] = "x.txt";
  EXPECT_EQ(Archive_ExtractFileTo(name, "out.txt", 0), 0);
  EXPECT_EQ(WAD_LoadTextureFromWAD("Wall", kFormatA8R8G8B8), 0);
  EXPECT_EQ(Archive_OpenPak(pak.c_str()), 1);
  EXPECT_TRUE(ShutDownAndRelease());
}

TEST_F(ArchivesTest, PackageEntriesAreFoundInSlotOrderWhateverTheirSeparatorsAndCase) {
  std::vector<uint8_t> big(200000);
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<uint8_t>(i * 7);
  const std::string first =
      Write("first.pak", WritePak({{{"maps/Level.txt", Text("first")}, {"models/big.bin", big}}}));
  const std::string second = Write(
      "second.pak", WritePak({{{"maps/level.txt", Text("second")}, {"only.txt", Text("2")}}}));
  ASSERT_EQ(Archive_OpenPak(first.c_str()), 1);
  ASSERT_EQ(Archive_OpenPak(second.c_str()), 2);

  for (const char* written :
       {"maps/level.txt", "MAPS\\LEVEL.TXT", "\\maps\\Level.txt", "/maps/level.txt"}) {
    SCOPED_TRACE(written);
    char name[64];
    std::strcpy(name, written);
    EXPECT_EQ(Archive_ExtractFileTo(name, "out.txt", 0), 1);
    EXPECT_EQ(FileBytes(Folder() / "out.txt"), Text("first"));
    EXPECT_EQ(std::strchr(name, '\\'), nullptr);
  }
  char bigName[] = "models/big.bin";
  EXPECT_EQ(Archive_ExtractFileTo(bigName, "big.bin", 0), 1);
  EXPECT_EQ(FileBytes(Folder() / "big.bin"), big);
  EXPECT_TRUE(
      Logged("PACK MANAGER : Extracted 'models/big.bin' from package #1 (length : 200000 "
             "bytes)"));
  char missing[] = "maps/none.txt";
  EXPECT_EQ(Archive_ExtractFileTo(missing, "none.txt", 0), 0);
  EXPECT_FALSE(std::filesystem::exists(Folder() / "none.txt"));

  Archive_ClosePak(1);
  char again[] = "maps/level.txt";
  EXPECT_EQ(Archive_ExtractFileTo(again, "out.txt", 0), 1);
  EXPECT_EQ(FileBytes(Folder() / "out.txt"), Text("second"));
}

TEST_F(ArchivesTest, TestPakFileExtractsMissingFilesAndRemoveTempFilesDeletesOnlyThose) {
  const std::string pak = Write("a.pak", WritePak({{{"textures/wall.bmp", Text("wall")},
                                                    {"floor.bmp", Text("floor")},
                                                    {"kept.bmp", Text("from package")}}}));
  ASSERT_EQ(Archive_OpenPak(pak.c_str()), 1);
  Write("ondisk.bmp", Text("disk"));
  Write("kept.bmp", Text("unrelated"));

  struct Case {
    const char* path;
    int32_t result;
    const char* after;
  };
  const Case cases[] = {
      {"ondisk.bmp", 0, "ondisk.bmp"},                   // on disk: left alone
      {"textures\\wall.bmp", 1, "wall.bmp"},             // the whole path names the entry
      {"levels\\floor.bmp", 1, "floor.bmp"},             // the bare name does
      {"levels\\kept.bmp", 0, "kept.bmp"},               // the working folder's file is used
      {"levels\\nothing.bmp", 1, "levels/nothing.bmp"},  // found nowhere
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    char path[256];  // the buffer size the interface gives
    std::strcpy(path, c.path);
    EXPECT_EQ(Archive_TestPakFile(path), c.result);
    EXPECT_STREQ(path, c.after);
  }
  EXPECT_EQ(FileBytes(Folder() / "wall.bmp"), Text("wall"));
  EXPECT_EQ(FileBytes(Folder() / "floor.bmp"), Text("floor"));
  EXPECT_EQ(Archive_RemoveTempFiles(), 1);
  EXPECT_FALSE(std::filesystem::exists(Folder() / "wall.bmp"));
  EXPECT_FALSE(std::filesystem::exists(Folder() / "floor.bmp"));
  EXPECT_EQ(FileBytes(Folder() / "kept.bmp"), Text("unrelated"));
  EXPECT_EQ(FileBytes(Folder() / "ondisk.bmp"), Text("disk"));
}

TEST_F(ArchivesTest, DamagedPackagesAndEntriesAreRefusedWithTheirLogLines) {
  struct Case {
    const char* what;
    PakFile pak;
  };
  const std::vector<PakEntry> one = {{"a.txt", Text("abc")}};
  Case cases[] = {
      {"wrong magic", {one, 0x4B434151}},
      {"empty directory", {{}}},
      {"directory past the file", {one, 0x4B434150, 64}},
      {"name without terminator", {one, 0x4B434150, 0, false}},
      {"data past the file", {{{"a.txt", Text("abc"), 0, 1000}}}},
      {"negative offset", {{{"a.txt", Text("abc"), -100}}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string path = Write("bad.pak", WritePak(c.pak));
    EXPECT_EQ(Archive_OpenPak(path.c_str()), 0);
    EXPECT_TRUE(Logged("PACK MANAGER : The file '" + path + "' isn't a valid PAK file"));
  }
  EXPECT_EQ(Archive_OpenPak("nowhere.pak"), 0);
  EXPECT_TRUE(Logged("PACK MANAGER : The package 'nowhere.pak' hasn't been found."));

  // A directory length that is not a whole number of entries reads the whole ones.
  ASSERT_EQ(Archive_OpenPak(Write("ok.pak", WritePak({one, 0x4B434150, 10})).c_str()), 1);
  char name[] = "a.txt";
  EXPECT_EQ(Archive_ExtractFileTo(name, "a.txt", 0), 1);
  EXPECT_EQ(Archive_ExtractFileTo(name, (Folder() / "no" / "such" / "a.txt").string().c_str(), 0),
            0);
  EXPECT_TRUE(Logged("PACK MANAGER : Couldn't open the destination file '" +
                     (Folder() / "no" / "such" / "a.txt").string() +
                     "' for the package extraction. Probably access denied."));
  ASSERT_EQ(Archive_OpenPak(Write("empty.pak", WritePak({{{"empty.txt", {}}}})).c_str()), 2);
  char empty[] = "empty.txt";
  EXPECT_EQ(Archive_ExtractFileTo(empty, "empty.txt", 1), 0);
  EXPECT_TRUE(Logged("PACK MANAGER : Problem !! Entry with less than 0 byte"));
  EXPECT_FALSE(std::filesystem::exists(Folder() / "empty.txt"));
}

TEST_F(ArchivesTest, AFailedExtractionLeavesAFileOfThatNameAsItWas) {
  ASSERT_EQ(Archive_OpenPak(
                Write("p.pak",
                      WritePak({{{"empty.txt", {}}, {"big.bin", std::vector<uint8_t>(200000, 7)}}}))
                    .c_str()),
            1);
  const std::vector<uint8_t> old = Text("the file that was there");
  struct Case {
    const char* what;
    const char* entry;
    rlim_t sizeLimit;  // bytes any file may grow to during the extraction; 0: none
  };
  const Case cases[] = {{"an empty entry", "empty.txt", 0}, {"a full disk", "big.bin", 64 << 10}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Write("kept.bin", old);
    char name[64] = {};
    std::strcpy(name, c.entry);
    std::optional<tests::FileSizeLimit> limit;
    if (c.sizeLimit != 0) limit.emplace(c.sizeLimit);
    EXPECT_EQ(Archive_ExtractFileTo(name, "kept.bin", 1), 0);
    limit.reset();
    EXPECT_EQ(FileBytes(Folder() / "kept.bin"), old);
  }
  EXPECT_TRUE(Logged("PACK MANAGER : Problem !! Couldn't copy 'big.bin' from package #1"));
  // Nothing was remembered and no temporary file is left beside it.
  Archive_RemoveTempFiles();
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(Folder()))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"kept.bin", "log.txt", "p.pak"}));
}

}  // namespace
