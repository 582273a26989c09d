#include "program/cockpit/engine_screen2d.h"

void EngineScreen2D::GetTextSize(const std::string& text, float& width, float& height) {
  int32_t w = 0;
  int32_t h = 0;
  text_.GetTextSize(text, font_, w, h);
  width = static_cast<float>(w);
  height = static_cast<float>(h);
}

void EngineScreen2D::DrawFilledBox(float x1, float y1, float x2, float y2, uint32_t colour) {
  draw_.Begin();
  draw_.DrawFilledBox(x1, y1, x2, y2, colour, colour, colour, colour);
  draw_.End();
}

void EngineScreen2D::DrawText(const std::string& text, int32_t x, int32_t y, uint32_t colour) {
  text_.Begin();
  text_.DrawText(text, static_cast<float>(x), static_cast<float>(y), colour, font_);
  text_.End();
}
