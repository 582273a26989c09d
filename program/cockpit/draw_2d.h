// The colours and small drawing steps that the cockpit's 2D painters share, all through the
// engine's own 2D drawing and text objects.
#pragma once

#include <cstdint>
#include <string>

#include "platform/win/numbers.h"
#include "program/flight/flight_state.h"
#include "program/scene/engine_objects.h"
#include "program/scene/scene_state.h"

inline constexpr uint32_t ArgbWhite = 0xFFFFFFFF;
inline constexpr uint32_t ArgbBlack = 0xFF000000;
inline constexpr uint32_t ArgbGreen = 0xFF00FF00;
inline constexpr uint32_t ArgbGray = 0xFFC0C0C0;
inline constexpr uint32_t ArgbDarkGray = 0xFF808080;

// The fonts as the drawings count them, from 1.
inline int32_t NthFont(int ordinal) { return FontIds[static_cast<size_t>(ordinal - 1)]; }

// A texture over the rectangle, tinted alike at every corner, inside an open 2D batch; an x2 left
// of x1 mirrors it.
inline void DrawQuad(int32_t texture, float x1, float y1, float x2, float y2,
                     uint32_t colour = ArgbWhite) {
  constexpr uint32_t same = engine::EngineScreen2DDraw::kSameAsFirst;
  Screen2DDraw->DrawTexture(texture, x1, y1, x2, y2, colour, same, same, same, 0, 0, 1.0f, 1.0f);
}

// One text in a text batch of its own.
inline void DrawScreenText(const std::string& text, float x, float y, uint32_t colour,
                           int32_t font) {
  Screen2DText->Begin();
  Screen2DText->DrawText(text, x, y, colour, font);
  Screen2DText->End();
}

// Reference units of the 1600 by 1200 screen in whole pixels of this one.
inline float ScaledX(float units) {
  return static_cast<float>(win::RoundHalfEven(units * ScreenScaleX));
}
inline float ScaledY(float units) {
  return static_cast<float>(win::RoundHalfEven(units * ScreenScaleY));
}
