// The slider and the check box of the in-flight menu, drawn over the 3D view. Each instance has
// engine objects of its own for drawing and for the mouse, and handles the mouse inside its Show,
// which its owner calls once a frame with the geometry (1600 by 1200 reference units) and the
// colours (ARGB).
#pragma once

#include <cstdint>
#include <optional>

#include "platform/engine/draw2d.h"
#include "platform/engine/input.h"
#include "platform/engine/resources.h"
#include "platform/forms/event_pump.h"

class clsInputSlider {
 public:
  clsInputSlider();

  // Stores the geometry, moves the value to the mouse while the first button is down on the
  // track (or within 10 pixels above or below it), and draws the track and the knob.
  void Show(float x1, float y1, float x2, float y2, bool integerOnly, float lowValue,
            float highValue, uint32_t sliderColor, uint32_t endColor, uint32_t middleColor);

  int32_t SliderX1 = 0, SliderX2 = 0, SliderY1 = 0, SliderY2 = 0;  // pixels
  float LowValue = 0.0f, HighValue = 0.0f;
  float Value = 0.0f;
  bool IntegerOnly = false;
  uint32_t SliderColor = 0, MiddleColor = 0, EndColor = 0;

 private:
  engine::EngineScreen2DDraw draw_;
  engine::EngineInput input_;
  engine::EngineMathLibrary maths_;
  float pixelsPerUnit_ = 0.0f;
};

class clsInputCheckBox {
 public:
  clsInputCheckBox();

  // Stores the geometry and the colours (a colour of 0 keeps the one before), takes a click
  // within 8 pixels of the centre at most every 0.25 s, and draws the box.
  void Show(float boxX, float boxY, float borderColor, uint32_t fillColor, uint32_t selectColor,
            int32_t style, int32_t behavior);

  int32_t BoxX = 0, BoxY = 0;  // centre, pixels
  bool IsMarked = false;
  uint32_t BorderColor = 0, FillColor = 0, SelectColor = 0;
  int32_t BoxStyle = 0;     // 1 round, 2 square
  int32_t BoxBehavior = 0;  // 1 a click toggles, else a click only marks

 private:
  engine::EngineScreen2DDraw draw_;
  engine::EngineInput input_;
  std::optional<forms::Duration> lastClick_;  // none before the first
};
