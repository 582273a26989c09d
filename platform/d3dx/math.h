// The D3DX maths the library is written against: vectors, matrices, quaternions, planes and
// colours.
//
// Conventions, which every caller relies on:
// - Vectors are rows and multiply matrices from the left (v' = v * M), so a product A * B applies A
//   first. The translation of an affine matrix is its fourth row (m[3][0..2]).
// - The coordinate system is left-handed: with x right and y up, z points into the screen, and a
//   positive rotation about an axis turns clockwise when one looks along the axis toward the
//   origin.
// - Functions take an output pointer first and return it (or null where they say so), so that calls
//   can be nested and an output may alias an input.
// - D3DXQuaternionMultiply(q1, q2) is the rotation q1 followed by q2, like matrices.
#pragma once

#include <cstdint>

#include "platform/d3d/types.h"

namespace d3dx {

struct D3DXVECTOR2 {
  float x = 0, y = 0;
};

// A D3DVECTOR, so that it passes wherever the device takes one (lights, for instance).
struct D3DXVECTOR3 : d3d::D3DVECTOR {
  friend D3DXVECTOR3 operator+(const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
  }
  friend D3DXVECTOR3 operator-(const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
  }
  friend D3DXVECTOR3 operator*(const D3DXVECTOR3& a, float s) {
    return {a.x * s, a.y * s, a.z * s};
  }
  friend D3DXVECTOR3 operator-(const D3DXVECTOR3& a) { return {-a.x, -a.y, -a.z}; }
  friend bool operator==(const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
    return a.x == b.x && a.y == b.y && a.z == b.z;
  }
};

struct D3DXVECTOR4 {
  float x = 0, y = 0, z = 0, w = 0;
  friend bool operator==(const D3DXVECTOR4&, const D3DXVECTOR4&) = default;
};

// Row-major 4x4 matrix, m[row][column]; a D3DMATRIX, so that SetTransform takes it as it is.
struct D3DXMATRIX : d3d::D3DMATRIX {
  float& operator()(int row, int column) { return m[row][column]; }
  float operator()(int row, int column) const { return m[row][column]; }
  friend D3DXMATRIX operator*(const D3DXMATRIX& a, const D3DXMATRIX& b);
  friend bool operator==(const D3DXMATRIX& a, const D3DXMATRIX& b);
};

struct D3DXQUATERNION {
  float x = 0, y = 0, z = 0, w = 1;
  friend bool operator==(const D3DXQUATERNION&, const D3DXQUATERNION&) = default;
};

// The plane a x + b y + c z + d = 0; (a, b, c) is its normal.
struct D3DXPLANE {
  float a = 0, b = 0, c = 0, d = 0;
};

// A colour with components normally in 0..1.
struct D3DXCOLOR {
  float r = 0, g = 0, b = 0, a = 0;

  D3DXCOLOR() = default;
  D3DXCOLOR(float red, float green, float blue, float alpha)
      : r(red), g(green), b(blue), a(alpha) {}
  // From a packed 0xAARRGGBB value.
  explicit D3DXCOLOR(uint32_t argb);
  // To 0xAARRGGBB, each component clamped to 0..1 and rounded.
  uint32_t ToArgb() const;
};

// ---- 2D vectors
float D3DXVec2Length(const D3DXVECTOR2* v);
float D3DXVec2Dot(const D3DXVECTOR2* a, const D3DXVECTOR2* b);
D3DXVECTOR2* D3DXVec2Normalize(D3DXVECTOR2* out, const D3DXVECTOR2* v);
D3DXVECTOR2* D3DXVec2Lerp(D3DXVECTOR2* out, const D3DXVECTOR2* a, const D3DXVECTOR2* b, float s);

// ---- 3D vectors
float D3DXVec3Length(const D3DXVECTOR3* v);
float D3DXVec3LengthSq(const D3DXVECTOR3* v);
float D3DXVec3Dot(const D3DXVECTOR3* a, const D3DXVECTOR3* b);
D3DXVECTOR3* D3DXVec3Cross(D3DXVECTOR3* out, const D3DXVECTOR3* a, const D3DXVECTOR3* b);
D3DXVECTOR3* D3DXVec3Add(D3DXVECTOR3* out, const D3DXVECTOR3* a, const D3DXVECTOR3* b);
D3DXVECTOR3* D3DXVec3Subtract(D3DXVECTOR3* out, const D3DXVECTOR3* a, const D3DXVECTOR3* b);
D3DXVECTOR3* D3DXVec3Scale(D3DXVECTOR3* out, const D3DXVECTOR3* v, float s);
D3DXVECTOR3* D3DXVec3Lerp(D3DXVECTOR3* out, const D3DXVECTOR3* a, const D3DXVECTOR3* b, float s);
D3DXVECTOR3* D3DXVec3Minimize(D3DXVECTOR3* out, const D3DXVECTOR3* a, const D3DXVECTOR3* b);
D3DXVECTOR3* D3DXVec3Maximize(D3DXVECTOR3* out, const D3DXVECTOR3* a, const D3DXVECTOR3* b);
// A zero vector normalises to zero rather than to not-a-number.
D3DXVECTOR3* D3DXVec3Normalize(D3DXVECTOR3* out, const D3DXVECTOR3* v);
// (x, y, z, 1) * m, all four components. Inline, as loops over many points call it.
inline D3DXVECTOR4* D3DXVec3Transform(D3DXVECTOR4* out, const D3DXVECTOR3* v,
                                      const D3DXMATRIX* m) {
  const auto& a = m->m;
  *out = {v->x * a[0][0] + v->y * a[1][0] + v->z * a[2][0] + a[3][0],
          v->x * a[0][1] + v->y * a[1][1] + v->z * a[2][1] + a[3][1],
          v->x * a[0][2] + v->y * a[1][2] + v->z * a[2][2] + a[3][2],
          v->x * a[0][3] + v->y * a[1][3] + v->z * a[2][3] + a[3][3]};
  return out;
}
// (x, y, z, 1) * m, divided by the resulting w.
inline D3DXVECTOR3* D3DXVec3TransformCoord(D3DXVECTOR3* out, const D3DXVECTOR3* v,
                                           const D3DXMATRIX* m) {
  D3DXVECTOR4 result;
  D3DXVec3Transform(&result, v, m);
  const float scale = result.w != 0 ? 1.0f / result.w : 0.0f;
  *out = {result.x * scale, result.y * scale, result.z * scale};
  return out;
}
// (x, y, z, 0) * m: a direction, untouched by the translation.
D3DXVECTOR3* D3DXVec3TransformNormal(D3DXVECTOR3* out, const D3DXVECTOR3* v, const D3DXMATRIX* m);

// ---- 4D vectors
float D3DXVec4Length(const D3DXVECTOR4* v);
float D3DXVec4Dot(const D3DXVECTOR4* a, const D3DXVECTOR4* b);
D3DXVECTOR4* D3DXVec4Normalize(D3DXVECTOR4* out, const D3DXVECTOR4* v);
D3DXVECTOR4* D3DXVec4Lerp(D3DXVECTOR4* out, const D3DXVECTOR4* a, const D3DXVECTOR4* b, float s);
D3DXVECTOR4* D3DXVec4Transform(D3DXVECTOR4* out, const D3DXVECTOR4* v, const D3DXMATRIX* m);

// ---- Matrices
D3DXMATRIX* D3DXMatrixIdentity(D3DXMATRIX* out);
bool D3DXMatrixIsIdentity(const D3DXMATRIX* m);
D3DXMATRIX* D3DXMatrixMultiply(D3DXMATRIX* out, const D3DXMATRIX* a, const D3DXMATRIX* b);
D3DXMATRIX* D3DXMatrixTranspose(D3DXMATRIX* out, const D3DXMATRIX* m);
float D3DXMatrixDeterminant(const D3DXMATRIX* m);
// The inverse, or null (out untouched) when m is singular; determinant, when given, receives the
// determinant either way.
D3DXMATRIX* D3DXMatrixInverse(D3DXMATRIX* out, float* determinant, const D3DXMATRIX* m);
D3DXMATRIX* D3DXMatrixTranslation(D3DXMATRIX* out, float x, float y, float z);
D3DXMATRIX* D3DXMatrixScaling(D3DXMATRIX* out, float x, float y, float z);
// Angles in radians.
D3DXMATRIX* D3DXMatrixRotationX(D3DXMATRIX* out, float angle);
D3DXMATRIX* D3DXMatrixRotationY(D3DXMATRIX* out, float angle);
D3DXMATRIX* D3DXMatrixRotationZ(D3DXMATRIX* out, float angle);
D3DXMATRIX* D3DXMatrixRotationAxis(D3DXMATRIX* out, const D3DXVECTOR3* axis, float angle);
// Roll about z first, then pitch about x, then yaw about y.
D3DXMATRIX* D3DXMatrixRotationYawPitchRoll(D3DXMATRIX* out, float yaw, float pitch, float roll);
D3DXMATRIX* D3DXMatrixRotationQuaternion(D3DXMATRIX* out, const D3DXQUATERNION* q);
// Scaling about scalingCenter along the axes turned by scalingRotation, then rotation about
// rotationCenter, then translation. Any pointer may be null for "none".
D3DXMATRIX* D3DXMatrixTransformation(D3DXMATRIX* out, const D3DXVECTOR3* scalingCenter,
                                     const D3DXQUATERNION* scalingRotation,
                                     const D3DXVECTOR3* scaling, const D3DXVECTOR3* rotationCenter,
                                     const D3DXQUATERNION* rotation,
                                     const D3DXVECTOR3* translation);
// Uniform scaling, rotation about rotationCenter, translation; pointers may be null.
D3DXMATRIX* D3DXMatrixAffineTransformation(D3DXMATRIX* out, float scaling,
                                           const D3DXVECTOR3* rotationCenter,
                                           const D3DXQUATERNION* rotation,
                                           const D3DXVECTOR3* translation);
// The view matrix of an eye looking at a point, y roughly up.
D3DXMATRIX* D3DXMatrixLookAtLH(D3DXMATRIX* out, const D3DXVECTOR3* eye, const D3DXVECTOR3* at,
                               const D3DXVECTOR3* up);
// Maps view-space depth zNear..zFar to 0..1; fovY is the vertical field of view in radians and
// aspect is width / height.
D3DXMATRIX* D3DXMatrixPerspectiveFovLH(D3DXMATRIX* out, float fovY, float aspect, float zNear,
                                       float zFar);
// Orthographic projection of a width x height view centred on the axis, depth zNear..zFar to 0..1.
D3DXMATRIX* D3DXMatrixOrthoLH(D3DXMATRIX* out, float width, float height, float zNear, float zFar);

// ---- Quaternions
D3DXQUATERNION* D3DXQuaternionIdentity(D3DXQUATERNION* out);
float D3DXQuaternionLength(const D3DXQUATERNION* q);
float D3DXQuaternionDot(const D3DXQUATERNION* a, const D3DXQUATERNION* b);
D3DXQUATERNION* D3DXQuaternionNormalize(D3DXQUATERNION* out, const D3DXQUATERNION* q);
D3DXQUATERNION* D3DXQuaternionConjugate(D3DXQUATERNION* out, const D3DXQUATERNION* q);
// The inverse, or null (out untouched) for the zero quaternion.
D3DXQUATERNION* D3DXQuaternionInverse(D3DXQUATERNION* out, const D3DXQUATERNION* q);
// The rotation q1 followed by q2.
D3DXQUATERNION* D3DXQuaternionMultiply(D3DXQUATERNION* out, const D3DXQUATERNION* q1,
                                       const D3DXQUATERNION* q2);
D3DXQUATERNION* D3DXQuaternionRotationAxis(D3DXQUATERNION* out, const D3DXVECTOR3* axis,
                                           float angle);
// The rotation part of m, which must be a pure rotation (orthonormal upper 3x3).
D3DXQUATERNION* D3DXQuaternionRotationMatrix(D3DXQUATERNION* out, const D3DXMATRIX* m);
D3DXQUATERNION* D3DXQuaternionRotationYawPitchRoll(D3DXQUATERNION* out, float yaw, float pitch,
                                                   float roll);
void D3DXQuaternionToAxisAngle(const D3DXQUATERNION* q, D3DXVECTOR3* axis, float* angle);
// Logarithm and exponential of unit quaternions (pure quaternions in and out of Exp and Ln).
D3DXQUATERNION* D3DXQuaternionLn(D3DXQUATERNION* out, const D3DXQUATERNION* q);
D3DXQUATERNION* D3DXQuaternionExp(D3DXQUATERNION* out, const D3DXQUATERNION* q);
// Spherical interpolation along the shorter arc: t = 0 gives a, t = 1 gives b (or -b).
D3DXQUATERNION* D3DXQuaternionSlerp(D3DXQUATERNION* out, const D3DXQUATERNION* a,
                                    const D3DXQUATERNION* b, float t);
// Spherical quadrangle interpolation between q1 and c with inner control points a and b.
D3DXQUATERNION* D3DXQuaternionSquad(D3DXQUATERNION* out, const D3DXQUATERNION* q1,
                                    const D3DXQUATERNION* a, const D3DXQUATERNION* b,
                                    const D3DXQUATERNION* c, float t);
// The control points for Squad between q1 and q2 of the key sequence q0, q1, q2, q3, after turning
// q0, q2 and q3 onto the same hemisphere as their predecessor.
void D3DXQuaternionSquadSetup(D3DXQUATERNION* aOut, D3DXQUATERNION* bOut, D3DXQUATERNION* cOut,
                              const D3DXQUATERNION* q0, const D3DXQUATERNION* q1,
                              const D3DXQUATERNION* q2, const D3DXQUATERNION* q3);

// ---- Planes
D3DXPLANE* D3DXPlaneFromPointNormal(D3DXPLANE* out, const D3DXVECTOR3* point,
                                    const D3DXVECTOR3* normal);
// The plane through three points; its normal is (p2 - p1) x (p3 - p1), normalised.
D3DXPLANE* D3DXPlaneFromPoints(D3DXPLANE* out, const D3DXVECTOR3* p1, const D3DXVECTOR3* p2,
                               const D3DXVECTOR3* p3);
// Scales the plane so that its normal has unit length (a zero normal gives the zero plane).
D3DXPLANE* D3DXPlaneNormalize(D3DXPLANE* out, const D3DXPLANE* p);
float D3DXPlaneDot(const D3DXPLANE* p, const D3DXVECTOR4* v);
// Signed distance of a point times the normal's length.
float D3DXPlaneDotCoord(const D3DXPLANE* p, const D3DXVECTOR3* v);
float D3DXPlaneDotNormal(const D3DXPLANE* p, const D3DXVECTOR3* v);
// Where the line through a and b meets the plane, or null when the line is parallel to it.
D3DXVECTOR3* D3DXPlaneIntersectLine(D3DXVECTOR3* out, const D3DXPLANE* p, const D3DXVECTOR3* a,
                                    const D3DXVECTOR3* b);
// The plane times m as a row vector: m must be the inverse transpose of the point transformation.
D3DXPLANE* D3DXPlaneTransform(D3DXPLANE* out, const D3DXPLANE* p, const D3DXMATRIX* m);

// ---- Colours
D3DXCOLOR* D3DXColorLerp(D3DXCOLOR* out, const D3DXCOLOR* a, const D3DXCOLOR* b, float s);
D3DXCOLOR* D3DXColorModulate(D3DXCOLOR* out, const D3DXCOLOR* a, const D3DXCOLOR* b);
D3DXCOLOR* D3DXColorScale(D3DXCOLOR* out, const D3DXCOLOR* c, float s);
D3DXCOLOR* D3DXColorAdd(D3DXCOLOR* out, const D3DXCOLOR* a, const D3DXCOLOR* b);
D3DXCOLOR* D3DXColorNegative(D3DXCOLOR* out, const D3DXCOLOR* c);

}  // namespace d3dx
