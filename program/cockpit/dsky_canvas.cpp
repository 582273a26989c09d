#include "program/cockpit/dsky_canvas.h"

#include "platform/win/rnd.h"
#include "program/scene/cockpit_models.h"

namespace {

constexpr uint32_t White = 0xFFFFFFFF;
constexpr uint32_t Same = engine::EngineScreen2DDraw::kSameAsFirst;

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
  Screen2DDraw->DrawTexture(Globals->GetTextureId(texture), static_cast<float>(left),
                            static_cast<float>(top), static_cast<float>(right),
                            static_cast<float>(bottom), White, Same, Same, Same);
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
