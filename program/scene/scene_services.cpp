#include "program/scene/scene_services.h"

#include "program/flight/flight_state.h"
#include "program/flight/main_display.h"
#include "program/scene/engine_objects.h"

void StoreWindowSize(MainDisplayForm& form) {
  ScreenHeight = form.ScaleHeight();
  ScreenWidth = form.ScaleWidth();
  ScreenScaleY = static_cast<float>(ScreenHeight) / ReferenceHeight;
  ScreenScaleX = static_cast<float>(ScreenWidth) / ReferenceWidth;
}

void UpdateEngineWindowSize() {
  int32_t unused = 0;
  if (Engine) Engine->UpdateWindowSize(unused);
}

void SetEngineWindowed() {
  if (Engine) Engine->SetWindowedFlag(true);
}

void ReleaseInputDevices() {
  if (InputEngine) InputEngine->ReleaseDevices();
}

void SetArrowPointer() {
  Scene->SetMouseCursor(Globals->GetTextureId("ArrowPointer"), 32.0f, 32.0f, 0, 0);
}
