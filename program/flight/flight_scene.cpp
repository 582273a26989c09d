#include "program/flight/flight_scene.h"

#include <array>
#include <cmath>

#include "program/flight/flight_maths.h"

namespace {

std::function<float(float, float)> heightSource;
std::function<bool(const Vector3&, const Vector3&, Vector3&)> pickSource;

// Rows are the pivot's x, y and z axes in world axes; a vector transforms as a row times it.
using Matrix3 = std::array<std::array<double, 3>, 3>;
constexpr Matrix3 Identity{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
Matrix3 pivot = Identity;
Matrix3 reference = Identity;

// A turn about one of a mesh's own axes goes before its matrix, as the engine's meshes turn.
void TurnAbout(Matrix3& axes, int axis, double angle) {
  if (angle == 0.0) return;
  const int a = (axis + 1) % 3;
  const int b = (axis + 2) % 3;
  const double c = std::cos(angle);
  const double s = std::sin(angle);
  const auto rowA = axes[a];
  const auto rowB = axes[b];
  for (int k = 0; k < 3; ++k) {
    axes[a][k] = c * rowA[k] + s * rowB[k];
    axes[b][k] = -s * rowA[k] + c * rowB[k];
  }
}

}  // namespace

float TerrainHeight(float x, float z) { return heightSource ? heightSource(x, z) : 0.0f; }

void SetTerrainHeightSource(std::function<float(float, float)> source) {
  heightSource = std::move(source);
}

bool PickTerrain(const Vector3& from, const Vector3& to, Vector3& hit) {
  return pickSource ? pickSource(from, to, hit) : false;
}

void SetTerrainPickSource(std::function<bool(const Vector3&, const Vector3&, Vector3&)> source) {
  pickSource = std::move(source);
}

Vector3 PivotTransformVector(const Vector3& v) {
  double out[3];
  for (int k = 0; k < 3; ++k) out[k] = v.x * pivot[0][k] + v.y * pivot[1][k] + v.z * pivot[2][k];
  return {static_cast<float>(out[0]), static_cast<float>(out[1]), static_cast<float>(out[2])};
}

void TurnPivot(const Vector3& increment) {
  TurnAbout(pivot, 1, increment.z);
  TurnAbout(pivot, 0, increment.x);
  TurnAbout(pivot, 2, increment.y);
}

void ResetPivot() { pivot = Identity; }

void TurnAttitudeReference(ReferenceAxis axis, float angle) {
  TurnAbout(reference, static_cast<int>(axis), angle);
}

void ResetAttitudeReference() { reference = Identity; }

Vector3 AttitudeReferenceVector() {
  constexpr double Smallest = 0.0001;
  float out[3];
  for (int k = 0; k < 3; ++k) {
    const double v = -reference[2][k];
    out[k] = static_cast<float>(std::fabs(v) < Smallest ? Smallest : v);
  }
  return {out[0], out[1], out[2]};
}

float AttitudeReferenceRollDegrees() {
  // The world's x axis seen in the reference's own x and y axes; the screen's y runs downward.
  const double screenX = reference[0][0];
  const double screenY = -reference[1][0];
  return static_cast<float>(std::atan2(-screenX, -screenY) * DegreesPerRadianExact + 90.0);
}
