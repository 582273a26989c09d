#include "program/flight/frame_step.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <string_view>
#include <system_error>

#include "platform/win/ascii_case.h"
#include "platform/win/file_search.h"
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
  // More digits than this are no number the count gave: ignored, so that the next one fits.
  constexpr size_t MaxNumberDigits = 9;
  int32_t highest = last;
  const std::string prefix = win::UpperAsciiCase(mission);
  const std::string_view extension = ".BMP";
  for (const win::FolderEntry& entry : win::ListFolder(folder).entries) {
    const std::string name = win::UpperAsciiCase(entry.name);
    if (name.size() <= prefix.size() + extension.size() || !name.starts_with(prefix) ||
        !name.ends_with(extension))
      continue;
    const std::string_view digits = std::string_view(name).substr(
        prefix.size(), name.size() - prefix.size() - extension.size());
    int32_t number = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (digits.size() > MaxNumberDigits || error != std::errc() ||
        end != digits.data() + digits.size() || digits.front() == '-')
      continue;
    highest = std::max(highest, number);
  }
  return highest + 1;
}

std::string ScreenshotNumberText(int32_t number) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d", number);
  return text;
}
