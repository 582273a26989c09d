// The DSKY's periodic update: the registers each verb and noun show, the program monitors that
// step the programs through their displays, and the drawing of the face and the lamp panel.
#pragma once

#include <cstdint>
#include <string>

// The sign letter "p" or "m" and five digits of |x| x 100: two implied decimals, at most 99999.
std::string FormatSignedValue(double x);
std::string SignLetter(double x);
// |x| rounded to five digits, at most 99999.
std::string Digits5(double x);
// The glyph of a display character: "m" 10, "p" 11, "b" 12, "a" 13, a digit its value, else 0.
int GlyphIndex(const std::string& character);

// Run once a second by the DSKY_Display_Update timer.
void UpdateDSKYDisplay();
void FormatVerbNounDisplay();
void ClearDSKYLights();

// Texture drawing into the engine's DSKY render surfaces, in pixels of the 128 by 256 texture.
class DSKYCanvas {
 public:
  virtual ~DSKYCanvas() = default;
  virtual void Begin(const std::string& surface) = 0;  // "DSKYDisp" or "DSKYLights"
  virtual void DrawTexture(const std::string& texture, int32_t left, int32_t top, int32_t right,
                           int32_t bottom) = 0;
  // Ends the surface and puts its texture on the cockpit mesh of the same name.
  virtual void End(const std::string& surface) = 0;
};

// `random100` draws the COMP ACTY chance, a number from 0 to 100.
void DrawDSKY(DSKYCanvas& canvas, float random100);
void DrawDSKYLights(DSKYCanvas& canvas);
