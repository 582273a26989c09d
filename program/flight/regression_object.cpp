#include "program/flight/regression_object.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

#include "platform/win/numbers.h"
#include "platform/win/raised_error.h"

namespace {

// A pivot this small against its column's own scale is cancellation noise of a dependent column.
constexpr double SingularPivotRatio = 1e-12;
constexpr int32_t InvalidDegreeError = 6000;

}  // namespace

void RegressionObject::Init() {
  sumX_.fill(0.0);
  sumXY_.fill(0.0);
  coefficients_.fill(0.0);
  solved_ = false;
}

double RegressionObject::Coeff(int32_t exponent) {
  if (!solved_) Solve();
  int32_t power = std::abs(exponent);
  return power <= EffectiveDegree() ? coefficients_[power] : 0.0;
}

void RegressionObject::Degree(int32_t value) {
  if (value < 0 || value > MaxDegree) {
    throw win::RaisedError(
        InvalidDegreeError, "RegressionObject",
        std::to_string(value) +
            " is an invalid property value! Use 0<= Degree <= " + std::to_string(MaxDegree));
  }
  Init();
  degree_ = value;
}

int32_t RegressionObject::XYCount() const { return win::RoundHalfEven(sumX_[0]); }

void RegressionObject::XYAdd(double x, double y) {
  solved_ = false;
  sumX_[0] += 1.0;
  sumXY_[0] += y;
  double p = 1.0;
  for (int32_t k = 1; k <= degree_; ++k) {
    p *= x;
    sumX_[k] += p;
    sumXY_[k] += y * p;
  }
  for (int32_t k = degree_ + 1; k <= 2 * degree_; ++k) {
    p *= x;
    sumX_[k] += p;
  }
}

double RegressionObject::RegVal(double x) {
  if (!solved_) Solve();
  double value = 0.0;
  for (int32_t i = 0; i <= EffectiveDegree(); ++i) value += std::pow(x, i) * coefficients_[i];
  return value;
}

int32_t RegressionObject::EffectiveDegree() const {
  int32_t count = XYCount();
  return degree_ >= count ? count - 1 : degree_;
}

void RegressionObject::Solve() {
  const int32_t n = EffectiveDegree();
  if (n < 0) return;
  auto& m = matrix_;
  for (int32_t i = 0; i <= n; ++i) {
    for (int32_t j = 0; j <= n; ++j) m[i][j] = sumX_[i + j];
    m[i][n + 1] = sumXY_[i];
  }
  // A regular system takes row i as the pivot row of column i. A column that the points cannot
  // determine takes no row, so that the rows still unused keep every equation for later columns.
  std::array<int32_t, MaxDegree + 1> pivotRow{};
  int32_t row = 0;
  for (int32_t i = 0; i <= n; ++i) {
    double columnScale = 0.0;
    for (int32_t k = 0; k <= n; ++k) columnScale = std::max(columnScale, std::fabs(sumX_[k + i]));
    int32_t pivot = row;
    for (int32_t d = row + 1; d <= n; ++d) {
      if (std::fabs(m[d][i]) > std::fabs(m[pivot][i])) pivot = d;
    }
    if (!(std::fabs(m[pivot][i]) > SingularPivotRatio * columnScale)) {
      pivotRow[i] = -1;
      continue;
    }
    if (pivot != row) {
      for (int32_t j = i; j <= n + 1; ++j) std::swap(m[row][j], m[pivot][j]);
    }
    for (int32_t k = row + 1; k <= n; ++k) {
      double factor = m[k][i] / m[row][i];
      m[k][i] = 0.0;
      for (int32_t j = i + 1; j <= n + 1; ++j) m[k][j] -= m[row][j] * factor;
    }
    pivotRow[i] = row++;
  }
  for (int32_t d = n; d >= 0; --d) {
    int32_t r = pivotRow[d];
    if (r < 0) {
      coefficients_[d] = 0.0;
      continue;
    }
    double g = m[r][n + 1];
    for (int32_t j = d + 1; j <= n; ++j) g -= coefficients_[j] * m[r][j];
    coefficients_[d] = g / m[r][d];
  }
  solved_ = true;
}
