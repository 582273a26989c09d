// The program's vector: three single-precision components, in world units or feet per second as
// the variable holding it says.
#pragma once

struct Vector3 {
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;
};
