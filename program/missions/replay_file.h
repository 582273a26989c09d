// Replay files: a flight's start state, its scoring inputs and its samples, saved after a landing
// and played back later. "\Missions\" + mission + "\Replay\" + name + ".rpy", little-endian:
//
//   descent speed (f32); start velocity, rotation and position (3 x f32 each); the start value
//   (f32); RCS fuel (f32); the mission and event clocks (TimeRecord: ten 16-bit-length strings,
//   then i32 hours, minutes, seconds, reserved, f64 seconds, i32 rounded and total seconds, f64
//   total, i16 sign flag); start program (i32); sample count n (i32); low-gate, touchdown and
//   manual-start sample indices (i32); miss distance (i32); surface unevenness (f32); the LM's
//   position when saved (3 x f64); the flight's score (86-byte pilot record); then n samples of
//   130 bytes plus their message's length.
//
// Decisions of this reader:
// - An empty ReplayName saves as "218", the name under which the program has always saved an
//   unnamed replay, so that such files keep their name.
// - The fifth start value has no use in a flight; a loaded replay's value is kept and saved again,
//   a flown flight writes 0.
// - A file is refused, with a message naming the replay and the reason, when its sample count is
//   below 0 or above MaxFlightSamples or when it ends inside a member; bytes after the last sample
//   are ignored (older versions rewrote files in place and left a tail).
// - Names holding "\", "/" or ".." are refused: a replay lies in its mission's Replay folder.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "program/flight/time_record.h"
#include "program/flight/vector3.h"
#include "program/missions/missions_state.h"

// The contents of one replay file.
struct ReplayFile {
  float DescentSpeed = 0.0f;  // ft/s
  Vector3 StartVelocity;      // ft/s
  Vector3 StartRotation;      // radians
  Vector3 StartPosition;      // world units
  float StartValue = 0.0f;
  float RCSFuel = 0.0f;
  TimeRecord MissionClock;
  TimeRecord EventClock;
  int32_t StartProgram = 0;
  int32_t LowGateIndex = 0;
  int32_t TouchdownIndex = 0;
  int32_t ManualStartIndex = 0;
  int32_t MissDistance = 0;  // world units
  float Unevenness = 0.0f;   // world units
  Vector3d Position;         // world units
  PilotRecord Score;
  std::vector<FlightSample> Samples;  // samples 1..n from index 0
};

// The file's bytes; nothing when a text is too long for its length field.
std::optional<std::vector<uint8_t>> EncodeReplay(const ReplayFile& replay);

struct ReplayDecodeResult {
  std::optional<ReplayFile> replay;
  std::string reason;  // the native text of why the file was refused
};
ReplayDecodeResult DecodeReplay(std::span<const uint8_t> bytes);

// The replay file of the chosen mission under that name.
std::string ReplayPath(const std::string& name);
inline constexpr char LastFlightReplay[] = "Last Flight";

// The current flight as a replay: the start state, the clocks, the scoring inputs, CurrentScore
// and samples 1..FlightRecordCount.
ReplayFile CurrentReplay();

// Saves the flight as "Last Flight" when lastFlight is non-zero, else under ReplayName. Does
// nothing on the orbital mission. A failure shows a message and leaves any older file whole.
bool SaveReplay(int16_t lastFlight);
// Reads ReplayName's file into the start state, the clocks, the replay copies and FlightRecord.
// Does nothing on the orbital mission or with an empty name. A refused file changes nothing,
// shows a message and clears ReplayPlayback, so that the flight starts without playback.
bool LoadReplay();
// Sets the LM's state between samples ReplayIndex and ReplayIndex + 1 at MissionTime.
void InterpolateReplaySample();
// The sample of the LM's state now, as the frame loop records it.
FlightSample CaptureFlightSample();
