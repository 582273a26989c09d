#include "platform/d3dx/texture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "platform/d3d/format.h"
#include "platform/d3dx/com_ptr.h"
#include "tests/platform/d3dx/headless_fixture.h"
#include "tests/platform/d3dx/image_encoders.h"

namespace {

using namespace d3d;
using namespace d3dx;

class D3dxTexture : public d3dx_test::DeviceTest {
 protected:
  // Level pixels of a texture as ARGB.
  ArgbImage Level(IDirect3DTexture8* texture, UINT level) {
    ComPtr<IDirect3DSurface8> surface;
    EXPECT_EQ(D3D_OK, texture->GetSurfaceLevel(level, surface.Out()));
    return SurfacePixels(surface.Get());
  }

  ArgbImage SurfacePixels(IDirect3DSurface8* surface) {
    D3DSURFACE_DESC desc{};
    D3DLOCKED_RECT locked{};
    surface->GetDesc(&desc);
    EXPECT_EQ(D3D_OK, surface->LockRect(&locked, nullptr, D3DLOCK_READONLY));
    auto image =
        ReadPixels({desc.Format, desc.Width, desc.Height, static_cast<size_t>(locked.Pitch),
                    static_cast<uint8_t*>(locked.pBits)},
                   nullptr);
    surface->UnlockRect();
    return image.value_or(ArgbImage{});
  }

  void Fill(IDirect3DSurface8* surface, const ArgbImage& image) {
    D3DSURFACE_DESC desc{};
    D3DLOCKED_RECT locked{};
    surface->GetDesc(&desc);
    ASSERT_EQ(D3D_OK, surface->LockRect(&locked, nullptr, 0));
    EXPECT_TRUE(
        WritePixels(image,
                    {desc.Format, desc.Width, desc.Height, static_cast<size_t>(locked.Pitch),
                     static_cast<uint8_t*>(locked.pBits)},
                    nullptr));
    surface->UnlockRect();
  }

  HRESULT LoadFromMemory(const std::vector<uint8_t>& file, UINT width, UINT height,
                         D3DFORMAT format, DWORD filter, D3DCOLOR colourKey, D3DXIMAGE_INFO* info,
                         IDirect3DTexture8** texture) {
    return D3DXCreateTextureFromFileInMemoryEx(
        device, file.data(), static_cast<UINT>(file.size()), width, height, D3DX_DEFAULT, 0, format,
        D3DPOOL_MANAGED, filter, D3DX_DEFAULT, colourKey, info, nullptr, texture);
  }

  static void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
  }
};

TEST_F(D3dxTexture, RequirementsRoundClampAndReplace) {
  HeadlessConfig config;
  config.caps.MaxTextureWidth = config.caps.MaxTextureHeight = 1024;
  config.textureFormats = {D3DFMT_R5G6B5, D3DFMT_A4R4G4B4, D3DFMT_DXT3};
  Create(config);
  struct Case {
    UINT width, height, levels;
    D3DFORMAT format;
    UINT wantWidth, wantHeight, wantLevels;
    D3DFORMAT wantFormat;
  } const cases[] = {
      {300, 100, 0, D3DFMT_A4R4G4B4, 512, 128, 10, D3DFMT_A4R4G4B4},
      {5000, 3, 1, D3DFMT_R5G6B5, 1024, 4, 1, D3DFMT_R5G6B5},
      {0, D3DX_DEFAULT, D3DX_DEFAULT, D3DFMT_UNKNOWN, 256, 256, 9, D3DFMT_A4R4G4B4},
      {64, 64, 20, D3DFMT_X8R8G8B8, 64, 64, 7, D3DFMT_R5G6B5},
      {64, 64, 2, D3DFMT_A8R8G8B8, 64, 64, 2, D3DFMT_A4R4G4B4},
      {64, 64, 2, D3DFMT_R8G8B8, 64, 64, 2, D3DFMT_R5G6B5},
      {64, 64, 2, D3DFMT_DXT3, 64, 64, 2, D3DFMT_DXT3},
      {64, 64, 2, D3DFMT_P8, 64, 64, 2, D3DFMT_A4R4G4B4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " format " << c.format);
    UINT width = c.width, height = c.height, levels = c.levels;
    D3DFORMAT format = c.format;
    ASSERT_EQ(D3D_OK, D3DXCheckTextureRequirements(device, &width, &height, &levels, 0, &format,
                                                   D3DPOOL_MANAGED));
    EXPECT_EQ(c.wantWidth, width);
    EXPECT_EQ(c.wantHeight, height);
    EXPECT_EQ(c.wantLevels, levels);
    EXPECT_EQ(c.wantFormat, format);
  }
  // Render targets check the device's list of target formats.
  D3DFORMAT target = D3DFMT_A4R4G4B4;
  ASSERT_EQ(D3D_OK, D3DXCheckTextureRequirements(device, nullptr, nullptr, nullptr,
                                                 D3DUSAGE_RENDERTARGET, &target, D3DPOOL_DEFAULT));
  EXPECT_EQ(D3DFMT_A8R8G8B8, target);

  config.caps.TextureCaps |= D3DPTEXTURECAPS_SQUAREONLY;
  config.caps.TextureCaps &= ~D3DPTEXTURECAPS_MIPMAP;
  Create(config);
  UINT width = 20, height = 70, levels = 0;
  ASSERT_EQ(D3D_OK, D3DXCheckTextureRequirements(device, &width, &height, &levels, 0, nullptr,
                                                 D3DPOOL_MANAGED));
  EXPECT_EQ(128u, width);
  EXPECT_EQ(128u, height);
  EXPECT_EQ(1u, levels);
}

TEST_F(D3dxTexture, CreateTextureAndCubeTextureFollowTheRules) {
  ComPtr<IDirect3DTexture8> texture;
  ASSERT_EQ(D3D_OK, D3DXCreateTexture(device, 100, 30, 0, 0, D3DFMT_R8G8B8, D3DPOOL_MANAGED,
                                      texture.Out()));
  D3DSURFACE_DESC desc{};
  texture->GetLevelDesc(0, &desc);
  EXPECT_EQ(128u, desc.Width);
  EXPECT_EQ(32u, desc.Height);
  EXPECT_EQ(D3DFMT_X8R8G8B8, desc.Format);
  EXPECT_EQ(8u, texture->GetLevelCount());

  ComPtr<IDirect3DCubeTexture8> cube;
  ASSERT_EQ(D3D_OK,
            D3DXCreateCubeTexture(device, 60, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, cube.Out()));
  cube->GetLevelDesc(0, &desc);
  EXPECT_EQ(64u, desc.Width);
  EXPECT_EQ(1u, cube->GetLevelCount());
}

TEST_F(D3dxTexture, LoadsAFileScaledToTheDeviceRules) {
  HeadlessConfig config;
  config.caps.MaxTextureWidth = config.caps.MaxTextureHeight = 16;
  Create(config);
  ArgbImage picture = d3dx_test::Picture(20, 12);
  ComPtr<IDirect3DTexture8> texture;
  D3DXIMAGE_INFO info{};
  ASSERT_EQ(D3D_OK, LoadFromMemory(d3dx_test::EncodePng(picture), D3DX_DEFAULT, D3DX_DEFAULT,
                                   D3DFMT_UNKNOWN, D3DX_FILTER_POINT, 0, &info, texture.Out()));
  EXPECT_EQ(20u, info.Width);
  EXPECT_EQ(D3DXIFF_PNG, info.ImageFileFormat);
  // 20 x 12 rounds up to 32 x 16 and is held to the 16-pixel maximum: scaled down to 16 x 16.
  D3DSURFACE_DESC desc{};
  texture->GetLevelDesc(0, &desc);
  EXPECT_EQ(16u, desc.Width);
  EXPECT_EQ(16u, desc.Height);
  EXPECT_EQ(D3DFMT_A8R8G8B8, desc.Format);
  ASSERT_EQ(5u, texture->GetLevelCount());
  ArgbImage top = Level(texture.Get(), 0);
  EXPECT_EQ(picture.At(0, 0), top.At(0, 0));
  EXPECT_EQ(picture.At(19, 11), top.At(15, 15));
  // The lower levels are built from the top one.
  ArgbImage last = Level(texture.Get(), 4);
  EXPECT_EQ(1u, last.width);
}

TEST_F(D3dxTexture, ColourKeyMakesTransparentBlack) {
  ArgbImage picture(4, 4, 0xFFFF00FF);
  picture.At(1, 1) = 0xFF204060;
  ComPtr<IDirect3DTexture8> texture;
  ASSERT_EQ(D3D_OK,
            LoadFromMemory(EncodeBmp(picture, false), D3DX_DEFAULT, D3DX_DEFAULT, D3DFMT_A8R8G8B8,
                           D3DX_FILTER_NONE, 0xFFFF00FF, nullptr, texture.Out()));
  ArgbImage top = Level(texture.Get(), 0);
  EXPECT_EQ(0u, top.At(0, 0));
  EXPECT_EQ(0xFF204060u, top.At(1, 1));
  // In A4R4G4B4 the key still matches before the conversion.
  ComPtr<IDirect3DTexture8> sixteen;
  ASSERT_EQ(D3D_OK,
            LoadFromMemory(EncodeBmp(picture, false), D3DX_DEFAULT, D3DX_DEFAULT, D3DFMT_A4R4G4B4,
                           D3DX_FILTER_NONE, 0xFFFF00FF, nullptr, sixteen.Out()));
  EXPECT_EQ(0u, Level(sixteen.Get(), 0).At(3, 3));
}

TEST_F(D3dxTexture, RefusedFilesLeaveNothingBehind) {
  IDirect3DTexture8* texture = nullptr;
  std::vector<uint8_t> garbage = {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'};
  EXPECT_EQ(D3DXERR_INVALIDDATA, LoadFromMemory(garbage, D3DX_DEFAULT, D3DX_DEFAULT, D3DFMT_UNKNOWN,
                                                D3DX_DEFAULT, 0, nullptr, &texture));
  EXPECT_EQ(D3DERR_INVALIDCALL, LoadFromMemory(d3dx_test::EncodePng(d3dx_test::Picture(4, 4)), 4, 4,
                                               D3DFMT_UNKNOWN, 77, 0, nullptr, &texture));
  // Pixels cut short are found only once the texture is made, and the texture goes with them.
  std::vector<uint8_t> cut = d3dx_test::EncodePng(d3dx_test::Picture(16, 16));
  cut.resize(cut.size() / 3);
  EXPECT_EQ(D3DXERR_INVALIDDATA, LoadFromMemory(cut, D3DX_DEFAULT, D3DX_DEFAULT, D3DFMT_UNKNOWN,
                                                D3DX_DEFAULT, 0, nullptr, &texture));
  EXPECT_EQ(0u, Headless(device)->LiveObjectCount());
  EXPECT_EQ(D3DERR_NOTFOUND,
            D3DXCreateTextureFromFileA(device, TempPath("missing.png").c_str(), &texture));
  EXPECT_EQ(nullptr, texture);
  D3DXIMAGE_INFO info{};
  EXPECT_EQ(D3DXERR_INVALIDDATA, D3DXGetImageInfoFromFileInMemory(garbage.data(), 12, &info));
  // A device that cannot make the texture fails the load the same way.
  Headless(device)->FailNextCreation(E_OUTOFMEMORY);
  EXPECT_EQ(E_OUTOFMEMORY, LoadFromMemory(d3dx_test::EncodePng(d3dx_test::Picture(4, 4)), 4, 4,
                                          D3DFMT_UNKNOWN, D3DX_DEFAULT, 0, nullptr, &texture));
  EXPECT_EQ(nullptr, texture);
}

TEST_F(D3dxTexture, DdsFilesRoundTripLevelsAndFaces) {
  for (D3DFORMAT format : {D3DFMT_A8R8G8B8, D3DFMT_DXT3, D3DFMT_R5G6B5}) {
    SCOPED_TRACE(format);
    ComPtr<IDirect3DTexture8> texture;
    ASSERT_EQ(D3D_OK,
              D3DXCreateTexture(device, 8, 8, 0, 0, format, D3DPOOL_MANAGED, texture.Out()));
    for (UINT level = 0; level < texture->GetLevelCount(); ++level) {
      ComPtr<IDirect3DSurface8> surface;
      texture->GetSurfaceLevel(level, surface.Out());
      Fill(surface.Get(), d3dx_test::Picture(MipDimension(8, level), MipDimension(8, level)));
    }
    std::string path = TempPath("texture.dds");
    ASSERT_EQ(D3D_OK, D3DXSaveTextureToFileA(path.c_str(), D3DXIFF_DDS, texture.Get(), nullptr));

    D3DXIMAGE_INFO info{};
    ASSERT_EQ(D3D_OK, D3DXGetImageInfoFromFileA(path.c_str(), &info));
    EXPECT_EQ(format, info.Format);
    EXPECT_EQ(4u, info.MipLevels);
    ComPtr<IDirect3DTexture8> loaded;
    ASSERT_EQ(D3D_OK, D3DXCreateTextureFromFileA(device, path.c_str(), loaded.Out()));
    ASSERT_EQ(4u, loaded->GetLevelCount());
    for (UINT level = 0; level < 4; ++level) {
      EXPECT_EQ(Level(texture.Get(), level).pixels, Level(loaded.Get(), level).pixels) << level;
    }
  }

  ComPtr<IDirect3DCubeTexture8> cube;
  ASSERT_EQ(D3D_OK,
            D3DXCreateCubeTexture(device, 4, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, cube.Out()));
  std::string path = TempPath("cube.dds");
  ASSERT_EQ(D3D_OK, D3DXSaveTextureToFileA(path.c_str(), D3DXIFF_DDS, cube.Get(), nullptr));
  D3DXIMAGE_INFO info{};
  ASSERT_EQ(D3D_OK, D3DXGetImageInfoFromFileA(path.c_str(), &info));
  EXPECT_EQ(D3DRTYPE_CUBETEXTURE, info.ResourceType);
  ComPtr<IDirect3DCubeTexture8> loadedCube;
  ASSERT_EQ(D3D_OK,
            D3DXCreateCubeTextureFromFileExA(device, path.c_str(), D3DX_DEFAULT, D3DX_DEFAULT, 0,
                                             D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_DEFAULT,
                                             D3DX_DEFAULT, 0, nullptr, nullptr, loadedCube.Out()));
  EXPECT_EQ(3u, loadedCube->GetLevelCount()) << "a full chain below the file's one level";
  // A flat texture file is no cube map.
  IDirect3DCubeTexture8* refused = nullptr;
  std::string flat = TempPath("texture.dds");
  EXPECT_EQ(D3DXERR_INVALIDDATA,
            D3DXCreateCubeTextureFromFileExA(device, flat.c_str(), D3DX_DEFAULT, 1, 0,
                                             D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_DEFAULT,
                                             D3DX_DEFAULT, 0, nullptr, nullptr, &refused));
  EXPECT_EQ(nullptr, refused);
  EXPECT_EQ(D3DERR_INVALIDCALL,
            D3DXSaveTextureToFileA(path.c_str(), D3DXIFF_PNG, cube.Get(), nullptr));
}

TEST_F(D3dxTexture, SurfacesSaveAsBmpAndLoadBack) {
  ComPtr<IDirect3DSurface8> surface;
  ASSERT_EQ(D3D_OK, device->CreateImageSurface(4, 4, D3DFMT_X8R8G8B8, surface.Out()));
  ArgbImage picture = d3dx_test::Picture(4, 4);
  for (uint32_t& p : picture.pixels) p |= 0xFF000000;
  Fill(surface.Get(), picture);

  std::string path = TempPath("part.bmp");
  RECT part{1, 2, 3, 4};
  ASSERT_EQ(D3D_OK,
            D3DXSaveSurfaceToFileA(path.c_str(), D3DXIFF_BMP, surface.Get(), nullptr, &part));
  D3DXIMAGE_INFO info{};
  ASSERT_EQ(D3D_OK, D3DXGetImageInfoFromFileA(path.c_str(), &info));
  EXPECT_EQ(2u, info.Width);
  EXPECT_EQ(2u, info.Height);
  EXPECT_EQ(D3DFMT_R8G8B8, info.Format);
  EXPECT_EQ(D3DXIFF_BMP, info.ImageFileFormat);
  // Names in the library's spelling find the file too.
  std::string windowsName = path.substr(0, path.rfind('/')) + "\\PART.BMP";
  ASSERT_EQ(D3D_OK, D3DXGetImageInfoFromFileA(windowsName.c_str(), &info));

  // Loaded without scaling into the corner of a cleared surface: the rest stays as it was.
  ComPtr<IDirect3DSurface8> target;
  ASSERT_EQ(D3D_OK, device->CreateImageSurface(4, 4, D3DFMT_A8R8G8B8, target.Out()));
  Fill(target.Get(), ArgbImage(4, 4, 0x12345678));
  RECT corner{2, 2, 4, 4};
  ASSERT_EQ(D3D_OK, D3DXLoadSurfaceFromFileA(target.Get(), nullptr, &corner, path.c_str(), nullptr,
                                             D3DX_FILTER_NONE, 0, &info));
  ArgbImage back = SurfacePixels(target.Get());
  EXPECT_EQ(picture.At(1, 2), back.At(2, 2));
  EXPECT_EQ(picture.At(2, 3), back.At(3, 3));
  EXPECT_EQ(0x12345678u, back.At(0, 0));

  RECT outside{0, 0, 5, 4};
  EXPECT_EQ(D3DERR_INVALIDCALL,
            D3DXSaveSurfaceToFileA(path.c_str(), D3DXIFF_BMP, surface.Get(), nullptr, &outside));
}

TEST_F(D3dxTexture, LoadsSurfacesFromMemoryAndSurfaces) {
  // Two rows of 16-bit pixels with a padded pitch: red, black / green, blue.
  const uint16_t rgb565[2][3] = {{0xF800, 0x0000, 0xFFFF}, {0x07E0, 0x001F, 0xFFFF}};
  ComPtr<IDirect3DSurface8> surface;
  ASSERT_EQ(D3D_OK, device->CreateImageSurface(2, 2, D3DFMT_A8R8G8B8, surface.Out()));
  RECT all{0, 0, 2, 2};
  ASSERT_EQ(D3D_OK, D3DXLoadSurfaceFromMemory(surface.Get(), nullptr, nullptr, rgb565,
                                              D3DFMT_R5G6B5, sizeof rgb565[0], nullptr, &all,
                                              D3DX_FILTER_POINT, 0xFF000000));
  ArgbImage loaded = SurfacePixels(surface.Get());
  EXPECT_EQ((std::vector<uint32_t>{0xFFFF0000, 0x00000000, 0xFF00FF00, 0xFF0000FF}), loaded.pixels);

  ComPtr<IDirect3DSurface8> small;
  ASSERT_EQ(D3D_OK, device->CreateImageSurface(1, 1, D3DFMT_X8R8G8B8, small.Out()));
  ASSERT_EQ(D3D_OK, D3DXLoadSurfaceFromSurface(small.Get(), nullptr, nullptr, surface.Get(),
                                               nullptr, nullptr, D3DX_FILTER_BOX, 0));
  // The box average of the four, alpha dropped by the destination format.
  EXPECT_EQ(0xFF404040u, SurfacePixels(small.Get()).At(0, 0));
  EXPECT_EQ(D3DERR_INVALIDCALL,
            D3DXLoadSurfaceFromMemory(surface.Get(), nullptr, nullptr, rgb565, D3DFMT_R5G6B5, 6,
                                      nullptr, nullptr, D3DX_FILTER_POINT, 0));
}

TEST_F(D3dxTexture, FilterTextureAndNormalMapFillEveryLevel) {
  ComPtr<IDirect3DCubeTexture8> cube;
  ASSERT_EQ(D3D_OK,
            D3DXCreateCubeTexture(device, 2, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, cube.Out()));
  for (UINT face = 0; face < kCubeFaceCount; ++face) {
    ComPtr<IDirect3DSurface8> top;
    cube->GetCubeMapSurface(static_cast<D3DCUBEMAP_FACES>(face), 0, top.Out());
    ArgbImage image(2, 2, 0xFF000000);
    image.At(0, 0) = 0xFF0000FF;
    Fill(top.Get(), image);
  }
  ASSERT_EQ(D3D_OK, D3DXFilterTexture(cube.Get(), nullptr, 0, D3DX_FILTER_BOX));
  for (UINT face = 0; face < kCubeFaceCount; ++face) {
    ComPtr<IDirect3DSurface8> last;
    cube->GetCubeMapSurface(static_cast<D3DCUBEMAP_FACES>(face), 1, last.Out());
    EXPECT_EQ(0xFF000040u, SurfacePixels(last.Get()).At(0, 0)) << face;
  }

  ComPtr<IDirect3DTexture8> heights, normals;
  ASSERT_EQ(D3D_OK,
            D3DXCreateTexture(device, 8, 8, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, heights.Out()));
  ASSERT_EQ(D3D_OK,
            D3DXCreateTexture(device, 8, 8, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, normals.Out()));
  ComPtr<IDirect3DSurface8> top;
  heights->GetSurfaceLevel(0, top.Out());
  Fill(top.Get(), ArgbImage(8, 8, 0xFF7F7F7F));
  ASSERT_EQ(D3D_OK, D3DXComputeNormalMap(normals.Get(), heights.Get(), nullptr,
                                         D3DX_NORMALMAP_MIRROR, D3DX_CHANNEL_RED, 1));
  for (UINT level = 0; level < normals->GetLevelCount(); ++level) {
    EXPECT_EQ(0xFF8080FFu, Level(normals.Get(), level).At(0, 0)) << level;
  }
  EXPECT_EQ(D3DERR_INVALIDCALL,
            D3DXComputeNormalMap(normals.Get(), heights.Get(), nullptr, 0, 3, 1));
}

}  // namespace
