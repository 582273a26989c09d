#include "platform/engine/draw2d.h"

#include <cmath>

#include "platform/engine/engine_error.h"

namespace engine {

using d3dx::D3DXVECTOR3;

namespace {

// Points are 1/72 inch; the desktop has 96 pixels to the inch.
int32_t PixelHeight(const Font& font) {
  return static_cast<int32_t>(std::lround(font.size * 96.0 / 72.0));
}

Shape2D MakeShape(Shape2D::Kind kind, float x1, float y1, float x2, float y2, uint32_t c1,
                  uint32_t c2, uint32_t c3, uint32_t c4) {
  Shape2D shape;
  shape.kind = kind;
  shape.x1 = x1;
  shape.y1 = y1;
  shape.x2 = x2;
  shape.y2 = y2;
  shape.colours[0] = c1;
  shape.colours[1] = c2;
  shape.colours[2] = c3;
  shape.colours[3] = c4;
  return shape;
}

Shape2D MakeCircle(Shape2D::Kind kind, float x, float y, float radius, int32_t segments,
                   uint32_t colour) {
  if (segments < 3) throw EngineError("a circle needs three segments or more");
  Shape2D shape = MakeShape(kind, x, y, radius, radius, colour, colour, colour, colour);
  shape.segments = segments;
  return shape;
}

}  // namespace

void DrawBatch::Begin() {
  if (open_) throw EngineError(std::string(kind_) + ": Begin inside a batch");
  open_ = true;
}

void DrawBatch::End() {
  if (!open_) throw EngineError(std::string(kind_) + ": End without Begin");
  open_ = false;
}

void DrawBatch::Require() const {
  if (!open_) throw EngineError(std::string(kind_) + " outside Begin and End");
}

void EngineScreen2DDraw::Draw(Shape2D shape) {
  batch_.Require();
  for (uint32_t& colour : shape.colours)
    if (colour == kSameAsFirst) colour = shape.colours[0];
  shape.sourceBlend = sourceBlend_;
  shape.destinationBlend = destinationBlend_;
  shape.filter = filter_;
  engine_.Backend().Draw2D(shape);
}

void EngineScreen2DDraw::DrawTexture(int32_t texture, float x1, float y1, float x2, float y2,
                                     uint32_t c1, uint32_t c2, uint32_t c3, uint32_t c4, float u1,
                                     float v1, float u2, float v2) {
  const Texture* found = engine_.Textures().Get(texture);
  if (found == nullptr) throw EngineError("DrawTexture: no texture " + std::to_string(texture));
  Shape2D shape = MakeShape(Shape2D::Kind::Texture, x1, y1, x2, y2, c1, c2, c3, c4);
  shape.texture = texture;
  shape.deviceTexture = found->device;
  shape.u1 = u1;
  shape.v1 = v1;
  shape.u2 = u2;
  shape.v2 = v2;
  Draw(shape);
}

void EngineScreen2DDraw::DrawFilledBox(float x1, float y1, float x2, float y2, uint32_t c1,
                                       uint32_t c2, uint32_t c3, uint32_t c4) {
  Draw(MakeShape(Shape2D::Kind::FilledBox, x1, y1, x2, y2, c1, c2, c3, c4));
}

void EngineScreen2DDraw::DrawBox(float x1, float y1, float x2, float y2, uint32_t c1, uint32_t c2,
                                 uint32_t c3, uint32_t c4) {
  Draw(MakeShape(Shape2D::Kind::Box, x1, y1, x2, y2, c1, c2, c3, c4));
}

void EngineScreen2DDraw::DrawLine(float x1, float y1, float x2, float y2, uint32_t c1,
                                  uint32_t c2) {
  Draw(MakeShape(Shape2D::Kind::Line, x1, y1, x2, y2, c1, c2, kSameAsFirst, kSameAsFirst));
}

void EngineScreen2DDraw::DrawLine3D(const D3DXVECTOR3& p1, const D3DXVECTOR3& p2, uint32_t c1,
                                    uint32_t c2) {
  float x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  bool shown1 = false, shown2 = false;
  ProjectPoint(p1, x1, y1, 0, shown1);
  ProjectPoint(p2, x2, y2, 0, shown2);
  Draw(MakeShape(Shape2D::Kind::Line3D, x1, y1, x2, y2, c1, c2, kSameAsFirst, kSameAsFirst));
}

void EngineScreen2DDraw::DrawFilledCircle(float x, float y, float radius, int32_t segments,
                                          uint32_t colour) {
  Draw(MakeCircle(Shape2D::Kind::FilledCircle, x, y, radius, segments, colour));
}

void EngineScreen2DDraw::DrawCircleBorder(float x, float y, float radius, int32_t segments,
                                          uint32_t colour) {
  Draw(MakeCircle(Shape2D::Kind::CircleBorder, x, y, radius, segments, colour));
}

void EngineScreen2DDraw::DrawButton(int32_t hoverTexture, int32_t texture, float x1, float y1,
                                    float x2, float y2, bool& mouseOver) {
  const float mx = static_cast<float>(engine_.Input().MouseX()),
              my = static_cast<float>(engine_.Input().MouseY());
  mouseOver = mx >= std::min(x1, x2) && mx <= std::max(x1, x2) && my >= std::min(y1, y2) &&
              my <= std::max(y1, y2);
  constexpr uint32_t kOpaqueWhite = 0xFFFFFFFF;
  DrawTexture(mouseOver ? hoverTexture : texture, x1, y1, x2, y2, kOpaqueWhite, kSameAsFirst,
              kSameAsFirst, kSameAsFirst);
}

void EngineScreen2DDraw::SetDrawState(int32_t sourceBlend, int32_t destinationBlend, int32_t) {
  sourceBlend_ = sourceBlend;
  destinationBlend_ = destinationBlend;
}

PointProjector::PointProjector(const Engine& engine) {
  const DrawTarget target = engine.CurrentTarget();
  const CameraView camera = engine.CurrentCameraView();
  viewProjection_ = camera.view * camera.projection;
  width_ = static_cast<float>(target.width);
  height_ = static_cast<float>(target.height);
}

PointProjector::PointProjector(const Engine& engine, const d3dx::D3DXMATRIX& world)
    : PointProjector(engine) {
  viewProjection_ = world * viewProjection_;
}

void EngineScreen2DDraw::ProjectPoint(const D3DXVECTOR3& point, float& x, float& y, int32_t,
                                      bool& onScreen) const {
  onScreen = PointProjector(engine_).Project(point, x, y);
}

int32_t EngineScreen2DText::CreateFont(const std::string& name, const std::string& face,
                                       int32_t size, bool bold, bool, bool) {
  return Add(name, Font{face, size, bold, false});
}

int32_t EngineScreen2DText::CreateTextureFont(const std::string& name, const std::string& face,
                                              int32_t size, bool bold, bool, bool, bool) {
  return Add(name, Font{face, size, bold, true});
}

int32_t EngineScreen2DText::Add(const std::string& name, Font font) {
  if (font.size <= 0)
    throw EngineError("CreateFont: size " + std::to_string(font.size) + " of font \"" + name +
                      "\"");
  font.device = engine_.Backend().StoreFont(font);
  return engine_.Fonts().Add(name, font);
}

void EngineScreen2DText::ResetFonts() {
  engine_.Backend().ResetFonts();
  engine_.Fonts().Clear();
}

const Font& EngineScreen2DText::FontOf(int32_t font) const {
  const Font* found = engine_.Fonts().Get(font);
  if (found == nullptr) throw EngineError("no font " + std::to_string(font));
  return *found;
}

void EngineScreen2DText::DrawText(const std::string& text, float x, float y, uint32_t colour,
                                  int32_t font) {
  batch_.Require();
  FontOf(font);
  Shape2D shape = MakeShape(Shape2D::Kind::Text, x, y, x, y, colour, colour, colour, colour);
  shape.text = text;
  shape.font = font;
  engine_.Backend().Draw2D(shape);
}

void EngineScreen2DText::GetTextSize(const std::string& text, int32_t font, int32_t& width,
                                     int32_t& height) {
  const Font& found = FontOf(font);
  engine_.Backend().MeasureText(text, found, PixelHeight(found), width, height);
}

}  // namespace engine
