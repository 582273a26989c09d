// Scalar and vector maths for callers without a maths library, the trigonometry tables, and the
// conversions between Euler angles, quaternions and matrices.
#include "library/core/geometry/maths.h"

#include <bit>
#include <cmath>

#include "library/core/vortanautil.h"

using d3d::D3DVECTOR;

TrigTableSet TrigTables;

namespace {

constexpr float kDegreesPerRadian = 57.29578f;
// Table entries per radian of a half angle: 1 / (2 x kTrigTableStep).
constexpr float kHalfAngleIndexScale = 159.15498f;
// Beyond this |sin| of the pitch the angles are taken at the pole (gimbal lock).
constexpr float kPoleThreshold = 0.999999f;
constexpr uint32_t kInverseSquareRootMagic = 0x5F3759DF;

// The tables are built before any export can be called.
[[maybe_unused]] const bool kTablesBuiltAtLoad = (Maths_BuildTrigTables(), true);

// The table entry of a half angle, wrapped into the table so that the ends of the documented range
// (a full turn either way) read the entry of the same angle rather than one past the table.
int32_t HalfAngleIndex(float angle) {
  const auto index = static_cast<int32_t>(angle * kHalfAngleIndexScale);
  const int32_t fromStart =
      ((index + kTrigTableCentre) % kTrigTableSize + kTrigTableSize) % kTrigTableSize;
  return fromStart - kTrigTableCentre;
}

}  // namespace

void Maths_BuildTrigTables() {
  for (int32_t i = 0; i < kTrigTableSize; ++i) {
    const float angle = static_cast<float>(i - kTrigTableCentre) * kTrigTableStep;
    TrigTables.cosine[i] = std::cos(angle);
    TrigTables.sine[i] = std::sin(angle);
  }
  TrigTables.cosineCentre = &TrigTables.cosine[kTrigTableCentre];
  TrigTables.sineCentre = &TrigTables.sine[kTrigTableCentre];
}

void Maths_EulerToQuaternion(float x, float y, float z, d3dx::D3DXQUATERNION* out) {
  const int32_t ix = HalfAngleIndex(x);
  const int32_t iy = HalfAngleIndex(y);
  const int32_t iz = HalfAngleIndex(z);
  const float cx = TrigTables.cosineCentre[ix], sx = TrigTables.sineCentre[ix];
  const float cy = TrigTables.cosineCentre[iy], sy = TrigTables.sineCentre[iy];
  const float cz = TrigTables.cosineCentre[iz], sz = TrigTables.sineCentre[iz];
  out->x = sx * cy * cz - cx * sy * sz;
  out->y = cx * sy * cz + sx * cy * sz;
  out->z = cx * cy * sz - sx * sy * cz;
  out->w = cx * cy * cz + sx * sy * sz;
}

float Maths_GetDistance2D(float x1, float z1, float x2, float z2) {
  return std::sqrt((x2 - x1) * (x2 - x1) + (z2 - z1) * (z2 - z1));
}

float Maths_GetDistance3D(float x1, float y1, float z1, float x2, float y2, float z2) {
  return std::sqrt((x2 - x1) * (x2 - x1) + (y2 - y1) * (y2 - y1) + (z2 - z1) * (z2 - z1));
}

float Maths_Sqr(float x) { return std::sqrt(x); }
float Maths_Cos(float x) { return std::cos(x); }
float Maths_Sin(float x) { return std::sin(x); }
float Maths_Acos(float x) { return std::acos(x); }
float Maths_Asin(float x) { return std::asin(x); }
float Maths_Atan(float x) { return std::atan(x); }
float Maths_Atan2(float y, float x) { return std::atan2(y, x); }
float Maths_DegCos(float degrees) { return std::cos(degrees * kRadiansPerDegree); }
float Maths_DegSin(float degrees) { return std::sin(degrees * kRadiansPerDegree); }
float Maths_DegAcos(float x) { return std::acos(x) * kDegreesPerRadian; }
float Maths_DegAsin(float x) { return std::asin(x) * kDegreesPerRadian; }
float Maths_DegAtan(float x) { return std::atan(x) * kDegreesPerRadian; }
float Maths_DegAtan2(float y, float x) { return std::atan2(y, x) * kDegreesPerRadian; }

int32_t Maths_VectorAdd(D3DVECTOR* out, const D3DVECTOR* a, const D3DVECTOR* b) {
  Maths_VectorAddF(out, a, b);
  return 1;
}

int32_t Maths_VectorSubtract(D3DVECTOR* out, const D3DVECTOR* a, const D3DVECTOR* b) {
  Maths_VectorSubtractF(out, a, b);
  return 1;
}

int32_t Maths_VectorScale(D3DVECTOR* out, const D3DVECTOR* v, float s) {
  Maths_VectorScaleF(out, v, 0, s);
  return 1;
}

D3DVECTOR* Maths_VectorAddF(D3DVECTOR* out, const D3DVECTOR* a, const D3DVECTOR* b) {
  *out = {a->x + b->x, a->y + b->y, a->z + b->z};
  return out;
}

D3DVECTOR* Maths_VectorSubtractF(D3DVECTOR* out, const D3DVECTOR* a, const D3DVECTOR* b) {
  *out = {a->x - b->x, a->y - b->y, a->z - b->z};
  return out;
}

D3DVECTOR* Maths_VectorScaleF(D3DVECTOR* out, const D3DVECTOR* v, int32_t, float s) {
  *out = {v->x * s, v->y * s, v->z * s};
  return out;
}

int32_t FastNormalize(D3DVECTOR* v) {
  // One Newton step from the classic first guess of 1 / sqrt: about 0.2 % at worst. A zero vector
  // stays zero, the guess being finite.
  const float lengthSquared = v->x * v->x + v->y * v->y + v->z * v->z;
  float inverse =
      std::bit_cast<float>(kInverseSquareRootMagic - (std::bit_cast<uint32_t>(lengthSquared) >> 1));
  inverse = inverse * (1.5f - 0.5f * lengthSquared * inverse * inverse);
  *v = {v->x * inverse, v->y * inverse, v->z * inverse};
  return 0;
}

int32_t MakeEulerAnglesFromQ(const d3dx::D3DXQUATERNION* q, D3DVECTOR* angles) {
  const float x = q->x, y = q->y, z = q->z, w = q->w;
  const float s = 2 * (x * z - w * y);
  if (std::fabs(s) > kPoleThreshold) {
    angles->x = 0;
    angles->y = -kHalfPi * s / std::fabs(s);
    angles->z = std::atan2(-2 * (x * y - z * w), -s * 2 * (x * z + w * y));
  } else {
    angles->x = std::atan2(2 * (z * y + x * w), z * z + w * w - x * x - y * y);
    angles->y = std::asin(-s);
    angles->z = std::atan2(2 * (z * w + x * y), x * x + w * w - y * y - z * z);
  }
  return 1;
}
