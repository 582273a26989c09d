// The three on-screen message channels and the two banners drawn over the 3D view.
#pragma once

#include <cstdint>
#include <string>

inline constexpr uint32_t GreenText = 0xFF00FF00;
inline constexpr uint32_t BlackBox = 0xFF000000;
inline constexpr uint32_t WhiteText = 0xFFFFFFFF;
inline constexpr uint32_t RedBox = 0xFFFF0000;

// The 2D drawing the channels need from the outside engine, in screen pixels. The engine supplies
// the real one; tests record the calls.
class Screen2D {
 public:
  virtual ~Screen2D() = default;
  virtual int32_t ScreenWidth() const = 0;
  // Width and height of the text in the message font.
  virtual void GetTextSize(const std::string& text, float& width, float& height) = 0;
  // Each wraps its drawing in the engine's begin and end of 2D (text) drawing.
  virtual void DrawFilledBox(float x1, float y1, float x2, float y2, uint32_t colour) = 0;
  virtual void DrawText(const std::string& text, int32_t x, int32_t y, uint32_t colour) = 0;
};

// Channel 1 for `milliseconds`; a lifetime over 30000 ms changes nothing. Colours 0 and 0 give
// black letters on a white box.
void ShowMessage(const std::string& text, int32_t milliseconds, uint32_t boxColour,
                 uint32_t textColour);
// Channel 2, without the lifetime limit.
void ShowMessage2(const std::string& text, int32_t milliseconds, uint32_t boxColour,
                  uint32_t textColour);
// Channel 3 for one drawn frame, centred above (x, y) when both are above 0, else centred on the
// screen below channel 1.
void ShowMessage3(const std::string& text, uint32_t boxColour, uint32_t textColour, float x,
                  float y);

void DrawMessage(Screen2D& screen);
void DrawMessage2(Screen2D& screen);
void DrawMessage3(Screen2D& screen);
void DrawStatusLine(Screen2D& screen);     // "Simulation Paused"
void DrawCentredNotice(Screen2D& screen);  // "Replay"
// No head-up panel over a score just shown: the mode of every active view and of the current one
// goes to 0.
void ClearHudModes();
