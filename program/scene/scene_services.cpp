#include "program/scene/scene_services.h"

void UpdateEngineWindowSize() {}
void SetEngineWindowed() {}
void ReleaseInputDevices() {}
