// What the engine's objects hand to whatever draws: the scene state stays in the objects (meshes,
// cameras, landscapes, surfaces), and a backend turns each draw request into pixels. The null
// backend draws nothing, which is all the headless side and the tests need; the OpenGL path
// through the utility library plugs in behind the same calls.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/d3dx/math.h"

namespace engine {

class EngineMesh;
class EngineLandscape;
class EngineRenderSurface;
class EngineAtmosphere;
class EngineParticleSystem;

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
  int32_t texture = 0;
  float x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  uint32_t colours[4] = {};
  float u1 = 0, v1 = 0, u2 = 1, v2 = 1;
  int32_t segments = 0;  // circles
  std::string text;      // text
  int32_t font = 0;
};

class DrawBackend {
 public:
  virtual ~DrawBackend() = default;
  virtual void BeginTarget(const DrawTarget& target, bool clear, uint32_t clearColour) = 0;
  virtual void EndTarget() = 0;
  virtual void DrawMesh(const EngineMesh& mesh, const CameraView& camera) = 0;
  virtual void DrawLandscape(const EngineLandscape& landscape, const CameraView& camera) = 0;
  virtual void Draw2D(const Shape2D& shape) = 0;
  // The sky box, sun and lens flares of the atmosphere, seen by the camera, behind everything.
  virtual void DrawSky(const EngineAtmosphere&, const CameraView&) {}
  // The live particles of a system, as textured points of its size.
  virtual void DrawParticles(const EngineParticleSystem&, const CameraView&) {}
  // The shadow volume the mesh casts from the light, darkening what it falls on by the colour
  // (0xAARRGGBB) out to the range [world units].
  virtual void DrawShadowVolume(const EngineMesh&, int32_t /*light*/, uint32_t /*colour*/,
                                float /*range*/, const CameraView&) {}
  virtual void Present() = 0;
  // The size of a line of text [pixels] in a font whose glyphs are `pixelHeight` high.
  virtual void MeasureText(const std::string& text, int32_t pixelHeight, int32_t& width,
                           int32_t& height) = 0;
  // The back buffer as 0xAARRGGBB pixels, rows top to bottom.
  virtual std::vector<uint32_t> ReadBackBuffer(int32_t width, int32_t height) = 0;
};

// Draws nothing; the back buffer reads back as the last clear colour. Text has fixed metrics so
// that layouts are testable: every character (UTF-8 code point) is half the glyph height wide,
// rounded up, and a line is the glyph height high.
std::unique_ptr<DrawBackend> MakeNullBackend();

}  // namespace engine
