#include "platform/d3d/format.h"
#include "platform/d3dx/image_file.h"
#include "platform/d3dx/texture.h"
#include "platform/win/byte_writer.h"
#include "tests/library/core/library_fixture.h"

namespace {

using namespace d3d;

class Textures : public LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    ASSERT_EQ(CreateDevice(), D3D_OK);
    // The table's rules from the table alone: without the default bump texture of identifier 1.
    TextureFactory_Initialize();
    TextureFactory_InitializeTextureMemory();
  }

  std::string WriteFile(const std::string& name, const std::vector<uint8_t>& bytes) {
    const std::filesystem::path path = Folder() / name;
    win::WriteFileBytes(path, bytes);
    return path.string();
  }

  static ULONG References(IUnknown* object) {
    object->AddRef();
    return object->Release();
  }
};

// A PCX file: 8 bits, one plane, the given lines (already run-length encoded) and a palette whose
// entry i is (i, 2i, 3i) except entry 1, which is pure red.
std::vector<uint8_t> Pcx(uint16_t width, uint16_t height, uint16_t bytesPerLine,
                         const std::vector<uint8_t>& encoded) {
  std::vector<uint8_t> bytes(128 + encoded.size() + 1 + 768, 0);
  bytes[0] = 10;
  bytes[3] = 8;
  bytes[8] = static_cast<uint8_t>(width - 1);
  bytes[9] = static_cast<uint8_t>((width - 1) >> 8);
  bytes[10] = static_cast<uint8_t>(height - 1);
  bytes[65] = 1;
  bytes[66] = static_cast<uint8_t>(bytesPerLine);
  std::copy(encoded.begin(), encoded.end(), bytes.begin() + 128);
  const size_t palette = bytes.size() - 768;
  bytes[palette - 1] = 12;
  for (size_t i = 0; i < 256; ++i) {
    bytes[palette + 3 * i] = static_cast<uint8_t>(i == 1 ? 255 : i);
    bytes[palette + 3 * i + 1] = static_cast<uint8_t>(i == 1 ? 0 : 2 * i);
    bytes[palette + 3 * i + 2] = static_cast<uint8_t>(i == 1 ? 0 : 3 * i);
  }
  return bytes;
}

TEST_F(Textures, SharingMatrixOfFilesAndNames) {
  const std::string red = WriteBmp("red.bmp", 8, 8, 0xFFFF0000);
  const std::string blue = WriteBmp("blue.bmp", 4, 4, 0xFF0000FF);
  const int32_t first = TextureFactory_LoadTextureFromFile(red.c_str(), "one", -1, -1, 0, 1, 0);
  EXPECT_EQ(first, 1);
  EXPECT_TRUE(Logged("TEXTURE FACTORY 2 : Loading texture " + red + " ('one')"));
  EXPECT_EQ(TextureFactory_LoadTextureFromFile(red.c_str(), "ONE", -1, -1, 0, 1, 0), first);
  IDirect3DTexture8* texture = nullptr;
  TextureFactory_GetDXTexture(first, &texture);
  const ULONG alone = References(texture);
  const int32_t shared = TextureFactory_LoadTextureFromFile(red.c_str(), "two", -1, -1, 0, 1, 0);
  EXPECT_EQ(shared, 2);
  EXPECT_EQ(References(texture), alone + 1);
  // Deleting one name leaves the other's texture whole.
  EXPECT_EQ(TextureFactory_DeleteTexture(first), first);
  EXPECT_EQ(References(texture), alone);
  EXPECT_EQ(Pixels(texture).At(0, 0), 0xFFFF0000u);

  // Another file under an existing name reloads that record in place.
  EXPECT_EQ(TextureFactory_LoadTextureFromFile(blue.c_str(), "two", -1, -1, 0, 0, 0), shared);
  TextureInfo info{};
  EXPECT_EQ(TextureFactory_GetTextureInfo(shared, &info), 0);
  EXPECT_EQ(info.valid, 1);
  EXPECT_EQ(info.width, 4);
  EXPECT_STREQ(info.file, blue.c_str());
  EXPECT_EQ(TextureFactory_GetTextureIDByFilename(blue.c_str()), shared);
  EXPECT_EQ(TextureFactory_IsAlreadyLoaded("two", blue.c_str()), shared);
  EXPECT_EQ(TextureFactory_IsAlreadyLoaded(nullptr, blue.c_str()), shared);
  EXPECT_EQ(TextureFactory_IsAlreadyLoaded("two", red.c_str()), 0);
  EXPECT_TRUE(ShutDownAndRelease());
}

TEST_F(Textures, FailedReloadKeepsTheTextureItHad) {
  const std::string red = WriteBmp("red.bmp", 8, 8, 0xFFFF0000);
  const std::string broken = WriteFile("broken.bmp", {'B', 'M', 1, 2, 3});
  const int32_t identifier =
      TextureFactory_LoadTextureFromFile(red.c_str(), "hull", -1, -1, 0, 0, 0);
  ASSERT_EQ(identifier, 1);
  EXPECT_EQ(TextureFactory_LoadTextureFromFile(broken.c_str(), "hull", -1, -1, 0, 0, 0), 0);
  EXPECT_TRUE(Logged("TEXTURE FACTORY 2 : TextureFactory_LoadTexture : Couldn't load the texture " +
                     broken + " because the file is invalid."));
  const std::string missing = (Folder() / "missing.bmp").string();
  EXPECT_EQ(TextureFactory_LoadTextureFromFile(missing.c_str(), "hull", -1, -1, 0, 0, 0), 0);
  EXPECT_TRUE(Logged("TEXTURE FACTORY 2 : TextureFactory_LoadTexture : Couldn't load the texture " +
                     missing + " because it hasn't been found."));
  EXPECT_EQ(TextureFactory_GetTextureIDByName("hull"), identifier);
  IDirect3DTexture8* texture = nullptr;
  TextureFactory_GetDXTexture(identifier, &texture);
  ASSERT_NE(texture, nullptr);
  EXPECT_EQ(Pixels(texture).At(3, 3), 0xFFFF0000u);
  // A failed first load frees its record.
  EXPECT_EQ(TextureFactory_LoadTextureFromFile(missing.c_str(), "new", -1, -1, 0, 0, 0), 0);
  EXPECT_EQ(TextureFactory_GetNewTextureId(), 2);
  EXPECT_EQ(TextureFactory_LoadTextureFromFile(nullptr, "x", -1, -1, 0, 0, 0), 0);
  EXPECT_TRUE(
      Logged("TEXTURE FACTORY 2 : TextureFactory_LoadTextureFromFile : Can't load a texture "
             "with an empty filename"));
  EXPECT_TRUE(ShutDownAndRelease());
}

TEST_F(Textures, ColourKeyChoosesTheFormat) {
  const std::string image = WriteBmp("keyed.bmp", 8, 8, 0xFF00FF00);
  struct Case {
    int32_t key;
    D3DFORMAT format;
    uint32_t corner;
  };
  const Case cases[] = {{0, D3DFMT_R5G6B5, 0xFF00FF00},
                        {static_cast<int32_t>(0xFF00FF00), D3DFMT_A4R4G4B4, 0x00000000},
                        {static_cast<int32_t>(0xFFFAFFAC), D3DFMT_A4R4G4B4, 0xFF00FF00}};
  int32_t n = 0;
  for (const Case& c : cases) {
    const std::string name = "keyed" + std::to_string(n++);
    const int32_t identifier =
        TextureFactory_LoadTextureFromFile(image.c_str(), name.c_str(), 8, 8, c.key, 0, 0);
    ASSERT_NE(identifier, 0);
    IDirect3DTexture8* texture = nullptr;
    TextureFactory_GetDXTexture(identifier, &texture);
    D3DSURFACE_DESC desc{};
    texture->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Format, c.format) << name;
    EXPECT_EQ(Pixels(texture).At(0, 0), c.corner) << name;
    TextureFactory_DeleteTexture(identifier);
  }
  EXPECT_TRUE(ShutDownAndRelease());
}

TEST_F(Textures, IdentifiersStartAtOneAgainAfterUnloadAll) {
  EXPECT_EQ(TextureFactory_GetNewTextureId(), 1);
  EXPECT_EQ(TextureFactory_GetNewTextureId(), 1);  // not marked in use
  EXPECT_EQ(TextureFactory_UnloadAll(), 1);
  EXPECT_EQ(TextureFactory_GetCount(), 0);
  const std::string red = WriteBmp("red.bmp", 2, 2, 0xFFFF0000);
  EXPECT_EQ(TextureFactory_LoadTextureFromFile(red.c_str(), nullptr, -1, -1, 0, 0, 0), 1);
  EXPECT_EQ(TextureFactory_GetCount(), 2);
  EXPECT_EQ(TextureFactory_GetTextureIDByName(red.c_str()), 1);
  EXPECT_TRUE(ShutDownAndRelease());
}

TEST_F(Textures, PcxFilesDecodeRunsPaletteAndOddWidths) {
  // 3 x 2, bytes per line 4: line 0 is a run of three 1s and a pad byte; a run of five 2s carries
  // over into line 1, whose pad byte ends it.
  const std::string file = WriteFile("odd.pcx", Pcx(3, 2, 4, {0xC3, 1, 0, 0xC4, 2, 9}));
  IDirect3DTexture8* texture = nullptr;
  ASSERT_EQ(LoadPCX(file.c_str(), &texture), 1);
  EXPECT_TRUE(Logged("TEXTURE FACTORY : Load PCX " + file + " "));
  D3DSURFACE_DESC desc{};
  texture->GetLevelDesc(0, &desc);
  EXPECT_EQ(desc.Format, D3DFMT_R5G6B5);
  const d3dx::ArgbImage pixels = Pixels(texture);
  EXPECT_EQ(pixels.At(0, 0), 0xFFFF0000u);
  EXPECT_EQ(pixels.At(2, 0), 0xFFFF0000u);
  // Entry 2 is (2, 4, 6), cut to 5-6-5 bits and widened again.
  EXPECT_EQ(pixels.At(0, 1), *UnpackColor(D3DFMT_R5G6B5, *PackColor(D3DFMT_R5G6B5, 0xFF020406)));
  EXPECT_EQ(pixels.At(2, 1), pixels.At(0, 1));
  texture->Release();

  const std::string loaded = (Folder() / "odd.PCX").string();
  std::filesystem::rename(file, loaded);
  const int32_t identifier =
      TextureFactory_LoadTextureFromFile(loaded.c_str(), "pcx", -1, -1, 0, 0, 0);
  EXPECT_NE(identifier, 0);

  struct Refused {
    const char* name;
    std::vector<uint8_t> bytes;
  };
  std::vector<uint8_t> fourBits = Pcx(2, 2, 2, {});
  fourBits[3] = 4;
  std::vector<uint8_t> narrowLines = Pcx(5, 1, 4, {});
  const Refused refused[] = {{"short.pcx", std::vector<uint8_t>(200, 0)},
                             {"fourbits.pcx", fourBits},
                             {"narrow.pcx", narrowLines}};
  for (const Refused& r : refused) {
    IDirect3DTexture8* none = nullptr;
    EXPECT_EQ(LoadPCX(WriteFile(r.name, r.bytes).c_str(), &none), 0) << r.name;
    EXPECT_EQ(none, nullptr);
  }
  IDirect3DTexture8* none = nullptr;
  EXPECT_EQ(LoadPCX((Folder() / "absent.pcx").c_str(), &none), 0);
  EXPECT_TRUE(ShutDownAndRelease());
}

TEST_F(Textures, NamesInfoDeleteAndRangeChecks) {
  const std::string image = WriteBmp("info.bmp", 16, 8, 0xFF123456);
  const int32_t identifier =
      TextureFactory_LoadTextureFromFile(image.c_str(), "info", -1, -1, 0, 0, 0);
  TextureInfo info{};
  info.valid = 7;
  EXPECT_EQ(TextureFactory_GetTextureInfo(identifier, &info), 0);
  EXPECT_EQ(info.bitsPerPixel, 16);
  EXPECT_EQ(info.alpha, 0);
  EXPECT_EQ(info.sizeBytes, 2 * 16 * 8);
  EXPECT_STREQ(info.name, "info");
  EXPECT_EQ(TextureFactory_GetTextureInfo(44, &info), 0);
  EXPECT_EQ(info.valid, 0);
  EXPECT_TRUE(Logged(
      "TEXTURE FACTORY 2 : TextureFactory_GetTextureInfo : TextureId index out of range => 44"));

  EXPECT_EQ(TextureFactory_SetTextureName(identifier, "renamed"), 1);
  char name[512] = {};
  EXPECT_EQ(TextureFactory_GetTextureName(identifier, name), 1);
  EXPECT_STREQ(name, "renamed");
  EXPECT_EQ(TextureFactory_GetTextureName(44, name), 0);
  EXPECT_EQ(TextureFactory_SetTextureName(44, "x"), 0);
  EXPECT_EQ(TextureFactory_GetTextureIDByName("info"), 0);
  EXPECT_TRUE(
      Logged("TEXTURE FACTORY 2 : TextureFactory_GetTex : The texture 'info' hasn't been found in "
             "the texture list."));
  EXPECT_EQ(TextureFactory_GetTextureIDByFilename("nothing.bmp"), 0);

  EXPECT_EQ(TextureFactory_DumpToDebug(), 1);
  EXPECT_TRUE(Logged(" TEXTURES LIST DUMP : 2 slots used."));
  EXPECT_TRUE(Logged("TEXTURE ID#0 | Free texture slot"));
  EXPECT_TRUE(Logged("TEXTURE ID#1 | Name : renamed | Filename : " + image + " | Size : 16x8."));

  EXPECT_EQ(TextureFactory_DeleteTexture(44), 0);
  EXPECT_EQ(TextureFactory_DeleteTexture(identifier), identifier);
  EXPECT_EQ(TextureFactory_GetTextureInfo(identifier, &info), 0);
  EXPECT_EQ(info.valid, 0);
  IDirect3DTexture8* texture = reinterpret_cast<IDirect3DTexture8*>(&info);
  EXPECT_EQ(TextureFactory_GetDXTexture(44, &texture), 0);
  EXPECT_EQ(texture, nullptr);
  IDirect3DCubeTexture8* cube = nullptr;
  EXPECT_EQ(TextureFactory_GetDXTextureCube(identifier, &cube), 1);
  EXPECT_EQ(TextureFactory_GetDXTextureNormal(identifier, &texture), 1);
  d3dx::ID3DXRenderToSurface* target = nullptr;
  EXPECT_EQ(TextureFactory_GetDXRenderToSurface(-3, &target), 0);
  EXPECT_TRUE(ShutDownAndRelease());
}

TEST_F(Textures, ApplyBindsAndZeroUnbinds) {
  const std::string image = WriteBmp("a.bmp", 4, 4, 0xFFFFFFFF);
  const int32_t identifier =
      TextureFactory_LoadTextureFromFile(image.c_str(), "a", -1, -1, 0, 0, 0);
  IDirect3DTexture8* texture = nullptr;
  TextureFactory_GetDXTexture(identifier, &texture);
  auto bound = [this](DWORD stage) {
    IDirect3DBaseTexture8* current = nullptr;
    device_->GetTexture(stage, &current);
    if (current != nullptr) current->Release();
    return current;
  };
  EXPECT_EQ(TextureFactory_ApplyTexture(0, identifier), 1);
  EXPECT_EQ(TextureFactory_ApplyTexture(2, identifier), 1);
  EXPECT_EQ(bound(2), texture);
  EXPECT_EQ(TextureFactory_ApplyTexture(2, -1), 1);
  EXPECT_EQ(TextureFactory_ApplyTexture(2, 99), 1);
  EXPECT_EQ(bound(2), texture);
  EXPECT_EQ(TextureFactory_ApplyTexture(2, 0), 1);
  EXPECT_EQ(bound(0), nullptr);
  EXPECT_EQ(bound(2), nullptr);
  EXPECT_EQ(TextureFactory_ApplyCubeTexture(1, identifier), 1);
  EXPECT_EQ(TextureFactory_ApplyBumpTexture(1, identifier), 1);
  EXPECT_EQ(bound(1), nullptr);
  EXPECT_TRUE(ShutDownAndRelease());
}

TEST_F(Textures, TextureModePicksWhatTheDeviceTakes) {
  const std::string image = WriteBmp("m.bmp", 4, 4, 0xFFFFFFFF);
  const std::string keyedImage = WriteBmp("k.bmp", 4, 4, 0xFFFFFFFF);
  EXPECT_EQ(TextureFactory_SetTextureMode(3), 1);
  EXPECT_TRUE(Logged("TEXTURE FACTORY 2 : Texture mode changed to 16bits mode"));
  EXPECT_TRUE(Logged("TEXTURE FACTORY 2: Texture mode changed to compressed mode"));
  EXPECT_TRUE(Logged("TEXTURE FACTORY 2: Texture mode changed to 32bits mode"));
  const int32_t opaque = TextureFactory_LoadTextureFromFile(image.c_str(), "o", 4, 4, 0, 0, 0);
  const int32_t keyed = TextureFactory_LoadTextureFromFile(keyedImage.c_str(), "k", 4, 4, 1, 0, 0);
  TextureInfo info{};
  TextureFactory_GetTextureInfo(opaque, &info);
  EXPECT_EQ(info.bitsPerPixel, 32);
  EXPECT_EQ(info.alpha, 0);
  TextureFactory_GetTextureInfo(keyed, &info);
  EXPECT_EQ(info.alpha, -1);
  // Palettized textures are not among this device's formats: the mode is logged but not taken.
  EXPECT_EQ(TextureFactory_SetTextureMode(4), 1);
  EXPECT_TRUE(Logged("TEXTURE FACTORY 2: Texture mode changed to Palletized mode 8bits"));
  const int32_t after = TextureFactory_LoadTextureFromFile(image.c_str(), "after", 4, 4, 0, 0, 0);
  TextureFactory_GetTextureInfo(after, &info);
  EXPECT_EQ(info.bitsPerPixel, 32);
  EXPECT_TRUE(ShutDownAndRelease());
}

using TextureModes = LibraryTest;

TEST_F(TextureModes, EachFormatOfAModeIsTakenWhenTheDeviceTakesIt) {
  struct Case {
    const char* what;
    std::vector<D3DFORMAT> missing;  // from the device's texture formats
    int32_t mode;
    int16_t opaqueBits, keyedBits;
  };
  const Case cases[] = {
      {"32 bits without A8R8G8B8", {D3DFMT_A8R8G8B8}, 1, 32, 16},
      {"32 bits without X8R8G8B8", {D3DFMT_X8R8G8B8}, 1, 16, 32},
      {"the best without A8R8G8B8 and DXT3", {D3DFMT_A8R8G8B8, D3DFMT_DXT3}, 3, 32, 16},
  };
  // Two files: one file loaded under two names would be one texture.
  const std::string image = WriteBmp("m.bmp", 4, 4, 0xFFFFFFFF);
  const std::string keyedImage = WriteBmp("k.bmp", 4, 4, 0xFFFFFFFF);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    HeadlessConfig config;
    for (const D3DFORMAT format : c.missing) std::erase(config.textureFormats, format);
    ASSERT_EQ(CreateDevice(D3DFMT_D16, config), D3D_OK);
    EXPECT_EQ(TextureFactory_SetTextureMode(c.mode), 1);
    TextureInfo info{};
    TextureFactory_GetTextureInfo(
        TextureFactory_LoadTextureFromFile(image.c_str(), "o", 4, 4, 0, 0, 0), &info);
    EXPECT_EQ(info.bitsPerPixel, c.opaqueBits);
    TextureFactory_GetTextureInfo(
        TextureFactory_LoadTextureFromFile(keyedImage.c_str(), "k", 4, 4, 1, 0, 0), &info);
    EXPECT_EQ(info.bitsPerPixel, c.keyedBits);
    EXPECT_EQ(info.alpha, -1);
    // A new device starts from the 16-bit pair again: the formats were checked against this one.
    EXPECT_TRUE(ShutDownAndRelease());
  }
}

TEST_F(Textures, SaveWritesBmpOrDds) {
  const std::string image = WriteBmp("s.bmp", 8, 4, 0xFF8040C0);
  const int32_t identifier =
      TextureFactory_LoadTextureFromFile(image.c_str(), "s", -1, -1, 0, 0, 0);
  const std::string bmp = (Folder() / "out.bmp").string();
  const std::string dds = (Folder() / "out.dds").string();
  EXPECT_EQ(TextureFactory_SaveTexture(bmp.c_str(), identifier, 0), 1);
  EXPECT_EQ(TextureFactory_SaveTexture(dds.c_str(), identifier, 1), 1);
  int32_t width = 0, height = 0, format = 0, mips = 0, fileFormat = -1;
  EXPECT_EQ(Imaging_GetFileInfo(bmp.c_str(), &width, &height, &format, &mips, &fileFormat), 1);
  EXPECT_EQ(width, 8);
  EXPECT_EQ(height, 4);
  EXPECT_EQ(fileFormat, d3dx::D3DXIFF_BMP);
  EXPECT_EQ(Imaging_GetFileInfo(dds.c_str(), &width, &height, &format, &mips, &fileFormat), 1);
  EXPECT_EQ(fileFormat, d3dx::D3DXIFF_DDS);
  EXPECT_EQ(mips, 4);
  EXPECT_EQ(Imaging_GetFileInfo((Folder() / "none.bmp").c_str(), &width, &height, &format, &mips,
                                &fileFormat),
            0);

  EXPECT_EQ(TextureFactory_SaveTexture(nullptr, identifier, 0), 0);
  EXPECT_TRUE(
      Logged("TEXTURE FACTORY 2: TextureFactory_SaveTexture : You didn't specify a good filename"));
  EXPECT_EQ(TextureFactory_SaveTexture(bmp.c_str(), 0, 0), 0);
  EXPECT_TRUE(
      Logged("TEXTURE FACTORY 2: TextureFactory_SaveTexture : TextureID Index out of range => 0"));
  const int32_t empty = TextureFactory_GetNewTextureId();
  EXPECT_EQ(TextureFactory_SaveTexture(bmp.c_str(), empty, 0), 0);
  EXPECT_EQ(TextureFactory_SaveTexture((Folder() / "x.png").c_str(), identifier, 0), 1);
  EXPECT_EQ(TextureFactory_SaveTexture((Folder() / "no" / "x.bmp").c_str(), identifier, 0), 0);
  EXPECT_TRUE(ShutDownAndRelease());
}

TEST_F(Textures, CallersObjectsAreHeldWithTheirOwnReference) {
  IDirect3DTexture8* first = nullptr;
  IDirect3DTexture8* second = nullptr;
  IDirect3DCubeTexture8* cube = nullptr;
  ASSERT_EQ(d3dx::D3DXCreateTexture(device_, 8, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &first),
            D3D_OK);
  ASSERT_EQ(d3dx::D3DXCreateTexture(device_, 2, 2, 1, 0, D3DFMT_R5G6B5, D3DPOOL_MANAGED, &second),
            D3D_OK);
  ASSERT_EQ(d3dx::D3DXCreateCubeTexture(device_, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &cube),
            D3D_OK);
  const int32_t identifier = TextureFactory_GetNewTextureId();
  EXPECT_EQ(TextureFactory_SetTextureData(identifier, &first), 1);
  EXPECT_EQ(References(first), 2u);
  EXPECT_EQ(TextureFactory_SetTextureData(identifier, &second), 1);
  EXPECT_EQ(References(first), 1u);  // the table let go of the texture it replaced
  EXPECT_EQ(TextureFactory_SetCubeTextureData(identifier, &cube), 1);
  EXPECT_EQ(TextureFactory_SetTextureData(0, &first), 0);
  EXPECT_EQ(TextureFactory_SetTextureData(50, &first), 0);
  TextureInfo info{};
  TextureFactory_GetTextureInfo(identifier, &info);
  EXPECT_EQ(info.valid, 0);  // setting data does not mark the record in use
  first->Release();
  second->Release();
  cube->Release();
  EXPECT_TRUE(ShutDownAndRelease());
}

TEST_F(Textures, FixAlphaCopiesBlueIntoAlpha) {
  IDirect3DTexture8* texture = nullptr;
  ASSERT_EQ(
      d3dx::D3DXCreateTexture(device_, 2, 1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture),
      D3D_OK);
  D3DLOCKED_RECT locked{};
  texture->LockRect(0, &locked, nullptr, 0);
  static_cast<uint32_t*>(locked.pBits)[0] = 0x11223344;
  static_cast<uint32_t*>(locked.pBits)[1] = 0xFF0000FF;
  texture->UnlockRect(0);
  EXPECT_EQ(TextureFactory_FixAlpha(&texture), D3D_OK);
  texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY);
  EXPECT_EQ(static_cast<uint32_t*>(locked.pBits)[0], 0x44223344u);
  EXPECT_EQ(static_cast<uint32_t*>(locked.pBits)[1], 0xFF0000FFu);
  texture->UnlockRect(0);
  texture->Release();
  IDirect3DTexture8* other = nullptr;
  d3dx::D3DXCreateTexture(device_, 2, 2, 1, 0, D3DFMT_R5G6B5, D3DPOOL_MANAGED, &other);
  EXPECT_EQ(TextureFactory_FixAlpha(&other), E_FAIL);
  other->Release();
  EXPECT_TRUE(ShutDownAndRelease());
}

TEST_F(Textures, MemoryIsMeasuredFromInitialisation) {
  // A device as its creation leaves it, without the fixture's fresh table.
  ASSERT_TRUE(ShutDownAndRelease());
  ASSERT_EQ(CreateDevice(), D3D_OK);
  const int32_t free = TextureFactory_GetFreeTextureMemory();
  EXPECT_GT(free, 0);
  // Device creation builds the frame-rate display and the bump texture after it has measured the
  // memory.
  const int32_t used = TextureFactory_GetUsedTextureMemory();
  EXPECT_GT(used, 0);
  const std::string image = WriteBmp("big.bmp", 64, 64, 0xFFFFFFFF);
  TextureFactory_LoadTextureFromFile(image.c_str(), "big", -1, -1, 0, 0, 0);
  EXPECT_GT(TextureFactory_GetUsedTextureMemory(), used);
  EXPECT_EQ(TextureFactory_GetFreeTextureMemory() + TextureFactory_GetUsedTextureMemory(),
            free + used);
  EXPECT_EQ(TextureFactory_SetAutoTransColor(1, 0xFFFF00FF), 1);
  EXPECT_EQ(TextureFactory_InitializeTextureMemory(), 0);
  EXPECT_EQ(TextureFactory_GetUsedTextureMemory(), 0);
  // The sky sphere is the one device object left besides the textures.
  Atmosphere_UnloadAll();
  TextureFactory_UnloadAll();
  // The default bump texture's memory is free again too.
  EXPECT_GT(TextureFactory_GetFreeTextureMemory(), free);
  EXPECT_TRUE(Logged("TEXTURE FACTORY 2 : All textures deleted. Free memory after unloading : " +
                     std::to_string(TextureFactory_GetFreeTextureMemory()) + " bytes"));
  EXPECT_TRUE(ShutDownAndRelease());
}

}  // namespace
