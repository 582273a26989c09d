#include "program/input/widgets.h"

#include <chrono>
#include <cmath>

#include "platform/win/numbers.h"
#include "program/flight/flight_state.h"
#include "program/scene/engine_objects.h"

namespace {

constexpr float TrackReach = 10.0f;  // pixels above and below the track that still move it
constexpr float KnobHalfWidth = 5.0f;
constexpr int32_t BoxReach = 8;  // pixels from the centre that take a click
constexpr float BoxHalfSide = 5.0f;
constexpr float MarkHalfSide = 4.0f;
constexpr int32_t CircleSegments = 10;
constexpr auto ClickPause = std::chrono::milliseconds(250);
constexpr uint32_t Same = engine::EngineScreen2DDraw::kSameAsFirst;

int32_t ToPixels(float reference, float scale) { return win::RoundHalfEven(reference * scale); }

bool FirstButtonDown(const engine::EngineInput& input, int32_t& x, int32_t& y) {
  int16_t left = 0, right = 0, middle = 0;
  input.GetMouseState(x, y, left, right, middle);
  return left != 0;
}

}  // namespace

clsInputSlider::clsInputSlider() : draw_(*Engine), input_(*Engine) {}

void clsInputSlider::Show(float x1, float y1, float x2, float y2, bool integerOnly, float lowValue,
                          float highValue, uint32_t sliderColor, uint32_t endColor,
                          uint32_t middleColor) {
  SliderColor = sliderColor;
  EndColor = endColor;
  MiddleColor = middleColor;
  HighValue = highValue;
  LowValue = lowValue;
  IntegerOnly = integerOnly;
  SliderX1 = ToPixels(x1, ScreenScaleX);
  SliderY1 = ToPixels(y1, ScreenScaleY);
  SliderX2 = ToPixels(x2, ScreenScaleX);
  SliderY2 = ToPixels(y2, ScreenScaleY);
  // The track's width, not its diagonal: the right end is the high value.
  const float width =
      maths_.GetDistance2D(static_cast<float>(SliderX1), 0.0f, static_cast<float>(SliderX2), 0.0f);
  pixelsPerUnit_ = width / (HighValue - LowValue);

  int32_t x = 0, y = 0;
  if (FirstButtonDown(input_, x, y) && x >= SliderX1 && x <= SliderX2 &&
      static_cast<float>(y) > static_cast<float>(SliderY1) - TrackReach &&
      static_cast<float>(y) < static_cast<float>(SliderY2) + TrackReach && pixelsPerUnit_ > 0.0f) {
    Value = static_cast<float>(x - SliderX1) / pixelsPerUnit_ + LowValue;
    if (IntegerOnly) Value = static_cast<float>(win::RoundHalfEven(Value));
  }

  const auto left = static_cast<float>(SliderX1), right = static_cast<float>(SliderX2);
  const auto top = static_cast<float>(SliderY1), bottom = static_cast<float>(SliderY2);
  const float knob = (Value - LowValue) * pixelsPerUnit_ + left;
  draw_.Begin();
  draw_.DrawFilledBox(left, top, right, bottom, MiddleColor, Same, Same, Same);
  draw_.DrawFilledBox(knob - KnobHalfWidth, top, knob + KnobHalfWidth, bottom, SliderColor, Same,
                      Same, Same);
  draw_.End();
}

clsInputCheckBox::clsInputCheckBox() : draw_(*Engine), input_(*Engine) {}

void clsInputCheckBox::Show(float boxX, float boxY, float borderColor, uint32_t fillColor,
                            uint32_t selectColor, int32_t style, int32_t behavior) {
  if (borderColor != 0.0f)
    BorderColor = static_cast<uint32_t>(std::llround(static_cast<double>(borderColor)));
  if (fillColor != 0) FillColor = fillColor;
  if (selectColor != 0) SelectColor = selectColor;
  BoxBehavior = behavior;
  BoxStyle = style;
  BoxX = ToPixels(boxX, ScreenScaleX);
  BoxY = ToPixels(boxY, ScreenScaleY);

  int32_t x = 0, y = 0;
  const forms::Duration now = forms::Now();
  if ((!lastClick_ || now - *lastClick_ > ClickPause) && FirstButtonDown(input_, x, y) &&
      std::abs(x - BoxX) < BoxReach && std::abs(y - BoxY) < BoxReach) {
    if (!IsMarked)
      IsMarked = true;
    else if (BoxBehavior == 1)
      IsMarked = false;
    lastClick_ = now;
  }

  const auto cx = static_cast<float>(BoxX), cy = static_cast<float>(BoxY);
  draw_.Begin();
  if (BoxStyle == 1) {
    draw_.DrawCircleBorder(cx, cy, BoxHalfSide, CircleSegments, BorderColor);
    draw_.DrawCircle(cx, cy, BoxHalfSide, CircleSegments, IsMarked ? SelectColor : FillColor);
  } else if (BoxStyle == 2) {
    draw_.DrawBox(cx - BoxHalfSide, cy - BoxHalfSide, cx + BoxHalfSide, cy + BoxHalfSide,
                  BorderColor, Same, Same, Same);
    draw_.DrawFilledBox(cx - BoxHalfSide, cy - BoxHalfSide, cx + BoxHalfSide, cy + BoxHalfSide,
                        FillColor, Same, Same, Same);
    if (IsMarked) {
      draw_.DrawLine(cx - MarkHalfSide, cy - MarkHalfSide, cx + MarkHalfSide, cy + MarkHalfSide,
                     SelectColor, SelectColor);
      draw_.DrawLine(cx - MarkHalfSide, cy + MarkHalfSide, cx + MarkHalfSide, cy - MarkHalfSide,
                     SelectColor, SelectColor);
    }
  }
  draw_.End();
}
