#include "program/input/input_services.h"

float ApplyDeadZone(float, float value) { return value; }

void RunJoystickTest() {}
