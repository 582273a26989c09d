// The on-screen messages drawn through the engine's 2D drawing and text objects, in the message
// font the caller made.
#pragma once

#include <cstdint>
#include <string>

#include "platform/engine/draw2d.h"
#include "program/cockpit/screen_messages.h"

class EngineScreen2D : public Screen2D {
 public:
  EngineScreen2D(engine::Engine& engine, engine::EngineScreen2DDraw& draw,
                 engine::EngineScreen2DText& text, int32_t font)
      : engine_(engine), draw_(draw), text_(text), font_(font) {}

  int32_t ScreenWidth() const override { return engine_.Width(); }
  void GetTextSize(const std::string& text, float& width, float& height) override;
  void DrawFilledBox(float x1, float y1, float x2, float y2, uint32_t colour) override;
  void DrawText(const std::string& text, int32_t x, int32_t y, uint32_t colour) override;

 private:
  engine::Engine& engine_;
  engine::EngineScreen2DDraw& draw_;
  engine::EngineScreen2DText& text_;
  int32_t font_;
};
