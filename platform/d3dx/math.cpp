#include "platform/d3dx/math.h"

#include <algorithm>
#include <cmath>

namespace d3dx {
namespace {

// Below this a length is treated as zero.
constexpr float kTiny = 1e-12f;

float Clamp01(float value) { return std::clamp(value, 0.0f, 1.0f); }

D3DXQUATERNION Scaled(const D3DXQUATERNION& q, float s) {
  return {q.x * s, q.y * s, q.z * s, q.w * s};
}

D3DXQUATERNION Sum(const D3DXQUATERNION& a, const D3DXQUATERNION& b) {
  return {a.x + b.x, a.y + b.y, a.z + b.z, a.w + b.w};
}

// True when -q lies closer to reference than q, i.e. q sits on the other hemisphere.
bool Opposite(const D3DXQUATERNION& reference, const D3DXQUATERNION& q) {
  D3DXQUATERNION sum = Sum(reference, q);
  D3DXQUATERNION difference = Sum(reference, Scaled(q, -1));
  return D3DXQuaternionLength(&sum) < D3DXQuaternionLength(&difference);
}

}  // namespace

D3DXCOLOR::D3DXCOLOR(uint32_t argb)
    : r(static_cast<float>((argb >> 16) & 0xFF) / 255.0f),
      g(static_cast<float>((argb >> 8) & 0xFF) / 255.0f),
      b(static_cast<float>(argb & 0xFF) / 255.0f),
      a(static_cast<float>(argb >> 24) / 255.0f) {}

uint32_t D3DXCOLOR::ToArgb() const {
  auto byte = [](float value) {
    return static_cast<uint32_t>(std::lround(Clamp01(value) * 255.0f));
  };
  return byte(a) << 24 | byte(r) << 16 | byte(g) << 8 | byte(b);
}

bool operator==(const D3DXMATRIX& a, const D3DXMATRIX& b) {
  for (int row = 0; row < 4; ++row) {
    for (int column = 0; column < 4; ++column) {
      if (a.m[row][column] != b.m[row][column]) return false;
    }
  }
  return true;
}

D3DXMATRIX operator*(const D3DXMATRIX& a, const D3DXMATRIX& b) {
  D3DXMATRIX product;
  for (int row = 0; row < 4; ++row) {
    for (int column = 0; column < 4; ++column) {
      float sum = 0;
      for (int k = 0; k < 4; ++k) sum += a.m[row][k] * b.m[k][column];
      product.m[row][column] = sum;
    }
  }
  return product;
}

// ---- 2D vectors

float D3DXVec2Length(const D3DXVECTOR2* v) { return std::sqrt(D3DXVec2Dot(v, v)); }

float D3DXVec2Dot(const D3DXVECTOR2* a, const D3DXVECTOR2* b) { return a->x * b->x + a->y * b->y; }

D3DXVECTOR2* D3DXVec2Normalize(D3DXVECTOR2* out, const D3DXVECTOR2* v) {
  float length = D3DXVec2Length(v);
  *out = length > kTiny ? D3DXVECTOR2{v->x / length, v->y / length} : D3DXVECTOR2{};
  return out;
}

D3DXVECTOR2* D3DXVec2Lerp(D3DXVECTOR2* out, const D3DXVECTOR2* a, const D3DXVECTOR2* b, float s) {
  *out = {a->x + s * (b->x - a->x), a->y + s * (b->y - a->y)};
  return out;
}

// ---- 3D vectors

float D3DXVec3Length(const D3DXVECTOR3* v) { return std::sqrt(D3DXVec3LengthSq(v)); }

float D3DXVec3LengthSq(const D3DXVECTOR3* v) { return D3DXVec3Dot(v, v); }

float D3DXVec3Dot(const D3DXVECTOR3* a, const D3DXVECTOR3* b) {
  return a->x * b->x + a->y * b->y + a->z * b->z;
}

D3DXVECTOR3* D3DXVec3Cross(D3DXVECTOR3* out, const D3DXVECTOR3* a, const D3DXVECTOR3* b) {
  *out = {a->y * b->z - a->z * b->y, a->z * b->x - a->x * b->z, a->x * b->y - a->y * b->x};
  return out;
}

D3DXVECTOR3* D3DXVec3Add(D3DXVECTOR3* out, const D3DXVECTOR3* a, const D3DXVECTOR3* b) {
  *out = *a + *b;
  return out;
}

D3DXVECTOR3* D3DXVec3Subtract(D3DXVECTOR3* out, const D3DXVECTOR3* a, const D3DXVECTOR3* b) {
  *out = *a - *b;
  return out;
}

D3DXVECTOR3* D3DXVec3Scale(D3DXVECTOR3* out, const D3DXVECTOR3* v, float s) {
  *out = *v * s;
  return out;
}

D3DXVECTOR3* D3DXVec3Lerp(D3DXVECTOR3* out, const D3DXVECTOR3* a, const D3DXVECTOR3* b, float s) {
  *out = *a + (*b - *a) * s;
  return out;
}

D3DXVECTOR3* D3DXVec3Minimize(D3DXVECTOR3* out, const D3DXVECTOR3* a, const D3DXVECTOR3* b) {
  *out = {std::min(a->x, b->x), std::min(a->y, b->y), std::min(a->z, b->z)};
  return out;
}

D3DXVECTOR3* D3DXVec3Maximize(D3DXVECTOR3* out, const D3DXVECTOR3* a, const D3DXVECTOR3* b) {
  *out = {std::max(a->x, b->x), std::max(a->y, b->y), std::max(a->z, b->z)};
  return out;
}

D3DXVECTOR3* D3DXVec3Normalize(D3DXVECTOR3* out, const D3DXVECTOR3* v) {
  float length = D3DXVec3Length(v);
  *out = length > kTiny ? *v * (1.0f / length) : D3DXVECTOR3{};
  return out;
}

D3DXVECTOR3* D3DXVec3TransformNormal(D3DXVECTOR3* out, const D3DXVECTOR3* v, const D3DXMATRIX* m) {
  const auto& a = m->m;
  *out = {v->x * a[0][0] + v->y * a[1][0] + v->z * a[2][0],
          v->x * a[0][1] + v->y * a[1][1] + v->z * a[2][1],
          v->x * a[0][2] + v->y * a[1][2] + v->z * a[2][2]};
  return out;
}

// ---- 4D vectors

float D3DXVec4Length(const D3DXVECTOR4* v) { return std::sqrt(D3DXVec4Dot(v, v)); }

float D3DXVec4Dot(const D3DXVECTOR4* a, const D3DXVECTOR4* b) {
  return a->x * b->x + a->y * b->y + a->z * b->z + a->w * b->w;
}

D3DXVECTOR4* D3DXVec4Normalize(D3DXVECTOR4* out, const D3DXVECTOR4* v) {
  float length = D3DXVec4Length(v);
  float scale = length > kTiny ? 1.0f / length : 0.0f;
  *out = {v->x * scale, v->y * scale, v->z * scale, v->w * scale};
  return out;
}

D3DXVECTOR4* D3DXVec4Lerp(D3DXVECTOR4* out, const D3DXVECTOR4* a, const D3DXVECTOR4* b, float s) {
  *out = {a->x + s * (b->x - a->x), a->y + s * (b->y - a->y), a->z + s * (b->z - a->z),
          a->w + s * (b->w - a->w)};
  return out;
}

D3DXVECTOR4* D3DXVec4Transform(D3DXVECTOR4* out, const D3DXVECTOR4* v, const D3DXMATRIX* m) {
  const float in[4] = {v->x, v->y, v->z, v->w};
  float result[4];
  for (int column = 0; column < 4; ++column) {
    result[column] = 0;
    for (int row = 0; row < 4; ++row) result[column] += in[row] * m->m[row][column];
  }
  *out = {result[0], result[1], result[2], result[3]};
  return out;
}

// ---- Matrices

D3DXMATRIX* D3DXMatrixIdentity(D3DXMATRIX* out) {
  *out = D3DXMATRIX{};
  for (int i = 0; i < 4; ++i) out->m[i][i] = 1;
  return out;
}

bool D3DXMatrixIsIdentity(const D3DXMATRIX* m) {
  D3DXMATRIX identity;
  return *m == *D3DXMatrixIdentity(&identity);
}

D3DXMATRIX* D3DXMatrixMultiply(D3DXMATRIX* out, const D3DXMATRIX* a, const D3DXMATRIX* b) {
  *out = *a * *b;
  return out;
}

D3DXMATRIX* D3DXMatrixTranspose(D3DXMATRIX* out, const D3DXMATRIX* m) {
  D3DXMATRIX result;
  for (int row = 0; row < 4; ++row) {
    for (int column = 0; column < 4; ++column) result.m[row][column] = m->m[column][row];
  }
  *out = result;
  return out;
}

namespace {

// The cofactor matrix's transpose (the adjugate) and the determinant, by expansion over 2x2 minors.
float Adjugate(const D3DXMATRIX& matrix, D3DXMATRIX* adjugate) {
  const auto& a = matrix.m;
  float s0 = a[0][0] * a[1][1] - a[1][0] * a[0][1];
  float s1 = a[0][0] * a[1][2] - a[1][0] * a[0][2];
  float s2 = a[0][0] * a[1][3] - a[1][0] * a[0][3];
  float s3 = a[0][1] * a[1][2] - a[1][1] * a[0][2];
  float s4 = a[0][1] * a[1][3] - a[1][1] * a[0][3];
  float s5 = a[0][2] * a[1][3] - a[1][2] * a[0][3];
  float c5 = a[2][2] * a[3][3] - a[3][2] * a[2][3];
  float c4 = a[2][1] * a[3][3] - a[3][1] * a[2][3];
  float c3 = a[2][1] * a[3][2] - a[3][1] * a[2][2];
  float c2 = a[2][0] * a[3][3] - a[3][0] * a[2][3];
  float c1 = a[2][0] * a[3][2] - a[3][0] * a[2][2];
  float c0 = a[2][0] * a[3][1] - a[3][0] * a[2][1];
  if (adjugate != nullptr) {
    auto& r = adjugate->m;
    r[0][0] = a[1][1] * c5 - a[1][2] * c4 + a[1][3] * c3;
    r[0][1] = -a[0][1] * c5 + a[0][2] * c4 - a[0][3] * c3;
    r[0][2] = a[3][1] * s5 - a[3][2] * s4 + a[3][3] * s3;
    r[0][3] = -a[2][1] * s5 + a[2][2] * s4 - a[2][3] * s3;
    r[1][0] = -a[1][0] * c5 + a[1][2] * c2 - a[1][3] * c1;
    r[1][1] = a[0][0] * c5 - a[0][2] * c2 + a[0][3] * c1;
    r[1][2] = -a[3][0] * s5 + a[3][2] * s2 - a[3][3] * s1;
    r[1][3] = a[2][0] * s5 - a[2][2] * s2 + a[2][3] * s1;
    r[2][0] = a[1][0] * c4 - a[1][1] * c2 + a[1][3] * c0;
    r[2][1] = -a[0][0] * c4 + a[0][1] * c2 - a[0][3] * c0;
    r[2][2] = a[3][0] * s4 - a[3][1] * s2 + a[3][3] * s0;
    r[2][3] = -a[2][0] * s4 + a[2][1] * s2 - a[2][3] * s0;
    r[3][0] = -a[1][0] * c3 + a[1][1] * c1 - a[1][2] * c0;
    r[3][1] = a[0][0] * c3 - a[0][1] * c1 + a[0][2] * c0;
    r[3][2] = -a[3][0] * s3 + a[3][1] * s1 - a[3][2] * s0;
    r[3][3] = a[2][0] * s3 - a[2][1] * s1 + a[2][2] * s0;
  }
  return s0 * c5 - s1 * c4 + s2 * c3 + s3 * c2 - s4 * c1 + s5 * c0;
}

}  // namespace

float D3DXMatrixDeterminant(const D3DXMATRIX* m) { return Adjugate(*m, nullptr); }

D3DXMATRIX* D3DXMatrixInverse(D3DXMATRIX* out, float* determinant, const D3DXMATRIX* m) {
  D3DXMATRIX adjugate;
  float det = Adjugate(*m, &adjugate);
  if (determinant != nullptr) *determinant = det;
  // Only an exactly singular matrix is refused: tiny scales are real and invert fine.
  if (det == 0 || !std::isfinite(det)) return nullptr;
  for (auto& row : adjugate.m) {
    for (float& value : row) value /= det;
  }
  *out = adjugate;
  return out;
}

D3DXMATRIX* D3DXMatrixTranslation(D3DXMATRIX* out, float x, float y, float z) {
  D3DXMatrixIdentity(out);
  out->m[3][0] = x;
  out->m[3][1] = y;
  out->m[3][2] = z;
  return out;
}

D3DXMATRIX* D3DXMatrixScaling(D3DXMATRIX* out, float x, float y, float z) {
  D3DXMatrixIdentity(out);
  out->m[0][0] = x;
  out->m[1][1] = y;
  out->m[2][2] = z;
  return out;
}

D3DXMATRIX* D3DXMatrixRotationX(D3DXMATRIX* out, float angle) {
  float c = std::cos(angle), s = std::sin(angle);
  D3DXMatrixIdentity(out);
  out->m[1][1] = c;
  out->m[1][2] = s;
  out->m[2][1] = -s;
  out->m[2][2] = c;
  return out;
}

D3DXMATRIX* D3DXMatrixRotationY(D3DXMATRIX* out, float angle) {
  float c = std::cos(angle), s = std::sin(angle);
  D3DXMatrixIdentity(out);
  out->m[0][0] = c;
  out->m[0][2] = -s;
  out->m[2][0] = s;
  out->m[2][2] = c;
  return out;
}

D3DXMATRIX* D3DXMatrixRotationZ(D3DXMATRIX* out, float angle) {
  float c = std::cos(angle), s = std::sin(angle);
  D3DXMatrixIdentity(out);
  out->m[0][0] = c;
  out->m[0][1] = s;
  out->m[1][0] = -s;
  out->m[1][1] = c;
  return out;
}

D3DXMATRIX* D3DXMatrixRotationAxis(D3DXMATRIX* out, const D3DXVECTOR3* axis, float angle) {
  D3DXQUATERNION q;
  return D3DXMatrixRotationQuaternion(out, D3DXQuaternionRotationAxis(&q, axis, angle));
}

D3DXMATRIX* D3DXMatrixRotationYawPitchRoll(D3DXMATRIX* out, float yaw, float pitch, float roll) {
  D3DXMATRIX z, x, y;
  *out = *D3DXMatrixRotationZ(&z, roll) * *D3DXMatrixRotationX(&x, pitch) *
         *D3DXMatrixRotationY(&y, yaw);
  return out;
}

D3DXMATRIX* D3DXMatrixRotationQuaternion(D3DXMATRIX* out, const D3DXQUATERNION* q) {
  float x = q->x, y = q->y, z = q->z, w = q->w;
  D3DXMatrixIdentity(out);
  auto& r = out->m;
  r[0][0] = 1 - 2 * (y * y + z * z);
  r[0][1] = 2 * (x * y + z * w);
  r[0][2] = 2 * (x * z - y * w);
  r[1][0] = 2 * (x * y - z * w);
  r[1][1] = 1 - 2 * (x * x + z * z);
  r[1][2] = 2 * (y * z + x * w);
  r[2][0] = 2 * (x * z + y * w);
  r[2][1] = 2 * (y * z - x * w);
  r[2][2] = 1 - 2 * (x * x + y * y);
  return out;
}

D3DXMATRIX* D3DXMatrixTransformation(D3DXMATRIX* out, const D3DXVECTOR3* scalingCenter,
                                     const D3DXQUATERNION* scalingRotation,
                                     const D3DXVECTOR3* scaling, const D3DXVECTOR3* rotationCenter,
                                     const D3DXQUATERNION* rotation,
                                     const D3DXVECTOR3* translation) {
  const D3DXVECTOR3 origin{};
  const D3DXQUATERNION noRotation{};
  const D3DXVECTOR3 unit{1, 1, 1};
  const D3DXVECTOR3& sc = scalingCenter ? *scalingCenter : origin;
  const D3DXVECTOR3& rc = rotationCenter ? *rotationCenter : origin;
  const D3DXVECTOR3& t = translation ? *translation : origin;
  const D3DXVECTOR3& s = scaling ? *scaling : unit;

  D3DXMATRIX toScalingCenter, scalingAxes, scalingAxesBack, scale, fromScalingCenter;
  D3DXMatrixTranslation(&toScalingCenter, -sc.x, -sc.y, -sc.z);
  D3DXMatrixRotationQuaternion(&scalingAxes, scalingRotation ? scalingRotation : &noRotation);
  D3DXMatrixTranspose(&scalingAxesBack, &scalingAxes);
  D3DXMatrixScaling(&scale, s.x, s.y, s.z);
  D3DXMatrixTranslation(&fromScalingCenter, sc.x, sc.y, sc.z);

  D3DXMATRIX toRotationCenter, rotate, fromRotationCenterAndMove;
  D3DXMatrixTranslation(&toRotationCenter, -rc.x, -rc.y, -rc.z);
  D3DXMatrixRotationQuaternion(&rotate, rotation ? rotation : &noRotation);
  D3DXMatrixTranslation(&fromRotationCenterAndMove, rc.x + t.x, rc.y + t.y, rc.z + t.z);

  *out = toScalingCenter * scalingAxesBack * scale * scalingAxes * fromScalingCenter *
         toRotationCenter * rotate * fromRotationCenterAndMove;
  return out;
}

D3DXMATRIX* D3DXMatrixAffineTransformation(D3DXMATRIX* out, float scaling,
                                           const D3DXVECTOR3* rotationCenter,
                                           const D3DXQUATERNION* rotation,
                                           const D3DXVECTOR3* translation) {
  D3DXVECTOR3 uniform{scaling, scaling, scaling};
  return D3DXMatrixTransformation(out, nullptr, nullptr, &uniform, rotationCenter, rotation,
                                  translation);
}

D3DXMATRIX* D3DXMatrixLookAtLH(D3DXMATRIX* out, const D3DXVECTOR3* eye, const D3DXVECTOR3* at,
                               const D3DXVECTOR3* up) {
  D3DXVECTOR3 zAxis, xAxis, yAxis;
  D3DXVECTOR3 forward = *at - *eye;
  D3DXVec3Normalize(&zAxis, &forward);
  D3DXVec3Cross(&xAxis, up, &zAxis);
  D3DXVec3Normalize(&xAxis, &xAxis);
  D3DXVec3Cross(&yAxis, &zAxis, &xAxis);
  D3DXMatrixIdentity(out);
  const D3DXVECTOR3* axes[3] = {&xAxis, &yAxis, &zAxis};
  for (int column = 0; column < 3; ++column) {
    out->m[0][column] = axes[column]->x;
    out->m[1][column] = axes[column]->y;
    out->m[2][column] = axes[column]->z;
    out->m[3][column] = -D3DXVec3Dot(axes[column], eye);
  }
  return out;
}

D3DXMATRIX* D3DXMatrixPerspectiveFovLH(D3DXMATRIX* out, float fovY, float aspect, float zNear,
                                       float zFar) {
  float yScale = 1.0f / std::tan(fovY / 2);
  *out = D3DXMATRIX{};
  out->m[0][0] = yScale / aspect;
  out->m[1][1] = yScale;
  out->m[2][2] = zFar / (zFar - zNear);
  out->m[2][3] = 1;
  out->m[3][2] = -zNear * zFar / (zFar - zNear);
  return out;
}

D3DXMATRIX* D3DXMatrixOrthoLH(D3DXMATRIX* out, float width, float height, float zNear, float zFar) {
  D3DXMatrixIdentity(out);
  out->m[0][0] = 2 / width;
  out->m[1][1] = 2 / height;
  out->m[2][2] = 1 / (zFar - zNear);
  out->m[3][2] = zNear / (zNear - zFar);
  return out;
}

// ---- Quaternions

D3DXQUATERNION* D3DXQuaternionIdentity(D3DXQUATERNION* out) {
  *out = {0, 0, 0, 1};
  return out;
}

float D3DXQuaternionLength(const D3DXQUATERNION* q) { return std::sqrt(D3DXQuaternionDot(q, q)); }

float D3DXQuaternionDot(const D3DXQUATERNION* a, const D3DXQUATERNION* b) {
  return a->x * b->x + a->y * b->y + a->z * b->z + a->w * b->w;
}

D3DXQUATERNION* D3DXQuaternionNormalize(D3DXQUATERNION* out, const D3DXQUATERNION* q) {
  float length = D3DXQuaternionLength(q);
  *out = length > kTiny ? Scaled(*q, 1.0f / length) : D3DXQUATERNION{0, 0, 0, 0};
  return out;
}

D3DXQUATERNION* D3DXQuaternionConjugate(D3DXQUATERNION* out, const D3DXQUATERNION* q) {
  *out = {-q->x, -q->y, -q->z, q->w};
  return out;
}

D3DXQUATERNION* D3DXQuaternionInverse(D3DXQUATERNION* out, const D3DXQUATERNION* q) {
  float lengthSq = D3DXQuaternionDot(q, q);
  if (lengthSq < kTiny) return nullptr;
  D3DXQUATERNION conjugate;
  *out = Scaled(*D3DXQuaternionConjugate(&conjugate, q), 1.0f / lengthSq);
  return out;
}

D3DXQUATERNION* D3DXQuaternionMultiply(D3DXQUATERNION* out, const D3DXQUATERNION* q1,
                                       const D3DXQUATERNION* q2) {
  // The Hamilton product q2 q1: applying q1 and then q2 to a vector.
  const D3DXQUATERNION a = *q2, b = *q1;
  *out = {
      a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y, a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x,
      a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w, a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z};
  return out;
}

D3DXQUATERNION* D3DXQuaternionRotationAxis(D3DXQUATERNION* out, const D3DXVECTOR3* axis,
                                           float angle) {
  D3DXVECTOR3 unit;
  D3DXVec3Normalize(&unit, axis);
  float s = std::sin(angle / 2);
  *out = {unit.x * s, unit.y * s, unit.z * s, std::cos(angle / 2)};
  return out;
}

D3DXQUATERNION* D3DXQuaternionRotationMatrix(D3DXQUATERNION* out, const D3DXMATRIX* matrix) {
  const auto& m = matrix->m;
  float trace = m[0][0] + m[1][1] + m[2][2];
  D3DXQUATERNION q;
  // Divide by the largest of the four candidates to stay accurate near half turns.
  if (trace > 0) {
    float s = std::sqrt(trace + 1) * 2;
    q = {(m[1][2] - m[2][1]) / s, (m[2][0] - m[0][2]) / s, (m[0][1] - m[1][0]) / s, s / 4};
  } else if (m[0][0] > m[1][1] && m[0][0] > m[2][2]) {
    float s = std::sqrt(1 + m[0][0] - m[1][1] - m[2][2]) * 2;
    q = {s / 4, (m[0][1] + m[1][0]) / s, (m[2][0] + m[0][2]) / s, (m[1][2] - m[2][1]) / s};
  } else if (m[1][1] > m[2][2]) {
    float s = std::sqrt(1 + m[1][1] - m[0][0] - m[2][2]) * 2;
    q = {(m[0][1] + m[1][0]) / s, s / 4, (m[1][2] + m[2][1]) / s, (m[2][0] - m[0][2]) / s};
  } else {
    float s = std::sqrt(1 + m[2][2] - m[0][0] - m[1][1]) * 2;
    q = {(m[2][0] + m[0][2]) / s, (m[1][2] + m[2][1]) / s, s / 4, (m[0][1] - m[1][0]) / s};
  }
  *out = q;
  return out;
}

D3DXQUATERNION* D3DXQuaternionRotationYawPitchRoll(D3DXQUATERNION* out, float yaw, float pitch,
                                                   float roll) {
  const D3DXVECTOR3 xAxis{1, 0, 0}, yAxis{0, 1, 0}, zAxis{0, 0, 1};
  D3DXQUATERNION qYaw, qPitch, qRoll, rollPitch;
  D3DXQuaternionRotationAxis(&qYaw, &yAxis, yaw);
  D3DXQuaternionRotationAxis(&qPitch, &xAxis, pitch);
  D3DXQuaternionRotationAxis(&qRoll, &zAxis, roll);
  D3DXQuaternionMultiply(&rollPitch, &qRoll, &qPitch);
  return D3DXQuaternionMultiply(out, &rollPitch, &qYaw);
}

void D3DXQuaternionToAxisAngle(const D3DXQUATERNION* q, D3DXVECTOR3* axis, float* angle) {
  if (axis != nullptr) *axis = {q->x, q->y, q->z};
  if (angle != nullptr) *angle = 2 * std::acos(std::clamp(q->w, -1.0f, 1.0f));
}

D3DXQUATERNION* D3DXQuaternionLn(D3DXQUATERNION* out, const D3DXQUATERNION* q) {
  float sinHalf = std::sqrt(q->x * q->x + q->y * q->y + q->z * q->z);
  float half = std::atan2(sinHalf, q->w);
  float scale = sinHalf > kTiny ? half / sinHalf : 1.0f;
  *out = {q->x * scale, q->y * scale, q->z * scale, 0};
  return out;
}

D3DXQUATERNION* D3DXQuaternionExp(D3DXQUATERNION* out, const D3DXQUATERNION* q) {
  float half = std::sqrt(q->x * q->x + q->y * q->y + q->z * q->z);
  float scale = half > kTiny ? std::sin(half) / half : 1.0f;
  *out = {q->x * scale, q->y * scale, q->z * scale, std::cos(half)};
  return out;
}

D3DXQUATERNION* D3DXQuaternionSlerp(D3DXQUATERNION* out, const D3DXQUATERNION* a,
                                    const D3DXQUATERNION* b, float t) {
  D3DXQUATERNION end = *b;
  float cosAngle = D3DXQuaternionDot(a, b);
  if (cosAngle < 0) {
    cosAngle = -cosAngle;
    end = Scaled(end, -1);
  }
  float weightA = 1 - t, weightB = t;
  // Nearly equal rotations interpolate linearly, where the sine would lose all precision.
  if (cosAngle < 1 - 1e-6f) {
    float angle = std::acos(cosAngle);
    float sinAngle = std::sin(angle);
    weightA = std::sin((1 - t) * angle) / sinAngle;
    weightB = std::sin(t * angle) / sinAngle;
  }
  *out = Sum(Scaled(*a, weightA), Scaled(end, weightB));
  return out;
}

D3DXQUATERNION* D3DXQuaternionSquad(D3DXQUATERNION* out, const D3DXQUATERNION* q1,
                                    const D3DXQUATERNION* a, const D3DXQUATERNION* b,
                                    const D3DXQUATERNION* c, float t) {
  D3DXQUATERNION outer, inner;
  D3DXQuaternionSlerp(&outer, q1, c, t);
  D3DXQuaternionSlerp(&inner, a, b, t);
  return D3DXQuaternionSlerp(out, &outer, &inner, 2 * t * (1 - t));
}

namespace {

// The inner control point at key q between its neighbours before and after:
// q * exp(-(ln(q^-1 * after) + ln(q^-1 * before)) / 4), in this library's multiplication order.
D3DXQUATERNION InnerControlPoint(const D3DXQUATERNION& before, const D3DXQUATERNION& q,
                                 const D3DXQUATERNION& after) {
  D3DXQUATERNION inverse, toAfter, toBefore, lnAfter, lnBefore, exponent, result;
  D3DXQuaternionConjugate(&inverse, &q);
  D3DXQuaternionLn(&lnAfter, D3DXQuaternionMultiply(&toAfter, &inverse, &after));
  D3DXQuaternionLn(&lnBefore, D3DXQuaternionMultiply(&toBefore, &inverse, &before));
  D3DXQUATERNION sum = Scaled(Sum(lnAfter, lnBefore), -0.25f);
  D3DXQuaternionExp(&exponent, &sum);
  return *D3DXQuaternionMultiply(&result, &q, &exponent);
}

}  // namespace

void D3DXQuaternionSquadSetup(D3DXQUATERNION* aOut, D3DXQUATERNION* bOut, D3DXQUATERNION* cOut,
                              const D3DXQUATERNION* q0, const D3DXQUATERNION* q1,
                              const D3DXQUATERNION* q2, const D3DXQUATERNION* q3) {
  D3DXQUATERNION k0 = Opposite(*q1, *q0) ? Scaled(*q0, -1) : *q0;
  D3DXQUATERNION k2 = Opposite(*q1, *q2) ? Scaled(*q2, -1) : *q2;
  D3DXQUATERNION k3 = Opposite(k2, *q3) ? Scaled(*q3, -1) : *q3;
  D3DXQUATERNION a = InnerControlPoint(k0, *q1, k2);
  D3DXQUATERNION b = InnerControlPoint(*q1, k2, k3);
  *aOut = a;
  *bOut = b;
  *cOut = k2;
}

// ---- Planes

D3DXPLANE* D3DXPlaneFromPointNormal(D3DXPLANE* out, const D3DXVECTOR3* point,
                                    const D3DXVECTOR3* normal) {
  *out = {normal->x, normal->y, normal->z, -D3DXVec3Dot(point, normal)};
  return out;
}

D3DXPLANE* D3DXPlaneFromPoints(D3DXPLANE* out, const D3DXVECTOR3* p1, const D3DXVECTOR3* p2,
                               const D3DXVECTOR3* p3) {
  D3DXVECTOR3 edge1 = *p2 - *p1, edge2 = *p3 - *p1, normal;
  D3DXVec3Cross(&normal, &edge1, &edge2);
  D3DXVec3Normalize(&normal, &normal);
  return D3DXPlaneFromPointNormal(out, p1, &normal);
}

D3DXPLANE* D3DXPlaneNormalize(D3DXPLANE* out, const D3DXPLANE* p) {
  float length = std::sqrt(p->a * p->a + p->b * p->b + p->c * p->c);
  float scale = length > kTiny ? 1.0f / length : 0.0f;
  *out = {p->a * scale, p->b * scale, p->c * scale, p->d * scale};
  return out;
}

float D3DXPlaneDot(const D3DXPLANE* p, const D3DXVECTOR4* v) {
  return p->a * v->x + p->b * v->y + p->c * v->z + p->d * v->w;
}

float D3DXPlaneDotCoord(const D3DXPLANE* p, const D3DXVECTOR3* v) {
  return D3DXPlaneDotNormal(p, v) + p->d;
}

float D3DXPlaneDotNormal(const D3DXPLANE* p, const D3DXVECTOR3* v) {
  return p->a * v->x + p->b * v->y + p->c * v->z;
}

D3DXVECTOR3* D3DXPlaneIntersectLine(D3DXVECTOR3* out, const D3DXPLANE* p, const D3DXVECTOR3* a,
                                    const D3DXVECTOR3* b) {
  D3DXVECTOR3 direction = *b - *a;
  float along = D3DXPlaneDotNormal(p, &direction);
  if (std::fabs(along) < kTiny) return nullptr;
  *out = *a + direction * (-D3DXPlaneDotCoord(p, a) / along);
  return out;
}

D3DXPLANE* D3DXPlaneTransform(D3DXPLANE* out, const D3DXPLANE* p, const D3DXMATRIX* m) {
  D3DXVECTOR4 row{p->a, p->b, p->c, p->d};
  D3DXVec4Transform(&row, &row, m);
  *out = {row.x, row.y, row.z, row.w};
  return out;
}

// ---- Colours

D3DXCOLOR* D3DXColorLerp(D3DXCOLOR* out, const D3DXCOLOR* a, const D3DXCOLOR* b, float s) {
  *out = D3DXCOLOR(a->r + s * (b->r - a->r), a->g + s * (b->g - a->g), a->b + s * (b->b - a->b),
                   a->a + s * (b->a - a->a));
  return out;
}

D3DXCOLOR* D3DXColorModulate(D3DXCOLOR* out, const D3DXCOLOR* a, const D3DXCOLOR* b) {
  *out = D3DXCOLOR(a->r * b->r, a->g * b->g, a->b * b->b, a->a * b->a);
  return out;
}

D3DXCOLOR* D3DXColorScale(D3DXCOLOR* out, const D3DXCOLOR* c, float s) {
  *out = D3DXCOLOR(c->r * s, c->g * s, c->b * s, c->a * s);
  return out;
}

D3DXCOLOR* D3DXColorAdd(D3DXCOLOR* out, const D3DXCOLOR* a, const D3DXCOLOR* b) {
  *out = D3DXCOLOR(a->r + b->r, a->g + b->g, a->b + b->b, a->a + b->a);
  return out;
}

D3DXCOLOR* D3DXColorNegative(D3DXCOLOR* out, const D3DXCOLOR* c) {
  *out = D3DXCOLOR(1 - c->r, 1 - c->g, 1 - c->b, c->a);
  return out;
}

}  // namespace d3dx
