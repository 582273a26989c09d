#include "program/flight/frame_step.h"

#include <algorithm>
#include <cstdio>
#include <system_error>

#include "platform/win/ascii_case.h"
#include "program/missions/missions_state.h"

float FrameStepMs(float elapsedMs, float screenshotMs, float framesPerSecond) {
  float ms = std::max(elapsedMs - screenshotMs, 0.0f);
  if (ms > LongestFrameMs && framesPerSecond > 0.0f)
    ms = std::min(1000.0f / framesPerSecond, LongestFrameMs);
  return ms;
}

bool ReplaySampleDue(double missionTime, double& nextSampleTime, int32_t count) {
  if (count >= RecordedSampleLimit || missionTime <= nextSampleTime) return false;
  nextSampleTime = missionTime + ReplaySampleSpacingMs;
  return true;
}

bool StepReplayIndex(int32_t count, int32_t& index, double missionTime) {
  const auto time = [](int32_t k) { return FlightRecord[static_cast<size_t>(k)].Time; };
  const int32_t i = index;
  if (i < 1 || i + 2 > count) return false;
  if (time(i + 1) < missionTime && missionTime <= time(i + 2)) {
    index = i + 1;
    return true;
  }
  if (missionTime <= time(i + 1)) return true;
  for (int32_t k = i + 2; k + 1 <= count; ++k) {
    if (time(k) <= missionTime && missionTime <= time(k + 1)) {
      index = k;
      return true;
    }
  }
  return false;
}

int32_t NextScreenshotNumber(const std::filesystem::path& folder, const std::string& mission,
                             int32_t last) {
  int32_t highest = last;
  std::error_code error;
  const std::string prefix = win::UpperAsciiCase(mission);
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    const std::string name = win::UpperAsciiCase(entry.path().filename().string());
    if (name.size() != prefix.size() + 8 || !name.starts_with(prefix) || !name.ends_with(".BMP"))
      continue;
    const std::string digits = name.substr(prefix.size(), 4);
    if (digits.find_first_not_of("0123456789") != std::string::npos) continue;
    highest = std::max(highest, std::stoi(digits));
  }
  return highest + 1;
}

std::string ScreenshotNumberText(int32_t number) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d", number);
  return text;
}
