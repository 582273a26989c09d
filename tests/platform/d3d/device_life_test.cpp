// Creation, reference counts, loss and reset, presentation.
#include "tests/platform/d3d/headless_fixture.h"

namespace {

using namespace d3dtest;

TEST_F(HeadlessDeviceTest, QueryInterfaceAnswersTheDeviceIdentifierWithAReference) {
  void* answer = nullptr;
  ASSERT_EQ(device->QueryInterface(IID_IDirect3DDevice8, &answer), S_OK);
  EXPECT_EQ(answer, device);
  EXPECT_EQ(RefCount(device), 2u);
  device->Release();

  ASSERT_EQ(device->QueryInterface(IID_IUnknown, &answer), S_OK);
  device->Release();

  answer = device;
  EXPECT_EQ(device->QueryInterface(IID_IDirect3DTexture8, &answer), E_NOINTERFACE);
  EXPECT_EQ(answer, nullptr);
  EXPECT_EQ(RefCount(device), 1u);
}

TEST_F(HeadlessDeviceTest, EveryLiveObjectCountsOnTheDevice) {
  IDirect3DTexture8* texture = nullptr;
  ASSERT_EQ(device->CreateTexture(16, 16, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture),
            D3D_OK);
  IDirect3DVertexBuffer8* buffer = nullptr;
  ASSERT_EQ(
      device->CreateVertexBuffer(64, D3DUSAGE_WRITEONLY, D3DFVF_XYZ, D3DPOOL_DEFAULT, &buffer),
      D3D_OK);
  EXPECT_EQ(RefCount(device), 3u);
  EXPECT_EQ(control->LiveObjectCount(), 2u);

  // A level shares its texture's count.
  IDirect3DSurface8* level = nullptr;
  ASSERT_EQ(texture->GetSurfaceLevel(2, &level), D3D_OK);
  EXPECT_EQ(RefCount(texture), 2u);
  EXPECT_EQ(level->Release(), 1u);

  // A binding holds a reference until it is replaced.
  ASSERT_EQ(device->SetTexture(0, texture), D3D_OK);
  ASSERT_EQ(device->SetStreamSource(0, buffer, 12), D3D_OK);
  EXPECT_EQ(texture->Release(), 1u);
  EXPECT_EQ(buffer->Release(), 1u);
  EXPECT_EQ(control->LiveObjectCount(), 2u) << "bound objects stay alive";
  EXPECT_EQ(device->SetTexture(0, nullptr), D3D_OK);
  EXPECT_EQ(device->SetStreamSource(0, nullptr, 0), D3D_OK);
  EXPECT_EQ(control->LiveObjectCount(), 0u);
  EXPECT_EQ(RefCount(device), 1u);
}

TEST_F(HeadlessDeviceTest, OwnSurfacesCountOnlyWhileTheCallerHoldsThem) {
  IDirect3DSurface8* backBuffer = nullptr;
  IDirect3DSurface8* depth = nullptr;
  ASSERT_EQ(device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &backBuffer), D3D_OK);
  ASSERT_EQ(device->GetDepthStencilSurface(&depth), D3D_OK);
  EXPECT_EQ(RefCount(device), 3u);
  EXPECT_EQ(control->LiveObjectCount(), 0u) << "the device's own surfaces are not leaks";

  // Binding them explicitly counts, as for any surface; unbinding gives it back.
  ASSERT_EQ(device->SetRenderTarget(backBuffer, depth), D3D_OK);
  EXPECT_EQ(RefCount(backBuffer), 2u);
  EXPECT_EQ(backBuffer->Release(), 1u);
  EXPECT_EQ(depth->Release(), 1u);
  EXPECT_EQ(RefCount(device), 3u);
  ASSERT_EQ(device->SetRenderTarget(nullptr, nullptr), D3D_OK);
  EXPECT_EQ(RefCount(device), 1u);
  IDirect3DSurface8* none = backBuffer;
  EXPECT_EQ(device->GetRenderTarget(&none), D3DERR_NOTFOUND);
}

TEST_F(HeadlessDeviceTest, ReleasingTheDeviceWithObjectsAliveReportsThem) {
  IDirect3DIndexBuffer8* indices = nullptr;
  ASSERT_EQ(
      device->CreateIndexBuffer(12, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED, &indices),
      D3D_OK);
  EXPECT_EQ(device->Release(), 1u) << "the index buffer still holds the device";
  IDirect3DDevice8* owner = nullptr;
  ASSERT_EQ(indices->GetDevice(&owner), D3D_OK);
  EXPECT_EQ(owner, device);
  owner->Release();
  EXPECT_EQ(indices->Release(), 0u);
  device = nullptr;  // destroyed with its last object
}

TEST_F(HeadlessDeviceTest, GetDirect3DHandsOutTheParentWithAReference) {
  IDirect3D8* parent = nullptr;
  ASSERT_EQ(device->GetDirect3D(&parent), D3D_OK);
  EXPECT_EQ(parent, direct3d);
  EXPECT_EQ(RefCount(direct3d), 3u) << "the caller's, the device's and this one";
  parent->Release();
}

TEST_F(HeadlessDeviceTest, CreationCompletesAndKeepsTheParameters) {
  EXPECT_EQ(params.BackBufferFormat, D3DFMT_X8R8G8B8) << "windowed takes the desktop's format";
  D3DDEVICE_CREATION_PARAMETERS creation{};
  ASSERT_EQ(device->GetCreationParameters(&creation), D3D_OK);
  EXPECT_EQ(creation.BehaviorFlags, D3DCREATE_SOFTWARE_VERTEXPROCESSING);
  EXPECT_EQ(creation.hFocusWindow, FakeWindow(1));
  D3DDISPLAYMODE mode{};
  ASSERT_EQ(direct3d->GetAdapterDisplayMode(0, &mode), D3D_OK);
  EXPECT_EQ(mode.Width, 1024u);
}

TEST(HeadlessCreation, RefusesBadParametersAndReportsConfiguredFailures) {
  IDirect3D8* direct3d = CreateHeadlessDirect3D();
  IDirect3DDevice8* device = nullptr;
  D3DPRESENT_PARAMETERS params = WindowedParams(0, 4, D3DFMT_D16);
  EXPECT_EQ(direct3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                   &params, &device),
            D3DERR_INVALIDCALL);
  params = WindowedParams(4, 4, D3DFMT_D16);
  EXPECT_EQ(
      direct3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_FPU_PRESERVE, &params, &device),
      D3DERR_INVALIDCALL)
      << "a vertex processing mode is required";
  EXPECT_EQ(device, nullptr);
  EXPECT_EQ(direct3d->Release(), 0u);

  HeadlessConfig failing;
  failing.createDeviceResult = E_OUTOFMEMORY;
  direct3d = CreateHeadlessDirect3D(failing);
  EXPECT_EQ(direct3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                   &params, &device),
            E_OUTOFMEMORY);
  EXPECT_EQ(direct3d->Release(), 0u);
}

TEST(Direct3DCreate8, GivesTheHeadlessObjectUnlessAnotherCreatorIsInstalled) {
  EXPECT_EQ(Direct3DCreate8(D3D_SDK_VERSION - 1), nullptr);
  IDirect3D8* headless = Direct3DCreate8(D3D_SDK_VERSION);
  ASSERT_NE(headless, nullptr);
  EXPECT_EQ(headless->GetAdapterCount(), 1u);
  headless->Release();

  // The creator takes no captures, so the object it hands out lives in a static; each run of the
  // test makes its own, since the last release below ends the one before.
  static IDirect3D8* installed = nullptr;
  installed = CreateHeadlessDirect3D();
  SetDirect3DCreator([] {
    installed->AddRef();
    return installed;
  });
  EXPECT_EQ(Direct3DCreate8(D3D_SDK_VERSION), installed);
  installed->Release();
  SetDirect3DCreator(nullptr);
  IDirect3D8* restored = Direct3DCreate8(D3D_SDK_VERSION);
  EXPECT_NE(restored, installed);
  restored->Release();
  installed->Release();
}

TEST_F(HeadlessDeviceTest, LossHookDrivesClearPresentAndCooperativeLevel) {
  EXPECT_EQ(device->TestCooperativeLevel(), D3D_OK);
  control->SetLoss(DeviceLoss::Lost);
  EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICELOST);
  EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0), D3DERR_DEVICELOST);
  EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
  EXPECT_EQ(device->Reset(&params), D3DERR_DEVICELOST) << "a lost device cannot be reset yet";
  control->SetLoss(DeviceLoss::NotReset);
  EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
  EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICENOTRESET);
  EXPECT_EQ(control->PresentCount(), 0u);
  EXPECT_EQ(device->Reset(&params), D3D_OK);
  EXPECT_EQ(device->TestCooperativeLevel(), D3D_OK);
}

TEST_F(HeadlessDeviceTest, ResetFailsWhileDefaultPoolObjectsOrOwnSurfacesAreHeld) {
  IDirect3DVertexBuffer8* dynamic = nullptr;
  ASSERT_EQ(device->CreateVertexBuffer(64, D3DUSAGE_DYNAMIC, 0, D3DPOOL_DEFAULT, &dynamic), D3D_OK);
  IDirect3DTexture8* managed = nullptr;
  ASSERT_EQ(device->CreateTexture(8, 8, 1, 0, D3DFMT_R5G6B5, D3DPOOL_MANAGED, &managed), D3D_OK);
  IDirect3DSwapChain8* chain = nullptr;
  D3DPRESENT_PARAMETERS chainParams = WindowedParams(4, 4, D3DFMT_UNKNOWN);
  ASSERT_EQ(device->CreateAdditionalSwapChain(&chainParams, &chain), D3D_OK);
  IDirect3DSurface8* backBuffer = nullptr;
  ASSERT_EQ(device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &backBuffer), D3D_OK);
  control->SetLoss(DeviceLoss::NotReset);

  D3DPRESENT_PARAMETERS bigger = WindowedParams(16, 8, D3DFMT_D16);
  EXPECT_EQ(device->Reset(&bigger), D3DERR_INVALIDCALL);
  dynamic->Release();
  EXPECT_EQ(device->Reset(&bigger), D3DERR_INVALIDCALL) << "the swap chain is in the default pool";
  chain->Release();
  EXPECT_EQ(device->Reset(&bigger), D3DERR_INVALIDCALL) << "the back buffer is still held";
  EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
  backBuffer->Release();
  ASSERT_EQ(device->Reset(&bigger), D3D_OK) << "managed textures survive a reset";
  EXPECT_EQ(device->TestCooperativeLevel(), D3D_OK);

  ASSERT_EQ(device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &backBuffer), D3D_OK);
  D3DSURFACE_DESC desc{};
  backBuffer->GetDesc(&desc);
  EXPECT_EQ(desc.Width, 16u);
  EXPECT_EQ(desc.Height, 8u);
  backBuffer->Release();
  IDirect3DSurface8* depth = nullptr;
  ASSERT_EQ(device->GetDepthStencilSurface(&depth), D3D_OK);
  depth->GetDesc(&desc);
  EXPECT_EQ(desc.Format, D3DFMT_D16);
  depth->Release();
  D3DVIEWPORT8 viewport{};
  device->GetViewport(&viewport);
  EXPECT_EQ(viewport.Width, 16u);
  managed->Release();
}

// The frame and loss cycle the library's viewports run: hold the device's surfaces, bind them,
// draw a frame, notice the loss at present, let go of the surfaces, reset, take them again.
TEST_F(HeadlessDeviceTest, ViewportLossCycleResetsWhileTheDeviceStillBindsItsSurfaces) {
  IDirect3DSurface8* backBuffer = nullptr;
  IDirect3DSurface8* depth = nullptr;
  device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &backBuffer);
  device->GetDepthStencilSurface(&depth);
  ASSERT_EQ(device->SetRenderTarget(backBuffer, depth), D3D_OK);
  ASSERT_EQ(
      device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0, 1.0f, 0),
      D3D_OK);
  ASSERT_EQ(device->BeginScene(), D3D_OK);
  ASSERT_EQ(device->EndScene(), D3D_OK);
  control->SetLoss(DeviceLoss::Lost);
  EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
  backBuffer->Release();
  depth->Release();
  control->SetLoss(DeviceLoss::NotReset);
  EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
  ASSERT_EQ(device->Reset(&params), D3D_OK) << "the device's own bindings do not block a reset";
  EXPECT_EQ(RefCount(device), 1u);
  device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &backBuffer);
  ASSERT_EQ(device->SetRenderTarget(backBuffer, nullptr), D3D_OK);
  EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
  device->SetRenderTarget(nullptr, nullptr);
  backBuffer->Release();
}

TEST_F(HeadlessDeviceTest, ResetReturnsEveryStateToItsDefaultAndUnbinds) {
  IDirect3DTexture8* texture = nullptr;
  ASSERT_EQ(device->CreateTexture(8, 8, 1, 0, D3DFMT_R5G6B5, D3DPOOL_MANAGED, &texture), D3D_OK);
  device->SetTexture(1, texture);
  texture->Release();
  device->SetRenderState(D3DRS_LIGHTING, 0);
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_DOTPRODUCT3);
  ASSERT_EQ(device->Reset(&params), D3D_OK);
  DWORD value = 0;
  device->GetRenderState(D3DRS_LIGHTING, &value);
  EXPECT_EQ(value, 1u);
  device->GetTextureStageState(0, D3DTSS_COLOROP, &value);
  EXPECT_EQ(value, static_cast<DWORD>(D3DTOP_MODULATE));
  IDirect3DBaseTexture8* bound = nullptr;
  ASSERT_EQ(device->GetTexture(1, &bound), D3D_OK);
  EXPECT_EQ(bound, nullptr);
  EXPECT_EQ(control->LiveObjectCount(), 0u) << "the texture was alive only through its binding";
}

TEST_F(HeadlessDeviceTest, PresentShowsTheBackBufferInItsWindow) {
  ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF102030u, 1.0f, 0), D3D_OK);
  ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
  ASSERT_EQ(device->Present(nullptr, nullptr, FakeWindow(7), nullptr), D3D_OK);
  EXPECT_EQ(control->PresentCount(), 2u);
  for (const uintptr_t window : {1, 7}) {
    const PresentedImage* shown = control->Presented(FakeWindow(window));
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->width, kWidth);
    EXPECT_EQ(shown->pixels.at(0), 0xFF102030u);
  }
  EXPECT_EQ(control->Presented(FakeWindow(9)), nullptr);
}

TEST_F(HeadlessDeviceTest, FrontBufferPlacesWindowsOnTheDesktop) {
  D3DPRESENT_PARAMETERS chainParams = WindowedParams(2, 2, D3DFMT_UNKNOWN);
  chainParams.hDeviceWindow = FakeWindow(2);
  IDirect3DSwapChain8* chain = nullptr;
  ASSERT_EQ(device->CreateAdditionalSwapChain(&chainParams, &chain), D3D_OK);
  IDirect3DSurface8* chainBuffer = nullptr;
  ASSERT_EQ(chain->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &chainBuffer), D3D_OK);
  EXPECT_EQ(RefCount(chain), 2u) << "a swap chain's back buffer shares the chain's count";
  ASSERT_EQ(device->SetRenderTarget(chainBuffer, nullptr), D3D_OK);
  ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF00FF00u, 1.0f, 0), D3D_OK);
  ASSERT_EQ(chain->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
  control->SetWindowOrigin(FakeWindow(2), {100, 50});

  IDirect3DSurface8* screen = nullptr;
  ASSERT_EQ(device->CreateImageSurface(1024, 768, D3DFMT_A8R8G8B8, &screen), D3D_OK);
  ASSERT_EQ(device->GetFrontBuffer(screen), D3D_OK);
  D3DLOCKED_RECT locked{};
  const RECT window = {100, 50, 102, 52};
  ASSERT_EQ(screen->LockRect(&locked, &window, D3DLOCK_READONLY), D3D_OK);
  EXPECT_EQ(*static_cast<const uint32_t*>(locked.pBits), 0xFF00FF00u);
  screen->UnlockRect();
  ASSERT_EQ(screen->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
  EXPECT_EQ(*static_cast<const uint32_t*>(locked.pBits), 0xFF000000u);
  screen->UnlockRect();

  IDirect3DSurface8* small = nullptr;
  ASSERT_EQ(device->CreateImageSurface(16, 16, D3DFMT_A8R8G8B8, &small), D3D_OK);
  EXPECT_EQ(device->GetFrontBuffer(small), D3DERR_INVALIDCALL) << "windowed needs the desktop size";

  device->SetRenderTarget(nullptr, nullptr);
  small->Release();
  screen->Release();
  chainBuffer->Release();
  EXPECT_EQ(chain->Release(), 0u);
}

TEST(HeadlessFullScreen, FrontBufferIsThePresentedBackBuffer) {
  IDirect3D8* direct3d = CreateHeadlessDirect3D();
  D3DPRESENT_PARAMETERS params = WindowedParams(4, 2, D3DFMT_UNKNOWN);
  params.Windowed = 0;
  params.BackBufferFormat = D3DFMT_R5G6B5;
  IDirect3DDevice8* device = nullptr;
  ASSERT_EQ(direct3d->CreateDevice(0, D3DDEVTYPE_HAL, FakeWindow(1),
                                   D3DCREATE_HARDWARE_VERTEXPROCESSING, &params, &device),
            D3D_OK);
  D3DDISPLAYMODE mode{};
  device->GetDisplayMode(&mode);
  EXPECT_EQ(mode.Width, 4u);
  EXPECT_EQ(mode.Format, D3DFMT_R5G6B5);
  ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFF0000u, 1.0f, 0), D3D_OK);
  ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
  IDirect3DSurface8* screen = nullptr;
  ASSERT_EQ(device->CreateImageSurface(4, 2, D3DFMT_A8R8G8B8, &screen), D3D_OK);
  ASSERT_EQ(device->GetFrontBuffer(screen), D3D_OK);
  D3DLOCKED_RECT locked{};
  screen->LockRect(&locked, nullptr, D3DLOCK_READONLY);
  EXPECT_EQ(static_cast<const uint32_t*>(locked.pBits)[7], 0xFFFF0000u)
      << "R5G6B5 red widens back to full red";
  screen->UnlockRect();
  screen->Release();
  EXPECT_EQ(device->Release(), 0u);
  EXPECT_EQ(direct3d->Release(), 0u);
}

}  // namespace

TEST(HeadlessAdapters, ListEachAdapterWithItsModesSorted) {
  d3d::HeadlessConfig config;
  config.adapters = {{"First card",
                      {{800, 600, 85, D3DFMT_A8R8G8B8},
                       {640, 480, 60, D3DFMT_R5G6B5},
                       {800, 600, 60, D3DFMT_X8R8G8B8},
                       {800, 600, 60, D3DFMT_A8R8G8B8}}},
                     {std::string(600, 'x'), {}}};
  IDirect3D8* d3d = d3d::CreateHeadlessDirect3D(config);
  ASSERT_EQ(d3d->GetAdapterCount(), 2u);
  D3DADAPTER_IDENTIFIER8 identifier;
  ASSERT_EQ(d3d->GetAdapterIdentifier(0, 0, &identifier), D3D_OK);
  EXPECT_STREQ(identifier.Description, "First card");
  ASSERT_EQ(d3d->GetAdapterIdentifier(1, 0, &identifier), D3D_OK);
  EXPECT_EQ(std::string(identifier.Description), std::string(511, 'x'));
  EXPECT_EQ(d3d->GetAdapterIdentifier(2, 0, &identifier), D3DERR_INVALIDCALL);

  ASSERT_EQ(d3d->GetAdapterModeCount(0), 4u);
  const std::vector<std::array<UINT, 4>> sorted = {{640, 480, D3DFMT_R5G6B5, 60},
                                                   {800, 600, D3DFMT_A8R8G8B8, 60},
                                                   {800, 600, D3DFMT_A8R8G8B8, 85},
                                                   {800, 600, D3DFMT_X8R8G8B8, 60}};
  for (UINT i = 0; i < 4; ++i) {
    D3DDISPLAYMODE mode{};
    ASSERT_EQ(d3d->EnumAdapterModes(0, i, &mode), D3D_OK);
    EXPECT_EQ((std::array<UINT, 4>{mode.Width, mode.Height, static_cast<UINT>(mode.Format),
                                   mode.RefreshRate}),
              sorted[i])
        << i;
  }
  D3DDISPLAYMODE mode{};
  EXPECT_EQ(d3d->EnumAdapterModes(0, 4, &mode), D3DERR_INVALIDCALL);
  EXPECT_EQ(d3d->GetAdapterModeCount(1), 0u);
  EXPECT_EQ(d3d->GetAdapterModeCount(7), 0u);
  EXPECT_EQ(d3d->EnumAdapterModes(1, 0, &mode), D3DERR_INVALIDCALL);
  d3d->Release();
}
