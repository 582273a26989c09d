#include "program/cockpit/dsky_canvas.h"

#include "platform/win/rnd.h"
#include "program/cockpit/draw_2d.h"
#include "program/scene/cockpit_models.h"
#include "program/scene/scene_state.h"

namespace {

// The display names its glyphs "D0" to "D13"; the signs 10 to 13 are the textures "Dm", "Dp", "Db"
// and "Da", so glyphs go by the ids the scene keeps.
int32_t TextureOf(const std::string& name) {
  if (name.size() >= 2 && name[0] == 'D' &&
      name.find_first_not_of("0123456789", 1) == std::string::npos) {
    const int glyph = std::stoi(name.substr(1));
    if (glyph < DSKYGlyphCount) return TextureIds.DSKYGlyphs[static_cast<size_t>(glyph)];
  }
  return Globals->GetTextureId(name);
}

}  // namespace

engine::EngineRenderSurface& EngineDSKYCanvas::Surface(const std::string& name) {
  return name == "DSKYLights" ? *DSKYLightsSurface : *DSKYSurface;
}

void EngineDSKYCanvas::Begin(const std::string& surface) {
  Surface(surface).StartRender(true);
  Screen2DDraw->Begin();
}

void EngineDSKYCanvas::DrawTexture(const std::string& texture, int32_t left, int32_t top,
                                   int32_t right, int32_t bottom) {
  DrawQuad(TextureOf(texture), static_cast<float>(left), static_cast<float>(top),
           static_cast<float>(right), static_cast<float>(bottom));
}

void EngineDSKYCanvas::End(const std::string& surface) {
  Screen2DDraw->End();
  engine::EngineRenderSurface& s = Surface(surface);
  s.EndRender();
  CockpitPart(surface).SetTexture(s.GetTexture(), -1.0f);
}

void DrawDSKY() {
  EngineDSKYCanvas canvas;
  DrawDSKY(canvas, win::Rnd() * 100.0f);
}
