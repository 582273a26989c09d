// The program's vector: three single-precision components, in world units or feet per second as
// the variable holding it says.
#pragma once

struct Vector3 {
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;
};

// The same in double precision, for the LM's position (world units) and velocities (ft/s).
struct Vector3d {
  double x = 0.0;
  double y = 0.0;
  double z = 0.0;
};
