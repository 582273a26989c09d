#include "program/cockpit/hud_panel.h"

#include <algorithm>
#include <string>
#include <vector>

#include "platform/win/numbers.h"
#include "program/cockpit/cockpit_state.h"
#include "program/cockpit/draw_2d.h"
#include "program/cockpit/small_readouts.h"
#include "program/flight/docking.h"
#include "program/flight/flight_loop_state.h"
#include "program/flight/flight_state.h"
#include "program/flight/main_display.h"
#include "program/missions/missions_state.h"
#include "program/scene/engine_objects.h"
#include "program/startup/startup_state.h"

namespace {

constexpr uint32_t Orange = 0xFFFF8000;
constexpr uint32_t Lilac = 0xFF8080FF;
constexpr float QuantityLampPercent = 5.6f;
constexpr float PanelAlpha = 0.2f;  // the 2D panel seen through from the other views
constexpr float FuelDigitsAlpha = 0.4f;
// Mode 2's instrument column, in parts of the view: the surfaces beside the DSKY start a little
// right of the bracket's edge, and the column stops above the warning-light bar.
constexpr float ColumnSurfacesLeft = 0.802f;
constexpr float ColumnBottom = 0.97f;

enum HudText : int32_t {
  RCSFiringText = 14,
  LPDRedesignateText = 15,
  VertVText = 16,
  AltText = 17,
  FwdVText = 18,
  FuelText = 19,
  LPDText = 20,
  TminusText = 21,
  CmdVVText = 22,
  VertMRadText = 23,
  HorzMRadText = 24,
  ClosingVelText = 25,
  RangeText = 26,
  PilotText = 161,
  CategoryText = 162,
  ScoreText = 160,
  PossibleText = 163,
  HistoricalText = 164,
  AccuracyText = 165,
  SmoothnessText = 166,
  LandingSiteText = 167,
  VelocityText = 168,
  ManualThrottleText = 169,
  ManualFlightTimeText = 170,
  BonusText = 171,
  TotalText = 172,
  BestEverText = 173,
  AltitudeText = 174,
  TimeText = 175
};

float W() { return static_cast<float>(ScreenWidth); }
float H() { return static_cast<float>(ScreenHeight); }

int32_t ScoreFontId() { return FontIds[ScoreFont]; }

float ReadoutHeight() {
  int32_t w = 0, h = 0;
  Screen2DText->GetTextSize("0", ScoreFontId(), w, h);
  return static_cast<float>(h);
}

struct Readout {
  float at;  // fraction of the screen's width
  int32_t label;
  double value;
  const char* format;
};

void DrawReadoutLine(const std::vector<Readout>& items) {
  const float y = static_cast<float>(win::RoundHalfEven(H() - ReadoutHeight()));
  for (const Readout& item : items)
    DrawScreenText(
        UiText[static_cast<size_t>(item.label)] + " " + win::FormatNumber(item.value, item.format),
        static_cast<float>(win::RoundHalfEven(item.at * W())), y, ArgbGreen, ScoreFontId());
}

// VertV, Alt, FwdV and Fuel from 0.48 W on, as the descent and ascent readouts show them.
std::vector<Readout> FlightReadouts() {
  return {{0.48f, VertVText, LMVelocity.y, "###.0"},
          {0.6f, AltText, static_cast<double>(AltitudeFeet), "#####"},
          {0.7f, FwdVText, HorizontalVelocityForward, "####.0"},
          {0.82f, FuelText, FuelPercent, "###.0"}};
}

const PilotRecord& ActivePilotBest() {
  return PilotRoster[static_cast<size_t>(std::clamp(ActivePilot, 1, PilotCount))];
}

// The box, the pilot and the column heads of both score tables.
void DrawScoreHeader() {
  const uint32_t dark = engine::EngineGlobals::MakeColor(0, 0, 0, 0.9f);
  const uint32_t light = engine::EngineGlobals::MakeColor(1, 1, 1, 0.9f);
  Screen2DDraw->Begin();
  Screen2DDraw->DrawFilledBox(0.05f * W(), 0.15f * H(), 0.43f * W(), 0.67f * H(), dark, light, dark,
                              light);
  Screen2DDraw->End();
  const int32_t font = ScoreFontId();
  DrawScreenText(UiText[PilotText], 0.06f * W(), 0.16f * H(), ArgbGreen, font);
  DrawScreenText(CurrentScore.Name, 0.15f * W(), 0.16f * H(), ArgbWhite, font);
  DrawScreenText(UiText[CategoryText], 0.06f * W(), 0.20f * H(), ArgbWhite, font);
  DrawScreenText(UiText[ScoreText], 0.24f * W(), 0.20f * H(), ArgbWhite, font);
  DrawScreenText(UiText[PossibleText], 0.32f * W(), 0.20f * H(), ArgbWhite, font);
}

struct ScoreRow {
  float y;  // fraction of the screen's height
  std::string label;
  double points;
  std::string possible;
};

void DrawScoreRows(const std::vector<ScoreRow>& rows) {
  const int32_t font = ScoreFontId();
  for (const ScoreRow& row : rows) {
    DrawScreenText(row.label, 0.06f * W(), row.y * H(), ArgbGreen, font);
    DrawScreenText(win::FormatNumber(row.points, "###0"), 0.24f * W(), row.y * H(), ArgbWhite,
                   font);
    DrawScreenText(row.possible, 0.35f * W(), row.y * H(), Lilac, font);
  }
}

}  // namespace

void DrawHudPanel(ViewRecord& view) {
  if (view.HudMode > (ContactLightFlags[0] ? 3 : 2)) view.HudMode = 0;
  if (view.HudMode == 0) return;
  if (view.HudMode == 1 || view.HudMode == 2) {
    DrawHudWarningLights();
    switch (CurrentProgram) {
      case P12:
      case P71:
        DrawHudAscentReadouts();
        break;
      case P20:
        DrawHudRendezvousReadouts();
        break;
      case P64:
        DrawHudApproachReadouts();
        break;
      case P66:
        DrawHudReadouts();
        break;
      default:
        break;
    }
  }
  if (view.HudMode == 2) {
    Screen2DDraw->Begin();
    DrawQuad(XPointerSurface->GetTexture(), 0.8f * W(), 0, W(), 0.25f * H(), ArgbWhite);
    DrawQuad(FDAISurface->GetTexture(), 0.8f * W(), 0.25f * H(), W(), 0.5f * H(), ArgbWhite);
    DrawQuad(DSKYSurface->GetTexture(), 0.85f * W(), 0.5f * H(), W(), 0.73f * H(), ArgbWhite);
    DrawQuad(DSKYLightsSurface->GetTexture(), 0.85f * W(), 0.73f * H(), W(), ColumnBottom * H(),
             ArgbWhite);
    DrawQuad(AltitudeSurface->GetTexture(), ColumnSurfacesLeft * W(), 0.5f * H(), 0.85f * W(), 0.73f * H(),
             ArgbWhite);
    DrawQuad(AltitudeRateSurface->GetTexture(), ColumnSurfacesLeft * W(), 0.73f * H(), 0.85f * W(), ColumnBottom * H(),
             ArgbWhite);
    DrawQuad(TextureIds.InstrumentBracket, 0.8f * W(), 0, W(), ColumnBottom * H(), ArgbWhite);
    Screen2DDraw->End();
  }
  if (view.HudMode == 3) {
    if (MissionType != LMRaceMission) DrawPathLines();
    DrawScoreTable();
  }
  if (Main_Display->TimerP64.Enabled())
    DrawScreenText(UiText[LPDRedesignateText], static_cast<float>(win::RoundHalfEven(0.1 * W())),
                   static_cast<float>(win::RoundHalfEven(0.01 * H())), ArgbGreen,
                   FontIds[MessageFont]);
  if (RCSFiring && !SoundOn)
    DrawScreenText(UiText[RCSFiringText], static_cast<float>(win::RoundHalfEven(0.1 * W())),
                   static_cast<float>(win::RoundHalfEven(0.05 * H())), ArgbGreen, ScoreFontId());
}

// The top of the warning-light bar along the bottom of the view.
float WarningBarTop() { return H() - 2 - ReadoutHeight(); }

void CoverViewWithHud(const ViewRecord& view) {
  if (view.HudMode == 1 || view.HudMode == 2) Engine->CoverView(0, WarningBarTop(), W(), H());
  // The column's surfaces have no alpha; its bracket, from 0.8 across, may.
  if (view.HudMode == 2) Engine->CoverView(ColumnSurfacesLeft * W(), 0, W(), ColumnBottom * H());
}

void DrawHudWarningLights() {
  const float y0 = WarningBarTop();
  const TextureIdSet& t = TextureIds;
  // DSKYLampNames begins VEL, ALT, PROG.
  const int32_t lamps[4] = {FuelPercent < QuantityLampPercent ? t.DesQty : t.DesQtyoff,
                            LampAlt || AltitudeWarning ? t.DSKYLampOn[1] : t.DSKYLampOff[1],
                            LampVel || VelocityWarning ? t.DSKYLampOn[0] : t.DSKYLampOff[0],
                            LampProg ? t.DSKYLampOn[2] : t.DSKYLampOff[2]};
  Screen2DDraw->Begin();
  Screen2DDraw->DrawFilledBox(0, y0, W(), H(), ArgbBlack, ArgbBlack, ArgbBlack, ArgbBlack);
  for (int n = 0; n < 4; ++n)
    DrawQuad(lamps[n], 0.08f * static_cast<float>(n) * W(), y0,
             0.08f * static_cast<float>(n + 1) * W(), H(), ArgbWhite);
  Screen2DDraw->End();
}

void DrawHudAscentReadouts() {
  std::vector<Readout> items = FlightReadouts();
  items.push_back({0.92f, TminusText, static_cast<double>(TimeToIgnition.TotalSeconds), "##"});
  DrawReadoutLine(items);
}

void DrawHudRendezvousReadouts() {
  DrawReadoutLine({{0.33f, VertMRadText, DockClosingAngleRate, "###.0"},
                   {0.5f, HorzMRadText, DockLateralAngleRate, "###.0"},
                   {0.68f, ClosingVelText, DockRangeRateFeet(), "###.0"},
                   {0.86f, RangeText, DockRangeFeet, "####.0"}});
}

void DrawHudApproachReadouts() {
  std::vector<Readout> items = FlightReadouts();
  items.push_back({0.92f, LPDText, static_cast<double>(LPDAngle), "##"});
  DrawReadoutLine(items);
}

void DrawHudReadouts() {
  std::vector<Readout> items = {{0.34f, CmdVVText, CommandedVerticalRate, "###.0"}};
  const std::vector<Readout> flight = FlightReadouts();
  items.insert(items.end(), flight.begin(), flight.end());
  DrawReadoutLine(items);
}

void DrawLandingScoreTable() {
  DrawScoreHeader();
  const PilotRecord& s = CurrentScore;
  const std::string& smooth = UiText[SmoothnessText];
  DrawScoreRows({{0.24f, UiText[HistoricalText], static_cast<double>(s.SitePoints), "  400"},
                 {0.28f, UiText[AccuracyText], static_cast<double>(s.TargetPoints), "  500"},
                 {0.32f, smooth + " > 100':", static_cast<double>(s.PathPoints), "1000"},
                 {0.36f, smooth + " < 100':", static_cast<double>(s.SmoothPoints), "1000"},
                 {0.40f, UiText[LandingSiteText], static_cast<double>(s.LevelPoints), "  500"},
                 {0.44f, UiText[VelocityText], static_cast<double>(s.SpeedPoints), "1000"},
                 {0.48f, UiText[ManualThrottleText], s.ManualThrottleBonus, UiText[BonusText]},
                 {0.52f, UiText[ManualFlightTimeText], s.ManualAttitudeBonus, UiText[BonusText]},
                 {0.56f, UiText[TotalText], static_cast<double>(s.LandingTotal), "4400+"}});
  DrawScreenText(UiText[BestEverText], 0.06f * W(), 0.60f * H(), Orange, ScoreFontId());
  DrawScreenText(win::FormatNumber(ActivePilotBest().LandingTotal, "###0"), 0.24f * W(),
                 0.60f * H(), Orange, ScoreFontId());
}

void DrawRaceScoreTable() {
  DrawScoreHeader();
  const PilotRecord& s = CurrentScore;
  DrawScoreRows({{0.24f, UiText[TimeText], s.RaceTimePoints, " 5000"},
                 {0.28f, UiText[AltitudeText], s.RaceHeightPoints, " 4000"},
                 {0.32f, UiText[ManualThrottleText], s.RaceManualPoints, " 1000"},
                 {0.36f, UiText[TotalText], static_cast<double>(s.RaceTotal), "10000"}});
}

void DrawScoreTable() {
  if (MissionType == LMRaceMission)
    DrawRaceScoreTable();
  else
    DrawLandingScoreTable();
}

void DrawViewOverlays() {
  const float alpha = ViewRecords[CockpitView1].Active ? 1.0f : PanelAlpha;
  const uint32_t c = engine::EngineGlobals::MakeColor(1, 1, 1, alpha);
  const auto item = [&](PanelIndex index, int32_t texture, bool mirrored = false) {
    const PanelItem& p = InstrumentLayout[index];
    if (!p.Enabled) return;
    const float left = ScaledX(p.Left);
    const float right = ScaledX(p.Right);
    DrawQuad(texture, mirrored ? right : left, ScaledY(p.Top), mirrored ? left : right,
             ScaledY(p.Bottom), c);
  };
  Screen2DDraw->Begin();
  item(PanelFDAI, FDAISurface->GetTexture());
  item(PanelXPointer, XPointerSurface->GetTexture());
  item(PanelAltitudeTape, AltitudeSurface->GetTexture());
  item(PanelAltitudeRateTape, AltitudeRateSurface->GetTexture());
  DrawQuad(TextureIds.LPDCockpit, ScaledX(630), ScaledY(100), ScaledX(1030), ScaledY(1440), c);
  DrawQuad(TextureIds.Panel, 0, 0, W(), H(), c);
  item(PanelThrottleArrowCMD, ThrottleSurface->GetTexture());
  item(PanelThrottleArrowACT, ThrottleSurface->GetTexture(), true);
  item(PanelContactLight,
       ContactLightFlags[1] ? TextureIds.ContactLightOn : TextureIds.ContactLightOff);
  DrawButtonSprite3(PGNSSwitch, c);
  for (const PanelItem* sprite :
       {&XPointerSwitch, &DeadbandSwitch, &RateScaleSwitch, &AutoThrottleSwitch})
    DrawButtonSprite2(*sprite, c);
  const PanelItem& fuel = InstrumentLayout[PanelFuelLED];
  if (fuel.Enabled) DrawFuelLEDs(FuelPercent, fuel.Left, fuel.Top, fuel.Right, fuel.Bottom);
  item(PanelDSKY, DSKYSurface->GetTexture());
  item(PanelDSKYLights, DSKYLightsSurface->GetTexture());
  Screen2DDraw->End();
}

void DrawFuelLEDs(float value, float left, float top, float right, float bottom) {
  const float sx = ScreenScaleX;
  const float w = (right - left) / 2 * sx;
  const std::string s = win::FormatNumber(value, "00");
  const uint32_t colour = ViewRecords[CockpitView2].Active
                              ? engine::EngineGlobals::MakeColor(1, 1, 1, FuelDigitsAlpha)
                              : ArgbWhite;
  for (size_t i = 0; i < 2; ++i) {
    const int digit = s[i] >= '0' && s[i] <= '9' ? s[i] - '0' : 0;
    const float x = static_cast<float>(i) * w + left * sx;
    DrawQuad(TextureIds.DSKYGlyphs[static_cast<size_t>(digit)], x, top * ScreenScaleY, x + w,
             bottom * ScreenScaleY, colour);
  }
}
