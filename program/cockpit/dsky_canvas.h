// The DSKY's drawing on the engine: the face and the lamp panel painted into their render
// surfaces by texture name, each surface's texture then put on the cockpit mesh of its name.
#pragma once

#include <string>

#include "program/cockpit/dsky_display.h"
#include "program/scene/engine_objects.h"

class EngineDSKYCanvas : public DSKYCanvas {
 public:
  void Begin(const std::string& surface) override;
  void DrawTexture(const std::string& texture, int32_t left, int32_t top, int32_t right,
                   int32_t bottom) override;
  void End(const std::string& surface) override;

 private:
  static engine::EngineRenderSurface& Surface(const std::string& name);
};

// Paints the DSKY on the engine, the COMP ACTY chance drawn from the program's generator.
void DrawDSKY();
