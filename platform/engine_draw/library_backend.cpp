#include "platform/engine_draw/library_backend.h"

#include <algorithm>
#include <cstdio>

#include "library/core/vortanautil.h"
#include "platform/engine/engine.h"
#include "platform/engine/engine_error.h"

namespace engine {
namespace {

using namespace d3d;

constexpr int32_t kMainViewport = 0;
constexpr intptr_t kNoOverrideWindow = -1;
constexpr int32_t kAdapter = 0;
constexpr uint32_t kOpaque = 0xFF000000u;  // alpha of a read-back pixel

std::string Hex(HRESULT result) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(result));
  return text;
}

class LibraryBackend final : public DrawBackend {
 public:
  explicit LibraryBackend(Direct3DSource source) : source_(std::move(source)) {}
  ~LibraryBackend() override { Stop(); }
  LibraryBackend(const LibraryBackend&) = delete;
  LibraryBackend& operator=(const LibraryBackend&) = delete;

  void Start(const DeviceSettings& settings) override;
  void Stop() override;
  void Resize(int32_t width, int32_t height) override;
  int32_t LoadTexture(const Texture& texture) override;
  void DeleteTexture(int32_t texture) override { TextureFactory_DeleteTexture(texture); }
  void BeginTarget(const DrawTarget& target, bool clear, uint32_t clearColour) override;
  void EndTarget() override;
  void DrawMesh(const EngineMesh&, const CameraView&) override { EndBatch(); }
  void DrawLandscape(const EngineLandscape&, const CameraView&) override { EndBatch(); }
  void Draw2D(const Shape2D& shape) override;
  void Present() override;
  void MeasureText(const std::string& text, int32_t pixelHeight, int32_t& width,
                   int32_t& height) override;
  std::vector<uint32_t> ReadBackBuffer(int32_t width, int32_t height) override;

 private:
  // Opens the frame's scene on the back buffer when none is open.
  void EnsureScene();
  // The library's 2D batch: consecutive engine batches share one, and anything else drawn, a new
  // target or the present ends it.
  void StartBatch();
  void EndBatch();
  // The device's reset after a loss or for a new back buffer size: the families let go of their
  // device objects, the device resets, and they make them again.
  void Reset();

  Direct3DSource source_;
  IDirect3D8* direct3d_ = nullptr;
  IDirect3DDevice8* device_ = nullptr;
  D3DPRESENT_PARAMETERS params_{};
  int32_t primitives_ = 0;  // the library's running count of drawn primitives
  bool scene_ = false;      // the frame's scene on the back buffer is open
  bool resetPending_ = false;
  bool batch_ = false;
  int32_t textures_ = 0;  // textures made, for names of their own
};

void LibraryBackend::Start(const DeviceSettings& settings) {
  Stop();
  if (!settings.log.empty()) {
    DebugManager_Enable(1, 0);
    StartLog(settings.log.string().c_str());
  }
  StartErrorHandler();
  System_SetVariables(0, &primitives_, 0);
  direct3d_ = source_.create();
  if (direct3d_ == nullptr) {
    EndErrorHandler();
    throw EngineError("Init: no 3D device: " + source_.whyNot());
  }
  params_ = D3DPRESENT_PARAMETERS{};
  params_.BackBufferWidth = static_cast<UINT>(settings.width);
  params_.BackBufferHeight = static_cast<UINT>(settings.height);
  params_.BackBufferFormat = D3DFMT_X8R8G8B8;
  params_.BackBufferCount = 1;
  params_.SwapEffect = D3DSWAPEFFECT_DISCARD;
  params_.hDeviceWindow = settings.window;
  params_.Windowed = settings.windowed ? 1 : 0;
  params_.EnableAutoDepthStencil = 1;
  // Stencil bits for the shadow volumes.
  params_.AutoDepthStencilFormat = D3DFMT_D24S8;
  params_.FullScreen_PresentationInterval =
      settings.vsync ? D3DPRESENT_INTERVAL_ONE : D3DPRESENT_INTERVAL_IMMEDIATE;
  const int32_t result = VortanaSystem_CreateDevice(
      kAdapter, D3DDEVTYPE_HAL, settings.window,
      static_cast<int32_t>(D3DCREATE_SOFTWARE_VERTEXPROCESSING), &params_, &device_, &direct3d_);
  if (result < 0 || device_ == nullptr) {
    const std::string why = source_.whyNot();
    device_ = nullptr;
    ShutDownDevice();
    EndErrorHandler();
    direct3d_->Release();
    direct3d_ = nullptr;
    throw EngineError("Init: the 3D device could not be created (" + Hex(result) + ")" +
                      (why.empty() ? "" : ": " + why));
  }
  Screen2D_Init();
}

void LibraryBackend::Stop() {
  if (direct3d_ == nullptr) return;
  EndBatch();
  if (scene_) device_->EndScene();
  scene_ = false;
  ReleaseAll();
  // What is left is the engine's own reference.
  ShutDownDevice();
  device_->Release();
  device_ = nullptr;
  EndErrorHandler();
  direct3d_->Release();
  direct3d_ = nullptr;
}

void LibraryBackend::Resize(int32_t width, int32_t height) {
  params_.BackBufferWidth = static_cast<UINT>(width);
  params_.BackBufferHeight = static_cast<UINT>(height);
  // A device in a scene cannot reset: the present after it does.
  if (scene_) {
    resetPending_ = true;
  } else {
    Reset();
  }
}

void LibraryBackend::Reset() {
  resetPending_ = false;
  Screen2D_OnLost();
  TextureFont_OnLostAll();
  TextureFactory_OnLostAll();
  Viewport_OnLostAll();
  if (Viewport_ResetDevice(&params_) == 0)
    throw EngineError("the 3D device could not be reset to " +
                      std::to_string(params_.BackBufferWidth) + " x " +
                      std::to_string(params_.BackBufferHeight));
  TextureFactory_OnResetAll();
  TextureFont_OnResetAll();
  LightFactory_OnResetDevice();
}

int32_t LibraryBackend::LoadTexture(const Texture& texture) {
  // A name of its own: the library's table finds a texture by name, and the engine's names are
  // not unique.
  const std::string name = "engine texture " + std::to_string(++textures_);
  const int32_t id = TextureFactory_LoadTextureFromFile(
      texture.path.c_str(), name.c_str(), texture.width, texture.height,
      static_cast<int32_t>(texture.colourKey), 0, 0);
  if (id == 0)
    throw EngineError("LoadTexture: the device cannot make a texture of " + texture.path);
  return id;
}

void LibraryBackend::StartBatch() {
  if (batch_) return;
  EnsureScene();
  // Straight alpha over what is drawn, texels tinted by the corner colours.
  device_->SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
  device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  for (D3DTEXTURESTAGESTATETYPE op : {D3DTSS_COLOROP, D3DTSS_ALPHAOP})
    device_->SetTextureStageState(0, op, D3DTOP_MODULATE);
  Screen2D_Start();
  batch_ = true;
}

void LibraryBackend::EndBatch() {
  if (!batch_) return;
  Screen2D_End();
  device_->SetRenderState(D3DRS_ALPHABLENDENABLE, 0);
  batch_ = false;
}

void LibraryBackend::Draw2D(const Shape2D& shape) {
  StartBatch();
  const uint32_t* c = shape.colours;
  switch (shape.kind) {
    case Shape2D::Kind::Texture:
      Screen2D_DrawTexture(shape.x1, shape.y1, shape.x2, shape.y2, c[0], c[1], c[2], c[3], shape.u1,
                           shape.v1, shape.u2, shape.v2, shape.deviceTexture);
      break;
    case Shape2D::Kind::FilledBox:
      Screen2D_DrawFilledBox(shape.x1, shape.y1, shape.x2, shape.y2, c[0], c[1], c[2], c[3]);
      break;
    case Shape2D::Kind::Box:
      Screen2D_DrawBox2(shape.x1, shape.y1, shape.x2, shape.y2, c[0], c[1], c[2], c[3]);
      break;
    case Shape2D::Kind::Line:
    case Shape2D::Kind::Line3D:
      Screen2D_DrawLine(shape.x1, shape.y1, shape.x2, shape.y2, c[0], c[1]);
      break;
    case Shape2D::Kind::FilledCircle:
      Screen2D_DrawFilledCircle(shape.x1, shape.y1, shape.x2, shape.segments, c[0]);
      break;
    case Shape2D::Kind::CircleBorder:
      Screen2D_DrawCircle(shape.x1, shape.y1, shape.x2, shape.segments, c[0]);
      break;
    case Shape2D::Kind::Text:
      break;
  }
}

void LibraryBackend::EnsureScene() {
  if (scene_) return;
  Viewport_Clear(kMainViewport, 1);
  scene_ = true;
}

void LibraryBackend::BeginTarget(const DrawTarget& target, bool clear, uint32_t clearColour) {
  EndBatch();
  if (target.surface != nullptr) return;
  if (!clear) {
    EnsureScene();
  } else if (!scene_) {
    Viewport_SetBackground(kMainViewport, clearColour);
    Viewport_Clear(kMainViewport, 0);
    scene_ = true;
  } else {
    device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, clearColour,
                   1.0f, 0);
  }
}

void LibraryBackend::EndTarget() { EndBatch(); }

void LibraryBackend::Present() {
  EndBatch();
  // A frame with nothing drawn still shows: the present needs an open scene.
  EnsureScene();
  scene_ = false;
  if (Viewport_Present(kMainViewport, kNoOverrideWindow) == 1 || resetPending_) Reset();
}

void LibraryBackend::MeasureText(const std::string&, int32_t, int32_t& width, int32_t& height) {
  width = 0;
  height = 0;
}

std::vector<uint32_t> LibraryBackend::ReadBackBuffer(int32_t width, int32_t height) {
  // The frame as drawn so far, 2D included.
  EndBatch();
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height), kOpaque);
  IDirect3DSurface8* back = nullptr;
  if (Internal_GetBackbuffer(&back) == 0 || back == nullptr) return pixels;
  D3DSURFACE_DESC desc{};
  back->GetDesc(&desc);
  IDirect3DSurface8* image = nullptr;
  if (FAILED(device_->CreateImageSurface(desc.Width, desc.Height, desc.Format, &image))) {
    back->Release();
    return pixels;
  }
  device_->CopyRects(back, nullptr, 0, image, nullptr);
  back->Release();
  D3DLOCKED_RECT locked{};
  if (SUCCEEDED(image->LockRect(&locked, nullptr, 0))) {
    const int32_t rows = std::min(height, static_cast<int32_t>(desc.Height));
    const int32_t columns = std::min(width, static_cast<int32_t>(desc.Width));
    for (int32_t y = 0; y < rows; ++y) {
      const auto* row = reinterpret_cast<const uint32_t*>(
          static_cast<const uint8_t*>(locked.pBits) + static_cast<ptrdiff_t>(y) * locked.Pitch);
      for (int32_t x = 0; x < columns; ++x)
        pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] =
            row[x] | kOpaque;
    }
    image->UnlockRect();
  }
  image->Release();
  return pixels;
}

}  // namespace

std::unique_ptr<DrawBackend> MakeLibraryBackend(Direct3DSource source) {
  return std::make_unique<LibraryBackend>(std::move(source));
}

}  // namespace engine
