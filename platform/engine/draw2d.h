// 2D drawing and text over the current target (the main window's back buffer, or a render surface
// between its StartRender and EndRender), in pixels of that target. Drawing happens between Begin
// and End; a draw outside them is an error. Colours are 0xAARRGGBB; a corner colour of -2 (as a
// 32-bit value) means "the same as the first corner".
#pragma once

#include <cmath>
#include <cstdint>
#include <string>

#include "platform/d3dx/math.h"
#include "platform/engine/engine.h"

namespace engine {

// The Begin ... End bracket of a batch of 2D drawing or text.
class DrawBatch {
 public:
  explicit DrawBatch(const char* kind) : kind_(kind) {}
  void Begin();
  void End();
  // Throws unless a batch is open.
  void Require() const;

 private:
  const char* kind_;
  bool open_ = false;
};

// Projects world points into pixels of the target current when it is made, with that target's
// size and camera taken once: for loops over many points (ProjectPoint makes one per point).
class PointProjector {
 public:
  explicit PointProjector(const Engine& engine);
  // For points in the axes that `world` takes to world axes.
  PointProjector(const Engine& engine, const d3dx::D3DXMATRIX& world);
  // The pixel where a world point appears; false behind the camera (x and y 0 then) or outside
  // the target.
  bool Project(const d3dx::D3DXVECTOR3& point, float& x, float& y) const {
    d3dx::D3DXVECTOR4 clip;
    d3dx::D3DXVec3Transform(&clip, &point, &viewProjection_);
    if (clip.w <= 0) {
      x = y = 0;
      return false;
    }
    const float ndcX = clip.x / clip.w, ndcY = clip.y / clip.w, depth = clip.z / clip.w;
    x = (ndcX + 1) / 2 * width_;
    y = (1 - ndcY) / 2 * height_;
    return std::fabs(ndcX) <= 1 && std::fabs(ndcY) <= 1 && depth >= 0 && depth <= 1;
  }

 private:
  d3dx::D3DXMATRIX viewProjection_;
  float width_;  // pixels
  float height_;
};

class EngineScreen2DDraw {
 public:
  static constexpr uint32_t kSameAsFirst = static_cast<uint32_t>(-2);

  explicit EngineScreen2DDraw(Engine& engine) : engine_(engine) {}
  void Begin() { batch_.Begin(); }
  void End() { batch_.End(); }
  // Texture coordinates (u1, v1) go to (x1, y1); an x2 left of x1 mirrors the image.
  void DrawTexture(int32_t texture, float x1, float y1, float x2, float y2, uint32_t c1,
                   uint32_t c2, uint32_t c3, uint32_t c4, float u1 = 0, float v1 = 0, float u2 = 1,
                   float v2 = 1);
  void DrawFilledBox(float x1, float y1, float x2, float y2, uint32_t c1, uint32_t c2, uint32_t c3,
                     uint32_t c4);
  void DrawBox(float x1, float y1, float x2, float y2, uint32_t c1, uint32_t c2, uint32_t c3,
               uint32_t c4);
  void DrawLine(float x1, float y1, float x2, float y2, uint32_t c1, uint32_t c2);
  // A line between two world points, seen by the current target's camera.
  void DrawLine3D(const d3dx::D3DXVECTOR3& p1, const d3dx::D3DXVECTOR3& p2, uint32_t c1,
                  uint32_t c2);
  void DrawCircle(float x, float y, float radius, int32_t segments, uint32_t colour) {
    DrawFilledCircle(x, y, radius, segments, colour);
  }
  void DrawFilledCircle(float x, float y, float radius, int32_t segments, uint32_t colour);
  void DrawCircleBorder(float x, float y, float radius, int32_t segments, uint32_t colour);
  // Draws `texture`, or `hoverTexture` while the mouse is inside the rectangle, and says which.
  void DrawButton(int32_t hoverTexture, int32_t texture, float x1, float y1, float x2, float y2,
                  bool& mouseOver);
  void SetTextureFilter(int32_t filter) { filter_ = filter; }
  // Blend factors of what follows, in the device's blend numbering.
  void SetDrawState(int32_t sourceBlend, int32_t destinationBlend, int32_t = -1);
  // The pixel of the current target where a world point appears; onScreen is false behind the
  // camera or outside the target.
  void ProjectPoint(const d3dx::D3DXVECTOR3& point, float& x, float& y, int32_t,
                    bool& onScreen) const;

 private:
  void Draw(Shape2D shape);
  Engine& engine_;
  DrawBatch batch_{"2D drawing"};
  int32_t filter_ = 0;
  int32_t sourceBlend_ = 0;
  int32_t destinationBlend_ = 0;
};

class EngineScreen2DText {
 public:
  explicit EngineScreen2DText(Engine& engine) : engine_(engine) {}
  // Fonts by name; faces are matched to installed fonts by the drawing backend. Size in points.
  int32_t CreateFont(const std::string& name, const std::string& face, int32_t size, bool bold,
                     bool = false, bool = false);
  // A font drawn from a texture of its glyphs; `extended` adds the glyphs beyond Latin-1.
  int32_t CreateTextureFont(const std::string& name, const std::string& face, int32_t size,
                            bool bold, bool, bool, bool extended);
  void SetFontOption(int32_t option) { option_ = option; }
  // Drops every font, before they are made again for a new device.
  void ResetFonts();
  // After a display-mode change the fonts stay; the backend makes their glyphs again.
  void Reset() { engine_.Backend().ResetFontGlyphs(); }
  void Begin() { batch_.Begin(); }
  void End() { batch_.End(); }
  void DrawText(const std::string& text, float x, float y, uint32_t colour, int32_t font);
  void DrawPlainText(const std::string& text, float x, float y, uint32_t colour, int32_t font) {
    DrawText(text, x, y, colour, font);
  }
  void GetTextSize(const std::string& text, int32_t font, int32_t& width, int32_t& height);

 private:
  int32_t Add(const std::string& name, Font font);
  const Font& FontOf(int32_t font) const;
  Engine& engine_;
  DrawBatch batch_{"text"};
  int32_t option_ = 0;
};

}  // namespace engine
