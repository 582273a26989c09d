#include <chrono>

#include "platform/win/clock.h"
#include "tests/library/core/library_fixture.h"

namespace {

using namespace d3d;
using namespace std::chrono_literals;
using Viewports = LibraryTest;
using ViewportsWithoutDevice = LibraryTest;

// The library waits on the process's clock; a virtual one lets a test see the wait without it.
struct VirtualTime {
  VirtualTime() { win::UseClock(&clock); }
  ~VirtualTime() { win::UseClock(nullptr); }
  VirtualTime(const VirtualTime&) = delete;
  VirtualTime& operator=(const VirtualTime&) = delete;
  win::VirtualClock clock;
};

TEST_F(Viewports, CreateNamesRefusesAndFreesRecords) {
  ASSERT_EQ(CreateDevice(), D3D_OK);
  win::Window second{320, 240};
  win::Window third{160, 120};
  win::Window empty{0, 0};
  EXPECT_EQ(Viewport_Create(&second, 0, ""), 1);
  char name[128] = {};
  EXPECT_EQ(Viewport_GetName(1, name), 1);
  EXPECT_STREQ(name, "Viewport1");
  EXPECT_EQ(Viewport_GetWidth(1), 320);
  EXPECT_EQ(Viewport_GetHwnd(1), &second);

  EXPECT_EQ(Viewport_Create(&second, 0, "again"), 0);
  const std::string hwnd =
      std::to_string(static_cast<int32_t>(reinterpret_cast<intptr_t>(&second)));
  EXPECT_TRUE(Logged("VIEWPORT MANAGER ERROR : Viewport_Create : the hwnd " + hwnd +
                     " is already used for the viewport 1. Specify another hwnd (control or form) "
                     "if you want to create a new viewport."));

  // A refused size frees its record, so the next viewport takes index 2 and the window stays free.
  EXPECT_EQ(Viewport_Create(&empty, 0, "empty"), 0);
  EXPECT_EQ(Viewport_Create(&third, 0, "third"), 2);
  empty.clientWidth = 10;
  empty.clientHeight = 10;
  EXPECT_EQ(Viewport_Create(&empty, 0, "empty"), 3);

  // A destroyed viewport's window can be used again, and its name is no longer found.
  EXPECT_EQ(Viewport_Destroy(2), 1);
  EXPECT_EQ(Viewport_GetViewportByName("third"), 0);
  EXPECT_EQ(Viewport_Create(&third, 0, "third"), 2);
  EXPECT_EQ(Viewport_GetViewportByName("THIRD"), 2);
  EXPECT_EQ(Viewport_GetViewportByName("nowhere"), 0);
  EXPECT_TRUE(Logged(
      "VIEWPORT MANAGER ERROR : couldn't find the viewport 'nowhere' in the viewport list."));
  EXPECT_TRUE(ShutDownAndRelease());
}

TEST_F(Viewports, FailedSurfacesRefuseTheViewport) {
  ASSERT_EQ(CreateDevice(), D3D_OK);
  win::Window second{320, 240};
  Control()->FailNextCreation(E_OUTOFMEMORY);
  EXPECT_EQ(Viewport_Create(&second, 0, "second"), 0);
  EXPECT_EQ(Viewport_GetName(1, nullptr), 0);
  EXPECT_EQ(Viewport_Create(&second, 0, "second"), 1);
  EXPECT_TRUE(ShutDownAndRelease());
}

TEST_F(Viewports, ClearFlagsFollowTheDepthFormat) {
  struct Case {
    D3DFORMAT depth;
    int32_t keepColour;
    bool stencilCleared;
    bool colourCleared;
  };
  const Case cases[] = {{D3DFMT_D16, 1, false, false},
                        {D3DFMT_D16, 0, false, true},
                        {D3DFMT_D24S8, 1, true, false},
                        {D3DFMT_D15S1, 0, true, true}};
  for (const Case& c : cases) {
    ASSERT_EQ(CreateDevice(c.depth), D3D_OK);
    const bool hasStencil = c.depth != D3DFMT_D16;
    device_->Clear(0, nullptr,
                   D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | (hasStencil ? D3DCLEAR_STENCIL : 0),
                   0xFF00FF00, 0.25f, 7);
    Viewport_SetBackground(0, 0xFF0000FF);
    ASSERT_EQ(Viewport_Clear(0, c.keepColour), 1);
    ASSERT_EQ(Viewport_Present(0, -1), 0);
    IDirect3DSurface8* depth = nullptr;
    device_->GetDepthStencilSurface(&depth);
    std::vector<float> depths;
    std::vector<BYTE> stencils;
    ASSERT_TRUE(Control()->ReadDepthStencil(depth, &depths, &stencils));
    depth->Release();
    EXPECT_EQ(depths.front(), 1.0f);
    if (hasStencil) {
      EXPECT_EQ(stencils.front(), c.stencilCleared ? 0 : 7);
    }
    const PresentedImage* shown = Control()->Presented(&mainWindow_);
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->pixels.front() & 0xFFFFFF, c.colourCleared ? 0x0000FFu : 0x00FF00u);
    ASSERT_TRUE(ShutDownAndRelease());
  }
}

TEST_F(Viewports, PresentNeedsTheClearedViewport) {
  ASSERT_EQ(CreateDevice(), D3D_OK);
  win::Window second{64, 64};
  ASSERT_EQ(Viewport_Create(&second, 0, nullptr), 1);
  EXPECT_EQ(Viewport_Present(0, -1), 0);
  EXPECT_EQ(Control()->PresentCount(), 0u);
  ASSERT_EQ(Viewport_Clear(1, 0), 1);
  EXPECT_EQ(Viewport_Present(0, -1), 0);
  EXPECT_TRUE(
      Logged("VIEWPORT MANAGER ERROR : Problem ! The current viewport isn't the same than "
             "the presented viewport, can't render !"));
  ASSERT_EQ(Viewport_Clear(1, 0), 1);
  EXPECT_EQ(Viewport_Present(1, -1), 0);
  EXPECT_NE(Control()->Presented(&second), nullptr);
  EXPECT_TRUE(ShutDownAndRelease());
}

TEST_F(Viewports, LostDeviceMinimisesAndReleasesThenAsksForAReset) {
  VirtualTime time;
  ASSERT_EQ(CreateDevice(), D3D_OK);
  win::Window second{64, 64};
  ASSERT_EQ(Viewport_Create(&second, 0, nullptr), 1);
  const size_t aliveWithViewports = Control()->LiveObjectCount();
  ASSERT_EQ(Viewport_Clear(0, 0), 1);
  Control()->SetLoss(DeviceLoss::Lost);
  EXPECT_EQ(Viewport_Present(0, -1), 0);
  EXPECT_EQ(time.clock.Now(), 2s) << "the lost device is given its time before the next attempt";
  EXPECT_EQ(mainWindow_.show, win::ShowState::Minimised);
  EXPECT_LT(Control()->LiveObjectCount(), aliveWithViewports);

  Control()->SetLoss(DeviceLoss::NotReset);
  ASSERT_EQ(Viewport_Clear(0, 0), 1);
  EXPECT_EQ(Viewport_Present(0, -1), 1);
  EXPECT_EQ(mainWindow_.show, win::ShowState::Normal);
  EXPECT_TRUE(mainWindow_.foreground);

  D3DPRESENT_PARAMETERS params = WindowedParams(&mainWindow_);
  params.BackBufferWidth = 800;
  params.BackBufferHeight = 600;
  EXPECT_EQ(TextureFactory_OnLostAll(), 1);
  EXPECT_EQ(Viewport_ResetDevice(&params), 1);
  EXPECT_EQ(Viewport_OnResetAll(), 1);
  EXPECT_EQ(TextureFactory_OnResetAll(), 1);
  EXPECT_EQ(Control()->LiveObjectCount(), aliveWithViewports);
  EXPECT_EQ(Viewport_GetWidth(0), 800);
  ASSERT_EQ(Viewport_Clear(0, 0), 1);
  EXPECT_EQ(Viewport_Present(0, -1), 0);
  EXPECT_EQ(Control()->Presented(&mainWindow_)->width, 800u);
  EXPECT_TRUE(ShutDownAndRelease());
}

TEST_F(Viewports, FailedResetIsReported) {
  ASSERT_EQ(CreateDevice(), D3D_OK);
  win::Window second{64, 64};
  ASSERT_EQ(Viewport_Create(&second, 0, nullptr), 1);
  // The second viewport's swap chain is still alive, so the device refuses to reset.
  EXPECT_EQ(TextureFactory_OnLostAll(), 1);
  D3DPRESENT_PARAMETERS params = WindowedParams(&mainWindow_);
  EXPECT_EQ(Viewport_ResetDevice(&params), 0);
  EXPECT_TRUE(
      Logged("VIEWPORT MANAGER ERROR : Viewport_ResetDevice : the device couldn't be reset. "
             "dx error : " +
             std::to_string(D3DERR_INVALIDCALL)));
  EXPECT_EQ(Viewport_OnLost(1), 1);
  EXPECT_EQ(Viewport_ResetDevice(&params), 1);
  EXPECT_EQ(Viewport_OnReset(1), 1);
  EXPECT_EQ(TextureFactory_OnResetAll(), 1);
  EXPECT_TRUE(ShutDownAndRelease());
}

TEST_F(Viewports, ResizeFollowsTheWindowAndAutoResizeDoesItInClear) {
  ASSERT_EQ(CreateDevice(), D3D_OK);
  win::Window second{64, 64};
  win::Window other{32, 16};
  ASSERT_EQ(Viewport_Create(&second, 0, nullptr), 1);
  second.clientWidth = 128;
  EXPECT_EQ(Viewport_Resize(1, nullptr), 1);
  EXPECT_EQ(Viewport_GetWidth(1), 128);
  EXPECT_EQ(Viewport_Resize(1, &other), 1);
  EXPECT_EQ(Viewport_GetHwnd(1), &other);
  EXPECT_EQ(Viewport_GetHeight(1), 16);
  other.clientHeight = 40;
  EXPECT_EQ(Viewport_SetParameters(1, 1), 1);
  EXPECT_EQ(Viewport_SetParameters(2, 1), 0);
  EXPECT_EQ(Viewport_SetParameters(-1, 1), 0);
  ASSERT_EQ(Viewport_Clear(1, 0), 1);
  EXPECT_EQ(Viewport_GetHeight(1), 40);
  EXPECT_EQ(Viewport_Present(1, -1), 0);
  EXPECT_EQ(Control()->Presented(&other)->height, 40u);
  EXPECT_EQ(Viewport_Resize(5, nullptr), 0);
  EXPECT_TRUE(ShutDownAndRelease());
}

TEST_F(Viewports, SettersAndGettersRefuseFreeRecords) {
  ASSERT_EQ(CreateDevice(), D3D_OK);
  EXPECT_EQ(Viewport_Destroy(0), 0);
  EXPECT_TRUE(
      Logged("VIEWPORT MANAGER ERROR : Viewport_Destroy : you can't destroy the main viewport."));
  EXPECT_EQ(Viewport_SetTargetArea(0, 10, 10, 100, 50), 1);
  ASSERT_EQ(Viewport_Clear(0, 1), 1);
  D3DVIEWPORT8 area{};
  device_->GetViewport(&area);
  EXPECT_EQ(area.X, 10u);
  EXPECT_EQ(area.Width, 100u);
  Viewport_Present(0, -1);
  for (int32_t index : {1, -1, 7}) {
    EXPECT_EQ(Viewport_SetTargetArea(index, 0, 0, 1, 1), 0);
    EXPECT_EQ(Viewport_SetBackground(index, 0), 0);
    EXPECT_EQ(Viewport_SetName(index, "x"), 0);
    EXPECT_EQ(Viewport_GetWidth(index), 0);
    EXPECT_EQ(Viewport_GetHwnd(index), nullptr);
    EXPECT_EQ(Viewport_Clear(index, 0), 0);
    EXPECT_EQ(Viewport_OnLost(index), 0);
    EXPECT_EQ(Viewport_OnReset(index), 0);
  }
  EXPECT_EQ(Viewport_SetName(0, "main"), 1);
  EXPECT_EQ(Viewport_GetViewportByName("Main"), 0);
  const float view[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 5, 6, 7, 1};
  EXPECT_EQ(Viewport_SetCamera(view, nullptr), 1);
  EXPECT_TRUE(ShutDownAndRelease());
}

TEST_F(Viewports, DestroyingTheCurrentViewportReturnsToTheMainOne) {
  ASSERT_EQ(CreateDevice(), D3D_OK);
  win::Window second{64, 64};
  ASSERT_EQ(Viewport_Create(&second, 0, nullptr), 1);
  ASSERT_EQ(Viewport_Clear(1, 0), 1);
  ASSERT_EQ(Viewport_Present(1, -1), 0);
  EXPECT_EQ(Viewport_Destroy(1), 1);
  EXPECT_EQ(Viewport_Destroy(1), 0);
  IDirect3DSurface8* target = nullptr;
  device_->GetRenderTarget(&target);
  IDirect3DSurface8* mainBuffer = nullptr;
  Internal_GetBackbuffer(&mainBuffer);
  EXPECT_EQ(target, mainBuffer);
  target->Release();
  mainBuffer->Release();
  EXPECT_EQ(Viewport_OnReset(0), 1);
  EXPECT_TRUE(ShutDownAndRelease());
}

TEST_F(ViewportsWithoutDevice, OnResetNeedsADevice) {
  win::Window window{64, 64};
  EXPECT_EQ(Viewport_Create(&window, 0, nullptr), 0);
  EXPECT_EQ(Viewport_UnloadAll(), 1);
}

}  // namespace
