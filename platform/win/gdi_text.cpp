#include "platform/win/gdi_text.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/win/code_page.h"

namespace win {

class GdiObject {
 public:
  virtual ~GdiObject() = default;
  // A deleted object goes when the last device context that selected it lets it go.
  int32_t selections = 0;
  bool deleted = false;
};

namespace {

constexpr const char* kFallbackFace = "DejaVu Sans";
constexpr int32_t kDefaultEmHeight = 16;       // pixels, for a height of 0
constexpr int32_t kBoldWeightThreshold = 600;  // OpenType weights from here on ask for bold
constexpr FT_Fixed kItalicShear = 0x0366A;     // 16.16: about 12 degrees of slant
constexpr int32_t kFixedShift = 6;             // FreeType's 26.6 pixels
constexpr int32_t kCharacterCount = 256;
constexpr uint32_t kOpaqueMask = 0x00FFFFFF;

FT_Library Library() {
  struct Holder {
    FT_Library library = nullptr;
    Holder() {
      if (FT_Init_FreeType(&library) != 0) library = nullptr;
    }
    ~Holder() {
      if (library != nullptr) FT_Done_FreeType(library);
    }
  };
  static Holder holder;
  return holder.library;
}

// 26.6 to whole pixels, up.
int32_t CeilPixels(FT_Pos value) {
  return static_cast<int32_t>((value + (1 << kFixedShift) - 1) >> kFixedShift);
}
int32_t RoundPixels(FT_Pos value) {
  return static_cast<int32_t>((value + (1 << (kFixedShift - 1))) >> kFixedShift);
}

// The Unicode character of a Windows-1252 byte; the unassigned bytes draw as the face's missing
// glyph.
FT_ULong FromCodePage(uint8_t byte) { return CodePageCharacter(byte); }

struct FaceFile {
  std::string path;
  int index = 0;
  bool bold = false;
  bool italic = false;
};

// The file fontconfig chooses for the face (through its aliases), else for DejaVu Sans.
bool MatchFace(const char* face, bool bold, bool italic, FaceFile* file) {
  static FcConfig* config = FcInitLoadConfigAndFonts();
  if (config == nullptr) return false;
  FcPattern* pattern = FcPatternCreate();
  if (face != nullptr && face[0] != '\0') {
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(face));
  }
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(kFallbackFace));
  FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcConfigSubstitute(config, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(config, pattern, &result);
  FcPatternDestroy(pattern);
  if (match == nullptr) return false;
  FcChar8* path = nullptr;
  int weight = FC_WEIGHT_REGULAR;
  int slant = FC_SLANT_ROMAN;
  const bool found = FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch;
  if (found) {
    file->path = reinterpret_cast<const char*>(path);
    FcPatternGetInteger(match, FC_INDEX, 0, &file->index);
    FcPatternGetInteger(match, FC_WEIGHT, 0, &weight);
    FcPatternGetInteger(match, FC_SLANT, 0, &slant);
    file->bold = weight >= FC_WEIGHT_DEMIBOLD;
    file->italic = slant != FC_SLANT_ROMAN;
  }
  FcPatternDestroy(match);
  return found;
}

}  // namespace

class Font final : public GdiObject {
 public:
  ~Font() override {
    if (face != nullptr) FT_Done_Face(face);
  }

  // Loads and renders the glyph of a character into the face's slot; false when it cannot.
  bool Render(uint8_t character) {
    if (!Load(character)) return false;
    return FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL) == 0;
  }

  // The character's advance in pixels.
  int32_t Advance(uint8_t character) {
    int32_t& advance = advances[character];
    if (advance < 0) advance = Load(character) ? RoundPixels(face->glyph->advance.x) : 0;
    return advance;
  }

  int32_t CellHeight() const { return ascent + descent; }

  LOGFONTA description{};
  FT_Face face = nullptr;
  int32_t ascent = 0;              // pixels above the baseline
  int32_t descent = 0;             // pixels below it
  int32_t underlineOffset = 0;     // pixels from the baseline down to the line's top
  int32_t underlineThickness = 1;  // pixels
  bool emboldened = false;
  std::array<int32_t, kCharacterCount> advances;

 private:
  bool Load(uint8_t character) {
    const FT_UInt index = FT_Get_Char_Index(face, FromCodePage(character));
    if (FT_Load_Glyph(face, index, FT_LOAD_DEFAULT | FT_LOAD_NO_BITMAP) != 0) return false;
    if (emboldened) FT_GlyphSlot_Embolden(face->glyph);
    return true;
  }
};

class DibSection final : public GdiObject {
 public:
  uint32_t* Row(int32_t y) {
    const int32_t memoryRow = topDown ? y : height - 1 - y;
    return pixels.data() + static_cast<size_t>(memoryRow) * static_cast<size_t>(width);
  }

  int32_t width = 0;
  int32_t height = 0;
  bool topDown = true;
  std::vector<uint32_t> pixels;  // 0x00RRGGBB
};

class DeviceContext {
 public:
  Font* font = nullptr;
  DibSection* bitmap = nullptr;
  COLORREF textColor = RGB(0, 0, 0);
  COLORREF backgroundColor = RGB(255, 255, 255);
  uint32_t align = TA_LEFT | TA_TOP;
  int32_t mapMode = MM_TEXT;
};

namespace {

// A selection that ends: a deleted object goes with its last one.
void LetGo(GdiObject* object) {
  if (object == nullptr) return;
  --object->selections;
  if (object->deleted && object->selections == 0) delete object;
}

uint32_t ToPixel(COLORREF color) {
  return (color & 0xFF) << 16 | (color & 0xFF00) | (color >> 16 & 0xFF);
}

void FillRect(DibSection& bitmap, int32_t left, int32_t top, int32_t right, int32_t bottom,
              uint32_t pixel) {
  left = std::max(left, 0);
  top = std::max(top, 0);
  right = std::min(right, bitmap.width);
  bottom = std::min(bottom, bitmap.height);
  for (int32_t y = top; y < bottom; ++y) {
    uint32_t* row = bitmap.Row(y);
    std::fill(row + left, row + std::max(left, right), pixel);
  }
}

// Moves the pixel towards the text colour by coverage (0..255).
uint32_t Blend(uint32_t pixel, uint32_t text, uint32_t coverage) {
  constexpr uint32_t kFull = 255;
  uint32_t blended = 0;
  for (int shift : {0, 8, 16}) {
    const int32_t from = static_cast<int32_t>(pixel >> shift & 0xFF);
    const int32_t to = static_cast<int32_t>(text >> shift & 0xFF);
    const int32_t channel =
        from + ((to - from) * static_cast<int32_t>(coverage) + static_cast<int32_t>(kFull / 2)) /
                   static_cast<int32_t>(kFull);
    blended |= static_cast<uint32_t>(channel) << shift;
  }
  return blended;
}

void DrawGlyph(DibSection& bitmap, const FT_GlyphSlot slot, int32_t penX, int32_t baseline,
               uint32_t text) {
  const FT_Bitmap& glyph = slot->bitmap;
  const int32_t left = penX + slot->bitmap_left;
  const int32_t top = baseline - slot->bitmap_top;
  for (int32_t row = 0; row < static_cast<int32_t>(glyph.rows); ++row) {
    const int32_t y = top + row;
    if (y < 0 || y >= bitmap.height) continue;
    const uint8_t* coverage = glyph.buffer + static_cast<ptrdiff_t>(row) * glyph.pitch;
    uint32_t* pixels = bitmap.Row(y);
    for (int32_t column = 0; column < static_cast<int32_t>(glyph.width); ++column) {
      const int32_t x = left + column;
      if (x < 0 || x >= bitmap.width || coverage[column] == 0) continue;
      pixels[x] = Blend(pixels[x], text, coverage[column]);
    }
  }
}

}  // namespace

HFONT CreateFontA(int32_t height, int32_t width, int32_t escapement, int32_t orientation,
                  int32_t weight, uint32_t italic, uint32_t underline, uint32_t strikeOut,
                  uint32_t charSet, uint32_t outPrecision, uint32_t clipPrecision, uint32_t quality,
                  uint32_t pitchAndFamily, const char* face) {
  const FT_Library library = Library();
  const bool bold = weight >= kBoldWeightThreshold;
  FaceFile file;
  if (library == nullptr || !MatchFace(face, bold, italic != 0, &file)) return nullptr;
  auto font = std::make_unique<Font>();
  if (FT_New_Face(library, file.path.c_str(), file.index, &font->face) != 0) {
    font->face = nullptr;
    return nullptr;
  }
  FT_Face ftFace = font->face;
  int32_t em = kDefaultEmHeight;
  if (height < 0) em = -height;
  // A cell height: the largest em whose cell (rounded out to whole pixels) fits it.
  if (height > 0) {
    em = std::max(1, static_cast<int32_t>(static_cast<double>(height) * ftFace->units_per_EM /
                                          (ftFace->ascender - ftFace->descender)));
  }
  while (true) {
    if (FT_Set_Pixel_Sizes(ftFace, 0, static_cast<FT_UInt>(em)) != 0) return nullptr;
    font->ascent = CeilPixels(ftFace->size->metrics.ascender);
    font->descent = CeilPixels(-ftFace->size->metrics.descender);
    if (height <= 0 || em == 1 || font->CellHeight() <= height) break;
    --em;
  }
  if (italic != 0 && !file.italic) {
    FT_Matrix shear = {1 << 16, kItalicShear, 0, 1 << 16};
    FT_Set_Transform(ftFace, &shear, nullptr);
  }
  font->emboldened = bold && !file.bold;
  const double pixelsPerUnit = static_cast<double>(em) / ftFace->units_per_EM;
  font->underlineOffset =
      static_cast<int32_t>(std::lround(-ftFace->underline_position * pixelsPerUnit));
  font->underlineThickness =
      std::max(1, static_cast<int32_t>(std::lround(ftFace->underline_thickness * pixelsPerUnit)));
  font->advances.fill(-1);

  LOGFONTA& description = font->description;
  description.lfHeight = height;
  description.lfWidth = width;
  description.lfEscapement = escapement;
  description.lfOrientation = orientation;
  description.lfWeight = weight;
  description.lfItalic = italic != 0 ? 1 : 0;
  description.lfUnderline = underline != 0 ? 1 : 0;
  description.lfStrikeOut = strikeOut != 0 ? 1 : 0;
  description.lfCharSet = static_cast<uint8_t>(charSet);
  description.lfOutPrecision = static_cast<uint8_t>(outPrecision);
  description.lfClipPrecision = static_cast<uint8_t>(clipPrecision);
  description.lfQuality = static_cast<uint8_t>(quality);
  description.lfPitchAndFamily = static_cast<uint8_t>(pitchAndFamily);
  if (face != nullptr) std::strncpy(description.lfFaceName, face, kFaceNameSize - 1);
  return font.release();
}

HFONT CreateFontIndirectA(const LOGFONTA* d) {
  if (d == nullptr) return nullptr;
  char face[kFaceNameSize] = {};
  std::memcpy(face, d->lfFaceName, kFaceNameSize - 1);
  return CreateFontA(d->lfHeight, d->lfWidth, d->lfEscapement, d->lfOrientation, d->lfWeight,
                     d->lfItalic, d->lfUnderline, d->lfStrikeOut, d->lfCharSet, d->lfOutPrecision,
                     d->lfClipPrecision, d->lfQuality, d->lfPitchAndFamily, face);
}

int32_t GetObjectA(HGDIOBJ object, int32_t size, void* description) {
  const auto* font = dynamic_cast<const Font*>(object);
  if (font == nullptr || description == nullptr || size <= 0) return 0;
  const size_t bytes = std::min(static_cast<size_t>(size), sizeof(LOGFONTA));
  std::memcpy(description, &font->description, bytes);
  return static_cast<int32_t>(bytes);
}

HDC CreateCompatibleDC(HDC) { return new DeviceContext; }

bool DeleteDC(HDC dc) {
  if (dc == nullptr) return false;
  LetGo(dc->font);
  LetGo(dc->bitmap);
  delete dc;
  return true;
}

HBITMAP CreateDIBSection(HDC, const BITMAPINFO* info, uint32_t, void** bits, void*, uint32_t) {
  constexpr uint16_t kBitsPerPixel = 32;
  if (bits != nullptr) *bits = nullptr;
  if (info == nullptr || bits == nullptr) return nullptr;
  const BITMAPINFOHEADER& header = info->bmiHeader;
  if (header.biBitCount != kBitsPerPixel || header.biCompression != BI_RGB || header.biWidth <= 0 ||
      header.biHeight == 0) {
    return nullptr;
  }
  auto bitmap = std::make_unique<DibSection>();
  bitmap->width = header.biWidth;
  bitmap->height = std::abs(header.biHeight);
  bitmap->topDown = header.biHeight < 0;
  bitmap->pixels.assign(static_cast<size_t>(bitmap->width) * static_cast<size_t>(bitmap->height),
                        0);
  *bits = bitmap->pixels.data();
  return bitmap.release();
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
  if (dc == nullptr || object == nullptr) return nullptr;
  const auto replace = [object](auto*& slot) -> HGDIOBJ {
    auto* previous = slot;
    slot = static_cast<std::remove_reference_t<decltype(slot)>>(object);
    ++object->selections;
    LetGo(previous);
    return previous;
  };
  if (dynamic_cast<Font*>(object) != nullptr) return replace(dc->font);
  if (dynamic_cast<DibSection*>(object) != nullptr) return replace(dc->bitmap);
  return nullptr;
}

bool DeleteObject(HGDIOBJ object) {
  if (object == nullptr || object->deleted) return false;
  object->deleted = true;
  if (object->selections == 0) delete object;
  return true;
}

int32_t SetMapMode(HDC dc, int32_t mode) {
  if (dc == nullptr) return 0;
  return std::exchange(dc->mapMode, mode);
}

int32_t GetDeviceCaps(HDC dc, int32_t index) {
  return dc != nullptr && index == LOGPIXELSY ? kScreenDpi : 0;
}

int32_t MulDiv(int32_t a, int32_t b, int32_t c) {
  if (c == 0) return -1;
  return static_cast<int32_t>(
      std::lround(static_cast<double>(a) * static_cast<double>(b) / static_cast<double>(c)));
}

COLORREF SetTextColor(HDC dc, COLORREF color) {
  return dc != nullptr ? std::exchange(dc->textColor, color & kOpaqueMask) : 0;
}

COLORREF SetBkColor(HDC dc, COLORREF color) {
  return dc != nullptr ? std::exchange(dc->backgroundColor, color & kOpaqueMask) : 0;
}

uint32_t SetTextAlign(HDC dc, uint32_t align) {
  return dc != nullptr ? std::exchange(dc->align, align) : 0;
}

bool GetTextExtentPoint32A(HDC dc, const char* text, int32_t count, SIZE* size) {
  if (dc == nullptr || dc->font == nullptr || text == nullptr || size == nullptr || count < 0)
    return false;
  int32_t width = 0;
  for (int32_t i = 0; i < count; ++i) width += dc->font->Advance(static_cast<uint8_t>(text[i]));
  *size = {width, dc->font->CellHeight()};
  return true;
}

bool ExtTextOutA(HDC dc, int32_t x, int32_t y, uint32_t options, const RECT* rect, const char* text,
                 uint32_t count, const int32_t* dx) {
  if (dc == nullptr || dc->font == nullptr || (text == nullptr && count > 0)) return false;
  Font& font = *dc->font;
  const auto advance = [&](uint32_t i) {
    return dx != nullptr ? dx[i] : font.Advance(static_cast<uint8_t>(text[i]));
  };
  int32_t width = 0;
  for (uint32_t i = 0; i < count; ++i) width += advance(i);
  constexpr uint32_t kHorizontal = TA_CENTER;
  constexpr uint32_t kVertical = TA_BASELINE;
  int32_t left = x;
  if ((dc->align & kHorizontal) == TA_RIGHT) left -= width;
  if ((dc->align & kHorizontal) == TA_CENTER) left -= width / 2;
  int32_t baseline = y + font.ascent;
  if ((dc->align & kVertical) == TA_BOTTOM) baseline = y - font.descent;
  if ((dc->align & kVertical) == TA_BASELINE) baseline = y;
  if (dc->bitmap == nullptr) return true;
  DibSection& bitmap = *dc->bitmap;
  const uint32_t background = ToPixel(dc->backgroundColor);
  const uint32_t ink = ToPixel(dc->textColor);
  if ((options & ETO_OPAQUE) != 0 && rect != nullptr) {
    FillRect(bitmap, rect->left, rect->top, rect->right, rect->bottom, background);
  }
  FillRect(bitmap, left, baseline - font.ascent, left + width, baseline + font.descent, background);
  int32_t pen = left;
  for (uint32_t i = 0; i < count; ++i) {
    if (font.Render(static_cast<uint8_t>(text[i]))) {
      DrawGlyph(bitmap, font.face->glyph, pen, baseline, ink);
    }
    if (font.description.lfUnderline != 0) {
      const int32_t lineTop = baseline + font.underlineOffset - font.underlineThickness / 2;
      FillRect(bitmap, pen, lineTop, pen + advance(i), lineTop + font.underlineThickness, ink);
    }
    pen += advance(i);
  }
  return true;
}

std::string CodePageFromUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t at = 0; at < text.size();) {
    const auto lead = static_cast<uint8_t>(text[at]);
    const int extra = lead < 0x80             ? 0
                      : (lead & 0xE0) == 0xC0 ? 1
                      : (lead & 0xF0) == 0xE0 ? 2
                      : (lead & 0xF8) == 0xF0 ? 3
                                              : -1;
    uint32_t code = extra == 0   ? lead
                    : extra == 1 ? (lead & 0x1Fu)
                    : extra == 2 ? (lead & 0x0Fu)
                                 : (lead & 0x07u);
    bool whole = extra >= 0 && at + static_cast<size_t>(extra) < text.size();
    for (int k = 1; whole && k <= extra; ++k) {
      const auto next = static_cast<uint8_t>(text[at + static_cast<size_t>(k)]);
      whole = (next & 0xC0) == 0x80;
      code = (code << 6) | (next & 0x3Fu);
    }
    at += whole ? static_cast<size_t>(extra) + 1 : 1;
    const auto* high = std::find(kCodePageHigh.begin(), kCodePageHigh.end(), code);
    if (!whole) {
      out += '?';
    } else if (code < kCodePageHighFirst || (code >= 0xA0 && code <= 0xFF)) {
      out += static_cast<char>(code);
    } else if (high != kCodePageHigh.end()) {
      out += static_cast<char>(kCodePageHighFirst + (high - kCodePageHigh.begin()));
    } else {
      out += '?';
    }
  }
  return out;
}

}  // namespace win
