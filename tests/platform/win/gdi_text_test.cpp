#include "platform/win/gdi_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

using namespace win;

constexpr int32_t kWidth = 96;
constexpr int32_t kHeight = 40;

// A memory device context drawing white text on black into a top-down DIB section.
class TextCanvas {
 public:
  explicit TextCanvas(HFONT font) : font_(font) {
    dc_ = CreateCompatibleDC(nullptr);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = kWidth;
    info.bmiHeader.biHeight = -kHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    pixels_ = static_cast<uint32_t*>(bits);
    SelectObject(dc_, bitmap_);
    SelectObject(dc_, font_);
    SetTextColor(dc_, RGB(255, 255, 255));
    SetBkColor(dc_, RGB(0, 0, 0));
  }
  ~TextCanvas() {
    DeleteObject(bitmap_);
    DeleteDC(dc_);
    DeleteObject(font_);
  }

  void Draw(const char* text, int32_t x = 0, int32_t y = 0) {
    ASSERT_TRUE(ExtTextOutA(dc_, x, y, ETO_OPAQUE, nullptr, text,
                            static_cast<uint32_t>(std::strlen(text)), nullptr));
  }
  SIZE Extent(const char* text) {
    SIZE size{};
    EXPECT_TRUE(GetTextExtentPoint32A(dc_, text, static_cast<int32_t>(std::strlen(text)), &size));
    return size;
  }
  // The blue channel, which white-on-black text makes its coverage.
  uint32_t At(int32_t x, int32_t y) const { return pixels_[y * kWidth + x] & 0xFF; }
  std::vector<uint32_t> Pixels() const { return {pixels_, pixels_ + kWidth * kHeight}; }
  HDC dc() const { return dc_; }

 private:
  HFONT font_;
  HDC dc_;
  HBITMAP bitmap_;
  uint32_t* pixels_;
};

HFONT Font(const char* face, int32_t height, int32_t weight = FW_NORMAL, bool italic = false,
           bool underline = false) {
  return CreateFontA(height, 0, 0, 0, weight, italic ? 1 : 0, underline ? 1 : 0, 0, DEFAULT_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, VARIABLE_PITCH,
                     face);
}

TEST(GdiText, TextIsDrawnAntiAliasedInsideItsCell) {
  TextCanvas canvas(Font("DejaVu Sans", -16));
  const SIZE extent = canvas.Extent("Hi");
  EXPECT_EQ(extent.cy, 19);  // DejaVu Sans: ascent 15 and descent 4 at a 16-pixel em
  EXPECT_EQ(extent.cx, canvas.Extent("H").cx + canvas.Extent("i").cx);
  canvas.Draw("Hi", 10, 5);
  int32_t ink = 0;
  int32_t grey = 0;
  for (int32_t y = 0; y < kHeight; ++y) {
    for (int32_t x = 0; x < kWidth; ++x) {
      const uint32_t value = canvas.At(x, y);
      if (value == 0) continue;
      ++ink;
      if (value < 255) ++grey;
      EXPECT_TRUE(x >= 10 && x < 10 + extent.cx && y >= 5 && y < 5 + extent.cy)
          << "ink at " << x << ", " << y;
    }
  }
  EXPECT_GT(ink, 40);
  EXPECT_GT(grey, 0);
  // The H's left stem, two pixels wide, stands on the baseline.
  EXPECT_EQ(canvas.At(12, 12), 255u);
  EXPECT_EQ(canvas.At(12, 19), 255u);
}

TEST(GdiText, HeightsWeightsStylesAndUnknownFaces) {
  TextCanvas cell(Font("DejaVu Sans", 30));
  EXPECT_LE(cell.Extent("x").cy, 30);
  EXPECT_GE(cell.Extent("x").cy, 28);

  TextCanvas regular(Font("DejaVu Sans", -16));
  TextCanvas bold(Font("DejaVu Sans", -16, FW_BOLD));
  TextCanvas italic(Font("DejaVu Sans", -16, FW_NORMAL, true));
  TextCanvas unknown(Font("No Such Face Anywhere", -16));
  for (TextCanvas* canvas : {&regular, &bold, &italic, &unknown}) canvas->Draw("Moon");
  EXPECT_GT(bold.Extent("Moon").cx, regular.Extent("Moon").cx);
  EXPECT_NE(italic.Pixels(), regular.Pixels());
  EXPECT_EQ(unknown.Pixels(), regular.Pixels());

  TextCanvas underlined(Font("DejaVu Sans", -16, FW_NORMAL, false, true));
  underlined.Draw("  ");
  EXPECT_EQ(underlined.At(2, 16), 255u);  // a line just below the baseline, across the spaces
  EXPECT_EQ(underlined.At(2, 10), 0u);
}

TEST(GdiText, HighBytesAreWindows1252Characters) {
  TextCanvas canvas(Font("DejaVu Sans", -16));
  // e acute, the euro sign and a C1 byte the code page leaves unassigned (the missing glyph).
  for (const char* text : {"\xE9", "\x80", "\x81"}) {
    SCOPED_TRACE(static_cast<int>(static_cast<uint8_t>(text[0])));
    EXPECT_GT(canvas.Extent(text).cx, 0);
  }
  TextCanvas plain(Font("DejaVu Sans", -16));
  canvas.Draw("\xE9");
  plain.Draw("e");
  EXPECT_NE(canvas.Pixels(), plain.Pixels());
  EXPECT_EQ(canvas.Extent("\xE9").cx, plain.Extent("e").cx);
}

TEST(GdiText, DeviceContextAnswersAndMulDivRounds) {
  TextCanvas canvas(Font("DejaVu Sans", -16));
  EXPECT_EQ(GetDeviceCaps(canvas.dc(), LOGPIXELSY), 96);
  EXPECT_EQ(SetMapMode(canvas.dc(), MM_TEXT), MM_TEXT);
  EXPECT_EQ(SetTextAlign(canvas.dc(), TA_BASELINE), TA_LEFT | TA_TOP);
  struct Case {
    int32_t a, b, c, expected;
  };
  for (const Case& c :
       {Case{20, 96, 72, 27}, Case{-5, 3, 2, -8}, Case{5, 3, 2, 8}, Case{7, 1, 0, -1}}) {
    EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.expected) << c.a << " x " << c.b << " / " << c.c;
  }
  LOGFONTA description{};
  HFONT font = Font("DejaVu Sans Mono", -12, FW_BOLD, true);
  EXPECT_EQ(GetObjectA(font, sizeof description, &description),
            static_cast<int32_t>(sizeof description));
  EXPECT_EQ(description.lfHeight, -12);
  EXPECT_EQ(description.lfWeight, FW_BOLD);
  EXPECT_EQ(description.lfItalic, 1);
  EXPECT_STREQ(description.lfFaceName, "DejaVu Sans Mono");
  HFONT copy = CreateFontIndirectA(&description);
  ASSERT_NE(copy, nullptr);
  DeleteObject(copy);
  DeleteObject(font);
}

TEST(GdiText, SelectedObjectsOutliveTheirDeletionAndOthersAreRefused) {
  HDC dc = CreateCompatibleDC(nullptr);
  HFONT font = Font("DejaVu Sans", -12);
  EXPECT_EQ(SelectObject(dc, font), nullptr);
  EXPECT_TRUE(DeleteObject(font));
  SIZE size{};
  EXPECT_TRUE(GetTextExtentPoint32A(dc, "ok", 2, &size));            // still selected, still alive
  EXPECT_TRUE(ExtTextOutA(dc, 0, 0, 0, nullptr, "ok", 2, nullptr));  // no bitmap: nothing drawn
  EXPECT_TRUE(DeleteDC(dc));

  BITMAPINFO info{};
  info.bmiHeader.biWidth = 4;
  info.bmiHeader.biHeight = 4;
  info.bmiHeader.biBitCount = 24;
  void* bits = &info;
  EXPECT_EQ(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
  EXPECT_EQ(bits, nullptr);
  HDC empty = CreateCompatibleDC(nullptr);
  EXPECT_FALSE(GetTextExtentPoint32A(empty, "x", 1, &size));
  DeleteDC(empty);
}

TEST(CodePage, Utf8TextBecomesWindows1252WithQuestionMarksForTheRest) {
  const struct {
    const char* utf8;
    const char* codePage;
  } cases[] = {
      {"Moon 42", "Moon 42"},
      {"caf\xC3\xA9 \xC2\xB0", "caf\xE9 \xB0"},    // Latin-1 as it is
      {"\xE2\x82\xAC \xE2\x80\x94", "\x80 \x97"},  // euro sign, em dash
      {"\xCE\xA9 \xF0\x9F\x9A\x80", "? ?"},        // Greek omega, a rocket
      {"\xC3", "?"},                               // cut short
      {"\xFFx", "?x"},                             // not UTF-8
  };
  for (const auto& c : cases) EXPECT_EQ(CodePageFromUtf8(c.utf8), c.codePage) << c.utf8;
}

}  // namespace
