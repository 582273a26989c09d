#include "platform/engine_draw/library_backend.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <map>
#include <optional>
#include <set>

#include "library/core/vortanautil.h"
#include "platform/d3d/headless.h"
#include "platform/engine/engine.h"
#include "platform/engine/engine_error.h"
#include "platform/engine/landscape.h"
#include "platform/engine/resources.h"
#include "platform/engine/scene.h"
#include "platform/win/app_path.h"
#include "platform/win/gdi_text.h"
#include "platform/win/window.h"

namespace engine {
namespace {

using namespace d3d;

constexpr int32_t kMainViewport = 0;
constexpr intptr_t kNoOverrideWindow = -1;
constexpr int32_t kAdapter = 0;
constexpr uint32_t kOpaque = 0xFF000000u;  // alpha of a read-back pixel
constexpr int32_t kBoldFont = 1;           // texture font flags
constexpr int32_t kCodePageGlyphs = 4;     //   characters 128 to 253 as well
constexpr int32_t kPointsPerInch = 72;
constexpr const char* kScenePass = "scene";  // the 3D drawing into the back buffer

// Look codes of the engine's meshes (scene.h documents them).
constexpr int32_t kAdditiveBlend = 2;  // blend mode
constexpr int32_t kBothFaces = 2;      // draw mode
constexpr int32_t kNoDepthWrites = 3;  // draw mode
constexpr int32_t kUnlit = 2;          // lighting mode
constexpr uint32_t kUntinted = 0xFFFFFFFFu;
// An upload of a mesh geometry not drawn for this many presents is let go.
constexpr uint64_t kKeptFrames = 2;
// Cells along a side of a landscape chunk, the unit drawn or culled.
constexpr uint32_t kChunkCells = 32;
// A landscape is drawn whole within this many chunks of the eye at the default precision (that
// of a tile Generate did not prepare); a precision of p reaches 2 / p as far.
constexpr float kDetailChunks = 3.0f;
constexpr float kDefaultPrecision = 2.0f;
constexpr int32_t kFinestPrecision = 1;  // precision mode: whole everywhere
// A landscape chunk's sides, in the order of its skirts: first row, last row, first column, last
// column. Each level of a chunk has a group of its surface, then one of each side's skirt.
constexpr uint32_t kSides = 4;
constexpr size_t kLevelGroups = 1 + kSides;
// A landscape's detail texture repeats every this many cells.
constexpr float kDetailCells = 8.0f;
// Depths (clip w, the eye's distance along its view) nearer than this have no bounded picture.
constexpr float kNearestDepth = 1e-3f;
// Farther off the viewport than this a picture's edge is taken as there [pixels].
constexpr float kFarthestPixel = 1e6f;
// The sky box and the sun stand this share of the far plane away, inside the view's depth.
constexpr float kSkyShareOfFar = 0.5f;
// The sun's billboard size (the library's unit: 200 world units of half side) at the engine's sun
// distance of 2550 units: about 9 degrees across.
constexpr float kSunSize = 1.0f;
// The engine's flare sizes and spacings are sixteenths of a world unit.
constexpr float kFlareUnit = 1.0f / 16.0f;
// Quads of shadow-volume sides one batch of volumes holds; a fuller batch draws and goes on.
constexpr int32_t kShadowQuads = 16000;
// A shadow volume indexes its vertices with 16 bits.
constexpr size_t kMaxShadowVertices = 0xFFFF;

// A vertex drawn unlit: particles.
struct ColouredVertex {
  d3dx::D3DXVECTOR3 position;
  uint32_t colour;
  d3dx::D3DXVECTOR2 texcoord;
};
constexpr DWORD kColouredFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;

struct MeshVertex {
  d3dx::D3DXVECTOR3 position;
  d3dx::D3DXVECTOR3 normal;
  uint32_t colour;
  d3dx::D3DXVECTOR2 texcoord;
};
constexpr DWORD kMeshFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX1;

// A vertex of a run of filled circles, in pixels, as the library's 2D batch makes them: just in
// front of the viewer, untextured.
struct ScreenVertex {
  float x, y, z, rhw;
  uint32_t colour;
  float u, v;
};
constexpr DWORD kScreenFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;
constexpr float kScreenDepth = 0.001f;
constexpr float kRadiansPerDegree = 0.017453f;  // the library's, so that rims fall alike
// The library draws a circle of at most this many segments; finer ones go to it as they are.
constexpr int32_t kMostCircleSegments = 1022;
// Triangles of circles a draw holds at most: the software rasteriser takes a long list of small
// triangles far slower than a few short ones (measured best near a hundred).
constexpr size_t kMostRunTriangles = 120;

// One geometry in the device: its triangles ordered by material group.
struct Upload {
  IDirect3DVertexBuffer8* vertices = nullptr;
  IDirect3DIndexBuffer8* indices = nullptr;
  UINT vertexCount = 0;
  std::vector<UINT> groupStart;      // first index of each group
  std::vector<UINT> groupTriangles;  // triangles of each group
  uint64_t lastFrame = 0;
  int32_t shadow = 0;  // the library's shadow volume of the geometry, 0 until it casts one
};

// Unit normals of the file, else the mean of the faces' around each vertex (a clockwise face in
// left-handed axes faces along (b - a) x (c - a)).
std::vector<d3dx::D3DXVECTOR3> Normals(const MeshGeometry& geometry) {
  if (geometry.normals.size() == geometry.positions.size()) return geometry.normals;
  std::vector<d3dx::D3DXVECTOR3> normals(geometry.positions.size());
  for (size_t t = 0; t < geometry.TriangleCount(); ++t) {
    const uint32_t* corner = &geometry.indices[t * 3];
    const auto& a = geometry.positions[corner[0]];
    d3dx::D3DXVECTOR3 edge1 = geometry.positions[corner[1]] - a;
    d3dx::D3DXVECTOR3 edge2 = geometry.positions[corner[2]] - a;
    d3dx::D3DXVECTOR3 face;
    d3dx::D3DXVec3Cross(&face, &edge1, &edge2);
    for (int k = 0; k < 3; ++k) normals[corner[k]] = normals[corner[k]] + face;
  }
  for (auto& normal : normals) d3dx::D3DXVec3Normalize(&normal, &normal);
  return normals;
}

D3DCOLORVALUE Value(const d3dx::D3DXCOLOR& c) { return {c.r, c.g, c.b, c.a}; }

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
  void DeleteTexture(int32_t texture) override {
    Forget();
    surfaces_.erase(texture);
    TextureFactory_DeleteTexture(texture);
  }
  int32_t CreateSurface(int32_t width, int32_t height) override;
  void SetTextureMode(int32_t mode) override {
    Forget();
    if (direct3d_ != nullptr) TextureFactory_SetTextureMode(mode);
  }
  int32_t MaxTextureSide() const override;
  void SetDepthBuffer(int32_t choice) override;
  void SetSpecularLighting(bool on) override {
    if (direct3d_ != nullptr) LightFactory_EnableSpecularLighting(on ? 1 : 0);
  }
  void BeginTarget(const DrawTarget& target, bool clear, uint32_t clearColour) override;
  void EndTarget() override;
  int32_t StoreMaterial(const Material& material) override;
  void DeleteMaterial(int32_t material) override {
    if (direct3d_ != nullptr && material != 0) MaterialFactory_DeleteMaterial(material);
  }
  int32_t StoreLight(const Light& light) override;
  void DrawMesh(const EngineMesh& mesh, const CameraView& camera) override;
  void DrawLandscape(const EngineLandscape& landscape, const CameraView& camera) override;
  void Draw2D(const Shape2D& shape) override;
  void DrawSky(const EngineAtmosphere& atmosphere, const CameraView& camera) override;
  void DrawParticles(const EngineParticleSystem& system, const CameraView& camera) override;
  void DrawShadowVolume(const EngineMesh& mesh, int32_t light, uint32_t colour, float range,
                        const CameraView& camera) override;
  void SetPointer(int32_t texture, float width, float height, int32_t hotX, int32_t hotY) override {
    pointer_ = {texture, width, height, hotX, hotY};
  }
  void DrawFade(float opacity) override { fade_ = opacity; }
  void SetGamma(float gamma) override;
  void Present() override;
  void SetFrameStatistics(bool on) override;
  std::vector<PassCost> FrameStatistics() const override { return lastStatistics_; }
  void PresentToWindow(uintptr_t window, int32_t width, int32_t height) override;
  int32_t StoreFont(const Font& font) override;
  void ResetFonts() override;
  void ResetFontGlyphs() override {
    Forget();
    TextureFont_OnLostAll();
    TextureFont_OnResetAll();
  }
  void MeasureText(const std::string& text, const Font& font, int32_t pixelHeight, int32_t& width,
                   int32_t& height) override;
  std::vector<uint32_t> ReadBackBuffer(int32_t width, int32_t height) override;

 private:
  // Opens the frame's scene on the back buffer when none is open.
  void EnsureScene();
  // The library's 2D batch: consecutive engine batches share one, and anything else drawn, a new
  // target or the present ends it.
  void StartBatch();
  void EndBatch();
  // A run of filled circles (a sky of stars, each circle its own engine batch) is drawn in
  // triangle lists of ours: the library's batch would draw a hundred circles at a time. Whatever
  // the library queued before the run is drawn first, so that the order stays as asked.
  void QueueCircle(const Shape2D& shape);
  void DrawCircles();
  // The blend factors and filter the open batch draws with, as a shape asks for them.
  struct BatchState {
    int32_t sourceBlend = 0, destinationBlend = 0, filter = 0;
    bool operator==(const BatchState&) const = default;
  };
  // Draws the shadow volumes asked for since anything else was drawn: one darkening for all of
  // them, so that where shadows overlap the ground is no darker.
  void DrawShadows();
  // What was asked for is drawn, before anything else is.
  void Flush() {
    Interrupt();
    DrawShadows();
    EndBatch();
  }
  // A render surface cleared and drawn in 2D alone, as the frame before drew it, is not drawn
  // again: it still shows that. Its drawing is held back while it repeats the last one (each
  // shape compared as it comes); at the first difference, or anything else drawn, what was held
  // back is drawn and the rest goes on as asked.
  struct SurfaceDrawing {
    uint32_t clearColour = 0;
    std::vector<Shape2D> shapes;
  };
  // Opens the surface as the target, cleared to the colour when clear.
  void OpenSurface(int32_t id, bool clear, uint32_t clearColour);
  // Draws what the open surface held back, if anything.
  void Resume();
  // Something other than the open surface's 2D drawing comes: the surface's drawing is no longer
  // one to repeat.
  void Interrupt() {
    Resume();
    recording_.reset();
  }
  // Textures, fonts or the device changed: no surface's last drawing is known to repeat.
  void Forget() {
    Interrupt();
    shown_.clear();
  }
  // Draws the shape into the open target (Draw2D, past holding back).
  void DrawShape(const Shape2D& shape);
  // The frame's last layer: the fade, then the pointer.
  void DrawOverlays();
  // The geometry's upload, made again when it changed; null for a geometry without triangles.
  Upload* Current(const MeshGeometry& geometry);
  // A landscape in the device: its chunks and their bounds in the tile's axes.
  struct Ground {
    uint64_t revision = 0;
    std::vector<Upload> chunks;
    std::vector<std::array<d3dx::D3DXVECTOR3, 2>> bounds;  // of each chunk's surface
    std::vector<float> skirts;                             // how deep each chunk's skirts hang
    uint32_t across = 0;                                   // chunks in a row
    uint64_t lastFrame = 0;
  };
  Ground& CurrentGround(const EngineLandscape& landscape);
  void Fill(Upload& upload, const std::vector<MeshVertex>& vertices,
            const std::vector<uint32_t>& indices);
  static void Release(Upload& upload);
  void ReleaseUploads(bool all);
  // Material and texture of one draw; material 0: white, texture 0: none.
  void SetSurface(int32_t material, int32_t texture);
  void SetLook(const MeshLook& look);
  // The device's reset after a loss or for a new back buffer size: the families let go of their
  // device objects, the device resets, and they make them again.
  void Reset();
  // Names the pass what the device draws next is counted under, while statistics are on: a
  // render surface's, else `backBuffer`. The 3D passes into the back buffer ("scene") are kept to
  // the part of it the engine's covers leave; the others draw anywhere.
  void Pass(const char* backBuffer);
  // True while the drawing goes into the back buffer of the engine's window.
  bool IntoBackBuffer() const;
  // The scissor keeping a drawing into the back buffer to that area: none for the whole of it.
  RECT ScissorOf(const PixelRect& area) const;
  // Ends the frame and shows it in the main window, or in the override window.
  void PresentInto(intptr_t override);
  // A reset now, or at the present when a scene is open: a device in a scene cannot reset.
  void RequestReset() {
    if (scene_) {
      resetPending_ = true;
    } else {
      Reset();
    }
  }
  // What a clear of a whole target clears.
  DWORD ClearFlags() const {
    return D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER |
           (params_.AutoDepthStencilFormat == D3DFMT_D24S8 ? D3DCLEAR_STENCIL : 0);
  }

  Direct3DSource source_;
  IDirect3D8* direct3d_ = nullptr;
  IDirect3DDevice8* device_ = nullptr;
  D3DPRESENT_PARAMETERS params_{};
  // Stencil bits for the shadow volumes, unless the settings ask for the W-buffer.
  D3DFORMAT depthFormat_ = D3DFMT_D24S8;
  int32_t primitives_ = 0;  // the library's running count of drawn primitives
  bool scene_ = false;      // the frame's scene on the back buffer is open
  bool resetPending_ = false;
  bool batch_ = false;
  bool libraryQueued_ = false;         // the open batch holds something of the library's to draw
  std::vector<ScreenVertex> circles_;  // the run of filled circles not yet drawn
  BatchState batchState_;
  static constexpr std::array kFilterStates = {D3DTSS_MINFILTER, D3DTSS_MAGFILTER,
                                               D3DTSS_MIPFILTER};
  std::array<DWORD, 3> filters3D_{};  // stage 0's filters before the batch
  int32_t made_ = 0;                  // textures, materials and lights made, for names of their own
  const Engine* engine_ = nullptr;
  // The open targets: a render surface's identifier, 0 for the back buffer.
  std::vector<int32_t> targets_;
  bool suspended_ = false;              // the frame's scene, ended while a surface draws
  std::map<uint64_t, Upload> uploads_;  // by geometry revision
  std::map<const EngineLandscape*, Ground> grounds_;
  std::map<std::string, int32_t> groundTextures_;  // the Generate images, by file
  // A plain font's twin of the library's, by the font's identifier: the library does not measure
  // plain fonts.
  std::map<int32_t, win::HFONT> plainFonts_;
  // The texture fonts made, whose glyph textures the library's unloading leaves in its table.
  std::vector<int32_t> textureFonts_;
  uint64_t frame_ = 0;          // presents so far
  std::vector<size_t> levels_;  // a landscape's chunk levels as it draws, kept for their room
  // Shadow volumes asked for and not yet drawn: the volume, its world matrix and light.
  struct ShadowRequest {
    int32_t volume;
    d3dx::D3DXMATRIX world;
    bool directional;
    D3DVECTOR light;
  };
  std::vector<ShadowRequest> shadows_;
  uint32_t shadowColour_ = 0;
  float shadowRange_ = 0;
  int32_t volumesMade_ = 0;           // the library's volumes are numbered from 1 by us
  std::vector<int32_t> freeVolumes_;  // numbers of volumes let go, for reuse
  struct Pointer {
    int32_t texture = 0;
    float width = 0, height = 0;
    int32_t hotX = 0, hotY = 0;
  } pointer_;
  float fade_ = 0;  // the opacity of the black over this frame
  float gamma_ = 1;
  bool statistics_ = false;
  const char* batchPass_ = nullptr;  // the back-buffer pass the open batch counts under
  std::vector<PassCost> lastStatistics_;
  std::set<int32_t> surfaces_;              // the render surfaces' identifiers
  std::map<int32_t, SurfaceDrawing> shown_;  // what each surface shows, drawn as SurfaceDrawing
  std::optional<SurfaceDrawing> recording_;  // the open surface's drawing while it is one
  bool heldBack_ = false;                    // the open surface's drawing repeats, undrawn
};

void LibraryBackend::Start(const DeviceSettings& settings) {
  Stop();
  engine_ = settings.engine;
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
  params_.AutoDepthStencilFormat = depthFormat_;
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
  SetGamma(gamma_);
  Atmosphere_Initialize();
  ShadowVolume_AllocVolumes(kShadowQuads);
}

void LibraryBackend::Stop() {
  if (direct3d_ == nullptr) return;
  heldBack_ = false;
  recording_.reset();
  shown_.clear();
  surfaces_.clear();
  EndBatch();
  if (scene_) device_->EndScene();
  scene_ = false;
  suspended_ = false;
  targets_.clear();
  shadows_.clear();
  ReleaseUploads(true);
  groundTextures_.clear();
  volumesMade_ = 0;
  freeVolumes_.clear();
  pointer_ = {};
  ResetFonts();
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
  RequestReset();
}

int32_t LibraryBackend::MaxTextureSide() const {
  D3DCAPS8 caps{};
  if (device_ == nullptr || FAILED(device_->GetDeviceCaps(&caps))) return 0;
  return static_cast<int32_t>(std::min(caps.MaxTextureWidth, caps.MaxTextureHeight));
}

void LibraryBackend::SetDepthBuffer(int32_t choice) {
  // The device has no W-buffering: the W-buffer of the settings is the 16-bit depth it served,
  // without stencil, so without shadow volumes.
  constexpr int32_t kWBuffer = 2;
  depthFormat_ = choice == kWBuffer ? D3DFMT_D16 : D3DFMT_D24S8;
  if (direct3d_ == nullptr || params_.AutoDepthStencilFormat == depthFormat_) return;
  params_.AutoDepthStencilFormat = depthFormat_;
  RequestReset();
}

void LibraryBackend::SetGamma(float gamma) {
  gamma_ = gamma;
  if (device_ == nullptr || !(gamma > 0)) return;
  D3DGAMMARAMP ramp{};
  for (int level = 0; level < 256; ++level) {
    const auto shown = static_cast<WORD>(
        std::lround(std::pow(static_cast<float>(level) / 255.0f, 1.0f / gamma) * 65535.0f));
    ramp.red[level] = ramp.green[level] = ramp.blue[level] = shown;
  }
  device_->SetGammaRamp(D3DSGR_NO_CALIBRATION, &ramp);
}

void LibraryBackend::Reset() {
  Forget();
  resetPending_ = false;
  Screen2D_OnLost();
  TextureFont_OnLostAll();
  TextureFactory_OnLostAll();
  Viewport_OnLostAll();
  ShadowVolume_LostAll();
  if (Viewport_ResetDevice(&params_) == 0)
    throw EngineError("the 3D device could not be reset to " +
                      std::to_string(params_.BackBufferWidth) + " x " +
                      std::to_string(params_.BackBufferHeight));
  TextureFactory_OnResetAll();
  TextureFont_OnResetAll();
  LightFactory_OnResetDevice();
  ShadowVolume_AllocVolumes(kShadowQuads);
}

int32_t LibraryBackend::LoadTexture(const Texture& texture) {
  Forget();
  // A name of its own: the library's table finds a texture by name, and the engine's names are
  // not unique.
  const std::string name = "engine texture " + std::to_string(++made_);
  const int32_t id = TextureFactory_LoadTextureFromFile(
      texture.path.c_str(), name.c_str(), texture.width, texture.height,
      static_cast<int32_t>(texture.colourKey), 0, 0);
  if (id == 0)
    throw EngineError("LoadTexture: the device cannot make a texture of " + texture.path);
  return id;
}

void LibraryBackend::StartBatch() {
  if (batch_) return;
  DrawShadows();
  EnsureScene();
  // Straight alpha over what is drawn unless asked otherwise, texels tinted by the corner colours.
  const BatchState& state = batchState_;
  device_->SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
  device_->SetRenderState(D3DRS_SRCBLEND, state.sourceBlend != 0
                                              ? static_cast<DWORD>(state.sourceBlend)
                                              : D3DBLEND_SRCALPHA);
  device_->SetRenderState(D3DRS_DESTBLEND, state.destinationBlend != 0
                                               ? static_cast<DWORD>(state.destinationBlend)
                                               : D3DBLEND_INVSRCALPHA);
  // The settings' filters by number: the device has no cubic ones, and "none" samples the
  // nearest texel. The 3D drawing gets its own back at the end of the batch.
  constexpr DWORD kFilters[] = {D3DTEXF_POINT,  D3DTEXF_LINEAR, D3DTEXF_LINEAR, D3DTEXF_ANISOTROPIC,
                                D3DTEXF_LINEAR, D3DTEXF_LINEAR, D3DTEXF_POINT};
  constexpr int32_t kTrilinear = 2;
  for (size_t k = 0; k < kFilterStates.size(); ++k)
    device_->GetTextureStageState(0, kFilterStates[k], &filters3D_[k]);
  const DWORD filter =
      kFilters[std::clamp(state.filter, 0, static_cast<int32_t>(std::size(kFilters)) - 1)];
  device_->SetTextureStageState(0, D3DTSS_MINFILTER, filter);
  device_->SetTextureStageState(0, D3DTSS_MAGFILTER, filter);
  device_->SetTextureStageState(0, D3DTSS_MIPFILTER,
                                state.filter == kTrilinear ? D3DTEXF_LINEAR : D3DTEXF_NONE);
  for (D3DTEXTURESTAGESTATETYPE op : {D3DTSS_COLOROP, D3DTSS_ALPHAOP})
    device_->SetTextureStageState(0, op, D3DTOP_MODULATE);
  Screen2D_Start();
  batch_ = true;
  Pass(batchPass_ != nullptr ? batchPass_ : "2D");
}

void LibraryBackend::EndBatch() {
  if (!batch_) return;
  DrawCircles();
  Screen2D_End();
  libraryQueued_ = false;
  device_->SetRenderState(D3DRS_ALPHABLENDENABLE, 0);
  for (size_t k = 0; k < kFilterStates.size(); ++k)
    device_->SetTextureStageState(0, kFilterStates[k], filters3D_[k]);
  batch_ = false;
}

void LibraryBackend::Draw2D(const Shape2D& shape) {
  if (recording_) {
    if ((shape.kind == Shape2D::Kind::Texture && surfaces_.contains(shape.deviceTexture)) ||
        (shape.kind == Shape2D::Kind::Text &&
         (engine_ == nullptr || engine_->Fonts().Get(shape.font) == nullptr))) {
      // What another surface shows may change without its drawing here changing; a font let go
      // draws nothing where its text was.
      Interrupt();
    } else {
      recording_->shapes.push_back(shape);
      if (heldBack_) {
        const std::vector<Shape2D>& last = shown_.at(targets_.back()).shapes;
        const size_t count = recording_->shapes.size();
        if (count <= last.size() && last[count - 1] == shape) return;
        Resume();
        return;
      }
    }
  }
  DrawShape(shape);
}

void LibraryBackend::DrawShape(const Shape2D& shape) {
  const BatchState state{shape.sourceBlend, shape.destinationBlend, shape.filter};
  if (state != batchState_) {
    EndBatch();
    batchState_ = state;
  }
  // Counted apart, text and other 2D drawing are batched apart; the order stays.
  const char* pass = shape.kind == Shape2D::Kind::Text ? "text" : "2D";
  if (statistics_ && batch_ && pass != batchPass_) EndBatch();
  if (!batch_) batchPass_ = pass;
  StartBatch();
  if (shape.kind == Shape2D::Kind::FilledCircle && shape.segments >= 1 &&
      shape.segments <= kMostCircleSegments) {
    QueueCircle(shape);
    return;
  }
  DrawCircles();
  libraryQueued_ = true;
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
    case Shape2D::Kind::Text: {
      const Font* font = engine_ != nullptr ? engine_->Fonts().Get(shape.font) : nullptr;
      if (font == nullptr) break;
      const std::string text = win::CodePageFromUtf8(shape.text);
      if (font->textureFont) {
        TextureFont_Render(font->device, shape.x1, shape.y1, text.c_str(), c[0]);
      } else {
        NormalFont_Render(font->device, shape.x1, shape.y1, text.c_str(), c[0]);
      }
      break;
    }
  }
}

void LibraryBackend::QueueCircle(const Shape2D& shape) {
  if (libraryQueued_) {
    Screen2D_End();
    Screen2D_Start();
    libraryQueued_ = false;
  }
  if (circles_.size() / 3 + static_cast<size_t>(shape.segments) > kMostRunTriangles) DrawCircles();
  const auto vertex = [&](float x, float y) {
    return ScreenVertex{x, y, kScreenDepth, kScreenDepth, shape.colours[0], 0, 0};
  };
  const float step = 360.0f / static_cast<float>(shape.segments);
  const auto rim = [&](int32_t i) {
    const float angle = static_cast<float>(i) * step * kRadiansPerDegree;
    return vertex(std::cos(angle) * shape.x2 + shape.x1, std::sin(angle) * shape.x2 + shape.y1);
  };
  // The library fans the rim around the centre; a fan from the first rim vertex covers the same
  // pixels, each once by the fill rule, with two triangles fewer. Fewer than three segments
  // enclose nothing.
  const ScreenVertex first = rim(0);
  ScreenVertex previous = rim(1);
  for (int32_t i = 2; i < shape.segments; ++i) {
    const ScreenVertex next = rim(i);
    circles_.insert(circles_.end(), {first, previous, next});
    previous = next;
  }
}

void LibraryBackend::DrawCircles() {
  if (circles_.empty()) return;
  // The library's 2D states, and back to the 3D ones after.
  device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  device_->SetRenderState(D3DRS_LIGHTING, 0);
  device_->SetRenderState(D3DRS_SPECULARENABLE, 0);
  device_->SetRenderState(D3DRS_FOGENABLE, 0);
  device_->SetRenderState(D3DRS_ZWRITEENABLE, 0);
  device_->SetRenderState(D3DRS_ZFUNC, D3DCMP_ALWAYS);
  device_->SetVertexShader(kScreenFvf);
  TextureFactory_ApplyTexture(0, 0);
  device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, static_cast<UINT>(circles_.size() / 3),
                           circles_.data(), sizeof(ScreenVertex));
  device_->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
  device_->SetRenderState(D3DRS_ZWRITEENABLE, 1);
  LightFactory_ApplySpecularLighting();
  Atmosphere_ApplyFog();
  circles_.clear();
}

int32_t LibraryBackend::StoreFont(const Font& font) {
  Forget();
  if (direct3d_ == nullptr) return 0;
  const std::string name = "engine font " + std::to_string(++made_);
  int32_t id = 0;
  if (font.textureFont) {
    id = TextureFont_Create(name.c_str(), font.face.c_str(), font.size,
                            (font.bold ? kBoldFont : 0) | kCodePageGlyphs);
    if (id != 0) textureFonts_.push_back(id);
  } else {
    id = NormalFont_Create(name.c_str(), font.face.c_str(), font.size, font.bold ? 1 : 0, 0, 0);
  }
  if (id == 0)
    throw EngineError("CreateFont: the device cannot make a font of \"" + font.face + "\" at " +
                      std::to_string(font.size) + " points");
  if (!font.textureFont) {
    win::HDC dc = win::CreateCompatibleDC(nullptr);
    const int32_t height =
        win::MulDiv(font.size, win::GetDeviceCaps(dc, win::LOGPIXELSY), kPointsPerInch);
    win::DeleteDC(dc);
    plainFonts_[id] =
        win::CreateFontA(-height, 0, 0, 0, font.bold ? win::FW_BOLD : win::FW_NORMAL, 0, 0, 0,
                         win::DEFAULT_CHARSET, win::OUT_DEFAULT_PRECIS, win::CLIP_DEFAULT_PRECIS,
                         win::ANTIALIASED_QUALITY, win::VARIABLE_PITCH, font.face.c_str());
  }
  return id;
}

void LibraryBackend::ResetFonts() {
  Forget();
  for (const auto& [id, font] : plainFonts_)
    if (font != nullptr) win::DeleteObject(font);
  plainFonts_.clear();
  if (direct3d_ != nullptr) {
    for (const int32_t font : textureFonts_)
      TextureFactory_DeleteTexture(TextureFont_GetTexture(font));
    TextureFont_Unload();
  }
  textureFonts_.clear();
}

void LibraryBackend::EnsureScene() {
  // A render surface draws in the scene of its own.
  if (scene_ || (!targets_.empty() && targets_.back() != 0)) return;
  Viewport_Clear(kMainViewport, 1);
  scene_ = true;
}

void LibraryBackend::BeginTarget(const DrawTarget& target, bool clear, uint32_t clearColour) {
  Flush();
  if (target.surface == nullptr) {
    targets_.push_back(0);
    if (!clear) {
      EnsureScene();
    } else if (!scene_) {
      Viewport_SetBackground(kMainViewport, clearColour);
      Viewport_Clear(kMainViewport, 0);
      scene_ = true;
    } else {
      device_->Clear(0, nullptr, ClearFlags(), clearColour, 1.0f, 0);
    }
    return;
  }
  const Texture* texture =
      engine_ != nullptr ? engine_->Textures().Get(target.surface->GetTexture()) : nullptr;
  const int32_t id = texture != nullptr ? texture->device : 0;
  if (std::ranges::any_of(targets_, [](int32_t open) { return open != 0; }))
    throw EngineError("StartRender: a render surface is drawn inside another");
  if (clear) {
    recording_ = SurfaceDrawing{clearColour, {}};
    if (const auto last = shown_.find(id);
        last != shown_.end() && last->second.clearColour == clearColour) {
      targets_.push_back(id);
      heldBack_ = true;
      return;
    }
  }
  shown_.erase(id);
  OpenSurface(id, clear, clearColour);
}

void LibraryBackend::OpenSurface(int32_t id, bool clear, uint32_t clearColour) {
  // The device draws one scene at a time: the frame's waits, and resumes after the surface.
  if (scene_ && !suspended_) {
    device_->EndScene();
    suspended_ = true;
  }
  if (TextureFactory_StartRender(id, nullptr, 0) == 0) {
    if (suspended_) device_->BeginScene();
    suspended_ = false;
    throw EngineError("StartRender: the device cannot draw into the surface");
  }
  targets_.push_back(id);
  if (clear) device_->Clear(0, nullptr, ClearFlags(), clearColour, 1.0f, 0);
}

void LibraryBackend::Resume() {
  if (!heldBack_) return;
  heldBack_ = false;
  const int32_t id = targets_.back();
  targets_.pop_back();
  shown_.erase(id);
  OpenSurface(id, true, recording_->clearColour);
  for (const Shape2D& shape : recording_->shapes) DrawShape(shape);
}

void LibraryBackend::EndTarget() {
  // A drawing that stopped short of the last one is drawn.
  if (heldBack_ && recording_->shapes.size() != shown_.at(targets_.back()).shapes.size())
    Resume();
  DrawShadows();
  EndBatch();
  if (targets_.empty()) return;
  const int32_t id = targets_.back();
  targets_.pop_back();
  if (id == 0) return;
  std::optional<SurfaceDrawing> drawing = std::move(recording_);
  recording_.reset();
  if (heldBack_) {
    heldBack_ = false;
    return;
  }
  TextureFactory_EndRender(id);
  if (suspended_) {
    device_->BeginScene();
    suspended_ = false;
  }
  if (drawing) shown_[id] = std::move(*drawing);
}

int32_t LibraryBackend::CreateSurface(int32_t width, int32_t height) {
  if (direct3d_ == nullptr) return 0;
  const int32_t id =
      TextureFactory_CreateRenderSurface2(width, height, TextureFactory_GetNewTextureId(), 0, 0, 0);
  if (id == 0)
    throw EngineError("CreateRenderSurface: the device cannot make a surface of " +
                      std::to_string(width) + " x " + std::to_string(height));
  surfaces_.insert(id);
  return id;
}

bool LibraryBackend::IntoBackBuffer() const {
  return engine_ != nullptr && (targets_.empty() || targets_.back() == 0);
}

RECT LibraryBackend::ScissorOf(const PixelRect& area) const {
  if (area == PixelRect{0, 0, engine_->Width(), engine_->Height()}) return {};
  return {area.left, area.top, area.right, area.bottom};
}

void LibraryBackend::Pass(const char* backBuffer) {
  HeadlessControl* control = device_ != nullptr ? Headless(device_) : nullptr;
  if (control == nullptr) return;
  const int32_t target = targets_.empty() ? 0 : targets_.back();
  RECT scissor{};
  if (IntoBackBuffer() && std::strcmp(backBuffer, kScenePass) == 0)
    scissor = ScissorOf(engine_->SceneArea());
  control->SetScissor(scissor);
  if (statistics_)
    control->BeginPass(target != 0 ? "surface " + std::to_string(target) : backBuffer);
}

void LibraryBackend::SetFrameStatistics(bool on) {
  if (device_ == nullptr || Headless(device_) == nullptr) return;
  statistics_ = on;
  Headless(device_)->SetStatistics(on);
  lastStatistics_.clear();
}

void LibraryBackend::Present() {
  PresentInto(kNoOverrideWindow);
  ++frame_;
}

void LibraryBackend::PresentToWindow(uintptr_t window, int32_t, int32_t) {
  // The device shows the back buffer in that window at the window's size.
  PresentInto(static_cast<intptr_t>(window));
}

void LibraryBackend::PresentInto(intptr_t override) {
  Flush();
  // A frame with nothing drawn still shows: the present needs an open scene.
  EnsureScene();
  DrawOverlays();
  scene_ = false;
  // A minimised window shows nothing: the frame ends unshown.
  const win::Window* window = win::WindowFromHandle(
      override == kNoOverrideWindow ? params_.hDeviceWindow : reinterpret_cast<void*>(override));
  if (window != nullptr && window->show == win::ShowState::Minimised) {
    device_->EndScene();
    if (resetPending_) Reset();
  } else if (Viewport_Present(kMainViewport, override) == 1 || resetPending_) {
    Reset();
  }
  if (statistics_) {
    lastStatistics_.clear();
    for (const PassStatistics& pass : Headless(device_)->TakeStatistics())
      lastStatistics_.push_back({pass.name, pass.draws, pass.fragments});
  }
  ReleaseUploads(false);
}

int32_t LibraryBackend::StoreMaterial(const Material& material) {
  if (direct3d_ == nullptr) return 0;
  int32_t id = material.device;
  if (id == 0) {
    const std::string name = "engine material " + std::to_string(++made_);
    id = MaterialFactory_CreateQuickMaterial(1, 1, 1, 1, name.c_str());
    if (id == 0) throw EngineError("CreateMaterial: the device cannot make another material");
  }
  const D3DMATERIAL8 record{Value(material.diffuse), Value(material.ambient),
                            Value(material.specular), Value(material.emissive), 0};
  MaterialFactory_SetMaterialInfo(id, &record);
  return id;
}

int32_t LibraryBackend::StoreLight(const Light& light) {
  if (direct3d_ == nullptr) return 0;
  int32_t id = light.device;
  if (light.record.Type == 0) {
    if (id != 0) LightFactory_EnableLight(id, 0);
    return id;
  }
  D3DLIGHT8 record = light.record;
  if (id == 0) {
    const std::string name = "engine light " + std::to_string(++made_);
    id = LightFactory_CreateLight(&record, name.c_str(), 0);
    if (id <= 0) throw EngineError("CreateLight: the device cannot make another light");
  } else {
    LightFactory_UpdateLight(id, &record);
  }
  LightFactory_EnableLight(id, light.enabled ? 1 : 0);
  return id;
}

Upload* LibraryBackend::Current(const MeshGeometry& geometry) {
  auto found = uploads_.find(geometry.revision);
  if (found != uploads_.end()) {
    found->second.lastFrame = frame_;
    return &found->second;
  }
  if (geometry.indices.empty()) return nullptr;
  Upload upload;
  upload.vertexCount = static_cast<UINT>(geometry.positions.size());
  upload.lastFrame = frame_;
  std::vector<MeshVertex> vertices(geometry.positions.size());
  const std::vector<d3dx::D3DXVECTOR3> normals = Normals(geometry);
  for (size_t v = 0; v < vertices.size(); ++v)
    vertices[v] = {geometry.positions[v], normals[v], geometry.colours[v], geometry.texcoords[v]};
  std::vector<uint32_t> indices;
  indices.reserve(geometry.indices.size());
  for (uint32_t group = 0; group < geometry.groupCount; ++group) {
    upload.groupStart.push_back(static_cast<UINT>(indices.size()));
    for (size_t t = 0; t < geometry.TriangleCount(); ++t)
      if (std::min(geometry.groups[t], geometry.groupCount - 1) == group)
        indices.insert(indices.end(), &geometry.indices[t * 3], &geometry.indices[t * 3 + 3]);
    upload.groupTriangles.push_back(
        static_cast<UINT>((indices.size() - upload.groupStart.back()) / 3));
  }
  Fill(upload, vertices, indices);
  return &uploads_.emplace(geometry.revision, std::move(upload)).first->second;
}

void LibraryBackend::Fill(Upload& upload, const std::vector<MeshVertex>& vertices,
                          const std::vector<uint32_t>& indices) {
  const auto vertexBytes = static_cast<UINT>(vertices.size() * sizeof(MeshVertex));
  const auto indexBytes = static_cast<UINT>(indices.size() * sizeof(uint32_t));
  if (FAILED(device_->CreateVertexBuffer(vertexBytes, D3DUSAGE_WRITEONLY, kMeshFvf, D3DPOOL_MANAGED,
                                         &upload.vertices)) ||
      FAILED(device_->CreateIndexBuffer(indexBytes, D3DUSAGE_WRITEONLY, D3DFMT_INDEX32,
                                        D3DPOOL_MANAGED, &upload.indices))) {
    if (upload.vertices != nullptr) upload.vertices->Release();
    throw EngineError("Render: the device has no room for " + std::to_string(vertices.size()) +
                      " vertices");
  }
  BYTE* data = nullptr;
  upload.vertices->Lock(0, 0, &data, 0);
  std::memcpy(data, vertices.data(), vertexBytes);
  upload.vertices->Unlock();
  upload.indices->Lock(0, 0, &data, 0);
  std::memcpy(data, indices.data(), indexBytes);
  upload.indices->Unlock();
  upload.vertexCount = static_cast<UINT>(vertices.size());
}

void LibraryBackend::Release(Upload& upload) {
  upload.vertices->Release();
  upload.indices->Release();
}

LibraryBackend::Ground& LibraryBackend::CurrentGround(const EngineLandscape& landscape) {
  Ground& ground = grounds_[&landscape];
  ground.lastFrame = frame_;
  if (ground.revision == landscape.HeightRevision()) return ground;
  for (Upload& chunk : ground.chunks) Release(chunk);
  ground.chunks.clear();
  ground.bounds.clear();
  ground.skirts.clear();
  ground.revision = landscape.HeightRevision();
  const HeightGrid& grid = landscape.Grid();
  const auto at = [&](uint32_t c, uint32_t r) {
    return d3dx::D3DXVECTOR3{static_cast<float>(c) * grid.spacing, grid.At(c, r),
                             static_cast<float>(r) * grid.spacing};
  };
  const float uStep = 1.0f / static_cast<float>(std::max(1u, grid.columns - 1));
  const float vStep = 1.0f / static_cast<float>(std::max(1u, grid.rows - 1));
  ground.across = (grid.columns - 2) / kChunkCells + 1;
  for (uint32_t row0 = 0; row0 + 1 < grid.rows; row0 += kChunkCells) {
    for (uint32_t column0 = 0; column0 + 1 < grid.columns; column0 += kChunkCells) {
      const uint32_t columns = std::min(kChunkCells, grid.columns - 1 - column0) + 1;
      const uint32_t rows = std::min(kChunkCells, grid.rows - 1 - row0) + 1;
      std::vector<MeshVertex> vertices;
      d3dx::D3DXVECTOR3 low = at(column0, row0), high = low;
      for (uint32_t r = row0; r < row0 + rows; ++r) {
        for (uint32_t c = column0; c < column0 + columns; ++c) {
          // The slope across the neighbouring samples.
          const float dx =
              grid.At(std::min(c + 1, grid.columns - 1), r) - grid.At(c ? c - 1 : 0, r);
          const float dz = grid.At(c, std::min(r + 1, grid.rows - 1)) - grid.At(c, r ? r - 1 : 0);
          d3dx::D3DXVECTOR3 normal{-dx, 2 * grid.spacing, -dz};
          d3dx::D3DXVec3Normalize(&normal, &normal);
          const d3dx::D3DXVECTOR3 place = at(c, r);
          low = {std::min(low.x, place.x), std::min(low.y, place.y), std::min(low.z, place.z)};
          high = {std::max(high.x, place.x), std::max(high.y, place.y), std::max(high.z, place.z)};
          vertices.push_back({place,
                              normal,
                              kUntinted,
                              {static_cast<float>(c) * uStep, static_cast<float>(r) * vStep}});
        }
      }
      // Each level drops every other sample of the one before; its skirts hang from its edges
      // deep enough to close the gaps to a neighbour drawn at another level.
      const float skirt = high.y - low.y + grid.spacing;
      const auto edge = [&](uint32_t side, uint32_t k) {
        return side < 2 ? (side == 0 ? k : (rows - 1) * columns + k)
                        : (side == 2 ? k * columns : k * columns + columns - 1);
      };
      const auto skirtStart = static_cast<uint32_t>(vertices.size());
      for (uint32_t side = 0; side < kSides; ++side) {
        const uint32_t count = side < 2 ? columns : rows;
        for (uint32_t k = 0; k < count; ++k) {
          MeshVertex lowered = vertices[edge(side, k)];
          lowered.position.y -= skirt;
          vertices.push_back(lowered);
        }
      }
      Upload chunk;
      std::vector<uint32_t> indices;
      // Each level's groups: its surface, then the skirt of each side.
      const auto endGroup = [&] {
        chunk.groupTriangles.push_back(
            static_cast<UINT>((indices.size() - chunk.groupStart.back()) / 3));
      };
      for (uint32_t step = 1; step <= kChunkCells; step *= 2) {
        chunk.groupStart.push_back(static_cast<UINT>(indices.size()));
        const auto last = [step](uint32_t count, uint32_t k) {
          return std::min(k + step, count - 1);
        };
        // Each cell split along its diagonal from (column, row) to (column + 1, row + 1), as the
        // heights and picks split it, both halves clockwise seen from above.
        for (uint32_t r = 0; r + 1 < rows; r += step) {
          for (uint32_t c = 0; c + 1 < columns; c += step) {
            const uint32_t r1 = last(rows, r), c1 = last(columns, c);
            const uint32_t v00 = r * columns + c, v10 = r * columns + c1, v01 = r1 * columns + c,
                           v11 = r1 * columns + c1;
            indices.insert(indices.end(), {v00, v11, v10, v00, v01, v11});
          }
        }
        endGroup();
        uint32_t lowered = skirtStart;
        for (uint32_t side = 0; side < kSides; ++side) {
          chunk.groupStart.push_back(static_cast<UINT>(indices.size()));
          const uint32_t count = side < 2 ? columns : rows;
          for (uint32_t k = 0; k + 1 < count; k += step) {
            const uint32_t k1 = last(count, k);
            const uint32_t a = edge(side, k), b = edge(side, k1), a2 = lowered + k,
                           b2 = lowered + k1;
            // Seen from either side.
            indices.insert(indices.end(), {a, b, b2, a, b2, a2, a, b2, b, a, a2, b2});
          }
          lowered += count;
          endGroup();
        }
      }
      Fill(chunk, vertices, indices);
      ground.chunks.push_back(chunk);
      ground.bounds.push_back({low, high});
      ground.skirts.push_back(skirt);
    }
  }
  return ground;
}

void LibraryBackend::ReleaseUploads(bool all) {
  std::erase_if(uploads_, [&](const auto& entry) {
    Upload upload = entry.second;
    if (!all && upload.lastFrame + kKeptFrames >= frame_) return false;
    Release(upload);
    if (upload.shadow != 0 && !all) {
      ShadowVolume_Free(upload.shadow);
      freeVolumes_.push_back(upload.shadow);
    }
    return true;
  });
  std::erase_if(grounds_, [&](const auto& entry) {
    Ground ground = entry.second;
    if (!all && ground.lastFrame + kKeptFrames >= frame_) return false;
    for (Upload& chunk : ground.chunks) Release(chunk);
    return true;
  });
}

void LibraryBackend::SetLook(const MeshLook& look) {
  const bool additive = look.blendMode == kAdditiveBlend;
  const bool blended = additive || look.alphaBlending;
  device_->SetRenderState(D3DRS_LIGHTING, look.lightingMode == kUnlit ? 0 : 1);
  device_->SetRenderState(D3DRS_SPECULARENABLE, look.surfaceFlag ? 1 : 0);
  device_->SetRenderState(D3DRS_NORMALIZENORMALS, 1);
  // Lit, the material gives every colour; unlit, the vertex colours do.
  for (D3DRENDERSTATETYPE source : {D3DRS_DIFFUSEMATERIALSOURCE, D3DRS_AMBIENTMATERIALSOURCE,
                                    D3DRS_SPECULARMATERIALSOURCE, D3DRS_EMISSIVEMATERIALSOURCE})
    device_->SetRenderState(source, D3DMCS_MATERIAL);
  device_->SetRenderState(D3DRS_CULLMODE, look.drawMode == kBothFaces ? D3DCULL_NONE : D3DCULL_CCW);
  // The sky and the shadows leave depth tests of their own.
  device_->SetRenderState(D3DRS_ZENABLE, 1);
  device_->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
  device_->SetRenderState(D3DRS_ZWRITEENABLE, blended || look.drawMode == kNoDepthWrites ? 0 : 1);
  device_->SetRenderState(D3DRS_ALPHATESTENABLE, look.alphaTest ? 1 : 0);
  device_->SetRenderState(D3DRS_ALPHAREF, static_cast<DWORD>(look.alphaReference));
  device_->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
  device_->SetRenderState(D3DRS_ALPHABLENDENABLE, blended ? 1 : 0);
  if (blended) {
    const DWORD source = additive                ? D3DBLEND_ONE
                         : look.sourceBlend != 0 ? static_cast<DWORD>(look.sourceBlend)
                                                 : D3DBLEND_SRCALPHA;
    const DWORD destination = additive ? D3DBLEND_ONE
                              : look.destinationBlend != 0
                                  ? static_cast<DWORD>(look.destinationBlend)
                                  : D3DBLEND_INVSRCALPHA;
    device_->SetRenderState(D3DRS_SRCBLEND, source);
    device_->SetRenderState(D3DRS_DESTBLEND, destination);
  }
  // The tint multiplies what stage 0 gives.
  const bool tinted = look.colour != kUntinted;
  device_->SetRenderState(D3DRS_TEXTUREFACTOR, look.colour);
  for (D3DTEXTURESTAGESTATETYPE op : {D3DTSS_COLOROP, D3DTSS_ALPHAOP})
    device_->SetTextureStageState(1, op, tinted ? D3DTOP_MODULATE : D3DTOP_DISABLE);
  for (auto [first, second] : {std::pair{D3DTSS_COLORARG1, D3DTSS_COLORARG2},
                               std::pair{D3DTSS_ALPHAARG1, D3DTSS_ALPHAARG2}}) {
    device_->SetTextureStageState(1, first, D3DTA_CURRENT);
    device_->SetTextureStageState(1, second, D3DTA_TFACTOR);
  }
}

void LibraryBackend::SetSurface(int32_t material, int32_t texture) {
  D3DMATERIAL8 record{{1, 1, 1, 1}, {1, 1, 1, 1}, {0, 0, 0, 0}, {0, 0, 0, 0}, 0};
  if (const Material* found = engine_->Materials().Get(material); found != nullptr)
    MaterialFactory_GetMaterialInfo(found->device, &record);
  device_->SetMaterial(&record);
  TextureFactory_ApplyTexture(0, texture);
  const DWORD op = texture != 0 ? D3DTOP_MODULATE : D3DTOP_SELECTARG2;
  device_->SetTextureStageState(0, D3DTSS_COLOROP, op);
  device_->SetTextureStageState(0, D3DTSS_ALPHAOP, op);
  for (auto arg : {D3DTSS_COLORARG1, D3DTSS_ALPHAARG1})
    device_->SetTextureStageState(0, arg, D3DTA_TEXTURE);
  for (auto arg : {D3DTSS_COLORARG2, D3DTSS_ALPHAARG2})
    device_->SetTextureStageState(0, arg, D3DTA_DIFFUSE);
}

void LibraryBackend::DrawMesh(const EngineMesh& mesh, const CameraView& camera) {
  Flush();
  Pass(kScenePass);
  if (direct3d_ == nullptr || engine_ == nullptr) return;
  Upload* upload = Current(mesh.Geometry());
  if (upload == nullptr) return;
  EnsureScene();
  d3dx::D3DXMATRIX world = mesh.GetMatrix();
  if (mesh.Look().billboard) {
    // The camera's axes in place of the mesh's turn, its scale kept.
    // Row r of the camera's turn back to the world is column r of the view's.
    for (int r = 0; r < 3; ++r) {
      float* row = world.m[r];
      const float scale = std::hypot(row[0], row[1], row[2]);
      for (int c = 0; c < 3; ++c) row[c] = camera.view.m[c][r] * scale;
    }
  }
  device_->SetTransform(D3DTS_WORLD, &world);
  device_->SetTransform(D3DTS_VIEW, &camera.view);
  device_->SetTransform(D3DTS_PROJECTION, &camera.projection);
  SetLook(mesh.Look());
  device_->SetVertexShader(kMeshFvf);
  device_->SetStreamSource(0, upload->vertices, sizeof(MeshVertex));
  device_->SetIndices(upload->indices, 0);
  const auto& groups = mesh.Groups();
  for (size_t g = 0; g < upload->groupStart.size() && g < groups.size(); ++g) {
    if (!groups[g].enabled || upload->groupTriangles[g] == 0) continue;
    const Texture* texture = engine_->Textures().Get(groups[g].texture);
    SetSurface(groups[g].material, texture != nullptr ? texture->device : 0);
    device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, upload->vertexCount, upload->groupStart[g],
                                  upload->groupTriangles[g]);
  }
}

void LibraryBackend::MeasureText(const std::string& utf8, const Font& font, int32_t, int32_t& width,
                                 int32_t& height) {
  width = height = 0;
  const std::string text = win::CodePageFromUtf8(utf8);
  if (font.textureFont) {
    float w = 0, h = 0;
    TextureFont_GetExtent(font.device, text.c_str(), &w, &h);
    width = static_cast<int32_t>(w);
    height = static_cast<int32_t>(h);
    return;
  }
  const auto found = plainFonts_.find(font.device);
  if (found == plainFonts_.end() || found->second == nullptr) return;
  // As the plain font draws: '\n' starts a line.
  win::HDC dc = win::CreateCompatibleDC(nullptr);
  win::SelectObject(dc, found->second);
  for (size_t start = 0; start <= text.size();) {
    const size_t end = std::min(text.find('\n', start), text.size());
    win::SIZE line{};
    win::GetTextExtentPoint32A(dc, text.data() + start, static_cast<int32_t>(end - start), &line);
    width = std::max(width, static_cast<int32_t>(line.cx));
    height += static_cast<int32_t>(line.cy);
    start = end + 1;
  }
  win::DeleteDC(dc);
}

std::vector<uint32_t> LibraryBackend::ReadBackBuffer(int32_t width, int32_t height) {
  // The frame as drawn so far, 2D included.
  Flush();
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

// The camera's place and axes in the world: rows 0 to 2 right, up, forward, row 3 the eye.
d3dx::D3DXMATRIX CameraInWorld(const CameraView& camera) {
  d3dx::D3DXMATRIX inverse;
  if (d3dx::D3DXMatrixInverse(&inverse, nullptr, &camera.view) == nullptr)
    d3dx::D3DXMatrixIdentity(&inverse);
  return inverse;
}

d3dx::D3DXVECTOR3 Row(const d3dx::D3DXMATRIX& m, int r) {
  return {m.m[r][0], m.m[r][1], m.m[r][2]};
}

// The far plane of a left-handed perspective projection [world units]; 0 when it is not one.
float FarPlane(const d3dx::D3DXMATRIX& projection) {
  const float z = projection.m[2][2];
  const float far = projection.m[3][2] / (1 - z);
  return std::isfinite(far) && far > 0 ? far : 0;
}

// True when the box (in the axes world puts in the world) lies wholly outside one side of the
// view.
bool OutsideView(const std::array<d3dx::D3DXVECTOR3, 2>& box, const d3dx::D3DXMATRIX& toClip) {
  int outside[6] = {};
  for (int corner = 0; corner < 8; ++corner) {
    const d3dx::D3DXVECTOR4 point{box[corner & 1].x, box[(corner >> 1) & 1].y,
                                  box[(corner >> 2) & 1].z, 1};
    d3dx::D3DXVECTOR4 clip;
    d3dx::D3DXVec4Transform(&clip, &point, &toClip);
    outside[0] += clip.x < -clip.w;
    outside[1] += clip.x > clip.w;
    outside[2] += clip.y < -clip.w;
    outside[3] += clip.y > clip.w;
    outside[4] += clip.z < 0;
    outside[5] += clip.z > clip.w;
  }
  return std::ranges::any_of(outside, [](int count) { return count == 8; });
}

// Narrows pixels to those of the viewport the box (in the axes world puts in the world) may reach,
// with a pixel to spare each way; leaves them when a corner is not in front of the eye, where a box
// has no bounded picture.
void ScreenBox(const std::array<d3dx::D3DXVECTOR3, 2>& box, const d3dx::D3DXMATRIX& toClip,
               const D3DVIEWPORT8& viewport, PixelRect* pixels) {
  float left = std::numeric_limits<float>::max(), top = left, right = -left, bottom = -left;
  for (int corner = 0; corner < 8; ++corner) {
    const d3dx::D3DXVECTOR4 point{box[corner & 1].x, box[(corner >> 1) & 1].y,
                                  box[(corner >> 2) & 1].z, 1};
    d3dx::D3DXVECTOR4 clip;
    d3dx::D3DXVec4Transform(&clip, &point, &toClip);
    if (!(clip.w > kNearestDepth)) return;
    const float x = static_cast<float>(viewport.X) +
                    (clip.x / clip.w + 1) * 0.5f * static_cast<float>(viewport.Width);
    const float y = static_cast<float>(viewport.Y) +
                    (1 - clip.y / clip.w) * 0.5f * static_cast<float>(viewport.Height);
    left = std::min(left, x);
    right = std::max(right, x);
    top = std::min(top, y);
    bottom = std::max(bottom, y);
  }
  if (!std::isfinite(left + top + right + bottom)) return;
  const auto pixel = [](float edge) {
    return static_cast<int32_t>(std::clamp(edge, -kFarthestPixel, kFarthestPixel));
  };
  *pixels = {pixel(std::floor(left)) - 1, pixel(std::floor(top)) - 1, pixel(std::ceil(right)) + 1,
             pixel(std::ceil(bottom)) + 1};
}

void LibraryBackend::DrawLandscape(const EngineLandscape& landscape, const CameraView& camera) {
  Flush();
  Pass(kScenePass);
  if (direct3d_ == nullptr || engine_ == nullptr || landscape.Grid().columns < 2 ||
      landscape.Grid().rows < 2)
    return;
  EnsureScene();
  Ground& ground = CurrentGround(landscape);
  const d3dx::D3DXVECTOR3 scale = landscape.GetScale(), place = landscape.GetPosition();
  d3dx::D3DXMATRIX scaling, translation, world, toClip;
  d3dx::D3DXMatrixScaling(&scaling, scale.x, scale.y, scale.z);
  d3dx::D3DXMatrixTranslation(&translation, place.x, place.y, place.z);
  d3dx::D3DXMatrixMultiply(&world, &scaling, &translation);
  toClip = world * camera.view * camera.projection;
  device_->SetTransform(D3DTS_WORLD, &world);
  device_->SetTransform(D3DTS_VIEW, &camera.view);
  device_->SetTransform(D3DTS_PROJECTION, &camera.projection);
  SetLook(MeshLook{});
  int32_t texture = 0;
  if (const Texture* set = engine_->Textures().Get(landscape.Texture()); set != nullptr) {
    texture = set->device;
  } else if (!landscape.TexturePath().empty()) {
    auto [found, added] = groundTextures_.try_emplace(landscape.TexturePath(), 0);
    if (added) {
      const std::string name = "engine ground " + std::to_string(++made_);
      found->second = TextureFactory_LoadTextureFromFile(
          win::ResolvePath(landscape.TexturePath()).string().c_str(), name.c_str(), -1, -1, 0, 0,
          0);
    }
    texture = found->second;
  }
  SetSurface(landscape.Material(), texture);
  const HeightGrid& grid = landscape.Grid();
  const Texture* detail = engine_->Textures().Get(landscape.DetailTexture());
  if (detail != nullptr) {
    // The tile's coordinates, scaled to repeat the detail every few cells.
    d3dx::D3DXMATRIX repeat;
    d3dx::D3DXMatrixScaling(&repeat, static_cast<float>(grid.columns - 1) / kDetailCells,
                            static_cast<float>(grid.rows - 1) / kDetailCells, 1);
    device_->SetTransform(D3DTS_TEXTURE1, &repeat);
    device_->SetTextureStageState(1, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
    device_->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 0);
    TextureFactory_ApplyTexture(1, detail->device);
    device_->SetTextureStageState(1, D3DTSS_COLOROP, static_cast<DWORD>(landscape.DetailMode()));
    device_->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device_->SetTextureStageState(1, D3DTSS_COLORARG2, D3DTA_CURRENT);
    device_->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
    device_->SetTextureStageState(1, D3DTSS_ALPHAARG2, D3DTA_CURRENT);
    device_->SetTextureStageState(2, D3DTSS_COLOROP, D3DTOP_DISABLE);
  }
  device_->SetVertexShader(kMeshFvf);
  // Chunks nearer than the detail distance are drawn whole, each doubling of it halves the
  // samples; the finest precision mode draws every chunk whole.
  const d3dx::D3DXVECTOR3 eye = Row(CameraInWorld(camera), 3);
  const float chunkSide = static_cast<float>(kChunkCells) * grid.spacing *
                          std::max(std::fabs(scale.x), std::fabs(scale.z));
  const float precision =
      landscape.Precision() > 0 ? static_cast<float>(landscape.Precision()) : kDefaultPrecision;
  const float wholeWithin = chunkSide * kDetailChunks * kDefaultPrecision / precision;
  // The level of each chunk drawn, kCulled for one outside the view.
  constexpr size_t kCulled = ~size_t{0};
  levels_.assign(ground.chunks.size(), kCulled);
  for (size_t k = 0; k < ground.chunks.size(); ++k) {
    if (OutsideView(ground.bounds[k], toClip)) continue;
    const Upload& chunk = ground.chunks[k];
    size_t level = 0;
    if (landscape.PrecisionMode() != kFinestPrecision) {
      d3dx::D3DXVECTOR3 a, b;
      d3dx::D3DXVec3TransformCoord(&a, &ground.bounds[k][0], &world);
      d3dx::D3DXVec3TransformCoord(&b, &ground.bounds[k][1], &world);
      // The eye's distance to the chunk's box.
      const auto gap = [](float e, float p, float q) {
        return std::max({std::min(p, q) - e, e - std::max(p, q), 0.0f});
      };
      const float distance =
          std::hypot(gap(eye.x, a.x, b.x), gap(eye.y, a.y, b.y), gap(eye.z, a.z, b.z));
      for (float reach = wholeWithin;
           distance >= reach && level + 1 < chunk.groupStart.size() / kLevelGroups; reach *= 2)
        ++level;
    }
    levels_[k] = level;
  }
  // A skirt closes the gap to a neighbour drawn at another level; between neighbours of one level
  // the edges meet and the skirt would hang unseen below them. The landscape's border keeps its.
  const size_t across = ground.across;
  const size_t down = ground.chunks.size() / across;
  HeadlessControl* control = IntoBackBuffer() ? Headless(device_) : nullptr;
  D3DVIEWPORT8 viewport{};
  device_->GetViewport(&viewport);
  for (size_t k = 0; k < ground.chunks.size(); ++k) {
    const size_t level = levels_[k];
    if (level == kCulled) continue;
    // Each chunk is kept to what the covers leave of the pixels its surface and skirts may reach
    // (of the whole back buffer when its box has no bounded picture), split where a cover's edge
    // crosses them, as the scene is to the one rectangle around all the covers leave: a chunk
    // beside a cover, or reaching the strip under it, is not drawn under it. None: the scene's
    // scissor.
    std::vector<PixelRect> areas;
    if (control != nullptr) {
      std::array<d3dx::D3DXVECTOR3, 2> reach = ground.bounds[k];
      reach[0].y -= ground.skirts[k];
      PixelRect pixels{0, 0, engine_->Width(), engine_->Height()};
      ScreenBox(reach, toClip, viewport, &pixels);
      areas = engine_->SceneAreas(pixels);
      if (areas.empty()) continue;
    }
    const size_t row = k / across, column = k % across;
    const std::array<bool, kSides> beside = {row > 0, row + 1 < down, column > 0,
                                             column + 1 < across};
    const std::array<size_t, kSides> neighbour = {k - across, k + across, k - 1, k + 1};
    std::array<bool, kLevelGroups> shown{true};
    for (uint32_t side = 0; side < kSides; ++side)
      shown[1 + side] = !beside[side] || levels_[neighbour[side]] != level;
    const Upload& chunk = ground.chunks[k];
    device_->SetStreamSource(0, chunk.vertices, sizeof(MeshVertex));
    device_->SetIndices(chunk.indices, 0);
    // The shown groups, adjoining ones in one draw, once into each area.
    const size_t first = level * kLevelGroups;
    for (size_t part = 0; part < std::max<size_t>(areas.size(), 1); ++part) {
      if (!areas.empty()) control->SetScissor(ScissorOf(areas[part]));
      for (size_t g = 0; g < kLevelGroups;) {
        if (!shown[g]) {
          ++g;
          continue;
        }
        UINT triangles = 0;
        const size_t start = g;
        for (; g < kLevelGroups && shown[g]; ++g) triangles += chunk.groupTriangles[first + g];
        device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, chunk.vertexCount,
                                      chunk.groupStart[first + start], triangles);
      }
    }
  }
  // What is drawn next is kept to the scene's rectangle again.
  if (control != nullptr) control->SetScissor(ScissorOf(engine_->SceneArea()));
}

void LibraryBackend::DrawSky(const EngineAtmosphere& atmosphere, const CameraView& camera) {
  Flush();
  Pass(kScenePass);
  if (direct3d_ == nullptr || engine_ == nullptr) return;
  EnsureScene();
  const auto device = [&](int32_t texture) {
    const Texture* found = engine_->Textures().Get(texture);
    return found != nullptr ? found->device : 0;
  };
  const int32_t* box = atmosphere.SkyBox();
  // The engine keeps the faces in the library's order: x-, x+, z-, z+, y+, y-.
  Atmosphere_SkyBoxSetTexture(device(box[0]), device(box[1]), device(box[2]), device(box[3]),
                              device(box[4]), device(box[5]));
  Atmosphere_SkyBoxEnable(std::any_of(box, box + 6, [](int32_t t) { return t != 0; }) ? 1 : 0);
  // Box and sun inside the far plane, or the view would cut them away; the sun keeps its size
  // in the view wherever it stands.
  const float far = FarPlane(camera.projection);
  const d3dx::D3DXVECTOR3 sun = atmosphere.SunPosition();
  const float sunDistance = d3dx::D3DXVec3Length(&sun);
  const float sunShare =
      far > 0 && sunDistance > far * kSkyShareOfFar ? far * kSkyShareOfFar / sunDistance : 1;
  if (far > 0) Atmosphere_SkyBoxSetDistance(far * kSkyShareOfFar);
  const bool sunShown = atmosphere.Enabled() && atmosphere.SunTexture() != 0;
  Atmosphere_SunEnable(sunShown ? 1 : 0);
  Atmosphere_SunSetBillboardSize(kSunSize * sunShare);
  Atmosphere_SunSetPosition(sun.x * sunShare, sun.y * sunShare, sun.z * sunShare);
  Atmosphere_SunSetTexture(device(atmosphere.SunTexture()));
  const auto& flares = atmosphere.Flares();
  Atmosphere_LensFlareEnable(atmosphere.LensFlare() ? 1 : 0);
  Atmosphere_LensFlareSetLensNumber(static_cast<int32_t>(flares.size()));
  for (size_t f = 0; f < flares.size(); ++f)
    Atmosphere_LensFlareSetLensParams(static_cast<int32_t>(f + 1), device(flares[f].texture),
                                      flares[f].size * kFlareUnit, flares[f].position * kFlareUnit,
                                      flares[f].colour, 0);
  // The sky's textures modulate its vertex colours, on one stage.
  SetSurface(0, 0);
  for (D3DTEXTURESTAGESTATETYPE op : {D3DTSS_COLOROP, D3DTSS_ALPHAOP}) {
    device_->SetTextureStageState(0, op, D3DTOP_MODULATE);
    device_->SetTextureStageState(1, op, D3DTOP_DISABLE);
  }
  device_->SetRenderState(D3DRS_ALPHATESTENABLE, 0);
  device_->SetTransform(D3DTS_VIEW, &camera.view);
  device_->SetTransform(D3DTS_PROJECTION, &camera.projection);
  // The sun's billboard faces the camera.
  const d3dx::D3DXMATRIX placed = CameraInWorld(camera);
  d3dx::D3DXMATRIX facing = placed;
  facing.m[3][0] = facing.m[3][1] = facing.m[3][2] = 0;
  const d3dx::D3DXVECTOR3 eye = Row(placed, 3), lookAt = eye + Row(placed, 2);
  const D3DVECTOR eyeAt{eye.x, eye.y, eye.z}, lookingAt{lookAt.x, lookAt.y, lookAt.z};
  Atmosphere_Render(&eyeAt, &lookingAt, &facing, &camera.view);
}

void LibraryBackend::DrawParticles(const EngineParticleSystem& system, const CameraView& camera) {
  Flush();
  Pass(kScenePass);
  if (direct3d_ == nullptr || engine_ == nullptr || system.Particles().empty()) return;
  EnsureScene();
  const d3dx::D3DXMATRIX placed = CameraInWorld(camera);
  const float half = system.Size() / 2;
  const d3dx::D3DXVECTOR3 right = Row(placed, 0) * half, up = Row(placed, 1) * half;
  std::vector<ColouredVertex> vertices;
  vertices.reserve(system.Particles().size() * 6);
  for (const auto& particle : system.Particles()) {
    const d3dx::D3DXVECTOR3& p = particle.position;
    const ColouredVertex corners[4] = {{p - right + up, kUntinted, {0, 0}},
                                       {p + right + up, kUntinted, {1, 0}},
                                       {p + right - up, kUntinted, {1, 1}},
                                       {p - right - up, kUntinted, {0, 1}}};
    for (int k : {0, 1, 2, 0, 2, 3}) vertices.push_back(corners[k]);
  }
  MeshLook look;
  look.blendMode = kAdditiveBlend;
  look.lightingMode = kUnlit;
  look.drawMode = kBothFaces;
  SetLook(look);
  const Texture* texture = engine_->Textures().Get(system.Texture());
  SetSurface(0, texture != nullptr ? texture->device : 0);
  d3dx::D3DXMATRIX identity;
  d3dx::D3DXMatrixIdentity(&identity);
  device_->SetTransform(D3DTS_WORLD, &identity);
  device_->SetTransform(D3DTS_VIEW, &camera.view);
  device_->SetTransform(D3DTS_PROJECTION, &camera.projection);
  device_->SetVertexShader(kColouredFvf);
  device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, static_cast<UINT>(vertices.size() / 3),
                           vertices.data(), sizeof(ColouredVertex));
}

void LibraryBackend::DrawShadowVolume(const EngineMesh& mesh, int32_t light, uint32_t colour,
                                      float range, const CameraView& camera) {
  Interrupt();
  EndBatch();
  if (direct3d_ == nullptr || engine_ == nullptr) return;
  const auto& lights = engine_->Lights();
  if (light < 1 || static_cast<size_t>(light) > lights.size()) return;
  const D3DLIGHT8& record = lights[static_cast<size_t>(light - 1)].record;
  const MeshGeometry& geometry = mesh.Geometry();
  Upload* upload = Current(geometry);
  if (upload == nullptr || record.Type == 0 || geometry.positions.size() > kMaxShadowVertices)
    return;
  if (upload->shadow == 0) {
    int32_t volume = 0;
    if (!freeVolumes_.empty()) {
      volume = freeVolumes_.back();
      freeVolumes_.pop_back();
    } else {
      volume = ++volumesMade_;
      ShadowVolume_Create(volume);
    }
    std::vector<uint16_t> indices(geometry.indices.begin(), geometry.indices.end());
    if (ShadowVolume_InitShadowFromPointers(
            volume, geometry.positions.data(), sizeof(d3dx::D3DXVECTOR3),
            static_cast<int32_t>(geometry.positions.size()), indices.data(),
            static_cast<int32_t>(indices.size()), 0) == 0) {
      freeVolumes_.push_back(volume);
      return;
    }
    upload->shadow = volume;
  }
  EnsureScene();
  // The volumes are drawn with the camera of the target they fall in.
  device_->SetTransform(D3DTS_VIEW, &camera.view);
  device_->SetTransform(D3DTS_PROJECTION, &camera.projection);
  const bool directional = record.Type == D3DLIGHT_DIRECTIONAL;
  shadows_.push_back({upload->shadow, mesh.GetMatrix(), directional,
                      directional ? record.Direction : record.Position});
  shadowColour_ = colour;
  shadowRange_ = range;
}

void LibraryBackend::DrawShadows() {
  if (shadows_.empty()) return;
  Pass(kScenePass);
  ShadowVolume_SetShadowParameters(shadowColour_, shadowRange_);
  ShadowVolume_SilhouettePrepare();
  for (const ShadowRequest& request : shadows_)
    ShadowVolume_AddToRenderList(&request.world, request.volume, 1, request.directional ? 1 : 0,
                                 &request.light, nullptr);
  shadows_.clear();
  ShadowVolume_SilhouetteUnlockRender();
  ShadowVolume_RenderAlphaBlendedTri();
  ShadowVolume_ResetAll();
  device_->SetRenderState(D3DRS_ALPHABLENDENABLE, 0);
}

void LibraryBackend::DrawOverlays() {
  const bool pointer = pointer_.texture != 0 && engine_ != nullptr;
  if (fade_ <= 0 && !pointer) return;
  batchPass_ = "2D";
  StartBatch();
  if (fade_ > 0) {
    const auto alpha = static_cast<uint32_t>(std::lround(std::min(fade_, 1.0f) * 255)) << 24;
    Screen2D_DrawFilledBox(0, 0, static_cast<float>(params_.BackBufferWidth),
                           static_cast<float>(params_.BackBufferHeight), alpha, alpha, alpha,
                           alpha);
    fade_ = 0;
  }
  if (pointer) {
    // The mouse in back-buffer pixels, as the program reads and draws it.
    const float x = static_cast<float>(engine_->Input().MouseX() - pointer_.hotX);
    const float y = static_cast<float>(engine_->Input().MouseY() - pointer_.hotY);
    Screen2D_DrawTexture(x, y, x + pointer_.width, y + pointer_.height, kUntinted, kUntinted,
                         kUntinted, kUntinted, 0, 0, 1, 1, pointer_.texture);
  }
  EndBatch();
}

}  // namespace

std::unique_ptr<DrawBackend> MakeLibraryBackend(Direct3DSource source) {
  return std::make_unique<LibraryBackend>(std::move(source));
}

}  // namespace engine
