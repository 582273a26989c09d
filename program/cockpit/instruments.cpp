#include "program/cockpit/instruments.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <vector>

#include "platform/win/numbers.h"
#include "program/cockpit/cockpit_state.h"
#include "program/cockpit/draw_2d.h"
#include "program/flight/docking.h"
#include "program/flight/flight_loop_state.h"
#include "program/flight/flight_maths.h"
#include "program/flight/flight_state.h"
#include "program/missions/missions_state.h"
#include "program/scene/cockpit_models.h"
#include "program/scene/engine_objects.h"
#include "program/scene/scene_state.h"

namespace {

constexpr float BallFrustumAngle = 40.0f;  // degrees
constexpr float BallFrustumFar = 50000.0f;
constexpr float BallFrustumNear = 1.0f;
constexpr float BallLightRange = 100.0f;  // world units
// The ball lamp sits just above the ball's camera mount, in the mount's axes.
constexpr d3dx::D3DXVECTOR3 BallLightOffset{0.0f, 10.0f, 0.0f};

constexpr float RateScaleSpan = 25.0f;  // degrees/s at either end of a rate scale
constexpr int32_t DigitCell = 32;       // pixels of one digit of a strip
constexpr int32_t SecondsPerMinute = 60;
constexpr int32_t MinutesPerHour = 60;
constexpr double HundredthsSlack = 1e-6;

// Clears the surface and runs draw(width, height) inside one 2D batch on it.
template <typename Draw>
void Paint(engine::EngineRenderSurface& surface, Draw draw) {
  const float w = static_cast<float>(surface.GetWidth());
  const float h = static_cast<float>(surface.GetHeight());
  surface.StartRender(true);
  Screen2DDraw->Begin();
  draw(w, h);
  Screen2DDraw->End();
  surface.EndRender();
}

float RateFraction(float radiansPerSecond) {
  return (radiansPerSecond * DegreesPerRadianSingle + RateScaleSpan) / (2.0f * RateScaleSpan);
}

int32_t DigitTexture(const std::string& digit) {
  const int value = !digit.empty() && digit[0] >= '0' && digit[0] <= '9' ? digit[0] - '0' : 0;
  return TextureIds.DSKYGlyphs[static_cast<size_t>(value)];
}

// Digit cells from x = 0 along a strip, then the strip's texture on each of its meshes.
void PaintStrip(engine::EngineRenderSurface& surface, const std::vector<std::string>& digits,
                std::initializer_list<const char*> meshes) {
  Paint(surface, [&](float, float) {
    for (size_t i = 0; i < digits.size(); ++i) {
      const float x = static_cast<float>(DigitCell * static_cast<int32_t>(i));
      DrawQuad(DigitTexture(digits[i]), x, 0, x + DigitCell, DigitCell);
    }
  });
  for (const char* mesh : meshes) CockpitPart(mesh).SetTexture(surface.GetTexture(), -1.0f);
}

bool FliesTheTapes(int32_t program) {
  switch (program) {
    case P12:
    case P63:
    case P64:
    case P65:
    case P66:
    case P70:
    case P71:
      return true;
    default:
      return false;
  }
}

// Character i of a digit text as a digit string.
std::string CharAt(const std::string& text, size_t i) { return std::string(1, text[i]); }

void SetHourDigits(TimeRecord& clock) {
  const std::string hours = win::FormatNumber(std::abs(clock.Hours), "000");
  clock.HoursHundreds = CharAt(hours, hours.size() - 3);
  clock.HoursTens = CharAt(hours, hours.size() - 2);
  clock.HoursOnes = CharAt(hours, hours.size() - 1);
  clock.Sign.assign(1, clock.Hours < 0 ? 'm' : 'p');
}

void SetMinuteDigits(TimeRecord& clock) {
  const std::string minutes = win::FormatNumber(clock.Minutes, "00");
  clock.MinutesTens = CharAt(minutes, 0);
  clock.MinutesOnes = CharAt(minutes, 1);
}

}  // namespace

void DrawCockpitDisplays() {
  Screen2DDraw->SetTextureFilter(TextureFilter2D);
  DrawAttitudeBall();
  DrawCrossPointer();
  DrawAltitudeTape();
  DrawAltitudeRateTape();
  DrawThrottleArrow();
  DrawThrustToWeightArrow();
}

void DrawAttitudeBall() {
  engine::EngineRenderSurface& surface = *FDAISurface;
  surface.SetFrustum(BallFrustumAngle, BallFrustumFar, BallFrustumNear);
  surface.GetCamera().SetMatrix(FDAIBallCameraPoint->GetMatrix());

  d3d::D3DLIGHT8& lamp = LightRecords[InstrumentPointLight];
  const d3dx::D3DXVECTOR3 at = FDAIBallCameraPoint->TransformVector(BallLightOffset);
  const d3dx::D3DXVECTOR3 place = engine::EngineGlobals::MakeVector(at.x, at.y, at.z);
  lamp.Position = {place.x, place.y, place.z};
  lamp.Range = BallLightRange;
  LightEngine->SetLight(LightIds[InstrumentPointLight], lamp);
  LightEngine->EnableLight(LightIds[InstrumentPointLight], true);
  for (int n : {SunLight, FillLight, NearPointLight}) LightEngine->EnableLight(LightIds[n], false);

  const float k = FDAIScale;
  const float s = static_cast<float>(surface.GetWidth());
  surface.StartRender(true);
  // The pivot carries the ball's camera mount; drawing it brings the mount along.
  FDAIBallCameraPivot->Render();
  FDAIBall->Render();
  Screen2DDraw->Begin();
  const TextureIdSet& t = TextureIds;
  DrawQuad(t.FDAI1, 1, 0, s + 1, s);
  const float roll = s * RollAxis.NeedleSmoothed;
  DrawQuad(t.VertNeedle, roll - 4 * k, 0, roll + 4 * k, 0.3f * s);
  const float pitch = s * PitchAxis.NeedleSmoothed;
  DrawQuad(t.HorzNeedle, 0.7f * s, pitch - 4 * k, s, pitch + 4 * k);
  const float yaw = s * YawAxis.NeedleSmoothed;
  DrawQuad(t.VertNeedle, yaw - 4 * k, 0.7f * s, yaw + 4 * k, s);
  DrawQuad(t.FDAI2, 1, 0, s + 1, s);

  const auto across = [&](float rate) {
    return 0.2732f * s + (0.7227f * s - 0.2732f * s) * RateFraction(rate) - 6.5f * k;
  };
  const float rollX = across(RollAxis.Rate);
  DrawQuad(t.DownArrow, rollX, 0.082f * s, rollX + 13 * k, 0.082f * s + 20 * k);
  const float yawX = across(YawAxis.Rate);
  DrawQuad(t.UpArrow, yawX, 0.88f * s, yawX + 13 * k, 0.88f * s + 20 * k);
  const float pitchY =
      0.2672f * s + (0.7198f * s - 0.2672f * s) * RateFraction(PitchAxis.Rate) - 7 * k;
  DrawQuad(t.LeftArrow, 0.878f * s, pitchY, 0.878f * s + 20 * k, pitchY + 13 * k);
  Screen2DDraw->End();
  surface.EndRender();
  LightEngine->EnableLight(LightIds[InstrumentPointLight], false);
}

void DrawCrossPointer() {
  const bool docking = CurrentProgram == P20;
  const float p = docking ? DockClosingAngleRate : HorizontalVelocityForward;
  const float q = docking ? DockLateralAngleRate : HorizontalVelocityLateral;
  const float scale = XPointerHighScale != 0 ? 200.0f : 20.0f;
  Paint(*XPointerSurface, [&](float w, float h) {
    DrawQuad(TextureIds.XPointer, 0, 0, w, h);
    const float across = std::clamp((scale - p) / (2 * scale), 0.0f, 1.0f);
    const float y = 0.04f * h + (0.87f * h - 0.04f * h) * across;
    DrawQuad(TextureIds.BWHorzNeedle, 0.17f * w, y - 2, 0.95f * w, y + 2);
    const float along = std::clamp((q + scale) / (2 * scale), 0.0f, 1.0f);
    const float x = 0.17f * w + (0.95f * w - 0.17f * w) * along;
    DrawQuad(TextureIds.BWVertNeedle, x - 2, 0.04f * h, x + 2, 0.87f * h);
  });
}

void DrawAltitudeTape() {
  if (CurrentProgram == P20)
    InstrumentReadouts.ShownAltitude = DockRangeFeet;
  else if (FliesTheTapes(CurrentProgram))
    InstrumentReadouts.ShownAltitude = AltitudeAboveGround;
  // The scale has no marks below the ground.
  const float v = std::max(InstrumentReadouts.ShownAltitude, 0.0f);
  struct Segment {
    float top, rate, base;
  };
  const Segment segment = v < 100      ? Segment{100, 974.0f / 100, 2349}
                          : v <= 1000  ? Segment{1000, 877.0f / 900, 1471}
                          : v <= 10000 ? Segment{10000, 874.0f / 9000, 597}
                                       : Segment{70000, 582.0f / 60000, 15};
  Paint(*AltitudeSurface, [&](float w, float h) {
    const float e = h / 256;
    const float f = 190 * h / 256;
    const float y = f - segment.base * e - (segment.top - v) * segment.rate * e;
    DrawQuad(TextureIds.AltitudeTape, 0, 0, w, h);
    DrawQuad(TextureIds.Altitude, 0, y, 0.757f * w, y + 3411 * e);
  });
}

void DrawAltitudeRateTape() {
  if (CurrentProgram == P20)
    InstrumentReadouts.ShownAltitudeRate = DockRangeRateFeet();
  else if (FliesTheTapes(CurrentProgram))
    InstrumentReadouts.ShownAltitudeRate = static_cast<float>(LMVelocity.y);
  const float v = InstrumentReadouts.ShownAltitudeRate;
  Paint(*AltitudeRateSurface, [&](float w, float h) {
    const float e = h / 256;
    const float f = 190 * h / 256;
    const float y = v >= 100    ? f - 1107 * e - (v - 100) * (222.0f / 500) * e
                    : v <= -100 ? f - (v + 600) * (269.0f / 600) * e
                                : f - 222 * e - (v + 100) * 4.44f * e;
    DrawQuad(TextureIds.AltitudeTape, 0, 0, w, h);
    DrawQuad(TextureIds.AltitudeRate, 0, y, 0.757f * w, y + 1327 * e);
  });
}

void DrawThrottleArrow() {
  Paint(*ThrottleSurface, [](float w, float h) {
    Screen2DDraw->DrawFilledBox(0, 0, w, h, ArgbWhite, ArgbWhite, ArgbWhite, ArgbWhite);
    const float y = h * std::clamp(1.0f - ThrustAverage, 0.0f, 1.0f) - 8;
    DrawQuad(TextureIds.RightArrow, 0, y, w, y + 16);
  });
}

void DrawThrustToWeightArrow() {
  Paint(*PanelSurface, [](float w, float h) {
    Screen2DDraw->DrawFilledBox(0, 0, w, h, ArgbWhite, ArgbWhite, ArgbWhite, ArgbWhite);
    const float y = (h - 22) * std::clamp(1.0f - ThrustToWeight / 10.0f, 0.0f, 1.0f) - 8;
    DrawQuad(TextureIds.LeftArrow, 0, y, w, y + 16);
  });
}

void AdvanceClock(TimeRecord& clock, double step) {
  clock.SecondsValue += step;
  if (clock.SecondsValue >= SecondsPerMinute) {
    clock.SecondsValue -= SecondsPerMinute;
    if (++clock.Minutes >= MinutesPerHour) {
      clock.Minutes = 0;
      ++clock.Hours;
      SetHourDigits(clock);
    }
    SetMinuteDigits(clock);
  } else if (clock.SecondsValue < 0) {
    clock.SecondsValue += SecondsPerMinute;
    if (--clock.Minutes < 0) {
      clock.Minutes = MinutesPerHour - 1;
      --clock.Hours;
      SetHourDigits(clock);
    }
    SetMinuteDigits(clock);
  }
  // Whole seconds count down to the second, so that the fraction stays in [0, 1).
  const double whole = std::floor(clock.SecondsValue);
  clock.Seconds = std::min(static_cast<int32_t>(whole), SecondsPerMinute - 1);
  // The sum of the frame steps is a hair off its decimal value; the digits take the value.
  const int32_t hundredths = std::clamp(
      static_cast<int32_t>(std::floor((clock.SecondsValue - whole) * 100 + HundredthsSlack)), 0,
      99);
  clock.Tenths = std::to_string(hundredths / 10);
  clock.Hundredths = std::to_string(hundredths % 10);
  if (clock.Seconds != clock.SecondsRounded || clock.SecondsOnes.empty()) {
    const std::string seconds = win::FormatNumber(clock.Seconds, "00");
    clock.SecondsTens = CharAt(seconds, 0);
    clock.SecondsOnes = CharAt(seconds, 1);
  }
  clock.SecondsRounded = clock.Seconds;
  clock.TotalValue =
      (std::abs(clock.Hours) * double{MinutesPerHour} + clock.Minutes) * SecondsPerMinute +
      clock.SecondsValue;
  clock.TotalSeconds = win::RoundHalfEven(clock.TotalValue);
}

void DrawDataDisplays() {
  AdvanceClock(MissionClock, FrameTimeSec);
  AdvanceClock(EventClock, FrameTimeSec);
  if (CurrentProgram == P12 || CurrentProgram == P40 || CurrentProgram == P70 ||
      CurrentProgram == P71)
    TimeToIgnition = SubtractTimes(IgnitionTime, MissionClock);
  const TimeRecord& m = MissionClock;
  PaintStrip(*DataDisplaySurfaces[0], {m.MinutesTens, m.MinutesOnes, m.SecondsTens, m.SecondsOnes},
             {MissionTimerMinSecMesh});
  PaintStrip(*DataDisplaySurfaces[1], {"0", m.HoursHundreds, m.HoursTens, m.HoursOnes},
             {MissionTimerHoursMesh});
  const TimeRecord& e = EventClock;
  PaintStrip(*DataDisplaySurfaces[2], {e.MinutesTens, e.MinutesOnes, e.SecondsTens, e.SecondsOnes},
             {EventTimerMesh});
}

void DrawCounterDigits4() {
  const std::string s = win::FormatNumber(CockpitCounterValue, "0000");
  // Past 9999 the counter shows its last four digits.
  const size_t first = s.size() - 4;
  const std::string units = CharAt(s, first + 3);
  if (units == InstrumentReadouts.LastCounterDigit) return;
  PaintStrip(*CounterSurface, {CharAt(s, first), CharAt(s, first + 1), CharAt(s, first + 2), units},
             {CounterMesh});
  InstrumentReadouts.LastCounterDigit = units;
}

void DrawCounterDigits2() {
  FuelPercent = std::clamp(FuelPercent, 0.0f, 99.0f);
  const std::string s = win::FormatNumber(FuelPercent, "00");
  PaintStrip(*FuelCounterSurface, {CharAt(s, 0), CharAt(s, 1)},
             {FuelDisplayMeshes[0], FuelDisplayMeshes[1]});
  InstrumentReadouts.FuelUnitsDigit = s[1] - '0';
}

void SetTwoDigitDisplay(double value) {
  const int32_t n = win::RoundHalfEven(value);
  if (n != InstrumentReadouts.TwoDigitValue && n < 100) {
    // A time already run out shows as 00 rather than as a sign in the tens.
    const std::string s = win::FormatNumber(std::max(n, 0), "00");
    LPDTimeOnes = CharAt(s, 1);
    LPDTimeTens = CharAt(s, 0);
  }
  InstrumentReadouts.TwoDigitValue = n;
}

void CheckAttitudeWarnings() {
  const float a = AltitudeAboveGround;
  const float angle = a > 1 ? std::atan(HorizontalVelocityForward / a) : 0.0f;
  const float b = (a - 300) / 3000;
  const float limit1 = std::clamp(b + 0.1f, 0.1f, 0.22f);
  const float limit2 = std::clamp(b + 0.07f, 0.07f, 0.19f);
  const float fastest = std::max(RollAxis.Rate, PitchAxis.Rate);
  AltitudeWarning = angle > limit1 || fastest > 0.145f;
  VelocityWarning = angle > limit2 || fastest > 0.175f;
}
