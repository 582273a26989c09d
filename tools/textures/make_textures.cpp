// make_textures PROGRAM_FOLDER FONT EARTH_MAP MOON_MAP INSTRUMENT_LAYOUT: draws the program
// folder's pictures: the instruments and the DSKY, the 2D panel, the sky and the flares, the
// loading screen and the menu buttons, the Earth and the whole Moon from the installed maps, and
// the pictures that models name. Transparent parts use the colour key each picture is loaded
// with (black, red or white), or the alpha channel where the program loads with no key or with
// the code colour (250, 255, 172), which asks for the alpha channel and keys nothing.
//
// The instrument scales sit where the instruments read them: the altitude tape's marks at
// 15 + (70000 - h) 582 / 60000 rows (above 10000 ft), 597 + (10000 - h) 874 / 9000 (1000 to
// 10000 ft), 1471 + (1000 - h) 877 / 900 (100 to 1000 ft) and 2349 + (100 - h) 9.74 (below 100 ft)
// of a 3411-row scale; the rate tape's at 222 + (v + 100) 4.44 rows (-100 to 100 ft/s),
// 1107 + (v - 100) 222 / 500 (above) and (v + 600) 269 / 600 (below) of a 1327-row scale; the DSKY
// face's windows and the lamp panel's cells where the DSKY draws its glyphs and lamps.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <numbers>
#include <string>
#include <vector>

#include "platform/win/ascii_case.h"
#include "platform/win/trim.h"
#include "tools/common/canvas.h"
#include "tools/common/elapsed.h"

namespace {

namespace fs = std::filesystem;
constexpr float Pi = std::numbers::pi_v<float>;

constexpr uint32_t Transparent = 0;
constexpr uint32_t Black = Argb(0, 0, 0);
constexpr uint32_t White = Argb(255, 255, 255);
constexpr uint32_t DisplayGreen = Argb(90, 255, 120);
constexpr uint32_t PanelGrey = Argb(96, 100, 104);
constexpr uint32_t Amber = Argb(255, 190, 60);

class Pictures {
 public:
  explicit Pictures(fs::path folder) : folder_(std::move(folder)) {}
  void Write(const std::string& file, const ArgbImage& image) {
    const fs::path path = folder_ / file;
    fs::create_directories(path.parent_path());
    WriteImage(path, image);
    ++count_;
  }
  int Count() const { return count_; }

 private:
  fs::path folder_;
  int count_ = 0;
};

ArgbImage Filled(uint32_t w, uint32_t h, uint32_t colour) { return ArgbImage(w, h, colour); }

float F(uint32_t v) { return static_cast<float>(v); }

// ---- Small pictures ----------------------------------------------------------------------

// A soft round glow on black, for the sun, the flares and particles.
ArgbImage Glow(uint32_t side, float core, float falloff, uint32_t colour, float ring = 0) {
  ArgbImage image(side, side, Black);
  const float c = F(side) / 2;
  for (uint32_t y = 0; y < side; ++y)
    for (uint32_t x = 0; x < side; ++x) {
      const float d = std::hypot(F(x) + 0.5f - c, F(y) + 0.5f - c) / c;
      float v = d < core ? 1.0f : std::exp(-(d - core) * falloff);
      if (ring > 0) v = std::exp(-std::pow((d - ring) * 8.0f, 2.0f)) * 0.8f;
      if (d >= 1.0f) v = 0;
      Blend(image, static_cast<int>(x), static_cast<int>(y), colour, v);
    }
  return image;
}

ArgbImage Arrow(uint32_t side, int direction, uint32_t background) {
  ArgbImage image(side, side, background);
  const float s = F(side);
  // The point first, then the base corners, pointing up before turning.
  std::array<std::array<float, 2>, 3> p = {{{0.5f, 0.05f}, {0.95f, 0.95f}, {0.05f, 0.95f}}};
  for (auto& q : p) {
    for (int k = 0; k < direction; ++k) q = {1 - q[1], q[0]};  // a quarter turn clockwise
  }
  for (uint32_t y = 0; y < side; ++y)
    for (uint32_t x = 0; x < side; ++x) {
      const float px = (F(x) + 0.5f) / s, py = (F(y) + 0.5f) / s;
      bool inside = true;
      for (int k = 0; k < 3; ++k) {
        const auto& a = p[static_cast<size_t>(k)];
        const auto& b = p[static_cast<size_t>((k + 1) % 3)];
        const float cross = (b[0] - a[0]) * (py - a[1]) - (b[1] - a[1]) * (px - a[0]);
        if (cross < 0) inside = false;
      }
      if (inside) image.At(x, y) = White;
    }
  return image;
}

// The seven segments of a display digit (a top, b upper right, c lower right, d bottom, e lower
// left, f upper left, g middle) and the sign glyphs.
ArgbImage Glyph(const std::string& segments, bool plus = false, uint32_t colour = DisplayGreen) {
  constexpr uint32_t W = 34, H = 56;
  ArgbImage image(W, H, Black);
  const float l = 7, r = 27, t = 5, m = 28, b = 51, w = 4.5f;
  const std::map<char, std::array<float, 4>> bars = {
      {'a', {l, t, r, t}}, {'b', {r, t, r, m}}, {'c', {r, m, r, b}}, {'d', {l, b, r, b}},
      {'e', {l, m, l, b}}, {'f', {l, t, l, m}}, {'g', {l, m, r, m}}};
  for (char s : segments) {
    const auto& q = bars.at(s);
    Line(image, q[0], q[1], q[2], q[3], w, colour);
  }
  if (plus) Line(image, 17, m - 10, 17, m + 10, w, colour);
  return image;
}

const std::array<const char*, 10> DigitSegments = {
    "abcdef", "bc", "abdeg", "abcdg", "bcfg", "acdfg", "acdefg", "abc", "abcdefg", "abcdfg"};

ArgbImage Lamp(uint32_t w, uint32_t h, const std::string& label, bool lit, uint32_t litColour) {
  ArgbImage image(w, h, lit ? litColour : Argb(40, 40, 38));
  const size_t space = label.find(' ');
  FrameRect(image, 0, 0, static_cast<int>(w), static_cast<int>(h), 2, Argb(20, 20, 20));
  // Two lines where the label has a blank.
  const uint32_t ink = lit ? Argb(30, 25, 10) : Argb(70, 70, 66);
  // As large as the lamp's height allows, but no wider than the lamp.
  float size = F(h) * 0.26f;
  const std::string first = label.substr(0, space),
                    second = space == std::string::npos ? "" : label.substr(space + 1);
  const float widest = std::max(TextWidth(first, size), TextWidth(second, size));
  if (widest > F(w) - 6) size *= (F(w) - 6) / widest;
  if (space == std::string::npos) {
    Text(image, label, F(w) / 2, F(h) / 2 + size / 2, size, ink, Align::Centre);
  } else {
    Text(image, first, F(w) / 2, F(h) / 2 - 2, size, ink, Align::Centre);
    Text(image, second, F(w) / 2, F(h) / 2 + size + 2, size, ink, Align::Centre);
  }
  return image;
}

void WritePlainAndSmall(Pictures& out) {
  out.Write("Textures/black.png", Filled(16, 16, Black));
  out.Write("Textures/blacksolid.jpg", Filled(16, 16, Black));
  out.Write("Textures/cgray.png", Filled(16, 16, Argb(128, 128, 128)));
  out.Write("Textures/white.png", Filled(16, 16, White));
  out.Write("Textures/yellow.png", Filled(16, 16, Argb(255, 255, 0)));
  out.Write("Textures/nomouse.png", Filled(4, 4, Black));
  {
    ArgbImage star(32, 32, Transparent);
    Line(star, 16, 2, 16, 30, 2, White);
    Line(star, 2, 16, 30, 16, 2, White);
    FillCircle(star, 16, 16, 4, White);
    out.Write("Textures/Star.png", star);
  }
  {
    ArgbImage pointer(32, 32, White);  // the mouse arrow, its background keyed white
    for (int y = 0; y < 24; ++y)
      for (int x = 0; x <= y / 2; ++x)
        pointer.At(static_cast<uint32_t>(x + 2), static_cast<uint32_t>(y + 2)) = Black;
    out.Write("Textures/ArrowPointer.png", pointer);
  }
  out.Write("Textures/sun.png", Glow(128, 0.25f, 5, Argb(255, 250, 230)));
  out.Write("Textures/flare0.png", Glow(64, 0, 1, Argb(180, 200, 255), 0.7f));
  out.Write("Textures/flare4.png", Glow(64, 0.1f, 4, Argb(255, 220, 200)));
  out.Write("Textures/particle.dds", Glow(32, 0.1f, 3, Argb(230, 225, 215)));
  for (int n = 1; n <= 14; ++n) {  // the explosion, growing and cooling
    const float t = static_cast<float>(n) / 14.0f;
    const uint32_t g = static_cast<uint32_t>(220 - 150 * t),
                   b = static_cast<uint32_t>(120 - 100 * t);
    ArgbImage blast = Glow(32, 0.2f + 0.5f * t, 4 - 2 * t, Argb(255, g, b));
    for (int k = 0; k < 12; ++k)
      FillCircle(blast, 6 + 20 * Hash01(k, n, 5), 6 + 20 * Hash01(k, n, 6), 1 + 3 * t,
                 Argb(255, g / 2, 0, 200));
    out.Write("Textures/blasta" + std::to_string(n) + ".png", blast);
  }
  for (int n = 1; n <= 5; ++n) {  // RCS plumes: a pale streak fading from the nozzle
    ArgbImage plume(32, 64, Black);
    for (uint32_t y = 0; y < 64; ++y)
      for (uint32_t x = 0; x < 32; ++x) {
        const float across = std::abs(F(x) - 15.5f) / 16.0f;
        const float along = F(y) / 64.0f;
        const float flicker =
            0.7f + 0.3f * ValueNoise(F(x) / 6, F(y) / 6, static_cast<uint32_t>(n));
        const float v = (1 - along) * std::max(0.0f, 1 - across / (0.3f + 0.7f * along)) * flicker;
        Blend(plume, static_cast<int>(x), static_cast<int>(y), Argb(235, 240, 255), v);
      }
    out.Write("Textures/RCSPlume" + std::to_string(n) + ".dds", plume);
  }
  {
    ArgbImage spot(256, 256, Black);
    Ring(spot, 128, 128, 100, 112, Argb(255, 230, 40));
    Ring(spot, 128, 128, 40, 48, Argb(255, 230, 40));
    Line(spot, 128, 10, 128, 246, 6, Argb(255, 230, 40));
    Line(spot, 10, 128, 246, 128, 6, Argb(255, 230, 40));
    out.Write("Textures/GroundSpot.png", spot);
  }
  {
    ArgbImage bracket(256, 256, Transparent);
    FrameRect(bracket, 0, 0, 256, 256, 12, PanelGrey);
    out.Write("Textures/instrumentbracket.png", bracket);
  }
  for (bool on : {true, false}) {
    const std::string n = on ? "On" : "Off";
    out.Write("Textures/ContactLight" + n + ".png",
              Lamp(64, 32, "CONTACT", on, Argb(120, 170, 255)));
    out.Write("Textures/Instruments/Cont" + n + ".png",
              Lamp(64, 32, "CONTACT", on, Argb(120, 170, 255)));
    out.Write(on ? "Models/desqty.jpg" : "Models/desqtyoff.jpg",
              Lamp(64, 32, "DES QTY", on, Amber));
  }
  {
    ArgbImage foil(256, 256);
    for (uint32_t y = 0; y < 256; ++y)
      for (uint32_t x = 0; x < 256; ++x) {
        const float v = 0.6f + 0.4f * FractalNoise(F(x) / 16, F(y) / 16, 4, 11);
        foil.At(x, y) = Argb(static_cast<uint32_t>(230 * v), static_cast<uint32_t>(180 * v),
                             static_cast<uint32_t>(70 * v));
      }
    out.Write("Textures/LegWrap.jpg", foil);
  }
  // Needles: the FDAI's error needles in yellow, the cross-pointer's bars in white.
  const auto bar = [](uint32_t w, uint32_t h, uint32_t colour) {
    ArgbImage image(w, h, Black);
    FillRect(image, 1, 1, static_cast<int>(w) - 1, static_cast<int>(h) - 1, colour);
    return image;
  };
  out.Write("Textures/needlhorz.dds", bar(64, 8, Argb(255, 200, 0)));
  out.Write("Textures/needlvert.dds", bar(8, 64, Argb(255, 200, 0)));
  out.Write("Textures/needlebwhorz.dds", bar(64, 8, White));
  out.Write("Textures/needlebwvert.dds", bar(8, 64, White));
  out.Write("Textures/UpArrow.png", Arrow(32, 0, Transparent));
  out.Write("Textures/downarrow.png", Arrow(32, 2, Transparent));
  out.Write("Textures/RightArrow.png", Arrow(32, 1, Black));
  out.Write("Textures/LeftArrow.png", Arrow(32, 3, Black));
  for (int position = 0; position < 3; ++position) {
    ArgbImage sw(32, 64, Black);
    FillCircle(sw, 16, 32, 9, Argb(150, 150, 150));
    const float tip = 32.0f - 22.0f * static_cast<float>(position - 1) * -1.0f;
    Line(sw, 16, 32, 16, tip, 6, Argb(220, 220, 220));
    out.Write(std::string("Textures/Switch") +
                  (position == 0   ? "Up"
                   : position == 1 ? "Middle"
                                   : "Down") +
                  ".png",
              sw);
  }
  {
    ArgbImage bezel(256, 256, PanelGrey);  // a frame; the inside keyed out
    FillCircle(bezel, 128, 128, 112, Black);
    Ring(bezel, 128, 128, 112, 118, Argb(60, 60, 60));
    out.Write("Textures/Bezel1.dds", bezel);
  }
  for (int n = 0; n < 10; ++n)
    out.Write("Textures/D" + std::to_string(n) + ".png",
              Glyph(DigitSegments[static_cast<size_t>(n)]));
  out.Write("Textures/Dm.png", Glyph("g"));
  out.Write("Textures/Dp.png", Glyph("g", true));
  out.Write("Textures/Db.png", Glyph(""));
  out.Write("Textures/Dpb.png", Glyph("g", true, Argb(40, 120, 60)));
}

// ---- The DSKY ----------------------------------------------------------------------------

void WriteDSKY(Pictures& out) {
  ArgbImage face(128, 256, Argb(40, 42, 44));
  const auto window = [&](int l, int t, int r, int b) { FillRect(face, l, t, r, b, Black); };
  const auto label = [&](const char* text, float x, float y) {
    FillRect(face, static_cast<int>(x) - 16, static_cast<int>(y) - 9, static_cast<int>(x) + 16,
             static_cast<int>(y) + 2, DisplayGreen);
    Text(face, text, x, y, 7, Black, Align::Centre);
  };
  window(16, 11, 48, 48);  // COMP ACTY
  label("PROG", 100, 22);
  window(85, 27, 115, 52);
  label("VERB", 30, 69);
  window(15, 74, 45, 100);
  label("NOUN", 100, 69);
  window(85, 74, 115, 100);
  for (int y : {122, 170, 215}) {
    window(10, y - 2, 116, y + 30);
    FillRect(face, 10, y - 8, 116, y - 6, DisplayGreen);  // the line above each register
  }
  out.Write("Textures/Instruments/DSKYDisp.png", face);

  ArgbImage lamps(128, 256, Argb(40, 42, 44));
  const std::array<std::array<int, 2>, 7> rows = {
      {{9, 37}, {44, 72}, {79, 107}, {114, 142}, {149, 177}, {184, 212}, {219, 247}}};
  for (const auto& row : rows)
    for (int left : {7, 65}) FillRect(lamps, left, row[0], left + 55, row[1], Argb(30, 30, 30));
  out.Write("Textures/Instruments/DSKYLights.png", lamps);

  ArgbImage comp = Lamp(32, 37, "COMP ACTY", true, DisplayGreen);
  out.Write("Textures/Instruments/CompAct.png", comp);

  const std::map<std::string, std::string> labels = {
      {"VEL", "VEL"},         {"ALT", "ALT"},         {"PROG", "PROG"},
      {"TRACKER", "TRACKER"}, {"RESTART", "RESTART"}, {"GIMBALLOCK", "GIMBAL LOCK"},
      {"TEMPA", "TEMP"},      {"OPRERR", "OPR ERR"},  {"KEYREL", "KEY REL"},
      {"STBY", "STBY"},       {"NOATT", "NO ATT"},    {"UPLINKACTY", "UPLINK ACTY"}};
  for (const auto& [file, text] : labels) {
    // The caution lamps are amber, the status lamps white.
    const bool caution = file == "VEL" || file == "ALT" || file == "PROG" || file == "TRACKER" ||
                         file == "RESTART" || file == "GIMBALLOCK" || file == "TEMPA";
    out.Write("Textures/Instruments/" + file + ".png",
              Lamp(56, 28, text, true, caution ? Amber : Argb(240, 240, 230)));
    out.Write("Textures/Instruments/" + file + "off.png", Lamp(56, 28, text, false, Amber));
  }
  out.Write("Textures/Instruments/BLANK.png", Lamp(56, 28, "", true, Argb(240, 240, 230)));
  out.Write("Textures/Instruments/BLANKoff.png", Lamp(56, 28, "", false, Amber));
}

// ---- The tapes, the ball and the cross-pointer -------------------------------------------

constexpr uint32_t AltitudeRows = 3411, RateRows = 1327;  // the scales' rows at e = 1

float AltitudeRow(float h) {
  if (h < 100) return 2349 + (100 - h) * 9.74f;
  if (h <= 1000) return 1471 + (1000 - h) * 877.0f / 900.0f;
  if (h <= 10000) return 597 + (10000 - h) * 874.0f / 9000.0f;
  return 15 + (70000 - h) * 582.0f / 60000.0f;
}

float RateRow(float v) {
  if (v >= 100) return 1107 + (v - 100) * 222.0f / 500.0f;
  if (v <= -100) return (v + 600) * 269.0f / 600.0f;
  return 222 + (v + 100) * 4.44f;
}

// A scale: white ground, black marks; the label of each major mark to its left.
struct Mark {
  float value;
  bool major;
};

ArgbImage Scale(uint32_t rows, uint32_t imageRows, const std::vector<Mark>& marks,
                float (*row)(float), const char* (*label)(float, char*)) {
  ArgbImage image(128, imageRows, Argb(235, 235, 228));
  const float k = F(imageRows) / F(rows);
  char buffer[16];
  for (const Mark& mark : marks) {
    const float y = row(mark.value) * k;
    Line(image, mark.major ? 80 : 100, y, 128, y, mark.major ? 3 : 2, Black);
    if (mark.major) Text(image, label(mark.value, buffer), 74, y + 8, 16, Black, Align::Right);
  }
  return image;
}

const char* Number(float v, char* buffer) {
  std::snprintf(buffer, 16, "%d", static_cast<int>(std::lround(v)));
  return buffer;
}
const char* Thousands(float v, char* buffer) {
  if (v >= 1000) {
    std::snprintf(buffer, 16, "%dK", static_cast<int>(std::lround(v / 1000)));
    return buffer;
  }
  return Number(v, buffer);
}

void WriteInstruments(Pictures& out) {
  std::vector<Mark> altitude;
  for (int h = 0; h < 100; h += 5) altitude.push_back({static_cast<float>(h), h % 20 == 0});
  for (int h = 100; h < 1000; h += 50) altitude.push_back({static_cast<float>(h), h % 100 == 0});
  for (int h = 1000; h < 10000; h += 500)
    altitude.push_back({static_cast<float>(h), h % 1000 == 0});
  for (int h = 10000; h <= 70000; h += 5000)
    altitude.push_back({static_cast<float>(h), h % 10000 == 0});
  // Beyond the device's largest texture the loader would scale the scale: it is drawn 2048 rows.
  out.Write("Textures/Instruments/Altitude.png",
            Scale(AltitudeRows, 2048, altitude, AltitudeRow, Thousands));

  std::vector<Mark> rate;
  for (int v = -600; v < -100; v += 50) rate.push_back({static_cast<float>(v), v % 100 == 0});
  for (int v = -100; v < 100; v += 5) rate.push_back({static_cast<float>(v), v % 20 == 0});
  for (int v = 100; v <= 600; v += 50) rate.push_back({static_cast<float>(v), v % 100 == 0});
  out.Write("Textures/Instruments/AltitudeRate.png",
            Scale(RateRows, RateRows, rate, RateRow, Number));

  {
    // The tape window: dark, with the index at 190/256 of the height, right of the scale.
    ArgbImage tape(64, 256, Argb(30, 30, 30));
    FillRect(tape, 49, 186, 64, 194, Argb(255, 120, 0));
    FrameRect(tape, 0, 0, 64, 256, 2, PanelGrey);
    out.Write("Textures/Instruments/AltitudeTapes.png", tape);
  }
  {
    // FDAI1: the face mask, the ball seen through the keyed circle.
    constexpr uint32_t S = 512;
    ArgbImage mask(S, S, Argb(20, 20, 20));
    FillCircle(mask, 256, 256, 200, Transparent);
    // The fixed aircraft symbol.
    Line(mask, 176, 256, 236, 256, 6, Argb(255, 140, 0));
    Line(mask, 276, 256, 336, 256, 6, Argb(255, 140, 0));
    FillCircle(mask, 256, 256, 6, Argb(255, 140, 0));
    out.Write("Textures/Instruments/FDAI1.png", mask);
    // FDAI2: the bezel with the rate scales (roll along the top from 0.2732 S to 0.7227 S, yaw
    // along the bottom, pitch down the right from 0.2672 S to 0.7198 S); the rest keyed out.
    ArgbImage bezel(S, S, Transparent);
    Ring(bezel, 256, 256, 200, 216, Argb(70, 70, 70));
    const auto scaleMarks = [&](bool across, float from, float to, float at) {
      for (int k = 0; k <= 10; ++k) {
        const float p = (from + (to - from) * static_cast<float>(k) / 10) * F(S);
        const float len = k % 5 == 0 ? 14.0f : 8.0f;
        if (across)
          Line(bezel, p, at, p, at + len, 3, White);
        else
          Line(bezel, at, p, at + len, p, 3, White);
      }
    };
    FillRect(bezel, static_cast<int>(0.26f * S), static_cast<int>(0.05f * S),
             static_cast<int>(0.74f * S), static_cast<int>(0.08f * S), Black);
    scaleMarks(true, 0.2732f, 0.7227f, 0.055f * S);
    FillRect(bezel, static_cast<int>(0.26f * S), static_cast<int>(0.92f * S),
             static_cast<int>(0.74f * S), static_cast<int>(0.95f * S), Black);
    scaleMarks(true, 0.2732f, 0.7227f, 0.925f * S);
    FillRect(bezel, static_cast<int>(0.92f * S), static_cast<int>(0.26f * S),
             static_cast<int>(0.95f * S), static_cast<int>(0.73f * S), Black);
    scaleMarks(false, 0.2672f, 0.7198f, 0.925f * S);
    out.Write("Textures/Instruments/FDAI2.png", bezel);
  }
  {
    // The cross-pointer: the bars move over 0.17 to 0.95 across and 0.04 to 0.87 down.
    constexpr uint32_t S = 256;
    ArgbImage face(S, S, Black);
    const float x0 = 0.17f * S, x1 = 0.95f * S, y0 = 0.04f * S, y1 = 0.87f * S;
    FillRect(face, static_cast<int>(x0), static_cast<int>(y0), static_cast<int>(x1),
             static_cast<int>(y1), Argb(25, 25, 28));
    for (int k = 0; k <= 10; ++k) {
      const float x = x0 + (x1 - x0) * static_cast<float>(k) / 10;
      const float y = y0 + (y1 - y0) * static_cast<float>(k) / 10;
      Line(face, x, y1, x, y1 + (k % 5 == 0 ? 10.0f : 5.0f), 2, White);
      Line(face, x0 - (k % 5 == 0 ? 10.0f : 5.0f), y, x0, y, 2, White);
    }
    Text(face, "FWD", x0 - 4, y0 + 12, 10, White, Align::Right);
    Text(face, "LAT", (x0 + x1) / 2, F(S) - 6, 10, White, Align::Centre);
    out.Write("Textures/Instruments/XPointer.png", face);
  }
  {
    // The attitude ball's map: sky grey above the horizon, ground black below, pitch lines
    // every 10 degrees and their numbers every 30, the headings along the horizon.
    ArgbImage ball(1024, 512);
    for (uint32_t y = 0; y < 512; ++y)
      for (uint32_t x = 0; x < 1024; ++x)
        ball.At(x, y) = y < 256 ? Argb(210, 210, 205) : Argb(30, 30, 30);
    char buffer[16];
    for (int pitch = -80; pitch <= 80; pitch += 10) {
      const float y = 256 - static_cast<float>(pitch) * 256 / 90;
      const uint32_t ink = pitch > 0 ? Black : White;
      Line(ball, 0, y, 1024, y, pitch % 30 == 0 ? 3.0f : 1.5f, ink);
      if (pitch % 30 == 0 && pitch != 0)
        for (int k = 0; k < 4; ++k)
          Text(ball, Number(static_cast<float>(std::abs(pitch)), buffer),
               128 + 256 * F(static_cast<uint32_t>(k)), y - 4, 16, ink, Align::Centre);
    }
    Line(ball, 0, 256, 1024, 256, 4, Argb(255, 255, 255));
    for (int heading = 0; heading < 360; heading += 30) {
      const float x = static_cast<float>(heading) * 1024 / 360;
      Line(ball, x, 236, x, 276, 3, Argb(255, 120, 0));
      Text(ball, Number(static_cast<float>(heading / 10), buffer), x + 4, 250, 14,
           Argb(255, 120, 0));
    }
    out.Write("Models/FDAIBall.png", ball);
  }
}

// ---- The panel, the windows and the sights -----------------------------------------------

struct LayoutRectangle {
  std::string section;
  std::array<int, 4> edges;  // left, top, right, bottom
};

// The rectangles of the 2D instruments in the layout file, in its 1600 by 1200 units.
std::vector<LayoutRectangle> LayoutRectangles(const fs::path& layout) {
  std::ifstream file(layout);
  if (!file) throw std::runtime_error("cannot read " + layout.string());
  std::vector<LayoutRectangle> rectangles;
  std::string section;
  std::map<std::string, int> values;
  const auto flush = [&] {
    if (values.count("left") && values.count("top") && values.count("right") &&
        values.count("bottom") && values["enabled"] != 0)
      rectangles.push_back(
          {section, {values["left"], values["top"], values["right"], values["bottom"]}});
    values.clear();
  };
  std::string line;
  while (std::getline(file, line)) {
    const std::string_view text = win::TrimBlanks(line);
    if (text.empty() || text[0] == ';') continue;
    if (text[0] == '[') {
      flush();
      section = std::string(text.substr(1, text.find(']') - 1));
      values["enabled"] = -1;
      continue;
    }
    const size_t equals = text.find('=');
    if (equals == std::string_view::npos) continue;
    const std::string key = win::FoldAsciiCase(win::TrimBlanks(text.substr(0, equals)));
    values[key] = std::atoi(std::string(text.substr(equals + 1)).c_str());
  }
  flush();
  return rectangles;
}

void WritePanel(Pictures& out, const fs::path& layout) {
  // The 2D panel below the 3D view: grey, with a keyed window where each instrument is drawn.
  // The fuel digits are keyed glyphs drawn over the panel, so their window is the display's
  // dark face rather than a hole onto the scene.
  ArgbImage panel(1600, 1200, Transparent);
  FillRect(panel, 0, 800, 1600, 1200, PanelGrey);
  FillRect(panel, 0, 796, 1600, 804, Argb(60, 60, 64));
  for (const auto& [section, r] : LayoutRectangles(layout)) {
    FillRect(panel, r[0] - 6, r[1] - 6, r[2] + 6, r[3] + 6, Argb(50, 50, 54));
    FillRect(panel, r[0], r[1], r[2], r[3], section == "FuelLEDScreen" ? Black : Transparent);
  }
  out.Write("Textures/MainScreen.png", panel);

  {
    // The landing point designator's scale on the commander's window: degree marks down the pane.
    ArgbImage lpd(256, 256, Black);
    Line(lpd, 128, 10, 128, 246, 3, Argb(255, 80, 80));
    char buffer[16];
    for (int k = 0; k <= 8; ++k) {
      const float y = 10 + 236.0f * static_cast<float>(k) / 8;
      Line(lpd, 100, y, 156, y, 2, Argb(255, 80, 80));
      Text(lpd, Number(static_cast<float>(k * 10), buffer), 96, y + 5, 12, Argb(255, 80, 80),
           Align::Right);
    }
    out.Write("Textures/LPD.png", lpd);
    ArgbImage view(512, 512, Transparent);
    Line(view, 256, 40, 256, 472, 4, Argb(255, 80, 80));
    for (int k = 0; k <= 8; ++k) {
      const float y = 40 + 432.0f * static_cast<float>(k) / 8;
      Line(view, 200, y, 312, y, 3, Argb(255, 80, 80));
      Text(view, Number(static_cast<float>(k * 10), buffer), 190, y + 8, 20, Argb(255, 80, 80),
           Align::Right);
    }
    out.Write("Textures/lpdcockpitview.png", view);
  }
  {
    ArgbImage designator(256, 256, Black);
    Line(designator, 128, 20, 128, 236, 3, Argb(255, 80, 80));
    Line(designator, 20, 128, 236, 128, 3, Argb(255, 80, 80));
    Ring(designator, 128, 128, 60, 63, Argb(255, 80, 80));
    out.Write("Textures/DockingWindowDesignator.png", designator);
  }
  {
    ArgbImage glass(128, 128, Transparent);
    Ring(glass, 64, 64, 40, 43, Argb(255, 200, 80));
    Line(glass, 64, 8, 64, 120, 2, Argb(255, 200, 80));
    Line(glass, 8, 64, 120, 64, 2, Argb(255, 200, 80));
    out.Write("Textures/COASGlass.png", glass);
  }
  {
    ArgbImage skin(1024, 1024, Argb(205, 208, 210));
    for (int k = 0; k < 8; ++k) FillRect(skin, k * 128, 0, k * 128 + 3, 1024, Argb(150, 152, 155));
    FillRect(skin, 0, 420, 1024, 600, Argb(225, 228, 230));
    Text(skin, "UNITED STATES", 512, 540, 80, Argb(40, 40, 40), Align::Centre);
    out.Write("Textures/CMOverlay.png", skin);
  }
}

// ---- Sky, ground details, the loading screen and the buttons -----------------------------

ArgbImage StarryBlack(uint32_t side, uint32_t seed, float glow) {
  ArgbImage sky(side, side, Black);
  for (int k = 0; k < 60; ++k) {
    const uint32_t v = static_cast<uint32_t>(60 + 120 * Hash01(k, 2, seed));
    Blend(sky, static_cast<int>(Hash01(k, 0, seed) * F(side)),
          static_cast<int>(Hash01(k, 1, seed) * F(side)), Grey(v));
  }
  if (glow > 0)
    for (uint32_t y = 0; y < side; ++y)
      for (uint32_t x = 0; x < side; ++x) {
        const float d = std::hypot(F(x) - F(side) / 2, F(y) - F(side) / 2) / F(side);
        Blend(sky, static_cast<int>(x), static_cast<int>(y), Argb(255, 245, 220),
              glow * std::exp(-d * 8));
      }
  return sky;
}

ArgbImage Detail(uint32_t side, uint32_t seed, float contrast) {
  ArgbImage image(side, side);
  for (uint32_t y = 0; y < side; ++y)
    for (uint32_t x = 0; x < side; ++x) {
      // Noise that tiles: the corners of the lattice repeat every side / 16 cells.
      const float v = FractalNoise(F(x) / 16, F(y) / 16, 4, seed);
      const auto c =
          static_cast<uint32_t>(std::clamp(128 + (v - 0.5f) * 255 * contrast, 0.0f, 255.0f));
      image.At(x, y) = Grey(c);
    }
  return image;
}

void WriteSkyAndGround(Pictures& out) {
  out.Write("Textures/halfside.png", StarryBlack(256, 1, 0));
  out.Write("Textures/blackside.png", Filled(256, 256, Black));
  out.Write("Textures/sunside.png", StarryBlack(256, 2, 0.5f));
  out.Write("Textures/moonside.png", StarryBlack(256, 3, 0));
  out.Write("Textures/rocktexture.jpg", Detail(256, 21, 0.9f));
  out.Write("Textures/lunartexture.png", Detail(256, 22, 0.5f));
  {
    ArgbImage dust(256, 256, Transparent);  // blown dust: pale streaks, the rest keyed out
    for (uint32_t y = 0; y < 256; ++y)
      for (uint32_t x = 0; x < 256; ++x) {
        const float v = FractalNoise(F(x) / 48, F(y) / 8, 3, 23);
        if (v > 0.55f)
          dust.At(x, y) = Argb(200, 195, 185, static_cast<uint32_t>(255 * (v - 0.55f) / 0.45f));
      }
    out.Write("Textures/Dustall.dds", dust);
  }
}

// The Earth as seen from the Moon: the map on a disc, lit from the side by the phase angle.
ArgbImage EarthDisc(const ArgbImage& map, uint32_t side, float centreLongitude, float phase) {
  ArgbImage disc(side, side, Transparent);
  const float r = F(side) / 2 - 2;
  const float lx = std::sin(phase), lz = std::cos(phase);
  for (uint32_t y = 0; y < side; ++y)
    for (uint32_t x = 0; x < side; ++x) {
      const float px = (F(x) + 0.5f - F(side) / 2) / r, py = (F(side) / 2 - F(y) - 0.5f) / r;
      const float rr = px * px + py * py;
      if (rr > 1) continue;
      const float pz = std::sqrt(1 - rr);
      const float lat = std::asin(py);
      const float lon = centreLongitude + std::atan2(px, pz);
      float u = lon / (2 * Pi) + 0.5f;
      u -= std::floor(u);
      const float v = 0.5f - lat / Pi;
      const uint32_t c = map.At(std::min(map.width - 1, static_cast<uint32_t>(u * F(map.width))),
                                std::min(map.height - 1, static_cast<uint32_t>(v * F(map.height))));
      const float light = std::clamp(px * lx + pz * lz, 0.0f, 1.0f) * 0.9f + 0.1f;
      const auto shade = [&](int shift) {
        return static_cast<uint32_t>(F((c >> shift) & 0xFF) * light);
      };
      disc.At(x, y) = Argb(shade(16), shade(8), shade(0));
      // The disc's edge smoothed into the transparent sky.
      const float edge = std::clamp((1 - std::sqrt(rr)) * r, 0.0f, 1.0f);
      disc.At(x, y) = (disc.At(x, y) & 0x00FFFFFFu) | (static_cast<uint32_t>(255 * edge) << 24);
    }
  return disc;
}

void WriteEarthAndMoon(Pictures& out, const fs::path& earthMap, const fs::path& moonMap) {
  const ArgbImage earth = ReadImage(earthMap);
  // Each mission's Earth, turned to the longitude that faced the Moon and lit by its phase.
  struct Phase {
    const char* file;
    float longitude, phase;  // degrees
  };
  constexpr Phase phases[] = {{"earth0.png", -60, 60},  {"earth11.png", -40, 70},
                              {"earth12.png", 30, 95},  {"earth13.png", -80, 40},
                              {"earth14.png", 10, 110}, {"earth15.png", -120, 55},
                              {"earth16.png", 60, 80},  {"earth17.png", -10, 100}};
  for (const Phase& p : phases)
    out.Write(std::string("Textures/") + p.file,
              EarthDisc(earth, 256, p.longitude * Pi / 180, p.phase * Pi / 180));
  out.Write("Textures/earthrise.png", EarthDisc(earth, 256, 0, 70 * Pi / 180));

  const ArgbImage moon = ReadImage(moonMap);
  out.Write("Textures/allmoon.jpg", Resized(moon, 1024, 512));
  {
    // The Orbital mission's background: the map's band from 15 degrees north to the pole over
    // longitudes -90 to 90, the part the Moon slice carries.
    const uint32_t x0 = moon.width / 4, x1 = moon.width * 3 / 4;
    const uint32_t y1 = static_cast<uint32_t>(F(moon.height) * (0.5f - 15.0f / 180.0f));
    ArgbImage band(x1 - x0, y1);
    for (uint32_t y = 0; y < y1; ++y)
      for (uint32_t x = x0; x < x1; ++x) band.At(x - x0, y) = moon.At(x, y);
    out.Write("Textures/moonbackground.jpg", Resized(band, 2048, 1024));
  }
  {
    // The loading screen's horizon: the lower strip of a Moon seen edge-on.
    ArgbImage bottom(1024, 256, Black);
    for (uint32_t y = 0; y < 256; ++y)
      for (uint32_t x = 0; x < 1024; ++x) {
        const float h = 60 + 20 * std::sin(F(x) / 150);
        if (F(y) < h) continue;
        const uint32_t c = moon.At((x * 2) % moon.width, moon.height / 2 + y);
        bottom.At(x, y) = c | 0xFF000000u;
      }
    out.Write("Textures/moonbottomofintro.png", bottom);
  }
}

void WriteLoadingAndButtons(Pictures& out) {
  {
    ArgbImage bar(64, 16, Argb(20, 120, 30));
    FrameRect(bar, 0, 0, 64, 16, 2, Argb(80, 220, 90));
    out.Write("Textures/progress.png", bar);
  }
  {
    ArgbImage logo(1024, 128, Black);
    Text(logo, "MAROVIN", 512, 96, 72, Argb(220, 220, 210), Align::Centre);
    out.Write("Textures/marovinlogo.png", logo);
  }
  {
    ArgbImage back(256, 256, Argb(12, 14, 20));
    for (int k = 0; k <= 8; ++k) {
      Line(back, static_cast<float>(k * 32), 0, static_cast<float>(k * 32), 256, 1,
           Argb(40, 50, 70));
      Line(back, 0, static_cast<float>(k * 32), 256, static_cast<float>(k * 32), 1,
           Argb(40, 50, 70));
    }
    out.Write("Textures/joyback.jpg", back);
  }
  const auto button = [&](const std::string& name, uint32_t fill, const std::string& label) {
    ArgbImage b(128, 32, fill);
    FrameRect(b, 0, 0, 128, 32, 2, Argb(200, 200, 200));
    if (!label.empty()) Text(b, label, 64, 22, 13, White, Align::Centre);
    out.Write("Textures/Buttons/" + name + ".png", b);
  };
  button("ButtonOn", Argb(40, 120, 40), "");
  button("ButtonOff", Argb(60, 60, 60), "");
  button("ButtonRollOn", Argb(70, 150, 70), "");
  // The menu's headings and its exit box carry their buttons: the word stands in the top band,
  // clear of them. Each is made in the shape it is drawn in (270 x 180 and 394 x 199 menu units).
  const auto heading = [&](const std::string& name, uint32_t fill, const std::string& label,
                           uint32_t width, uint32_t height) {
    ArgbImage h(width, height, fill);
    FrameRect(h, 0, 0, static_cast<int>(width), static_cast<int>(height), 3, Argb(200, 200, 200));
    Text(h, label, F(width) / 2, 30, 22, White, Align::Centre);
    out.Write("Textures/Buttons/" + name + ".png", h);
  };
  heading("Quit", Argb(120, 40, 40), "QUIT", 394, 199);
  heading("REPLAY", Argb(40, 60, 120), "REPLAY", 270, 180);
  heading("FLIGHT", Argb(40, 60, 120), "FLIGHT", 270, 180);
  button("TextOff", Argb(50, 50, 50), "");
  button("TextOffRoll", Argb(70, 70, 70), "");
  button("TextOn", Argb(40, 100, 40), "");
  button("TextOnRoll", Argb(60, 130, 60), "");
}

void WriteModelPictures(Pictures& out) {
  for (bool dark : {false, true}) {
    ArgbImage flag(256, 128);
    const float k = dark ? 0.45f : 1.0f;
    const auto shade = [&](uint32_t r, uint32_t g, uint32_t b) {
      return Argb(static_cast<uint32_t>(F(r) * k), static_cast<uint32_t>(F(g) * k),
                  static_cast<uint32_t>(F(b) * k));
    };
    for (uint32_t y = 0; y < 128; ++y) {
      const bool red = (y * 13 / 128) % 2 == 0;
      for (uint32_t x = 0; x < 256; ++x)
        flag.At(x, y) = red ? shade(190, 30, 45) : shade(245, 245, 245);
    }
    FillRect(flag, 0, 0, 102, 69, shade(40, 50, 120));
    for (int row = 0; row < 9; ++row)
      for (int column = 0; column < (row % 2 == 0 ? 6 : 5); ++column)
        FillCircle(flag, 8.5f + 17 * static_cast<float>(column) + (row % 2 == 0 ? 0 : 8.5f),
                   4 + 7.5f * static_cast<float>(row), 2.2f, shade(245, 245, 245));
    out.Write(dark ? "Models/USflagdark.png" : "Models/USflag.png", flag);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 6) {
    std::cerr << "usage: make_textures PROGRAM_FOLDER FONT EARTH_MAP MOON_MAP INSTRUMENT_LAYOUT\n";
    return 2;
  }
  const Elapsed elapsed;
  try {
    SetFontFile(argv[2]);
    Pictures out(argv[1]);
    WritePlainAndSmall(out);
    WriteDSKY(out);
    WriteInstruments(out);
    WritePanel(out, argv[5]);
    WriteSkyAndGround(out);
    WriteEarthAndMoon(out, argv[3], argv[4]);
    WriteLoadingAndButtons(out);
    WriteModelPictures(out);
    std::cout << "make_textures: " << out.Count() << " pictures " << elapsed.Text() << "\n";
  } catch (const std::exception& error) {
    std::cerr << "make_textures: " << error.what() << "\n";
    return 1;
  }
  return 0;
}
