#include "program/cockpit/screen_messages.h"

#include <cmath>

#include "platform/win/numbers.h"
#include "program/cockpit/cockpit_state.h"
#include "program/flight/main_display.h"
#include "program/scene/scene_state.h"
#include "program/startup/startup_state.h"

namespace {

constexpr int32_t LongestMessageMs = 30000;
constexpr int SimulationPausedText = 270;
constexpr int ReplayText = 243;

void SetColours(ScreenMessage& message, uint32_t boxColour, uint32_t textColour) {
  if (boxColour == 0 && textColour == 0) {
    message.BoxColour = 0xFFFFFFFF;
    message.TextColour = 0xFF000000;
  } else {
    message.BoxColour = boxColour;
    message.TextColour = textColour;
  }
}

void Arm(forms::Timer& timer, int32_t milliseconds) {
  timer.SetEnabled(true);
  timer.SetInterval(milliseconds);
}

// A boxed line centred on the screen with its top at `top`, the box `margin` pixels wider on
// each side.
void DrawCentredLine(Screen2D& screen, const std::string& text, float topOffset, float lineIndex,
                     float margin, uint32_t boxColour, uint32_t textColour) {
  float w = 0.0f;
  float h = 0.0f;
  screen.GetTextSize(text, w, h);
  const float x = static_cast<float>(screen.ScreenWidth()) / 2.0f - w / 2.0f;
  const float y = lineIndex * h + topOffset;
  screen.DrawFilledBox(x - margin, y, x + w + margin, y + h, boxColour);
  screen.DrawText(text, win::RoundHalfEven(x), win::RoundHalfEven(y),
                  textColour);
}

}  // namespace

void ShowMessage(const std::string& text, int32_t milliseconds, uint32_t boxColour,
                 uint32_t textColour) {
  if (milliseconds > LongestMessageMs) return;
  SetColours(MessageText[0], boxColour, textColour);
  MessageText[0].Text = text;
  Arm(Main_Display->Timer_Program_Message, milliseconds);
}

void ShowMessage2(const std::string& text, int32_t milliseconds, uint32_t boxColour,
                  uint32_t textColour) {
  SetColours(MessageText[1], boxColour, textColour);
  MessageText[1].Text = text;
  Arm(Main_Display->Timer_Program_Message2, milliseconds);
}

void ShowMessage3(const std::string& text, uint32_t boxColour, uint32_t textColour, float x,
                  float y) {
  ScreenMessage& label = MessageText[2];
  SetColours(label, boxColour, textColour);
  label.Text = text;
  const bool atPoint = x > 0.0f && y > 0.0f;
  label.X = atPoint ? x : -1.0f;
  label.Y = atPoint ? y : -1.0f;
}

void DrawMessage(Screen2D& screen) {
  const ScreenMessage& m = MessageText[0];
  DrawCentredLine(screen, m.Text, 3.0f, 1.0f, 2.0f, m.BoxColour, m.TextColour);
}

void DrawMessage2(Screen2D& screen) {
  const ScreenMessage& m = MessageText[1];
  DrawCentredLine(screen, m.Text, 6.0f, 2.0f, 2.0f, m.BoxColour, m.TextColour);
}

void DrawMessage3(Screen2D& screen) {
  ScreenMessage& m = MessageText[2];
  if (m.X < 0.0f) {
    DrawCentredLine(screen, m.Text, 6.0f, 2.0f, 2.0f, m.BoxColour, m.TextColour);
  } else {
    float w = 0.0f;
    float h = 0.0f;
    screen.GetTextSize(m.Text, w, h);
    const float x = m.X - w / 2.0f;
    const float y = m.Y - h - 2.0f;
    screen.DrawFilledBox(x - 2.0f, y, x + w + 2.0f, y + h, m.BoxColour);
    screen.DrawText(m.Text, win::RoundHalfEven(x), win::RoundHalfEven(y), m.TextColour);
  }
  m.X = -1.0f;
  m.Y = -1.0f;
  m.Text.clear();
}

void DrawStatusLine(Screen2D& screen) {
  DrawCentredLine(screen, UiText[SimulationPausedText], 0.0f, 0.0f, 0.0f, RedBox, WhiteText);
}

void DrawCentredNotice(Screen2D& screen) {
  DrawCentredLine(screen, UiText[ReplayText], 0.0f, 0.0f, 0.0f, BlackBox, 0xFFFFFF00);
}

void ClearHudModes() {
  for (ViewRecord& view : ViewRecords)
    if (view.Active) view.HudMode = 0;
  CurrentView.HudMode = 0;
}
