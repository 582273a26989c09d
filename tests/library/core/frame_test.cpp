#include <algorithm>
#include <cstdio>
#include <memory>
#include <regex>
#include <set>

#include "platform/d3dx/image_file.h"
#include "platform/d3dx/mesh.h"
#include "platform/win/bitmap.h"
#include "platform/win/byte_reader.h"
#include "tests/library/core/library_fixture.h"

namespace {

using namespace d3d;
using FrameSettings = LibraryTest;

// A PCX file of one pixel whose palette entry 0 is the given colour.
void WriteTinyPcx(const std::filesystem::path& path) {
  std::vector<uint8_t> bytes(128 + 1 + 768, 0);
  bytes[3] = 8;    // bits per pixel
  bytes[65] = 1;   // planes
  bytes[66] = 2;   // bytes per line
  bytes[128] = 0;  // the one index
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

class Frame : public LibraryTest {
 protected:
  // Puts something into every family that keeps a table: a second viewport, a light, a material
  // and two textures of one file. Returns the first texture.
  int32_t FillTheTables() {
    EXPECT_EQ(Viewport_Create(&secondWindow_, 0, "second"), 1);
    EXPECT_GE(LightFactory_CreateLight(nullptr, "sun", 1), 1);
    EXPECT_GE(MaterialFactory_CreateMaterial("hull"), 1);
    WriteTinyPcx(Folder() / "tiny.pcx");
    const std::string pcx = (Folder() / "tiny.pcx").string();
    const int32_t first = TextureFactory_LoadTextureFromFile(pcx.c_str(), "a", -1, -1, 0, 0, 0);
    EXPECT_GE(first, 1);
    EXPECT_GT(TextureFactory_LoadTextureFromFile(pcx.c_str(), "b", -1, -1, 0, 0, 0), first);
    return first;
  }

 private:
  win::Window secondWindow_{320, 200};
};

TEST_F(Frame, TheCallingOrderLeavesNothingAlive) {
  ASSERT_EQ(CreateDevice(), D3D_OK);
  const int32_t first = FillTheTables();
  EXPECT_EQ(Viewport_Clear(1, 0), 1);
  TextureFactory_ApplyTexture(0, first);
  EXPECT_EQ(Viewport_Present(1, -1), 0);
  EXPECT_TRUE(ShutDownAndRelease());
  const std::vector<std::string> messages = LogMessages();
  ASSERT_GE(messages.size(), 4u);
  EXPECT_EQ(messages[messages.size() - 4], "#########################");
  EXPECT_EQ(messages[messages.size() - 3], "# VORTANAUTIL Released     #");
  EXPECT_EQ(messages.back(), "VORTANA : Successfully unloaded !");
  // The one reference left is the caller's own, from the creation.
  EXPECT_TRUE(Logged("RELEASING : Number of non-released objects : 1"));
}

// The program shuts the library down and starts it again, with another log and another device:
// the second start must find nothing of the first.
TEST_F(Frame, ReleasedLibraryStartsAgainWithAnotherLogAndDevice) {
  ASSERT_EQ(CreateDevice(), D3D_OK);
  FillTheTables();
  ASSERT_TRUE(ShutDownAndRelease());
  EXPECT_EQ(MaterialFactory_GetCount(), 0);
  EXPECT_EQ(TextureFactory_GetCount(), 0);
  EXPECT_EQ(LightFactory_GetLightCount(), 0);
  IDirect3DDevice8* current = device_;
  Internal_GetDevice(&current);
  EXPECT_EQ(current, nullptr);
  const size_t firstLogLength = LogMessages().size();

  const std::filesystem::path secondLog = Folder() / "second log.txt";
  ASSERT_EQ(StartLog(secondLog.c_str()), 1);
  win::Window otherWindow{800, 600};
  direct3d_ = CreateHeadlessDirect3D();
  D3DPRESENT_PARAMETERS params = WindowedParams(&otherWindow, D3DFMT_D24S8);
  ASSERT_EQ(VortanaSystem_CreateDevice(0, D3DDEVTYPE_HAL, &otherWindow,
                                       D3DCREATE_SOFTWARE_VERTEXPROCESSING, &params, &device_,
                                       &direct3d_),
            D3D_OK);
  EXPECT_EQ(MaterialFactory_GetCount(), 1);
  // Only the default bump texture, identifier 1, made by the device's creation.
  EXPECT_EQ(TextureFactory_GetCount(), 2);
  EXPECT_EQ(TextureFactory_GetNewTextureId(), 2);
  EXPECT_EQ(LightFactory_GetLightCount(), 0);
  EXPECT_EQ(Viewport_GetWidth(0), 800);
  EXPECT_EQ(Viewport_GetHeight(0), 600);
  EXPECT_EQ(Viewport_GetWidth(1), 0);  // the first start's second viewport is gone
  Internal_GetDevice(&current);
  EXPECT_EQ(current, device_);
  EXPECT_TRUE(ShutDownAndRelease());

  const std::vector<std::string> messages = LogMessages(secondLog);
  ASSERT_GE(messages.size(), 5u);
  EXPECT_EQ(messages[1], "# VORTANAUTIL initialized #");
  EXPECT_TRUE(std::find(messages.begin(), messages.end(),
                        "VIEWPORT MANAGER : Main viewport initialized (800x600)") !=
              messages.end());
  EXPECT_EQ(std::count_if(messages.begin(), messages.end(),
                          [](const std::string& m) { return m.starts_with("DEVICE INIT"); }),
            0);
  EXPECT_EQ(messages.back(), "VORTANA : Successfully unloaded !");
  EXPECT_EQ(LogMessages().size(), firstLogLength);  // the first log took no line of the second
}

TEST_F(Frame, CreationInitialisesTheFamilies) {
  Internal_SetFPUPreserve(1);
  ASSERT_EQ(CreateDevice(), D3D_OK);
  IDirect3DDevice8* current = nullptr;
  EXPECT_EQ(Internal_GetDevice(&current), 1);
  EXPECT_EQ(current, device_);
  D3DDEVICE_CREATION_PARAMETERS creation{};
  device_->GetCreationParameters(&creation);
  EXPECT_EQ(creation.BehaviorFlags, D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_FPU_PRESERVE);
  EXPECT_EQ(MaterialFactory_GetCount(), 1);
  // The reserved record, then the default environment-bump texture.
  EXPECT_EQ(TextureFactory_GetCount(), 2);
  EXPECT_EQ(TextureFactory_GetNewTextureId(), 2);
  EXPECT_EQ(TextureFactory_GetTextureIDByName("Default EMBM texture"), 1);
  IDirect3DTexture8* bump = nullptr;
  TextureFactory_GetDXTexture(1, &bump);
  ASSERT_NE(bump, nullptr);
  D3DSURFACE_DESC desc{};
  bump->GetLevelDesc(0, &desc);
  EXPECT_EQ(desc.Format, D3DFMT_V8U8);
  EXPECT_EQ(desc.Width, 256u);
  EXPECT_EQ(Viewport_GetWidth(0), 640);
  EXPECT_EQ(Viewport_GetHeight(0), 480);
  EXPECT_TRUE(Logged("VIEWPORT MANAGER : Main viewport initialized (640x480)"));
  DWORD zBias = 1;
  device_->GetRenderState(D3DRS_ZBIAS, &zBias);
  EXPECT_EQ(zBias, 0u);
  EXPECT_TRUE(ShutDownAndRelease());
}

TEST_F(Frame, FailedCreationReportsTheCodeAndInitialisesNothing) {
  HeadlessConfig config;
  config.createDeviceResult = D3DERR_NOTAVAILABLE;
  EXPECT_EQ(CreateDevice(D3DFMT_D16, config), D3DERR_NOTAVAILABLE);
  EXPECT_TRUE(Logged("DEVICE INIT : Failed : Error -2005530518, D3DERR_NOTAVAILABLE"));
  IDirect3DDevice8* current = device_;
  Internal_GetDevice(&current);
  EXPECT_EQ(current, nullptr);
  EXPECT_EQ(device_, nullptr);
  EXPECT_EQ(MaterialFactory_GetCount(), 0);
  direct3d_->Release();
  direct3d_ = nullptr;
}

TEST_F(Frame, SecondCreationFreesWhatBelongedToTheFirstDevice) {
  ASSERT_EQ(CreateDevice(), D3D_OK);
  IDirect3DDevice8* firstDevice = device_;
  IDirect3D8* firstDirect3d = direct3d_;
  EXPECT_EQ(MaterialFactory_CreateMaterial("kept only by the first"), 1);
  ASSERT_EQ(CreateDevice(), D3D_OK);
  EXPECT_TRUE(Logged(
      "DEVICE INIT : Unloading previous device leak !!! WARNING !! Can be really instable !"));
  EXPECT_TRUE(Logged("DEVICE INIT : Device cleaned"));
  EXPECT_EQ(Headless(firstDevice)->LiveObjectCount(), 0u);
  EXPECT_EQ(firstDevice->Release(), 0u);
  firstDirect3d->Release();
  // Viewport 0 now draws into the new device's back buffer.
  IDirect3DSurface8* backBuffer = nullptr;
  ASSERT_EQ(Internal_GetBackbuffer(&backBuffer), 1);
  IDirect3DDevice8* owner = nullptr;
  backBuffer->GetDevice(&owner);
  EXPECT_EQ(owner, device_);
  owner->Release();
  backBuffer->Release();
  EXPECT_EQ(MaterialFactory_GetCount(), 1);
  EXPECT_TRUE(ShutDownAndRelease());
}

TEST_F(Frame, AdoptedDeviceIsUsedButNeverReleased) {
  direct3d_ = CreateHeadlessDirect3D();
  D3DPRESENT_PARAMETERS params = WindowedParams(&mainWindow_, D3DFMT_D24S8);
  ASSERT_EQ(direct3d_->CreateDevice(0, D3DDEVTYPE_HAL, &mainWindow_,
                                    D3DCREATE_SOFTWARE_VERTEXPROCESSING, &params, &device_),
            D3D_OK);
  IUnknown* asUnknown = device_;
  EXPECT_EQ(SetDevice(&asUnknown), 0);
  // Sizes and formats come from the device itself.
  EXPECT_EQ(Viewport_Initialize(), 1);
  EXPECT_EQ(Viewport_GetWidth(0), 640);
  MaterialFactory_Initialize();
  TextureFactory_Initialize();
  EXPECT_GE(LightFactory_CreateQuickPointLight(nullptr, 1, 1, 1, 1, 50, "lamp", 0.5f), 1);
  win::Window second{200, 100};
  EXPECT_EQ(Viewport_Create(&second, 0, nullptr), 1);
  EXPECT_EQ(Viewport_Clear(0, 0), 1);
  EXPECT_EQ(Viewport_Present(0, -1), 0);
  ReleaseAll();
  EXPECT_EQ(ShutDownDevice(), 0);
  EXPECT_EQ(Control()->LiveObjectCount(), 0u);
  // The caller's reference is the only one: the device is still whole until the caller lets go.
  D3DCAPS8 caps{};
  EXPECT_EQ(device_->GetDeviceCaps(&caps), D3D_OK);
  EXPECT_EQ(device_->Release(), 0u);
  device_ = nullptr;
  direct3d_->Release();
  direct3d_ = nullptr;
}

TEST_F(Frame, SetDeviceRefusesAnObjectThatIsNotADevice) {
  ASSERT_EQ(CreateDevice(), D3D_OK);
  IDirect3DTexture8* texture = nullptr;
  ASSERT_EQ(device_->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
  ReleaseAll();
  ShutDownDevice();
  IUnknown* notADevice = texture;
  EXPECT_EQ(SetDevice(&notADevice), 1);
  IDirect3DDevice8* current = device_;
  Internal_GetDevice(&current);
  EXPECT_EQ(current, nullptr);
  texture->Release();
  EXPECT_EQ(device_->Release(), 0u);
  device_ = nullptr;
  direct3d_->Release();
  direct3d_ = nullptr;
}

TEST_F(Frame, ShutDownReportsWhatIsStillAlive) {
  ASSERT_EQ(CreateDevice(), D3D_OK);
  win::Window second{64, 64};
  ASSERT_EQ(Viewport_Create(&second, 0, "leaked"), 1);
  device_->Release();
  device_ = nullptr;
  // Both viewports' back buffers and depth surfaces (the second one's through its swap chain), the
  // default bump texture, and the sky sphere (its mesh and the mesh's two buffers).
  EXPECT_EQ(ShutDownDevice(), 8);
  EXPECT_TRUE(Logged("RELEASING : Number of non-released objects : 8"));
  Atmosphere_UnloadAll();
  Viewport_UnloadAll();
  TextureFactory_UnloadAll();
  direct3d_->Release();
  direct3d_ = nullptr;
}

TEST_F(Frame, ShutDownWithoutDeviceStillClosesTheLog) {
  EXPECT_EQ(ShutDownDevice(), 0);
  EXPECT_TRUE(Logged("VORTANA : Successfully unloaded !"));
  AddLog("after shutdown");
  EXPECT_FALSE(Logged("after shutdown"));
}

TEST_F(Frame, ShadeAndFillModesNeedADevice) {
  EXPECT_EQ(Device_SetShadeMode(D3DSHADE_FLAT), 1);
  EXPECT_EQ(Device_SetRenderMode(D3DFILL_WIREFRAME), 1);
  ASSERT_EQ(CreateDevice(), D3D_OK);
  ASSERT_EQ(Viewport_Clear(0, 0), 1);
  DWORD shade = 0;
  DWORD fill = 0;
  device_->GetRenderState(D3DRS_SHADEMODE, &shade);
  device_->GetRenderState(D3DRS_FILLMODE, &fill);
  EXPECT_EQ(shade, D3DSHADE_GOURAUD);  // the calls without a device changed nothing
  EXPECT_EQ(fill, D3DFILL_SOLID);
  Viewport_Present(0, -1);
  Device_SetShadeMode(D3DSHADE_FLAT);
  Device_SetRenderMode(D3DFILL_WIREFRAME);
  ASSERT_EQ(Viewport_Clear(0, 0), 1);
  device_->GetRenderState(D3DRS_SHADEMODE, &shade);
  device_->GetRenderState(D3DRS_FILLMODE, &fill);
  EXPECT_EQ(shade, D3DSHADE_FLAT);
  EXPECT_EQ(fill, D3DFILL_WIREFRAME);
  Viewport_Present(0, -1);
  // The modes outlive the device: the next one starts from what is left here.
  Device_SetShadeMode(D3DSHADE_GOURAUD);
  Device_SetRenderMode(D3DFILL_SOLID);
  EXPECT_TRUE(ShutDownAndRelease());
}

TEST_F(FrameSettings, SmallExportsKeepTheirValues) {
  EXPECT_EQ(Engine_SetShaderMode(5), 5);
  EXPECT_EQ(SetShaderIndex(42), 0);
  EXPECT_EQ(GetShaderIndex(), 42);
  EXPECT_EQ(SetDebugValue(1, 2), 1);
  int32_t counter = 0;
  EXPECT_EQ(System_SetVariables(7, &counter, 9), 1);
  int32_t version = 0;
  int32_t revision = 0;
  EXPECT_EQ(GetDllVersion(&version, &revision), 0);
  EXPECT_EQ(version, 6);
  EXPECT_EQ(revision, 100);
  char path[256] = {};
  EXPECT_EQ(GetPathDLL(path), 1);
  EXPECT_STREQ(path, VORTANAUTIL_FILE);
  EXPECT_EQ(DllMain(nullptr, 1, nullptr), 1);
}

// The engine's side of a mesh request: hands over the mesh it keeps for identifier 3.
d3dx::ID3DXMesh* MeshOnOffer = nullptr;
int32_t OfferMesh(int32_t event, int32_t identifier, int32_t, void*) {
  if (event == 800 && identifier == 3 && MeshOnOffer != nullptr) Internal_SendMesh(&MeshOnOffer);
  return 0;
}

TEST_F(Frame, MeshRequestsGoThroughTheCallback) {
  ASSERT_EQ(CreateDevice(), D3D_OK);
  d3dx::ID3DXMesh* mesh = nullptr;
  EXPECT_EQ(Internal_GetMesh(3, &mesh), 0);  // no callback yet
  EXPECT_EQ(mesh, nullptr);
  d3dx::ID3DXMesh* sphere = nullptr;
  ASSERT_EQ(d3dx::D3DXCreateSphere(device_, 1.0f, 4, 2, &sphere, nullptr), D3D_OK);
  MeshOnOffer = sphere;
  Engine_SetCallback(OfferMesh);
  EXPECT_EQ(Internal_GetMesh(3, &mesh), 1);
  EXPECT_EQ(mesh, sphere);
  // A request the engine does not answer must not return the previous mesh again.
  d3dx::ID3DXMesh* unanswered = nullptr;
  EXPECT_EQ(Internal_GetMesh(4, &unanswered), 0);
  EXPECT_EQ(unanswered, nullptr);
  EXPECT_EQ(sphere->Release(), 1u);  // the reference Internal_GetMesh added
  EXPECT_EQ(sphere->Release(), 0u);
  EXPECT_TRUE(ShutDownAndRelease());
}

TEST_F(Frame, AccessorsAddReferencesAndRefuseBadIdentifiers) {
  ASSERT_EQ(CreateDevice(), D3D_OK);
  IDirect3DTexture8* texture = nullptr;
  EXPECT_EQ(Internal_GetTexture(99, &texture), 0);
  EXPECT_EQ(texture, nullptr);
  IDirect3DTexture8* made = nullptr;
  ASSERT_EQ(device_->CreateTexture(2, 2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &made), D3D_OK);
  const int32_t identifier = TextureFactory_GetNewTextureId();
  ASSERT_EQ(TextureFactory_SetTextureData(identifier, &made), 1);
  EXPECT_EQ(Internal_GetTexture(identifier, &texture), 1);
  EXPECT_EQ(texture, made);
  EXPECT_EQ(made->Release(), 2u);  // the table's and the one just handed out remain
  texture->Release();
  IDirect3DSurface8* backBuffer = nullptr;
  EXPECT_EQ(Internal_GetBackbuffer(&backBuffer), 1);
  ASSERT_NE(backBuffer, nullptr);
  backBuffer->Release();
  EXPECT_TRUE(ShutDownAndRelease());
}

TEST_F(Frame, ScreenshotRefusesWithoutNameOrDevice) {
  EXPECT_EQ(VortanaUtils_ScreenShot(nullptr), 1);
  EXPECT_TRUE(Logged("SCREENSHOT : No filename specified, can't create screenshotfile"));
  EXPECT_EQ(VortanaUtils_ScreenShot((Folder() / "shot.bmp").c_str()), 1);
  EXPECT_TRUE(Logged(
      "SCREENSHOT : No 3D device found, can't take screenshot. Initialize the engine before !"));
}

TEST_F(Frame, WindowedScreenshotSavesTheWindowsPartOfTheDesktop) {
  ASSERT_EQ(CreateDevice(), D3D_OK);
  mainWindow_.screenX = 100;
  mainWindow_.screenY = 50;
  Control()->SetWindowOrigin(&mainWindow_, {100, 50});
  Viewport_SetBackground(0, 0xFF336699);
  ASSERT_EQ(Viewport_Clear(0, 0), 1);
  ASSERT_EQ(Viewport_Present(0, -1), 0);
  const std::filesystem::path shot = Folder() / "shot.bmp";
  EXPECT_EQ(VortanaUtils_ScreenShot(shot.c_str()), 0);
  EXPECT_TRUE(Logged("SCREENSHOT : Saved as " + shot.string()));
  auto bytes = win::ReadFileBytes(shot, 16u << 20);
  ASSERT_TRUE(bytes);
  auto image = d3dx::DecodeImageFile(*bytes);
  ASSERT_TRUE(image);
  EXPECT_EQ(image->info.Width, 640u);
  EXPECT_EQ(image->info.Height, 480u);
  auto pixels = d3dx::ReadPixels(image->View(0, 0), nullptr);
  ASSERT_TRUE(pixels);
  EXPECT_EQ(pixels->At(0, 0) & 0xFFFFFF, 0x336699u);
  EXPECT_EQ(pixels->At(639, 479) & 0xFFFFFF, 0x336699u);
  // A file that cannot be written is a failure, not a screenshot.
  EXPECT_EQ(VortanaUtils_ScreenShot((Folder() / "missing" / "shot.bmp").c_str()), 1);
  EXPECT_TRUE(ShutDownAndRelease());
}

TEST_F(Frame, FullScreenScreenshotSavesTheBackBufferSize) {
  direct3d_ = CreateHeadlessDirect3D();
  D3DPRESENT_PARAMETERS params = WindowedParams(&mainWindow_);
  params.Windowed = 0;
  params.BackBufferWidth = 1024;
  params.BackBufferHeight = 768;
  ASSERT_EQ(VortanaSystem_CreateDevice(0, D3DDEVTYPE_HAL, &mainWindow_,
                                       D3DCREATE_SOFTWARE_VERTEXPROCESSING, &params, &device_,
                                       &direct3d_),
            D3D_OK);
  Viewport_SetBackground(0, 0xFF203040);
  ASSERT_EQ(Viewport_Clear(0, 0), 1);
  ASSERT_EQ(Viewport_Present(0, -1), 0);
  const std::filesystem::path shot = Folder() / "full.bmp";
  EXPECT_EQ(VortanaUtils_ScreenShot(shot.c_str()), 0);
  int32_t width = 0, height = 0, format = 0, mips = 0, fileFormat = -1;
  ASSERT_EQ(Imaging_GetFileInfo(shot.c_str(), &width, &height, &format, &mips, &fileFormat), 1);
  EXPECT_EQ(width, 1024);
  EXPECT_EQ(height, 768);
  EXPECT_TRUE(ShutDownAndRelease());
}

TEST_F(Frame, BitmapsBecomeBottomUpTextures) {
  ASSERT_EQ(CreateDevice(), D3D_OK);
  win::Bitmap bitmap{3, 2, {0x010101, 0x020202, 0x030303, 0x0A0A0A, 0x0B0B0B, 0x0C0C0C}};
  IDirect3DTexture8* texture = nullptr;
  EXPECT_EQ(CreateTextureFromDIB(0, 0, nullptr, nullptr, &texture), 0);
  EXPECT_TRUE(Logged("BITMAP : The bitmap pointer is NULL"));
  ASSERT_EQ(CreateTextureFromDIB(0, 0, nullptr, &bitmap, &texture), 1);
  D3DSURFACE_DESC desc{};
  texture->GetLevelDesc(0, &desc);
  EXPECT_EQ(desc.Format, D3DFMT_X8R8G8B8);
  D3DLOCKED_RECT locked{};
  texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY);
  auto texel = [&](int x, int y) {
    return static_cast<const uint32_t*>(locked.pBits)[y * locked.Pitch / 4 + x];
  };
  EXPECT_EQ(texel(0, 0) & 0xFFFFFF, 0x0A0A0Au);
  EXPECT_EQ(texel(2, 1) & 0xFFFFFF, 0x030303u);
  texture->UnlockRect(0);
  // A caller's texture smaller than the bitmap takes only what fits.
  IDirect3DTexture8* small = nullptr;
  ASSERT_EQ(device_->CreateTexture(1, 1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &small), D3D_OK);
  EXPECT_EQ(CreateTextureFromDIB(3, 2, nullptr, &bitmap, &small), 1);
  small->LockRect(0, &locked, nullptr, D3DLOCK_READONLY);
  EXPECT_EQ(*static_cast<const uint32_t*>(locked.pBits), 0x0A0A0Au);
  small->UnlockRect(0);
  small->Release();
  texture->Release();
  EXPECT_TRUE(ShutDownAndRelease());
}

TEST(FrameRegistration, CallsTheEntryOfTheNamedLibrary) {
  unsetenv("REGISTRATION_PROBE");
  EXPECT_EQ(CheckEngineRegistration(REGISTRATION_PROBE_FILE), 1);
  EXPECT_STREQ(getenv("REGISTRATION_PROBE"), "registered");
  EXPECT_EQ(DeRegistration(REGISTRATION_PROBE_FILE), 1);
  EXPECT_STREQ(getenv("REGISTRATION_PROBE"), "unregistered");
  EXPECT_EQ(CheckEngineRegistration(VORTANAUTIL_FILE), 0);  // no such entry
  EXPECT_EQ(CheckEngineRegistration("/nonexistent/library.so"), 0);
  EXPECT_EQ(DeRegistration(nullptr), 0);
}

TEST(FrameSorts, NewSortPutsTheFarthestFirst) {
  float items[3][5] = {{0, 1, 0, 0, 10}, {0, 5, 0, 0, 20}, {0, 3, 0, 0, 30}};
  const D3DVECTOR camera = {1, 0, 0};
  EXPECT_EQ(NewSort(&items[0][0], 3, &camera), 1);
  EXPECT_EQ(items[0][4], 20.0f);
  EXPECT_EQ(items[0][0], 16.0f);
  EXPECT_EQ(items[0][1], 4.0f);  // positions become relative to the camera
  EXPECT_EQ(items[1][4], 30.0f);
  EXPECT_EQ(items[2][4], 10.0f);
  EXPECT_EQ(items[2][0], 0.0f);
}

struct Item {
  float x, y, z;
  int32_t tag;
  int32_t rest[3];
};

std::vector<int32_t> SortTags(std::vector<Item> items, int32_t (*sort)(SAFEARRAY**)) {
  SAFEARRAY array{1, 0, sizeof(Item), 0, items.data(), {{static_cast<uint32_t>(items.size()), 0}}};
  SAFEARRAY* pointer = &array;
  EXPECT_EQ(sort(&pointer), 0);
  EXPECT_EQ(array.cLocks, 0u);
  std::vector<int32_t> tags;
  for (const Item& item : items) tags.push_back(item.tag);
  return tags;
}

TEST(FrameSorts, OpaqueAndTransparentOrdersLeaveTheLastElement) {
  const std::vector<Item> items = {
      {0, 0, 5, 1, {}}, {2, 0, 1, 2, {}}, {1, 0, 1, 3, {}}, {1, 4, 1, 4, {}}, {0, 0, 0, 5, {}}};
  EXPECT_EQ(SortTags(items, SortOpaque), (std::vector<int32_t>{2, 4, 3, 1, 5}));
  EXPECT_EQ(SortTags(items, SortTransparent), (std::vector<int32_t>{1, 3, 4, 2, 5}));
  EXPECT_EQ(SortTags({{9, 9, 9, 7, {}}}, SortOpaque), (std::vector<int32_t>{7}));
  EXPECT_EQ(SortTags({}, SortTransparent), (std::vector<int32_t>{}));
}

TEST(FrameExports, TheLibraryExportsExactlyItsInterface) {
  // Every function the public header declares, and nothing else.
  std::set<std::string> expected;
  std::ifstream header(VORTANAUTIL_HEADER);
  const std::string text((std::istreambuf_iterator<char>(header)), {});
  const std::regex declaration(R"(\nVORTANA_API [^(;]*?(\w+)\()");
  for (auto it = std::sregex_iterator(text.begin(), text.end(), declaration);
       it != std::sregex_iterator(); ++it) {
    expected.insert((*it)[1]);
  }
  ASSERT_FALSE(expected.empty());
  std::set<std::string> exported;
  const std::string command = std::string("nm -D --defined-only ") + VORTANAUTIL_FILE;
  std::unique_ptr<FILE, int (*)(FILE*)> nm(popen(command.c_str(), "r"), pclose);
  ASSERT_TRUE(nm);
  char line[512];
  while (std::fgets(line, sizeof line, nm.get()) != nullptr) {
    std::string symbol(line);
    symbol.erase(symbol.find_last_not_of("\n") + 1);
    exported.insert(symbol.substr(symbol.rfind(' ') + 1));
  }
  std::vector<std::string> unexpected;
  std::set_symmetric_difference(exported.begin(), exported.end(), expected.begin(), expected.end(),
                                std::back_inserter(unexpected));
  EXPECT_EQ(unexpected, std::vector<std::string>{});
}

}  // namespace
