// The trigonometry tables and quaternion routines the model families' bone animation uses. The
// tables are built when the library is loaded, so they are ready whichever way a device came. The
// maths exports are declared in library/core/vortanautil.h.
#pragma once

#include <cstdint>

#include "platform/d3dx/math.h"

inline constexpr float kRadiansPerDegree = 0.017453292f;
inline constexpr float kHalfPi = 1.5707963265f;  // radians

inline constexpr int32_t kTrigTableSize = 2000;        // entries per table
inline constexpr int32_t kTrigTableCentre = 1000;      // the entry of angle 0
inline constexpr float kTrigTableStep = 0.003141593f;  // radians per entry

// cosine[i] and sine[i] hold cos and sin of (i - kTrigTableCentre) x kTrigTableStep; the centre
// pointers let an index from -1000 to 999 be used directly.
struct TrigTableSet {
  float cosine[kTrigTableSize];
  float sine[kTrigTableSize];
  const float* cosineCentre;
  const float* sineCentre;
};

extern TrigTableSet TrigTables;

// The D3DX forms of the plain vectors and matrices the exports take.
inline d3dx::D3DXVECTOR3 AsVector(const d3d::D3DVECTOR& v) { return {{v.x, v.y, v.z}}; }
inline d3dx::D3DXMATRIX AsMatrix(const d3d::D3DMATRIX& m) {
  d3dx::D3DXMATRIX matrix;
  static_cast<d3d::D3DMATRIX&>(matrix) = m;
  return matrix;
}

// Fills TrigTables; runs at library load.
void Maths_BuildTrigTables();
// The rotation of Euler angles x, y, z (radians) from the tables, to their precision.
void Maths_EulerToQuaternion(float x, float y, float z, d3dx::D3DXQUATERNION* out);
