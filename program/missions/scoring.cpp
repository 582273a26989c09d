#include "program/missions/scoring.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "platform/engine/resources.h"
#include "platform/forms/event_pump.h"
#include "platform/win/numbers.h"
#include "program/flight/flight_state.h"
#include "program/flight/regression_object.h"
#include "program/missions/missions_state.h"
#include "program/missions/pilot_list.h"
#include "program/missions/score_file.h"

namespace {

constexpr int32_t FitDegree = 2;
// The approach's fitted path bends into the low-gate point over its last samples.
constexpr int32_t BlendStart = 400;
constexpr double BlendLength = 100.0;
constexpr float RaceBaseHeight = 118.0f;  // world units
constexpr double RaceHeightSpan = 100.0;  // world units
constexpr double MsPerRaceTimePoint = 50.0;

int32_t RecordedCount() { return ReplayLoaded ? ReplayCount : FlightRecordCount; }

int32_t ClampIndex(int32_t index) {
  return std::clamp(index, 1, std::clamp(RecordedCount(), 1, MaxFlightSamples));
}

const FlightSample& Sample(double index) {
  return FlightRecord[static_cast<size_t>(ClampIndex(win::RoundHalfEven(index)))];
}

Vector3 Single(const Vector3d& v) {
  return {static_cast<float>(v.x), static_cast<float>(v.y), static_cast<float>(v.z)};
}

int32_t NotNegative(int32_t points) { return std::max(points, 0); }

PilotRecord& ActivePilotRecord() {
  return PilotRoster[static_cast<size_t>(std::clamp(ActivePilot, 1, PilotCount))];
}

template <class T>
void Raise(T& best, T value) {
  best = std::max(best, value);
}

void SaveRoster() {
  SaveScoreFile();
  ShowPilotRows();
  forms::DoEvents();
}

}  // namespace

void FitFlightPathCurves() {
  std::array<RegressionObject, 3> velocityFit;
  std::array<RegressionObject, 3> positionFit;
  for (RegressionObject& fit : velocityFit) fit.Degree(FitDegree);
  for (RegressionObject& fit : positionFit) fit.Degree(FitDegree);
  if (ReplayLoaded) {
    LowGateIndex = ReplayLowGateIndex;
    ControlStartRecord = ReplayManualStartIndex;
    LMPosition = ReplayPosition;
  }
  const int32_t lowGate = ClampIndex(LowGateIndex);
  const int32_t manualStart = ClampIndex(ControlStartRecord);

  std::array<std::array<double, ApproachPathPoints + 1>, 3> velocity{};
  for (int32_t j = 1; j <= ApproachPathPoints; ++j) {
    const FlightSample& s =
        Sample(static_cast<double>(lowGate - manualStart) * j / ApproachPathPoints + manualStart);
    const std::array<double, 3> v{s.Velocity.x, s.Velocity.y, s.Velocity.z};
    const std::array<double, 3> p{s.Position.x, s.Position.y, s.Position.z};
    for (size_t axis = 0; axis < 3; ++axis) {
      velocity[axis][static_cast<size_t>(j)] = v[axis];
      velocityFit[axis].XYAdd(j, v[axis]);
      positionFit[axis].XYAdd(j, p[axis]);
    }
    FlownPathLine[static_cast<size_t>(j)] = Single(s.Position);
  }

  const FlightSample& gate = FlightRecord[static_cast<size_t>(lowGate)];
  const std::array<double, 3> gatePosition{gate.Position.x, gate.Position.y, gate.Position.z};
  std::array<double, 3> deviation{};
  for (int32_t j = 1; j <= ApproachPathPoints; ++j) {
    const double w = j > BlendStart ? (j - BlendStart) / BlendLength : 0.0;
    std::array<float, 3> smooth{};
    for (size_t axis = 0; axis < 3; ++axis) {
      deviation[axis] += std::abs((1.0 - w) * velocityFit[axis].RegVal(j) -
                                  velocity[axis][static_cast<size_t>(j)]);
      smooth[axis] =
          static_cast<float>(w * gatePosition[axis] + (1.0 - w) * positionFit[axis].RegVal(j));
    }
    SmoothPathLine[static_cast<size_t>(j)] = {smooth[0], smooth[1], smooth[2]};
  }
  const float pathPoints = std::max(
      static_cast<float>(1000.0 - (deviation[0] + deviation[1] + deviation[2]) / 3.0), 0.0f);
  CurrentScore.PathPoints = win::RoundHalfEven(pathPoints);

  const int32_t touchdown = ClampIndex(FirstTouchRecord);
  double vx = 0.0, vy = 0.0, vz = 0.0;
  for (int32_t i = 1; i <= FinalApproachPoints; ++i) {
    const FlightSample& s =
        Sample(static_cast<double>(touchdown - lowGate) * i / FinalApproachPoints + lowGate);
    vx += std::abs(s.Velocity.x);
    vy += std::abs(s.Velocity.y);
    vz += std::abs(s.Velocity.z);
    FinalPathLine[static_cast<size_t>(i)] = Single(s.Position);
  }
  CurrentScore.SmoothPoints = NotNegative(win::RoundHalfEven(1000.0 - (vx + vy + vz) / 2.0));
}

void ScoreLanding() {
  if (ReplayLoaded) {
    TouchdownDistance = ReplayMissDistance;
    SurfaceUnevenness = ReplayUnevenness;
    FirstTouchRecord = ReplayTouchdownIndex;
  }
  PilotRecord score = CurrentScore;
  score.TargetPoints = NotNegative(win::RoundHalfEven((1.0 - TouchdownDistance / 100.0) * 500.0));
  const Vector3d& v = FlightRecord[static_cast<size_t>(ClampIndex(FirstTouchRecord))].Velocity;
  TouchdownSpeed = static_cast<float>(std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z));
  score.SpeedPoints = NotNegative(win::RoundHalfEven((1.0 - TouchdownSpeed / 10.0) * 1000.0));
  const double level = std::clamp(1.0 - SurfaceUnevenness / 3.0, 0.0, 1.0);
  score.LevelPoints = win::RoundHalfEven(level * 500.0);
  FitFlightPathCurves();
  score.PathPoints = CurrentScore.PathPoints;
  score.SmoothPoints = CurrentScore.SmoothPoints;
  const float siteDistance = engine::EngineMathLibrary::GetDistance2D(
      HistoricLandingSpot.EastWest, HistoricLandingSpot.NorthSouth, LMMeshPosition.x,
      LMMeshPosition.z);
  score.SitePoints = win::RoundHalfEven(std::max(400.0f - siteDistance, 0.0f));
  score.Name = ActivePilotRecord().Name;
  score.ManualThrottleBonus = static_cast<float>(10.0 * ManualThrottleTime);
  score.ManualAttitudeBonus = static_cast<float>(10.0 * ManualControlTime);
  score.LandingTotal =
      win::RoundHalfEven(static_cast<double>(score.SpeedPoints) + score.LevelPoints +
                         score.TargetPoints + score.PathPoints + score.SmoothPoints +
                         score.SitePoints + score.ManualThrottleBonus + score.ManualAttitudeBonus);
  CurrentScore = score;
  if (ReplayLoaded) {
    ReplayScore = CurrentScore;
    return;
  }
  PilotRecord& best = ActivePilotRecord();
  Raise(best.SpeedPoints, score.SpeedPoints);
  Raise(best.LevelPoints, score.LevelPoints);
  Raise(best.TargetPoints, score.TargetPoints);
  Raise(best.SitePoints, score.SitePoints);
  Raise(best.PathPoints, score.PathPoints);
  Raise(best.SmoothPoints, score.SmoothPoints);
  Raise(best.LandingTotal, score.LandingTotal);
  SaveRoster();
}

void ScoreRace() {
  if (ReplayLoaded) {
    ControlStartRecord = ReplayManualStartIndex;
    FirstTouchRecord = ReplayTouchdownIndex;
    LMPosition = ReplayPosition;
  }
  const int32_t start = ClampIndex(ControlStartRecord);
  const int32_t end = ClampIndex(FirstTouchRecord);
  PilotRecord score = CurrentScore;
  score.RaceManualPoints = score.RaceHeightPoints = score.RaceTimePoints = 0.0f;
  if (end > start) {
    int32_t manual = 0;
    double height = 0.0;
    for (int32_t i = start; i <= end; ++i) {
      const FlightSample& s = FlightRecord[static_cast<size_t>(i)];
      if (s.ThrottleMode > AutoThrottleMode) ++manual;
      height += 1.0 - (s.Position.y - RaceBaseHeight) / RaceHeightSpan;
    }
    // The shares are of the samples counted, start and end both among them: a race flown
    // wholly on the manual throttle at the base height scores exactly the possible points.
    const double samples = end - start + 1;
    score.RaceManualPoints = static_cast<float>(1000.0 * manual / samples);
    score.RaceHeightPoints = static_cast<float>(4000.0 * height / samples);
    score.RaceTimePoints =
        static_cast<float>(5000.0 - (FlightRecord[static_cast<size_t>(end)].Time -
                                     FlightRecord[static_cast<size_t>(start)].Time) /
                                        MsPerRaceTimePoint);
  }
  for (int32_t j = 1; j <= RacePathPoints; ++j)
    RacePathLine[static_cast<size_t>(j)] =
        Single(Sample(static_cast<double>(j) * (end - start) / RacePathPoints + start).Position);
  score.Name = ActivePilotRecord().Name;
  score.PathPoints = score.SmoothPoints = score.SpeedPoints = score.TargetPoints = 0;
  score.SitePoints = score.LevelPoints = score.LandingTotal = 0;
  score.ManualAttitudeBonus = score.ManualThrottleBonus = 0.0f;
  score.RaceTotal =
      win::RoundHalfEven(static_cast<double>(score.RaceHeightPoints) + score.RaceTimePoints);
  CurrentScore = score;
  if (ReplayLoaded) {
    ReplayScore = CurrentScore;
    return;
  }
  PilotRecord& best = ActivePilotRecord();
  const bool totalRaised = score.RaceTotal > best.RaceTotal;
  Raise(best.RaceTotal, score.RaceTotal);
  Raise(best.RaceManualPoints, score.RaceManualPoints);
  Raise(best.RaceHeightPoints, score.RaceHeightPoints);
  Raise(best.RaceTimePoints, score.RaceTimePoints);
  if (totalRaised) SaveRoster();
}
