// Resources: creation rules, memory, locks and their contents, copies and clears.
#include "tests/platform/d3d/headless_fixture.h"

#include <cstring>

namespace {

using namespace d3dtest;

TEST_F(HeadlessDeviceTest, TextureLevelsKeepWhatWasWrittenThroughAnyPath) {
  IDirect3DTexture8* texture = nullptr;
  ASSERT_EQ(device->CreateTexture(8, 4, 0, 0, D3DFMT_R5G6B5, D3DPOOL_MANAGED, &texture), D3D_OK);
  ASSERT_EQ(texture->GetLevelCount(), 4u);
  D3DSURFACE_DESC desc{};
  ASSERT_EQ(texture->GetLevelDesc(1, &desc), D3D_OK);
  EXPECT_EQ(desc.Width, 4u);
  EXPECT_EQ(desc.Height, 2u);
  EXPECT_EQ(desc.Size, 16u);
  EXPECT_EQ(desc.Pool, D3DPOOL_MANAGED);
  EXPECT_EQ(texture->GetLevelDesc(4, &desc), D3DERR_INVALIDCALL);

  // Write texel (2, 1) of level 1 through a rectangle lock of the texture...
  D3DLOCKED_RECT locked{};
  const RECT texel = {2, 1, 3, 2};
  ASSERT_EQ(texture->LockRect(1, &locked, &texel, 0), D3D_OK);
  EXPECT_EQ(locked.Pitch, 8);
  *static_cast<uint16_t*>(locked.pBits) = 0xF800;
  EXPECT_EQ(texture->LockRect(1, &locked, nullptr, 0), D3DERR_INVALIDCALL) << "already locked";
  ASSERT_EQ(texture->UnlockRect(1), D3D_OK);
  EXPECT_EQ(texture->UnlockRect(1), D3DERR_INVALIDCALL);

  // ...and read it back through the level's surface.
  IDirect3DSurface8* level = nullptr;
  ASSERT_EQ(texture->GetSurfaceLevel(1, &level), D3D_OK);
  ASSERT_EQ(level->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
  const auto* row1 = reinterpret_cast<const uint16_t*>(static_cast<BYTE*>(locked.pBits) + 8);
  EXPECT_EQ(row1[2], 0xF800);
  EXPECT_EQ(row1[1], 0);
  level->UnlockRect();
  IDirect3DTexture8* container = nullptr;
  ASSERT_EQ(level->GetContainer(IID_IDirect3DTexture8, reinterpret_cast<void**>(&container)),
            D3D_OK);
  EXPECT_EQ(container, texture);
  container->Release();
  level->Release();
  EXPECT_EQ(texture->Release(), 0u);
}

TEST_F(HeadlessDeviceTest, LockRectanglesMustLieInsideAndOnBlocksForCompressedFormats) {
  IDirect3DTexture8* dxt = nullptr;
  ASSERT_EQ(device->CreateTexture(16, 8, 1, 0, D3DFMT_DXT3, D3DPOOL_MANAGED, &dxt), D3D_OK);
  D3DLOCKED_RECT whole{};
  ASSERT_EQ(dxt->LockRect(0, &whole, nullptr, 0), D3D_OK);
  dxt->UnlockRect(0);
  EXPECT_EQ(whole.Pitch, 64) << "four blocks of 16 bytes";
  const struct {
    RECT rect;
    HRESULT result;
    ptrdiff_t offset;
  } cases[] = {
      {{4, 4, 8, 8}, D3D_OK, 64 + 16},       {{0, 0, 16, 8}, D3D_OK, 0},
      {{2, 0, 6, 4}, D3DERR_INVALIDCALL, 0}, {{0, 0, 20, 4}, D3DERR_INVALIDCALL, 0},
      {{4, 4, 4, 8}, D3DERR_INVALIDCALL, 0}, {{-4, 0, 4, 4}, D3DERR_INVALIDCALL, 0},
  };
  for (const auto& c : cases) {
    D3DLOCKED_RECT locked{};
    EXPECT_EQ(dxt->LockRect(0, &locked, &c.rect, 0), c.result) << c.rect.left << "," << c.rect.top;
    if (c.result != D3D_OK) continue;
    EXPECT_EQ(static_cast<BYTE*>(locked.pBits) - static_cast<BYTE*>(whole.pBits), c.offset);
    dxt->UnlockRect(0);
  }
  dxt->Release();
}

TEST_F(HeadlessDeviceTest, TextureCreationFollowsTheCapabilities) {
  HeadlessConfig config;
  config.caps.MaxTextureWidth = config.caps.MaxTextureHeight = 256;
  config.textureFormats = {D3DFMT_A8R8G8B8, D3DFMT_R5G6B5};
  config.caps.TextureCaps &= ~D3DPTEXTURECAPS_CUBEMAP;
  CreateWith(config);
  IDirect3DTexture8* texture = nullptr;
  EXPECT_EQ(device->CreateTexture(512, 16, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(device->CreateTexture(24, 16, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture),
            D3DERR_INVALIDCALL)
      << "powers of two only";
  EXPECT_EQ(device->CreateTexture(16, 16, 1, 0, D3DFMT_DXT3, D3DPOOL_MANAGED, &texture),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(device->CreateTexture(16, 16, 6, 0, D3DFMT_R5G6B5, D3DPOOL_MANAGED, &texture),
            D3DERR_INVALIDCALL)
      << "more levels than the chain has";
  EXPECT_EQ(device->CreateTexture(16, 16, 1, D3DUSAGE_RENDERTARGET, D3DFMT_R5G6B5, D3DPOOL_MANAGED,
                                  &texture),
            D3DERR_INVALIDCALL)
      << "render targets live in the default pool";
  EXPECT_EQ(texture, nullptr);
  IDirect3DCubeTexture8* cube = nullptr;
  EXPECT_EQ(device->CreateCubeTexture(16, 1, 0, D3DFMT_R5G6B5, D3DPOOL_MANAGED, &cube),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(direct3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, 0, D3DRTYPE_TEXTURE,
                                        D3DFMT_DXT3),
            D3DERR_NOTAVAILABLE);
  EXPECT_EQ(direct3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, 0, D3DRTYPE_TEXTURE,
                                        D3DFMT_R5G6B5),
            D3D_OK);
  EXPECT_EQ(direct3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DUSAGE_DEPTHSTENCIL,
                                        D3DRTYPE_SURFACE, D3DFMT_D24S8),
            D3D_OK);
}

TEST_F(HeadlessDeviceTest, CubeFacesAreSeparateSurfaces) {
  IDirect3DCubeTexture8* cube = nullptr;
  ASSERT_EQ(device->CreateCubeTexture(4, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &cube), D3D_OK);
  EXPECT_EQ(cube->GetLevelCount(), 3u);
  D3DLOCKED_RECT locked{};
  ASSERT_EQ(cube->LockRect(D3DCUBEMAP_FACE_NEGATIVE_Z, 1, &locked, nullptr, 0), D3D_OK);
  *static_cast<uint32_t*>(locked.pBits) = 0xAABBCCDDu;
  cube->UnlockRect(D3DCUBEMAP_FACE_NEGATIVE_Z, 1);
  for (UINT face = 0; face < kCubeFaceCount; ++face) {
    IDirect3DSurface8* surface = nullptr;
    ASSERT_EQ(cube->GetCubeMapSurface(static_cast<D3DCUBEMAP_FACES>(face), 1, &surface), D3D_OK);
    ASSERT_EQ(surface->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    EXPECT_EQ(*static_cast<uint32_t*>(locked.pBits),
              face == D3DCUBEMAP_FACE_NEGATIVE_Z ? 0xAABBCCDDu : 0u);
    surface->UnlockRect();
    surface->Release();
  }
  EXPECT_EQ(cube->LockRect(static_cast<D3DCUBEMAP_FACES>(6), 0, &locked, nullptr, 0),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(cube->Release(), 0u);
}

TEST_F(HeadlessDeviceTest, BufferLocksCoverTheAskedRangeAndDescribeTheBuffer) {
  IDirect3DVertexBuffer8* vertices = nullptr;
  ASSERT_EQ(
      device->CreateVertexBuffer(48, D3DUSAGE_WRITEONLY, D3DFVF_XYZ, D3DPOOL_MANAGED, &vertices),
      D3D_OK);
  BYTE* whole = nullptr;
  BYTE* part = nullptr;
  ASSERT_EQ(vertices->Lock(0, 0, &whole, 0), D3D_OK);
  ASSERT_EQ(vertices->Lock(12, 0, &part, 0), D3D_OK) << "size 0 locks to the end";
  EXPECT_EQ(part - whole, 12);
  EXPECT_EQ(vertices->Lock(40, 12, &part, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(vertices->Unlock(), D3D_OK);
  EXPECT_EQ(vertices->Unlock(), D3D_OK);
  EXPECT_EQ(vertices->Unlock(), D3DERR_INVALIDCALL);
  D3DVERTEXBUFFER_DESC vertexDesc{};
  vertices->GetDesc(&vertexDesc);
  EXPECT_EQ(vertexDesc.Size, 48u);
  EXPECT_EQ(vertexDesc.FVF, D3DFVF_XYZ);
  EXPECT_EQ(vertexDesc.Usage, D3DUSAGE_WRITEONLY);
  vertices->Release();

  IDirect3DIndexBuffer8* indices = nullptr;
  EXPECT_EQ(device->CreateIndexBuffer(12, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &indices),
            D3DERR_INVALIDCALL);
  ASSERT_EQ(device->CreateIndexBuffer(12, 0, D3DFMT_INDEX32, D3DPOOL_MANAGED, &indices), D3D_OK);
  D3DINDEXBUFFER_DESC indexDesc{};
  indices->GetDesc(&indexDesc);
  EXPECT_EQ(indexDesc.Format, D3DFMT_INDEX32);
  EXPECT_EQ(indexDesc.Size, 12u);
  indices->Release();
}

TEST_F(HeadlessDeviceTest, DiscardingLockOfADynamicBufferForgetsTheOldContents) {
  for (const DWORD usage : {DWORD{D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY}, DWORD{0}}) {
    IDirect3DVertexBuffer8* buffer = nullptr;
    ASSERT_EQ(device->CreateVertexBuffer(8, usage, 0, D3DPOOL_DEFAULT, &buffer), D3D_OK);
    BYTE* data = nullptr;
    buffer->Lock(0, 0, &data, 0);
    std::memset(data, 7, 8);
    buffer->Unlock();
    buffer->Lock(0, 0, &data, D3DLOCK_DISCARD);
    EXPECT_EQ(data[5] == 7, usage == 0) << "only dynamic buffers are renamed";
    buffer->Unlock();
    buffer->Release();
  }
}

TEST_F(HeadlessDeviceTest, DefaultPoolAllocationsUseTextureMemoryAndFailBeyondIt) {
  HeadlessConfig config;
  config.textureMemory = 4096;
  CreateWith(config);
  EXPECT_EQ(device->GetAvailableTextureMem(), 4096u);
  IDirect3DTexture8* managed = nullptr;
  ASSERT_EQ(device->CreateTexture(16, 16, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &managed),
            D3D_OK);
  EXPECT_EQ(device->GetAvailableTextureMem(), 3072u);
  IDirect3DVertexBuffer8* system = nullptr;
  ASSERT_EQ(device->CreateVertexBuffer(4000, 0, 0, D3DPOOL_SYSTEMMEM, &system), D3D_OK);
  EXPECT_EQ(device->GetAvailableTextureMem(), 3072u) << "system memory is not texture memory";
  // A managed resource gives way: a scene whose textures outgrow the texture memory still makes
  // its render targets and dynamic buffers, on the first flight and after every reset.
  IDirect3DVertexBuffer8* buffer = nullptr;
  ASSERT_EQ(device->CreateVertexBuffer(4000, 0, 0, D3DPOOL_DEFAULT, &buffer), D3D_OK);
  IDirect3DVertexBuffer8* beyond = nullptr;
  EXPECT_EQ(device->CreateVertexBuffer(200, 0, 0, D3DPOOL_DEFAULT, &beyond),
            D3DERR_OUTOFVIDEOMEMORY);
  buffer->Release();
  system->Release();
  managed->Release();
  EXPECT_EQ(device->GetAvailableTextureMem(), 4096u);
}

TEST_F(HeadlessDeviceTest, AnInjectedFailureRefusesExactlyTheNextCreation) {
  control->FailNextCreation(E_OUTOFMEMORY);
  IDirect3DSurface8* surface = nullptr;
  EXPECT_EQ(device->CreateImageSurface(4, 4, D3DFMT_A8R8G8B8, &surface), E_OUTOFMEMORY);
  EXPECT_EQ(surface, nullptr);
  ASSERT_EQ(device->CreateImageSurface(4, 4, D3DFMT_A8R8G8B8, &surface), D3D_OK);
  surface->Release();
}

TEST_F(HeadlessDeviceTest, SurfacesTooLargeToAddressAreRefusedWhateverTheCaps) {
  HeadlessConfig config;
  config.caps.MaxTextureWidth = config.caps.MaxTextureHeight = 1u << 20;
  CreateWith(config);
  IDirect3DSurface8* surface = nullptr;
  EXPECT_EQ(device->CreateImageSurface(40000, 40000, D3DFMT_A8R8G8B8, &surface),
            D3DERR_INVALIDCALL);
  IDirect3DTexture8* texture = nullptr;
  EXPECT_EQ(device->CreateTexture(65536, 65536, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &texture),
            D3DERR_INVALIDCALL);
  D3DPRESENT_PARAMETERS huge = WindowedParams(100000, 4, D3DFMT_UNKNOWN);
  EXPECT_EQ(device->Reset(&huge), D3DERR_INVALIDCALL);
}

TEST_F(HeadlessDeviceTest, CopyRectsCopiesSameFormatRectanglesToTheirPoints) {
  IDirect3DSurface8* source = nullptr;
  IDirect3DSurface8* target = nullptr;
  IDirect3DSurface8* other = nullptr;
  ASSERT_EQ(device->CreateImageSurface(4, 4, D3DFMT_A8R8G8B8, &source), D3D_OK);
  ASSERT_EQ(device->CreateImageSurface(8, 8, D3DFMT_A8R8G8B8, &target), D3D_OK);
  ASSERT_EQ(device->CreateImageSurface(8, 8, D3DFMT_R5G6B5, &other), D3D_OK);
  D3DLOCKED_RECT locked{};
  source->LockRect(&locked, nullptr, 0);
  for (uint32_t i = 0; i < 16; ++i) static_cast<uint32_t*>(locked.pBits)[i] = i + 1;
  source->UnlockRect();

  const RECT rects[] = {{1, 1, 3, 2}, {0, 3, 1, 4}};
  const POINT points[] = {{5, 6}, {0, 0}};
  ASSERT_EQ(device->CopyRects(source, rects, 2, target, points), D3D_OK);
  target->LockRect(&locked, nullptr, D3DLOCK_READONLY);
  const auto* pixels = static_cast<const uint32_t*>(locked.pBits);
  EXPECT_EQ(pixels[6 * 8 + 5], 6u);
  EXPECT_EQ(pixels[6 * 8 + 6], 7u);
  EXPECT_EQ(pixels[6 * 8 + 7], 0u);
  EXPECT_EQ(pixels[0], 13u);
  target->UnlockRect();

  const POINT outside[] = {{7, 7}, {0, 0}};
  EXPECT_EQ(device->CopyRects(source, rects, 2, target, outside), D3DERR_INVALIDCALL);
  EXPECT_EQ(device->CopyRects(source, nullptr, 0, other, nullptr), D3DERR_INVALIDCALL)
      << "formats must match";
  ASSERT_EQ(device->CopyRects(source, nullptr, 0, target, nullptr), D3D_OK);
  target->LockRect(&locked, nullptr, D3DLOCK_READONLY);
  EXPECT_EQ(static_cast<const uint32_t*>(locked.pBits)[8 + 3], 8u);
  target->UnlockRect();
  other->Release();
  target->Release();
  source->Release();
}

TEST_F(HeadlessDeviceTest, ClearFillsTargetDepthAndStencilInsideTheViewport) {
  const D3DVIEWPORT8 right = {4, 0, 4, 4, 0.0f, 1.0f};
  ASSERT_EQ(device->SetViewport(&right), D3D_OK);
  ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL,
                          0x80FF0000u, 0.25f, 3),
            D3D_OK);
  const D3DRECT corner = {0, 0, 6, 1};
  ASSERT_EQ(device->Clear(1, &corner, D3DCLEAR_STENCIL, 0, 1.0f, 9), D3D_OK);

  IDirect3DSurface8* backBuffer = nullptr;
  device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &backBuffer);
  D3DLOCKED_RECT locked{};
  backBuffer->LockRect(&locked, nullptr, D3DLOCK_READONLY);
  const auto* pixels = static_cast<const uint32_t*>(locked.pBits);
  EXPECT_EQ(pixels[3], 0u) << "outside the viewport";
  EXPECT_EQ(pixels[4], 0xFFFF0000u) << "X8R8G8B8 keeps its unused byte set";
  backBuffer->UnlockRect();
  backBuffer->Release();

  IDirect3DSurface8* depthSurface = nullptr;
  device->GetDepthStencilSurface(&depthSurface);
  std::vector<float> depth;
  std::vector<BYTE> stencil;
  ASSERT_TRUE(control->ReadDepthStencil(depthSurface, &depth, &stencil));
  EXPECT_FLOAT_EQ(depth[0], 1.0f);
  EXPECT_FLOAT_EQ(depth[kWidth + 5], 0.25f);
  EXPECT_EQ(stencil[4], 9) << "the rectangle, clipped to the viewport";
  EXPECT_EQ(stencil[6], 3);
  EXPECT_EQ(stencil[kWidth + 4], 3);
  EXPECT_EQ(stencil[0], 0);
  D3DLOCKED_RECT none{};
  EXPECT_EQ(depthSurface->LockRect(&none, nullptr, 0), D3DERR_INVALIDCALL);
  depthSurface->Release();

  EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.5f, 0), D3DERR_INVALIDCALL);
}

TEST_F(HeadlessDeviceTest, ClearRefusesBuffersTheTargetLacks) {
  CreateWith(HeadlessConfig{}, D3DFMT_D16);
  EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0), D3D_OK);
  EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0, 1.0f, 0),
            D3DERR_INVALIDCALL)
      << "D16 has no stencil";
  CreateWith(HeadlessConfig{}, D3DFMT_UNKNOWN);
  EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0), D3D_OK);
}

TEST_F(HeadlessDeviceTest, RenderTargetsMustBeTargetsAndDepthAtLeastAsLarge) {
  IDirect3DSurface8* image = nullptr;
  IDirect3DSurface8* target = nullptr;
  IDirect3DSurface8* smallDepth = nullptr;
  ASSERT_EQ(device->CreateImageSurface(16, 16, D3DFMT_X8R8G8B8, &image), D3D_OK);
  ASSERT_EQ(device->CreateRenderTarget(16, 16, D3DFMT_X8R8G8B8, D3DMULTISAMPLE_NONE, 0, &target),
            D3D_OK);
  ASSERT_EQ(device->CreateDepthStencilSurface(8, 8, D3DFMT_D16, D3DMULTISAMPLE_NONE, &smallDepth),
            D3D_OK);
  EXPECT_EQ(device->SetRenderTarget(image, nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(device->SetRenderTarget(target, smallDepth), D3DERR_INVALIDCALL);
  ASSERT_EQ(device->SetRenderTarget(target, nullptr), D3D_OK);
  D3DVIEWPORT8 viewport{};
  device->GetViewport(&viewport);
  EXPECT_EQ(viewport.Width, 16u) << "binding a target resets the viewport to it";
  device->SetRenderTarget(nullptr, nullptr);
  smallDepth->Release();
  target->Release();
  image->Release();
}

}  // namespace
