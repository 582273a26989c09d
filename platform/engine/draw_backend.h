// What the engine's objects hand to whatever draws: the scene state stays in the objects (meshes,
// cameras, landscapes, surfaces), and a backend turns each draw request into pixels. The null
// backend draws nothing, which is all the headless side and the tests need; the OpenGL path
// through the utility library plugs in behind the same calls.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/d3dx/math.h"

namespace engine {

class Engine;
class EngineMesh;
class EngineLandscape;
class EngineRenderSurface;
class EngineAtmosphere;
class EngineParticleSystem;
struct Font;
struct Light;
struct Material;
struct Texture;

// Where drawing goes: the main window's back buffer, or a render surface.
struct DrawTarget {
  EngineRenderSurface* surface = nullptr;  // nullptr for the back buffer
  int32_t width = 0;                       // pixels
  int32_t height = 0;
};

// The camera of one draw: row-vector, left-handed view and projection matrices.
struct CameraView {
  d3dx::D3DXMATRIX view{};
  d3dx::D3DXMATRIX projection{};
};

// One 2D shape in pixels of the current target; colours are 0xAARRGGBB, one per corner.
struct Shape2D {
  enum class Kind { Texture, FilledBox, Box, Line, Line3D, FilledCircle, CircleBorder, Text };
  Kind kind = Kind::FilledBox;
  int32_t texture = 0;        // the engine's texture
  int32_t deviceTexture = 0;  // the backend's identifier of it
  float x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  uint32_t colours[4] = {};
  float u1 = 0, v1 = 0, u2 = 1, v2 = 1;
  int32_t segments = 0;  // circles
  std::string text;      // text
  int32_t font = 0;
  // How the batch draws: blend factors in D3DBLEND numbering (0: by the texels' alpha), and the
  // texture filter of the settings (0 nearest point, 1 bilinear, 2 trilinear, 3 anisotropic,
  // 4 flat cubic, 5 Gaussian cubic, 6 none).
  int32_t sourceBlend = 0;
  int32_t destinationBlend = 0;
  int32_t filter = 0;
  bool operator==(const Shape2D&) const = default;
};

// A rectangle of pixels of a target: columns left to right - 1, rows top to bottom - 1.
struct PixelRect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const PixelRect&) const = default;
};

// What one pass of a frame cost: the draws it made and the fragments shaded for it. The passes are
// the backend's: "scene" (the 3D drawing into the back buffer), "surface N" (a render surface),
// "2D" and "text".
struct PassCost {
  std::string name;
  uint64_t draws = 0;
  uint64_t fragments = 0;
};

// What a backend starts its device with.
struct DeviceSettings {
  const Engine* engine = nullptr;  // whose tables (textures, materials) the draws read
  void* window = nullptr;          // the window's handle: its win::Window record
  int32_t width = 0;               // back buffer [pixels]
  int32_t height = 0;
  bool windowed = true;
  bool vsync = false;
  std::filesystem::path log;  // the engine's debug log on the host; empty while debug mode is off
};

class DrawBackend {
 public:
  virtual ~DrawBackend() = default;
  // Starts the device on the window; throws EngineError saying why it cannot.
  virtual void Start(const DeviceSettings&) {}
  // Releases every device object, then the device.
  virtual void Stop() {}
  // A new back buffer size [pixels].
  virtual void Resize(int32_t, int32_t) {}
  // Makes an engine texture from its image file; the backend's identifier of it (0 for none).
  // Throws EngineError when the device cannot have it.
  virtual int32_t LoadTexture(const Texture&) { return 0; }
  virtual void DeleteTexture(int32_t) {}
  // How textures are kept (0 16 bits, 1 32 bits, 2 compressed, 3 the best the device takes).
  virtual void SetTextureMode(int32_t) {}
  // The largest texture side the device takes [pixels]; 0 when it sets none.
  virtual int32_t MaxTextureSide() const { return 0; }
  // The depth buffer of the settings: 1 a Z-buffer, 2 a W-buffer.
  virtual void SetDepthBuffer(int32_t) {}
  virtual void SetSpecularLighting(bool) {}
  // Makes a render surface's texture; the backend's identifier of it, deleted as a texture.
  virtual int32_t CreateSurface(int32_t, int32_t) { return 0; }
  // Makes or updates a material or light in the device (as `device` names it, 0 for a new one);
  // the backend's identifier of it. A light of no type is only switched off.
  virtual int32_t StoreMaterial(const Material&) { return 0; }
  // Lets go of a material StoreMaterial made (0: none).
  virtual void DeleteMaterial(int32_t) {}
  virtual int32_t StoreLight(const Light&) { return 0; }
  // Makes a font; the backend's identifier of it. Throws EngineError when it cannot.
  virtual int32_t StoreFont(const Font&) { return 0; }
  // Drops every font / makes the fonts' glyphs again after a display-mode change.
  virtual void ResetFonts() {}
  virtual void ResetFontGlyphs() {}
  virtual void BeginTarget(const DrawTarget& target, bool clear, uint32_t clearColour) = 0;
  virtual void EndTarget() = 0;
  virtual void DrawMesh(const EngineMesh& mesh, const CameraView& camera) = 0;
  virtual void DrawLandscape(const EngineLandscape& landscape, const CameraView& camera) = 0;
  virtual void Draw2D(const Shape2D& shape) = 0;
  // The sky box, sun and lens flares of the atmosphere, seen by the camera, behind everything.
  virtual void DrawSky(const EngineAtmosphere&, const CameraView&) {}
  // The live particles of a system: camera-facing squares of its texture and size, added to what
  // is drawn.
  virtual void DrawParticles(const EngineParticleSystem&, const CameraView&) {}
  // The shadow volume the mesh casts from the light, darkening what it falls on by the colour
  // (0xAARRGGBB) out to the range [world units].
  virtual void DrawShadowVolume(const EngineMesh&, int32_t /*light*/, uint32_t /*colour*/,
                                float /*range*/, const CameraView&) {}
  // The pointer drawn last in every frame: a texture (the backend's identifier, 0 for none) of
  // that size [pixels], its hot spot at the mouse.
  virtual void SetPointer(int32_t /*texture*/, float /*width*/, float /*height*/, int32_t /*hotX*/,
                          int32_t /*hotY*/) {}
  // The gamma the window shows the frames with (1 as drawn, larger brighter).
  virtual void SetGamma(float) {}
  // Black of that opacity (0..1) over the whole frame, under the pointer.
  virtual void DrawFade(float /*opacity*/) {}
  virtual void Present() = 0;
  // Frame statistics: while on, each present keeps what its frame's passes cost (counting waits
  // for the frame's pixels, so it is for measuring).
  virtual void SetFrameStatistics(bool) {}
  virtual std::vector<PassCost> FrameStatistics() const { return {}; }
  // The frame into another window than the main one, at that size.
  virtual void PresentToWindow(uintptr_t /*window*/, int32_t /*width*/, int32_t /*height*/) {}
  // The size of text [pixels] as the font draws it; its glyphs are `pixelHeight` high.
  virtual void MeasureText(const std::string& text, const Font& font, int32_t pixelHeight,
                           int32_t& width, int32_t& height) = 0;
  // The back buffer as 0xAARRGGBB pixels, rows top to bottom.
  virtual std::vector<uint32_t> ReadBackBuffer(int32_t width, int32_t height) = 0;
};

// Draws nothing; the back buffer reads back as the last clear colour. Text has fixed metrics so
// that layouts are testable: every character (UTF-8 code point) is half the glyph height wide,
// rounded up, and a line is the glyph height high.
std::unique_ptr<DrawBackend> MakeNullBackend();

}  // namespace engine
