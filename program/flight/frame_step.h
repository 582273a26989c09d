// The frame loops' rules that need no engine: the time step, the replay's sampling and playback
// index and the screenshot numbers.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

// What one call of a frame loop keeps from frame to frame.
struct FrameLocals {
  bool inputReleased = false;    // the input devices were released when the focus went
  float screenshotMs = 0.0f;     // time the last frame's screenshot took
  double nextSampleTime = 0.0;   // MissionTime after which the next replay sample is due
  bool landingHandled = false;   // the end-of-landing block has run
  float dskyAccumulator = 0.0f;  // seconds since the DSKY was last drawn
};

// The longest frame taken as it came [ms]; a longer one (a stall, a dragged window) counts as one
// frame at the current rate, so that no step carries the LM through the ground.
inline constexpr float LongestFrameMs = 200.0f;
// The replay store's samples are taken this far apart [ms], and the store keeps this many, the
// most a replay file holds.
inline constexpr double ReplaySampleSpacingMs = 100.0;
inline constexpr int32_t RecordedSampleLimit = 4998;

// The step of a frame [ms]: the engine's elapsed time less the last screenshot's, never below 0.
float FrameStepMs(float elapsedMs, float screenshotMs, float framesPerSecond);
// True when a sample is due at `missionTime`; then the next is due one spacing later. No sample is
// due once `count` samples fill the store.
bool ReplaySampleDue(double missionTime, double& nextSampleTime, int32_t count);
// Moves the playback index to the sample pair around `missionTime`, among samples 1 to `count`
// (FlightRecord); false when no pair holds it.
bool StepReplayIndex(int32_t count, int32_t& index, double missionTime);
// The number after the highest screenshot of the mission in the folder, and after `last`.
int32_t NextScreenshotNumber(const std::filesystem::path& folder, const std::string& mission,
                             int32_t last);
std::string ScreenshotNumberText(int32_t number);  // "0001"
