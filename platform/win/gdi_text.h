// The part of the Windows graphics device interface that draws text, on FreeType and fontconfig:
// fonts, memory device contexts, 32-bit DIB sections to draw into, and the text calls that measure
// strings and draw them anti-aliased.
//
// Strings are bytes in the Windows-1252 code page (32-126 ASCII, 128-255 the code page's
// characters). A font's face is matched by fontconfig, its aliases included; a face it does not
// know falls back to DejaVu Sans, so a font is never refused for its name. A negative height asks
// for that character (em) height in pixels, a positive one for that cell height (ascent plus
// descent), 0 for 16 pixels. Bold and italic come from the face's own bold and italic styles, or
// are synthesised when the matched face has none. The width, escapement, orientation, strike-out,
// character set, precision, quality and pitch arguments are kept for the shape of the calls; every
// font is drawn anti-aliased with its own advances.
//
// A device context is always in the opaque background mode: drawn text first fills its cell with
// the background colour. Objects selected into a device context stay alive until it lets them go,
// even when deleted before.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/win/window.h"  // RECT

namespace win {

// Fonts and bitmaps are drawing objects behind one kind of handle; what they hold is the layer's.
class GdiObject;
class DeviceContext;
using HGDIOBJ = GdiObject*;
using HFONT = GdiObject*;
using HBITMAP = GdiObject*;
using HDC = DeviceContext*;

using COLORREF = uint32_t;  // 0x00BBGGRR
constexpr COLORREF RGB(uint8_t r, uint8_t g, uint8_t b) {
  return static_cast<COLORREF>(r) | static_cast<COLORREF>(g) << 8 | static_cast<COLORREF>(b) << 16;
}

struct SIZE {
  int32_t cx, cy;
};

inline constexpr int32_t FW_NORMAL = 400;
inline constexpr int32_t FW_BOLD = 700;
inline constexpr uint32_t DEFAULT_CHARSET = 1;
inline constexpr uint32_t OUT_DEFAULT_PRECIS = 0;
inline constexpr uint32_t CLIP_DEFAULT_PRECIS = 0;
inline constexpr uint32_t ANTIALIASED_QUALITY = 4;
inline constexpr uint32_t VARIABLE_PITCH = 2;
inline constexpr int32_t kFaceNameSize = 32;  // characters, terminator included

struct LOGFONTA {
  int32_t lfHeight;
  int32_t lfWidth;
  int32_t lfEscapement;
  int32_t lfOrientation;
  int32_t lfWeight;
  uint8_t lfItalic;
  uint8_t lfUnderline;
  uint8_t lfStrikeOut;
  uint8_t lfCharSet;
  uint8_t lfOutPrecision;
  uint8_t lfClipPrecision;
  uint8_t lfQuality;
  uint8_t lfPitchAndFamily;
  char lfFaceName[kFaceNameSize];
};

inline constexpr uint32_t BI_RGB = 0;
inline constexpr uint32_t DIB_RGB_COLORS = 0;

struct BITMAPINFOHEADER {
  uint32_t biSize;
  int32_t biWidth;
  int32_t biHeight;  // negative: rows from the top down
  uint16_t biPlanes;
  uint16_t biBitCount;
  uint32_t biCompression;
  uint32_t biSizeImage;
  int32_t biXPelsPerMeter;
  int32_t biYPelsPerMeter;
  uint32_t biClrUsed;
  uint32_t biClrImportant;
};
struct BITMAPINFO {
  BITMAPINFOHEADER bmiHeader;
  uint32_t bmiColors[1];
};

inline constexpr int32_t MM_TEXT = 1;
inline constexpr int32_t LOGPIXELSY = 90;
inline constexpr int32_t kScreenDpi = 96;  // what LOGPIXELSY reports: dots per inch

inline constexpr uint32_t TA_LEFT = 0;
inline constexpr uint32_t TA_RIGHT = 2;
inline constexpr uint32_t TA_CENTER = 6;
inline constexpr uint32_t TA_TOP = 0;
inline constexpr uint32_t TA_BOTTOM = 8;
inline constexpr uint32_t TA_BASELINE = 24;
inline constexpr uint32_t ETO_OPAQUE = 2;

// A font; null when no font file can be had at all.
HFONT CreateFontA(int32_t height, int32_t width, int32_t escapement, int32_t orientation,
                  int32_t weight, uint32_t italic, uint32_t underline, uint32_t strikeOut,
                  uint32_t charSet, uint32_t outPrecision, uint32_t clipPrecision, uint32_t quality,
                  uint32_t pitchAndFamily, const char* face);
HFONT CreateFontIndirectA(const LOGFONTA* description);
// Fills a LOGFONTA (size bytes of it) from a font; returns the bytes written, 0 for other objects.
int32_t GetObjectA(HGDIOBJ object, int32_t size, void* description);

// A memory device context; the argument is accepted for the shape of the call.
HDC CreateCompatibleDC(HDC reference);
bool DeleteDC(HDC dc);
// A 32-bit uncompressed bitmap whose pixels (0x00RRGGBB, zeroed) the caller reaches through *bits;
// null for any other kind.
HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* info, uint32_t usage, void** bits, void* section,
                         uint32_t offset);
// Selects a font or a bitmap; returns the one of its kind selected before (null for none).
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
bool DeleteObject(HGDIOBJ object);

int32_t SetMapMode(HDC dc, int32_t mode);
int32_t GetDeviceCaps(HDC dc, int32_t index);
// a x b / c rounded to the nearest, halves away from zero; -1 when c is 0.
int32_t MulDiv(int32_t a, int32_t b, int32_t c);
COLORREF SetTextColor(HDC dc, COLORREF color);
COLORREF SetBkColor(HDC dc, COLORREF color);
uint32_t SetTextAlign(HDC dc, uint32_t align);

// The width of count characters (their advances) and the font's cell height; false without a font.
bool GetTextExtentPoint32A(HDC dc, const char* text, int32_t count, SIZE* size);
// Draws count characters at (x, y) by the alignment into the selected bitmap, anti-aliased between
// the text and background colours; ETO_OPAQUE also fills rect with the background colour. dx, when
// given, holds each character's advance. False without a font.
bool ExtTextOutA(HDC dc, int32_t x, int32_t y, uint32_t options, const RECT* rect, const char* text,
                 uint32_t count, const int32_t* dx);

// UTF-8 text in Windows-1252; a character the code page has no byte for, or a broken sequence,
// becomes "?".
std::string CodePageFromUtf8(std::string_view text);

}  // namespace win
