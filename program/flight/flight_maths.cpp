#include "program/flight/flight_maths.h"

#include <cmath>
#include <initializer_list>

namespace {

// Brings an angle into 0 to 2 pi with one turn at most: up first, then down.
float ReduceUpThenDown(float v) {
  if (v < 0) v = static_cast<float>(v + TwoPi);
  if (v > TwoPiSingle) v = static_cast<float>(v - TwoPi);
  return v;
}

// Sine and cosine in double precision even of a float angle, as the conversions are written.
double Sin(double angle) { return std::sin(angle); }
double Cos(double angle) { return std::cos(angle); }

float FiniteOrZero(double value) { return std::isfinite(value) ? static_cast<float>(value) : 0.0f; }

}  // namespace

float ArcCos(float x) {
  if (x >= 1.0f || x <= -1.0f) return 0.0f;
  double xd = x;
  return FiniteOrZero(std::atan(-xd / std::sqrt(1.0 - xd * xd)) + 2.0 * std::atan(1.0));
}

float ArcSin(float x) {
  if (x >= 1.0f || x <= -1.0f) return 0.0f;
  double xd = x;
  return FiniteOrZero(std::atan(xd / std::sqrt(1.0 - xd * xd)));
}

void ComputeEulerAngles(float a, float b, float c, float& p, float& q, float& r) {
  q = ReduceUpThenDown(ArcSin(static_cast<float>(Sin(a) * Cos(c))));
  r = ReduceUpThenDown(
      static_cast<float>(TwoPiShort - ArcSin(static_cast<float>(-Sin(c) / Cos(q)))));
  p = static_cast<float>(-TwoPi - (b - c * Sin(c) / 5.0));
  // Down first, then up, and once each: p may stay below 0.
  if (p > TwoPiSingle) p = static_cast<float>(p - TwoPi);
  if (p < 0) p = static_cast<float>(p + TwoPi);
}

void ConvertAttitudeAngles(float& first, float& second, float& third, float a, float b, float c) {
  float u = static_cast<float>(TwoPiShort - ArcSin(static_cast<float>(-Cos(b) * Sin(c))));
  if (u > TwoPiSingle) u = static_cast<float>(u - TwoPiShort);
  float v = static_cast<float>(a + u * Sin(u) / 5.0);
  if (v > TwoPiSingle) v = static_cast<float>(v - TwoPiShort);
  float w = static_cast<float>(ArcSin(static_cast<float>(Sin(b) / Cos(u))) + TwoPiShort);
  if (w > TwoPiSingle) w = static_cast<float>(w - TwoPiShort);
  for (float* angle : {&w, &u, &v}) {
    if (*angle > PiSingle) *angle = static_cast<float>(*angle - TwoPi);
  }
  first = w;
  second = v;
  third = u;
}

Vector3 LerpVector(const Vector3& from, const Vector3& to, float& t) {
  if (t < 0.0f) t = 0.0f;
  if (t > 1.0f) t = 1.0f;
  const float s = 1.0f - t;
  return {from.x * s + to.x * t, from.y * s + to.y * t, from.z * s + to.z * t};
}

float RadToDeg360(float angle) {
  float x = static_cast<float>(angle * DegreesPerRadian);
  if (angle < 0) x += 360.0f;
  return x == 360.0f ? 0.0f : x;
}

float DegToRad(float degrees) {
  if (degrees > 180.0f) degrees -= 360.0f;
  return static_cast<float>(degrees * RadiansPerDegree);
}
