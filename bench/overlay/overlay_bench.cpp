// The 2D overlay and the fonts on the OpenGL device against plain OpenGL and FreeType doing the
// same work in one run, offscreen on a 256 x 256 target:
// - BM_Screen2D: a frame of 2,000 textured quads and 500 outlined boxes queued through Screen2D,
//   against the same vertices drawn with plain OpenGL (the quads in one draw, the boxes in one
//   multi-draw of line strips);
// - BM_TextPage: a page of 2,000 glyphs through TextureFont_Render, against glyphs rasterised by
//   FreeType into one atlas and drawn as quads with plain OpenGL;
// - BM_FontCreate: TextureFont_Create of a 24-point font with the extended characters, against
//   FreeType rasterising the same 222 glyphs of a face it already has open.
// Each reports plain_ratio, the library's time over its peer's (the goal for the two drawing
// measures is below 1.5). The peers are timed in alternating blocks, so that a change in the
// machine's load falls on both alike; the allocator keeps freed blocks, as the rasteriser
// allocates on every draw (see bench/gl_device).
#include <ft2build.h>
#include FT_FREETYPE_H
#include <fontconfig/fontconfig.h>

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "bench/alternating_blocks.h"
#include "library/core/vortanautil.h"
#include "platform/d3d/gl.h"
#include "platform/d3d/gl_context.h"
#include "platform/d3d/gl_state.h"
#include "tests/library/core/gl_library_device.h"

namespace {

using namespace d3d;

constexpr UINT kTarget = 256;  // pixels per side
constexpr int kQuads = 2000;
constexpr int kBoxes = 500;
constexpr int kTexels = 16;        // of the quads' texture, per side
constexpr float kQuadSide = 6.0f;  // pixels
constexpr float kBoxSide = 10.0f;
constexpr int kPageLines = 40;
constexpr int kPageColumns = 50;   // glyphs per line: 2,000 on the page
constexpr float kLineStep = 6.0f;  // pixels: the lines overlap, as the target is small
constexpr int kFontPoints = 24;
constexpr int kEmPixels = 32;  // 24 points at 96 dots per inch
constexpr int kFirstGlyph = 32;
constexpr int kLastGlyph = 253;

void StableAllocator() {
  constexpr int kKeptBytes = 1 << 30;
  constexpr int kMappedBytes = 32 << 20;
  mallopt(M_TRIM_THRESHOLD, kKeptBytes);
  mallopt(M_MMAP_THRESHOLD, kMappedBytes);
}

float Scatter(int index, float step, float range) {
  const float place = static_cast<float>(index) * step;
  return (place - static_cast<float>(static_cast<int>(place))) * range;
}

std::string PageLine(int line) {
  std::string text;
  for (int column = 0; column < kPageColumns; ++column)
    text += static_cast<char>('!' + (line * 7 + column * 13) % 90);
  return text;
}

// The library on an offscreen OpenGL device, with a texture for the quads and a texture font.
class LibraryScene {
 public:
  LibraryScene() {
    if (tests::CreateOffscreenLibraryDevice(kTarget, kTarget, &device_, &direct3d_) != D3D_OK) {
      device_ = nullptr;
      return;
    }
    IDirect3DTexture8* texture = nullptr;
    device_->CreateTexture(kTexels, kTexels, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture);
    texture_ = TextureFactory_GetNewTextureId();
    TextureFactory_SetTextureData(texture_, &texture);
    texture->Release();
    font_ = TextureFont_Create("page", "DejaVu Sans", 8, 0);
  }
  ~LibraryScene() {
    if (device_ != nullptr) {
      ReleaseAll();
      ShutDownDevice();
      device_->Release();
    }
    direct3d_->Release();
  }
  bool Ready() const { return device_ != nullptr && font_ != 0; }

  void OverlayFrame() {
    Viewport_Clear(0, 0);
    Screen2D_Start();
    for (int i = 0; i < kQuads; ++i) {
      const float x = Scatter(i, 0.618034f, kTarget - kQuadSide);
      const float y = Scatter(i, 0.414214f, kTarget - kQuadSide);
      Screen2D_DrawTexture(x, y, x + kQuadSide, y + kQuadSide, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF,
                           0xFFFFFFFF, 0, 0, 1, 1, texture_);
    }
    for (int i = 0; i < kBoxes; ++i) {
      const float x = Scatter(i, 0.732051f, kTarget - kBoxSide);
      const float y = Scatter(i, 0.236068f, kTarget - kBoxSide);
      Screen2D_DrawBox(x, y, x + kBoxSide, y + kBoxSide, 0xFF00FF00);
    }
    Screen2D_End();
    Finish();
  }

  void PageFrame() {
    Viewport_Clear(0, 0);
    for (int line = 0; line < kPageLines; ++line) {
      TextureFont_Render(font_, 0, static_cast<float>(line) * kLineStep, PageLine(line).c_str(),
                         0xFFFFFFFF);
    }
    Finish();
  }

 private:
  void Finish() {
    device_->EndScene();
    glFinish();  // the device's context is current after its draws
  }

  IDirect3D8* direct3d_ = nullptr;
  IDirect3DDevice8* device_ = nullptr;
  int32_t texture_ = 0;
  int32_t font_ = 0;
};

struct Vertex2D {
  float x, y;
  uint32_t color;
  float u, v;
};

// Plain OpenGL: its own context and offscreen target, pixel coordinates, client-side arrays.
class PlainScene {
 public:
  PlainScene() {
    std::string error;
    context_ = gl::Context::Create(nullptr, &error);
    if (!context_) return;
    glGenTextures(1, &target_);
    glBindTexture(GL_TEXTURE_2D, target_);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, kTarget, kTarget, 0, GL_BGRA,
                 GL_UNSIGNED_INT_8_8_8_8_REV, nullptr);
    glGenFramebuffers(1, &framebuffer_);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, target_, 0);
    glViewport(0, 0, kTarget, kTarget);
    glMatrixMode(GL_PROJECTION);
    glOrtho(0, kTarget, kTarget, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    const std::vector<uint32_t> white(kTexels * kTexels, 0xFFFFFFFF);
    glGenTextures(1, &quadTexture_);
    glBindTexture(GL_TEXTURE_2D, quadTexture_);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, kTexels, kTexels, 0, GL_BGRA,
                 GL_UNSIGNED_INT_8_8_8_8_REV, white.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    BuildOverlay();
    BuildAtlas();
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  }
  ~PlainScene() {
    if (!context_) return;
    context_->MakeCurrent();
    glDeleteTextures(1, &target_);
    glDeleteTextures(1, &quadTexture_);
    glDeleteTextures(1, &atlas_);
    glDeleteFramebuffers(1, &framebuffer_);
  }
  bool Ready() const { return context_ != nullptr; }

  void OverlayFrame() {
    Begin();
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, quadTexture_);
    Point(quads_);
    glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(quads_.size()));
    glDisable(GL_TEXTURE_2D);
    Point(boxes_);
    glMultiDrawArrays(GL_LINE_STRIP, boxFirsts_.data(), boxCounts_.data(), kBoxes);
    glFinish();
  }

  void PageFrame() {
    Begin();
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glBindTexture(GL_TEXTURE_2D, atlas_);
    page_.clear();
    for (int line = 0; line < kPageLines; ++line) {
      float pen = 0;
      const float top = static_cast<float>(line) * kLineStep;
      for (char character : PageLine(line)) {
        const Glyph& glyph = glyphs_[static_cast<uint8_t>(character)];
        const float x0 = pen + static_cast<float>(glyph.left);
        const float y0 = top + static_cast<float>(glyph.top);
        const float x1 = x0 + static_cast<float>(glyph.width);
        const float y1 = y0 + static_cast<float>(glyph.height);
        const auto at = [](float x, float y, float u, float v) {
          return Vertex2D{x, y, 0xFFFFFFFF, u, v};
        };
        page_.insert(page_.end(), {at(x0, y0, glyph.u0, glyph.v0), at(x1, y0, glyph.u1, glyph.v0),
                                   at(x0, y1, glyph.u0, glyph.v1), at(x1, y0, glyph.u1, glyph.v0),
                                   at(x1, y1, glyph.u1, glyph.v1), at(x0, y1, glyph.u0, glyph.v1)});
        pen += static_cast<float>(glyph.advance);
      }
    }
    Point(page_);
    glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(page_.size()));
    glDisable(GL_BLEND);
    glFinish();
  }

 private:
  struct Glyph {
    int left = 0, top = 0, width = 0, height = 0, advance = 0;
    float u0 = 0, v0 = 0, u1 = 0, v1 = 0;
  };

  void Begin() {
    context_->MakeCurrent();
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    glClear(GL_COLOR_BUFFER_BIT);
  }

  static void Point(const std::vector<Vertex2D>& vertices) {
    glVertexPointer(2, GL_FLOAT, sizeof(Vertex2D), &vertices[0].x);
    glColorPointer(4, GL_UNSIGNED_BYTE, sizeof(Vertex2D), &vertices[0].color);
    glTexCoordPointer(2, GL_FLOAT, sizeof(Vertex2D), &vertices[0].u);
  }

  void BuildOverlay() {
    for (int i = 0; i < kQuads; ++i) {
      const float x = Scatter(i, 0.618034f, kTarget - kQuadSide);
      const float y = Scatter(i, 0.414214f, kTarget - kQuadSide);
      const auto at = [](float vx, float vy, float u, float v) {
        return Vertex2D{vx, vy, 0xFFFFFFFF, u, v};
      };
      const float r = x + kQuadSide;
      const float b = y + kQuadSide;
      quads_.insert(quads_.end(), {at(x, y, 0, 0), at(r, y, 1, 0), at(x, b, 0, 1), at(r, y, 1, 0),
                                   at(x, b, 0, 1), at(r, b, 1, 1)});
    }
    for (int i = 0; i < kBoxes; ++i) {
      const float x = Scatter(i, 0.732051f, kTarget - kBoxSide);
      const float y = Scatter(i, 0.236068f, kTarget - kBoxSide);
      const float r = x + kBoxSide;
      const float b = y + kBoxSide;
      boxFirsts_.push_back(static_cast<GLint>(boxes_.size()));
      boxCounts_.push_back(5);
      for (const auto& [vx, vy] : {std::pair{x, y}, {r, y}, {r, b}, {x, b}, {x, y}})
        boxes_.push_back({vx, vy, 0xFF00FF00, 0, 0});
    }
  }

  // The page's font at the library's size (8 points: 11 pixels), one glyph per cell of a row.
  void BuildAtlas() {
    FT_Library library = nullptr;
    FT_Init_FreeType(&library);
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("DejaVu Sans"));
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcChar8* path = nullptr;
    FcPatternGetString(match, FC_FILE, 0, &path);
    FT_Face face = nullptr;
    FT_New_Face(library, reinterpret_cast<const char*>(path), 0, &face);
    FcPatternDestroy(match);
    FcPatternDestroy(pattern);
    constexpr int kPagePixels = 11;
    constexpr int kAtlas = 256;
    constexpr int kCell = 16;
    FT_Set_Pixel_Sizes(face, 0, kPagePixels);
    const int ascent = static_cast<int>((face->size->metrics.ascender + 63) >> 6);
    std::vector<uint8_t> alpha(kAtlas * kAtlas, 0);
    for (int character = kFirstGlyph; character < 128; ++character) {
      FT_Load_Char(face, static_cast<FT_ULong>(character), FT_LOAD_RENDER);
      const FT_GlyphSlot slot = face->glyph;
      const int cellX = (character % kCell) * kCell;
      const int cellY = (character / kCell) * kCell;
      Glyph& glyph = glyphs_[character];
      glyph.width = std::min(static_cast<int>(slot->bitmap.width), kCell);
      glyph.height = std::min(static_cast<int>(slot->bitmap.rows), kCell);
      glyph.left = slot->bitmap_left;
      glyph.top = ascent - slot->bitmap_top;
      glyph.advance = static_cast<int>((slot->advance.x + 32) >> 6);
      glyph.u0 = static_cast<float>(cellX) / kAtlas;
      glyph.v0 = static_cast<float>(cellY) / kAtlas;
      glyph.u1 = static_cast<float>(cellX + glyph.width) / kAtlas;
      glyph.v1 = static_cast<float>(cellY + glyph.height) / kAtlas;
      for (int row = 0; row < glyph.height; ++row) {
        std::memcpy(&alpha[static_cast<size_t>((cellY + row) * kAtlas + cellX)],
                    slot->bitmap.buffer + row * slot->bitmap.pitch,
                    static_cast<size_t>(glyph.width));
      }
    }
    FT_Done_Face(face);
    FT_Done_FreeType(library);
    glGenTextures(1, &atlas_);
    glBindTexture(GL_TEXTURE_2D, atlas_);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_ALPHA8, kAtlas, kAtlas, 0, GL_ALPHA, GL_UNSIGNED_BYTE,
                 alpha.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  }

  std::unique_ptr<gl::Context> context_;
  GLuint target_ = 0;
  GLuint framebuffer_ = 0;
  GLuint quadTexture_ = 0;
  GLuint atlas_ = 0;
  std::vector<Vertex2D> quads_;
  std::vector<Vertex2D> boxes_;
  std::vector<GLint> boxFirsts_;
  std::vector<GLsizei> boxCounts_;
  std::vector<Vertex2D> page_;
  Glyph glyphs_[256];
};

using bench::Alternate;

void BM_Screen2D(benchmark::State& state) {
  StableAllocator();
  LibraryScene library;
  PlainScene plain;
  if (!library.Ready() || !plain.Ready()) {
    state.SkipWithError(("no OpenGL device: " + GlDeviceError()).c_str());
    return;
  }
  Alternate(
      state, [&] { library.OverlayFrame(); }, [&] { plain.OverlayFrame(); });
}
BENCHMARK(BM_Screen2D)->Unit(benchmark::kMillisecond)->UseManualTime();

void BM_TextPage(benchmark::State& state) {
  StableAllocator();
  LibraryScene library;
  PlainScene plain;
  if (!library.Ready() || !plain.Ready()) {
    state.SkipWithError(("no OpenGL device: " + GlDeviceError()).c_str());
    return;
  }
  Alternate(
      state, [&] { library.PageFrame(); }, [&] { plain.PageFrame(); });
}
BENCHMARK(BM_TextPage)->Unit(benchmark::kMillisecond)->UseManualTime();

void BM_FontCreate(benchmark::State& state) {
  StableAllocator();
  LibraryScene library;
  if (!library.Ready()) {
    state.SkipWithError(("no OpenGL device: " + GlDeviceError()).c_str());
    return;
  }
  constexpr int32_t kExtended = 4;
  const auto create = [] {
    const int32_t font = TextureFont_Create("big", "DejaVu Sans", kFontPoints, kExtended);
    const int32_t glyphs = TextureFont_GetTexture(font);
    TextureFont_Unload();
    TextureFactory_DeleteTexture(glyphs);
  };
  FT_Library freetype = nullptr;
  FT_Init_FreeType(&freetype);
  FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("DejaVu Sans"));
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcChar8* path = nullptr;
  FcPatternGetString(match, FC_FILE, 0, &path);
  FT_Face face = nullptr;
  FT_New_Face(freetype, reinterpret_cast<const char*>(path), 0, &face);
  FcPatternDestroy(match);
  FcPatternDestroy(pattern);
  FT_Set_Pixel_Sizes(face, 0, kEmPixels);
  const auto rasterise = [face] {
    for (int character = kFirstGlyph; character <= kLastGlyph; ++character) {
      FT_Load_Char(face, static_cast<FT_ULong>(character), FT_LOAD_RENDER);
      benchmark::DoNotOptimize(face->glyph->bitmap.buffer);
    }
  };
  Alternate(state, create, rasterise);
  FT_Done_Face(face);
  FT_Done_FreeType(freetype);
}
BENCHMARK(BM_FontCreate)->Unit(benchmark::kMillisecond)->UseManualTime();

}  // namespace
