// Inverse sines and cosines, the attitude-angle conversions of the attitude ball and the guidance
// computer's displays, angle units and vector interpolation.
//
// Widths matter here: the results of the attitude displays depend on each intermediate angle being
// rounded to a float, and on which of the three written forms of 2 pi a step uses.
#pragma once

#include "program/flight/vector3.h"

// 2 pi as the angle reductions write it; the two double forms differ in their last digit and are
// used by different steps, and the float form is the bound the reductions compare against.
inline constexpr double TwoPi = 6.28318530717959;       // radians
inline constexpr double TwoPiShort = 6.28318530717958;  // radians
inline constexpr float TwoPiSingle = 6.2831855f;        // radians
// Pi written to 15 digits, as the steps that halve or compare it in double precision use it, and
// the float nearest pi, which the reductions compare against and the float conversions multiply by.
inline constexpr double Pi = 3.14159265358979;  // radians
inline constexpr float PiSingle = 3.1415927f;   // radians
// The degree conversions as the program writes them, to 15 digits; a turn the engine measures
// is converted with the full double 180 / pi, whose last digits differ.
inline constexpr double DegreesPerRadian = 57.2957795130823;        // degrees per radian
inline constexpr double RadiansPerDegree = 0.0174532925199433;      // radians per degree
inline constexpr double DegreesPerRadianExact = 57.29577951308232;  // degrees per radian
// The two conversions rounded to floats, for the steps that convert in single precision.
inline constexpr float DegreesPerRadianSingle = static_cast<float>(DegreesPerRadian);
inline constexpr float RadiansPerDegreeSingle = static_cast<float>(RadiansPerDegree);

// Arc cosine; 0 for x >= 1 and for x <= -1 (callers divide by the cosine of the result).
float ArcCos(float x);
// Arc sine; 0 for x >= 1 (not pi/2) and for x <= -1.
float ArcSin(float x);

// The attitude ball's three angles p, q, r (radians, mostly 0 to 2 pi) from the LM angles a, b, c.
void ComputeEulerAngles(float a, float b, float c, float& p, float& q, float& r);
// The guidance computer's three display angles (radians, -pi to pi) from the LM angles a, b, c.
void ConvertAttitudeAngles(float& first, float& second, float& third, float a, float b, float c);

// from moved toward to by the fraction t. The caller's t is clamped to 0 to 1 in place first.
Vector3 LerpVector(const Vector3& from, const Vector3& to, float& t);

// Degrees from 0 up to 360 for an angle of -2 pi to 2 pi; exactly 360 gives 0.
float RadToDeg360(float angle);
// Radians, with degrees above 180 taken as negative angles (270 gives -pi/2).
float DegToRad(float degrees);
