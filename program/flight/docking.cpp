#include "program/flight/docking.h"

#include <cmath>
#include <exception>

#include "platform/d3dx/math.h"
#include "program/cockpit/cockpit_state.h"
#include "program/cockpit/screen_messages.h"
#include "program/cockpit/sound_setup.h"
#include "program/flight/flight_loop_state.h"
#include "program/flight/flight_maths.h"
#include "program/flight/flight_scene.h"
#include "program/flight/flight_state.h"
#include "program/missions/missions_state.h"
#include "program/scene/engine_objects.h"
#include "program/scene/placement.h"
#include "program/startup/startup_state.h"

namespace {

using d3dx::D3DXVECTOR3;

constexpr int32_t UndockText = 45;
constexpr int32_t CaptureText = 195;
constexpr int32_t TooSlowText = 196;
constexpr int32_t AngleTooHighText = 197;
constexpr int32_t RetractingText = 198;
constexpr int32_t HardDockText = 199;
constexpr int32_t OuchText = 200;
constexpr int32_t AlreadyUndockedText = 203;
constexpr int32_t MessageMs = 2000;
constexpr uint32_t BlackText = 0xFF000000;
constexpr uint32_t GreenBox = 0xFF00FF00;
constexpr uint32_t OrangeBox = 0xFFFF8000;

// Lengths are world units, speeds world units per second.
constexpr float ProbeHeightJoined = 6.54f;  // probe tip above the LM pivot, with the descent stage
constexpr float ProbeHeightAscent = 3.54f;  // the same on the ascent stage alone
constexpr float DrogueDepth = -12.2f;       // along the command module's z axis
constexpr float ReachLength = -40.0f;       // along the LM's up axis: the side points' offset
constexpr float SidePointSpan = 10.0f;      // between points 0 and 2, and between 1 and 3
constexpr float ConeDepth = 1.9f;           // axial distance at which the cone begins
constexpr float ConeWidth = 0.9f;           // lateral tolerance at the cone's mouth
constexpr float CaptureDepth = 1.2f;        // axial distance at which the latches can catch
constexpr float ConeNarrowing = -0.7f;      // CaptureDepth - ConeDepth: the cone closes over it
constexpr float OuchRange = 3.0f;           // a probe this close outside the cone hits the rim
constexpr float CaptureAngleLimit = 3.0f;   // degrees
constexpr float CaptureSpeedLeast = 0.05f;  // slower closings are refused
constexpr float CaptureSpeedBoost = 0.1f;   // a slower capture is sped up to this
constexpr double CaptureBraking = 1.4;      // per world unit: deceleration per squared speed
constexpr float RetractedDepth = 0.7f;      // axial distance of the probe fully retracted
constexpr float RetractionDone = 0.001f;    // within this of RetractedDepth the retraction ends
constexpr float PullInPerSecond = 0.05f;
constexpr float HardDockDepth = 0.12f;        // axial distance at which the latches close
constexpr float PushDeadBand = 0.01f;         // smaller wall pushes are dropped
constexpr float ToleranceTunnelSound = 0.1f;  // a wider cone scrapes the tunnel audibly
// Fractions of the closing velocity taken off: the rim bounce, and the refused capture's.
constexpr float BounceBack = 1.2f;
constexpr float RefusalBounce = 1.6f;
constexpr float UndockSpeed = 0.3f;
constexpr float MilliradiansPerRadian = 1000.0f;  // the angle-rate readouts' unit

constexpr Vector3 ContactPointsLocal[4] = {
    {0.0f, 1.0f, 5.0f}, {-5.0f, 1.0f, 0.0f}, {0.0f, 1.0f, -5.0f}, {5.0f, 1.0f, 0.0f}};

D3DXVECTOR3 D(const Vector3& v) { return {v.x, v.y, v.z}; }
Vector3 V(const D3DXVECTOR3& v) { return {v.x, v.y, v.z}; }

// The LM pivot sits at the render origin, so its transform of a point is its turn.
D3DXVECTOR3 Pivot(const Vector3& local) { return D(PivotTransformVector(local)); }

void Message(int32_t text, uint32_t box, uint32_t textColour) {
  ShowMessage(UiText[static_cast<size_t>(text)], MessageMs, box, textColour);
}

// The docking step carries on past a failing sound call.
void PlaySound(const SoundObject& sound) {
  if (!SoundOn || !sound) return;
  try {
    sound->Play();
  } catch (const std::exception&) {
  }
}

void SubtractVelocity(const Vector3& v, float factor = 1.0f) {
  LMVelocity.x -= factor * v.x;
  LMVelocity.y -= factor * v.y;
  LMVelocity.z -= factor * v.z;
}

float AsinOf(float x) { return std::atan(x / std::sqrt(std::fabs(1.0f - x * x))); }

// Inside the cone and captured: the probe goes in, is retracted, and latches.
void RetractProbe(float axial, float vUp) {
  ProbeInsertion = 1.0f - axial / CaptureDepth;
  if (!ProbeRetracting) {
    const float s = static_cast<float>(FrameTimeSec * CaptureDeceleration);
    DockVelocityUp = V(Pivot({0.0f, s, 0.0f}));
    SubtractVelocity(DockVelocityUp);
    if (axial - RetractedDepth < RetractionDone) {
      DockPush.y = 0.0f;
      ProbeRetracting = true;
      DockVelocityUp = V(Pivot({0.0f, vUp, 0.0f}));
      SubtractVelocity(DockVelocityUp);
      Message(RetractingText, GreenBox, BlackText);
      PlaySound(DockBounceSound);
    }
    return;
  }
  // The pull-in is a speed, so it latches alike at any frame rate.
  DockPush.y = FrameTimeSec * PullInPerSecond;
  if (SoundOn && !IsPlaying(TunnelScrapeSound)) PlaySound(TunnelScrapeSound);
  if (axial < HardDockDepth) {
    DockPush.y = 0.0f;
    Docked = true;
    StopIfPlaying(TunnelScrapeSound);
    PlaySound(HardDockSound);
    Message(HardDockText, GreenBox, BlackText);
    LMVelocity = {};
  }
}

// The cone wall pushes the probe back inside it along one side axis.
void PushOffWall(float separation, float tolerance, float& push, const Vector3& velocity) {
  if (separation > tolerance)
    push = tolerance - separation;
  else if (-tolerance > separation)
    push = -(tolerance + separation);
  else
    return;
  if (std::fabs(push) < PushDeadBand) push = 0.0f;
  SubtractVelocity(velocity);
}

}  // namespace

void UpdateDockingPoints() {
  const float probeHeight = AscentStageFlying ? ProbeHeightAscent : ProbeHeightJoined;
  DroguePoint = V(CommandModuleMesh->TransformVector({0.0f, 0.0f, DrogueDepth}));
  ProbePoint = V(Pivot({0.0f, probeHeight, 0.0f}));
  const float d = engine::EngineMathLibrary::Distance3D(D(DroguePoint), D(ProbePoint));
  DockRangeRaw = DockAxialDistance = d;
  ProbeReach = V(Pivot({}) - Pivot({0.0f, ReachLength, 0.0f}));
  UpAxisUnit = {0.0f, 1.0f, 0.0f};
  for (size_t i = 0; i < ContactPointsWorld.size(); ++i) {
    ContactPointsWorld[i] = V(Pivot(ContactPointsLocal[i]));
    ContactPointsShifted[i] = V(D(ContactPointsWorld[i]) + D(ProbeReach));
  }
}

float DockRangeRateFeet() { return DockSpeed * WorldScale; }

void UpdateDockingContact() {
  if (Docked) return;
  using engine::EngineMathLibrary;
  DockPush = {};
  const D3DXVECTOR3 sep = D(ProbePoint) - D(DroguePoint);
  const float range = EngineMathLibrary::Distance3D(D(ProbePoint), D(DroguePoint));
  const D3DXVECTOR3 up = Pivot({0.0f, 1.0f, 0.0f});
  const D3DXVECTOR3 side = Pivot({1.0f, 0.0f, 0.0f});
  const D3DXVECTOR3 fore = Pivot({0.0f, 0.0f, 1.0f});
  const D3DXVECTOR3 v = D(LMVelocityWorld);
  DockSpeed = EngineMathLibrary::VectorLength(v);

  const float sepFore = EngineMathLibrary::DotProduct(sep, fore);
  const float sepSide = EngineMathLibrary::DotProduct(sep, side);
  const float axial = -EngineMathLibrary::DotProduct(sep, up);
  float vUp = EngineMathLibrary::DotProduct(v, up);
  const float vFore = EngineMathLibrary::DotProduct(v, fore);
  const float vSide = EngineMathLibrary::DotProduct(v, side);
  DockVelocityUp = V(Pivot({0.0f, vUp, 0.0f}));
  DockVelocityFore = V(Pivot({0.0f, 0.0f, vFore}));
  DockVelocitySide = V(Pivot({vSide, 0.0f, 0.0f}));

  DockRangeFeet = range * WorldScale;
  DockClosingAngleRate = MilliradiansPerRadian * std::atan(vUp / range);
  DockLateralAngleRate = MilliradiansPerRadian * std::atan(vFore / range);
  DockAzimuthAngle = DegreesPerRadianSingle * std::atan(sepFore / range);
  DockElevationAngle = DegreesPerRadianSingle * std::atan(axial / range);

  for (size_t k = 0; k < ContactPointDepth.size(); ++k) {
    D3DXVECTOR3 local;
    TransformPoint(local, *CommandModuleMesh, D(ContactPointsShifted[k]));
    ContactPointDepth[k] = local.z;
  }
  const float tA = (ContactPointDepth[0] - ContactPointDepth[2]) / SidePointSpan;
  const float tB = (ContactPointDepth[1] - ContactPointDepth[3]) / SidePointSpan;
  DockPitchError = -DegreesPerRadianSingle * AsinOf(tB);
  DockRollError = -DegreesPerRadianSingle * AsinOf(tA);

  const auto squared = [](float x) { return x * x; };
  const float a0 = EngineMathLibrary::Distance3D(D(DroguePoint), D(ContactPointsWorld[0]));
  const float a2 = EngineMathLibrary::Distance3D(D(DroguePoint), D(ContactPointsWorld[2]));
  const float a1 = EngineMathLibrary::Distance3D(D(DroguePoint), D(ContactPointsWorld[1]));
  const float a3 = EngineMathLibrary::Distance3D(D(DroguePoint), D(ContactPointsWorld[3]));
  const float half = SidePointSpan / 2.0f;
  const float offA =
      (squared(a0) - squared(a2) + squared(SidePointSpan)) / (2 * SidePointSpan) - half;
  const float offB =
      half - (squared(a1) - squared(a3) + squared(SidePointSpan)) / (2 * SidePointSpan);
  const float lateral = std::sqrt(std::fabs(squared(offA) + squared(offB)));
  DockAxialDistance = std::sqrt(std::fabs(squared(DockAxialDistance) - squared(lateral)));

  const float f = std::clamp((DockAxialDistance - ConeDepth) / ConeNarrowing, 0.0f, 1.0f);
  const float tolerance = ConeWidth - ConeWidth * f;

  if (axial >= ConeDepth || lateral >= ConeWidth) {
    DockContact = false;
    CaptureSpeed = 0.0;
    StopIfPlaying(TunnelScrapeSound);
    if (axial < ConeDepth && std::fabs(DockRangeRaw) < OuchRange) {
      Message(OuchText, RedBox, WhiteText);
      PlaySound(DockBounceSound);
      SubtractVelocity(DockVelocityUp, BounceBack);
    }
    return;
  }
  DockContact = true;
  if (axial < CaptureDepth && vUp > 0.0f) {
    if (!ProbeCaptured) {
      // A misalignment either way refuses the capture.
      if (std::fabs(DockPitchError) >= CaptureAngleLimit ||
          std::fabs(DockRollError) >= CaptureAngleLimit) {
        PlaySound(DockBounceSound);
        SubtractVelocity(DockVelocityUp, RefusalBounce);
        Message(AngleTooHighText, RedBox, WhiteText);
        return;
      }
      if (vUp > CaptureSpeedLeast) {
        ProbeCaptured = true;
        PlaySound(DockBounceSound);
        if (CaptureSpeed == 0.0) {
          CaptureSpeed = vUp;
          CaptureDeceleration = CaptureBraking * vUp * vUp;
        }
        DockPush.x = DockPush.z = 0.0f;
        if (vUp < CaptureSpeedBoost) {
          vUp = CaptureSpeedBoost;
          DockVelocityUp = V(Pivot({0.0f, CaptureSpeedBoost, 0.0f}));
          SubtractVelocity(DockVelocityUp, -1.0f);
        }
        Message(CaptureText, GreenBox, BlackText);
      } else {
        SubtractVelocity(DockVelocityUp);
        Message(TooSlowText, RedBox, WhiteText);
      }
    }
    // Only a captured probe is drawn in; a refused one stays where it is.
    if (ProbeCaptured) RetractProbe(axial, vUp);
  }
  if (lateral > tolerance && !Docked) {
    if (tolerance > ToleranceTunnelSound && !IsPlaying(TunnelScrapeSound)) {
      PlaySound(TunnelScrapeSound);
      PlaySound(DockBounceSound);
    }
    PushOffWall(sepSide, tolerance, DockPush.x, DockVelocitySide);
    PushOffWall(sepFore, tolerance, DockPush.z, DockVelocityFore);
  }
}

void Undock() {
  if (!Docked) {
    Message(AlreadyUndockedText, OrangeBox, BlackText);
    return;
  }
  // Free again: a later capture starts from nothing, with a closing speed of its own.
  Docked = ProbeCaptured = ProbeRetracting = DockContact = false;
  DockPush = {};
  ProbeInsertion = DockPitchError = DockRollError = 0.0f;
  CaptureSpeed = CaptureDeceleration = 0.0;
  Message(UndockText, OrangeBox, BlackText);
  PlaySound(HardDockSound);
  StopIfPlaying(TunnelScrapeSound);
  // The LM drifts off along its up axis as it stands now, after this frame's turns.
  CameraPivot->UpdateMatrix();
  const D3DXVECTOR3 up = engine::EngineMathLibrary::Normalize(Pivot({0.0f, 1.0f, 0.0f}));
  SubtractVelocity(V(up), UndockSpeed);
}

void SeatDockedCommandModule() {
  UpdateDockingPoints();
  const D3DXVECTOR3 gap = D(ProbePoint) - D(DroguePoint);
  CommandModuleWorld = {CommandModuleWorld.x + gap.x, CommandModuleWorld.y + gap.y,
                        CommandModuleWorld.z + gap.z};
  const D3DXVECTOR3 at = CommandModuleMesh->GetPosition() + gap;
  CommandModuleMesh->SetPosition(at.x, at.y, at.z);
  UpdateDockingPoints();
}
