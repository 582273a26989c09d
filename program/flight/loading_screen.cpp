#include "program/flight/loading_screen.h"

#include "platform/forms/event_pump.h"
#include "platform/win/numbers.h"
#include "program/flight/flight_loop_state.h"
#include "program/flight/flight_state.h"
#include "program/missions/launcher_forms.h"
#include "program/missions/missions_state.h"
#include "program/scene/engine_objects.h"
#include "program/scene/scene_state.h"
#include "program/startup/startup_state.h"

namespace {

// Interface texts of the loading screen.
enum LoadingScreenText : int32_t {
  FullScreenModeText = 1,
  LoadingDotsText = 2,
};

// The loading screen in the 1600 by 1200 reference layout.
constexpr float EarthRiseLeft = 250.0f;
constexpr float EarthRiseRight = 450.0f;
constexpr float EarthRiseBottom = 970.0f;
constexpr float EarthRiseStep = 30.0f;
constexpr float EarthRiseSide = 200.0f;
constexpr float MoonBottomTop = 920.0f;
constexpr float ProgressSegment = 160.0f;
constexpr float ProgressTop = 1130.0f;
constexpr float ProgressBottom = 1170.0f;
constexpr float LogoBottom = 200.0f;
constexpr uint32_t StepTextColour = 0xFF00FF00;
constexpr uint32_t NoticeColour = 0xFFFFFFFF;
constexpr uint32_t DescriptionColour = 0xFFB0B0B0;

void DrawLoadingScreen(const std::string& text) {
  const float sx = ScreenScaleX;
  const float sy = ScreenScaleY;
  const auto id = [](const char* name) { return Globals->GetTextureId(name); };
  constexpr uint32_t same = engine::EngineScreen2DDraw::kSameAsFirst;
  Engine->Clear(0);
  Screen2DDraw->SetTextureFilter(TextureFilter2D);
  Screen2DDraw->Begin();
  const float earthTop = (EarthRiseBottom - EarthRiseStep * static_cast<float>(LoadingStep)) * sy;
  Screen2DDraw->DrawTexture(id("earthrise"), EarthRiseLeft * sx, earthTop, EarthRiseRight * sx,
                            earthTop + EarthRiseSide * sx, 0xFFFFFFFF, same, same, same);
  Screen2DDraw->DrawTexture(id("moonbot"), 0.0f, MoonBottomTop * sy,
                            static_cast<float>(ScreenWidth), static_cast<float>(ScreenHeight),
                            0xFFFFFFFF, same, same, same);
  for (int32_t i = 0; i <= LoadingStep; ++i)
    Screen2DDraw->DrawTexture(id("progress"), ProgressSegment * static_cast<float>(i) * sx,
                              ProgressTop * sy, ProgressSegment * static_cast<float>(i + 1) * sx,
                              ProgressBottom * sy, 0xFFFFFFFF, same, same, same);
  Screen2DDraw->DrawTexture(id("marovinlogo"), 0.0f, 0.0f, static_cast<float>(ScreenWidth),
                            LogoBottom * sy, 0xFFFFFFFF, same, same, same);
  Screen2DDraw->End();

  const auto font = [](const char* name) { return Globals->GetFontId(name); };
  const auto at = [](float v) { return static_cast<float>(win::RoundHalfEven(v)); };
  Screen2DText->Begin();
  Screen2DText->DrawPlainText("....." + text, at(10 * sx), at(1080 * sy), StepTextColour,
                              font("ScoreFontN"));
  if (FullScreen)
    Screen2DText->DrawPlainText(UiText[FullScreenModeText], at(700 * sx), at(1080 * sy),
                                NoticeColour, font("ScoreFontN"));
  Screen2DText->DrawPlainText(UiText[LoadingDotsText], at(70 * sx), at(300 * sy), DescriptionColour,
                              font("LargeFontN"));
  Screen2DText->DrawPlainText(MissionDescription[0], at(500 * sx), at(300 * sy), DescriptionColour,
                              font("LargeFontN"));
  for (size_t line = 1; line < MissionDescription.size(); ++line) {
    if (MissionDescription[line].empty()) MissionDescription[line] = "  ";
    const float y = static_cast<float>(ScreenHeight) / 40.0f * static_cast<float>(line) + 340 * sy;
    Screen2DText->DrawPlainText(MissionDescription[line], at(500 * sx), at(y), DescriptionColour,
                                font("MessageFontN"));
  }
  Screen2DText->DrawPlainText(DriverDialog->Caption(), at(10 * sx), at(440 * sy), DescriptionColour,
                              font("SmallFontN"));
  Screen2DText->End();
  Engine->RenderToScreen();
}

}  // namespace

void ShowLoadingStep(const std::string& text, bool draw, int32_t step) {
  if (SimulationInitialised && Engine) Engine->WriteLog(text);
  forms::DoEvents();
  if (!draw || !Engine || !Engine->Initialised()) {
    forms::DoEvents();
    return;
  }
  if (step > 0) LoadingStep = step;
  DrawLoadingScreen(text);
  forms::DoEvents();
  forms::DoEvents();
}
