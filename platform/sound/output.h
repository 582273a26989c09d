// Where sound objects play: the two sides behind the sound objects.
//
// The null output plays nothing and keeps time on the window system's clock (forms::Now), so a
// headless test that advances the virtual clock sees a sound end when its length has passed. The
// mixer output (mixer_output.h) plays through SDL2_mixer. The sound objects check files and
// arguments before they reach an output, so both sides take and refuse the same things.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/sound/wave_file.h"

namespace sound {

// Attenuation [hundredths of a decibel]: the callers' whole range, silent to full.
constexpr int32_t kSilentAttenuation = -4000;
constexpr int32_t kFullAttenuation = 0;

// The course of one play of a wave sound. A single play ends after one pass. A sound repeats
// until stopped while its looping is set, however it started: looping switched on during a single
// play makes that play go on, pass after pass. When looping is switched off during a play, it
// ends at the end of the pass then playing, and switching looping on again before that end keeps
// it going.
class PlayCourse {
 public:
  using Duration = std::chrono::nanoseconds;

  explicit PlayCourse(Duration passLength) : passLength_(passLength) {}

  void Start(Duration now, bool looped);
  void Stop() { running_ = false; }
  bool Running(Duration now) const;
  // Applies a change of the looping flag at now; returns the time left to play when the play now
  // has an end, nothing when it loops on or is not running.
  std::optional<Duration> SetLooped(Duration now, bool looped);
  // When a running play ends, nothing while it loops on.
  std::optional<Duration> End() const { return end_; }

 private:
  Duration passLength_;
  Duration start_{};
  std::optional<Duration> end_;
  bool looped_ = false;
  bool running_ = false;
};

class WaveVoice {
 public:
  virtual ~WaveVoice() = default;
  // From the beginning.
  virtual void Start(bool looped) = 0;
  virtual void Stop() = 0;
  virtual bool Playing() const = 0;
  virtual void SetLooped(bool looped) = 0;
  virtual void SetAttenuation(int32_t hundredthsOfDecibel) = 0;
};

class MusicVoice {
 public:
  virtual ~MusicVoice() = default;
  // From the beginning; music repeats until stopped.
  virtual void Start() = 0;
  virtual void Stop() = 0;
  virtual bool Playing() const = 0;
  virtual void SetAttenuation(int32_t hundredthsOfDecibel) = 0;
};

class Output {
 public:
  virtual ~Output() = default;
  // True when sounds reach an audio device.
  virtual bool PlaysAudio() const = 0;
  // The bytes of a wave file whose format was read, with the program path they came from, and of a
  // checked MP3 file. Throw SoundError when the output cannot take them.
  virtual std::unique_ptr<WaveVoice> MakeWave(std::vector<uint8_t> file, const WaveFormat& format,
                                              const std::string& path) = 0;
  virtual std::unique_ptr<MusicVoice> MakeMusic(std::vector<uint8_t> file) = 0;
};

std::shared_ptr<Output> MakeNullOutput();

// One play of a wave sound on a null output, on the window system's clock: what a listener heard.
struct PlayRecord {
  std::string path;  // the program path loaded
  PlayCourse::Duration start{};
  std::optional<PlayCourse::Duration> stop;  // when Stop ended it; nothing otherwise
  bool looped = false;                       // when it started
  int32_t attenuation = kFullAttenuation;    // when it started
  // When it ends or ended (the end of its pass, or its stop); nothing while it loops on.
  std::optional<PlayCourse::Duration> end;
  // Each change of its volume while it played: when, and the attenuation from then on.
  std::vector<std::pair<PlayCourse::Duration, int32_t>> volumes;

  bool PlayingAt(PlayCourse::Duration time) const { return start <= time && (!end || time < *end); }
  int32_t AttenuationAt(PlayCourse::Duration time) const {
    int32_t at = attenuation;
    for (const auto& [when, value] : volumes)
      if (when <= time) at = value;
    return at;
  }
};
// The plays on every null output since the last ClearPlayRecords, in the order they started.
const std::vector<PlayRecord>& PlayRecords();
void ClearPlayRecords();

}  // namespace sound
