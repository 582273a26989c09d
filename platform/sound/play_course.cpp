#include "platform/sound/output.h"

namespace sound {

void PlayCourse::Start(Duration now, bool looped) {
  start_ = now;
  looped_ = looped;
  running_ = true;
  end_.reset();
  if (!looped) end_ = now + passLength_;
}

bool PlayCourse::Running(Duration now) const { return running_ && (!end_ || now < *end_); }

std::optional<PlayCourse::Duration> PlayCourse::SetLooped(Duration now, bool looped) {
  if (!Running(now)) return std::nullopt;
  if (looped) {
    looped_ = true;
    end_.reset();
    return std::nullopt;
  }
  if (!end_) {
    // A sound of no length has no passes to finish.
    Duration played = now - start_;
    Duration passes =
        passLength_.count() > 0 ? passLength_ * (played / passLength_ + 1) : Duration{0};
    end_ = start_ + passes;
  }
  return *end_ - now;
}

}  // namespace sound
