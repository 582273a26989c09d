#include <memory>

#include "platform/forms/event_pump.h"
#include "platform/sound/output.h"

namespace sound {

namespace {

class NullWave final : public WaveVoice {
 public:
  explicit NullWave(PlayCourse::Duration length) : course_(length) {}

  void Start(bool looped) override { course_.Start(forms::Now(), looped); }
  void Stop() override { course_.Stop(); }
  bool Playing() const override { return course_.Running(forms::Now()); }
  void SetLooped(bool looped) override { course_.SetLooped(forms::Now(), looped); }
  void SetAttenuation(int32_t) override {}

 private:
  PlayCourse course_;
};

class NullMusic final : public MusicVoice {
 public:
  void Start() override { playing_ = true; }
  void Stop() override { playing_ = false; }
  bool Playing() const override { return playing_; }
  void SetAttenuation(int32_t) override {}

 private:
  bool playing_ = false;
};

class NullOutput final : public Output {
 public:
  bool PlaysAudio() const override { return false; }
  std::unique_ptr<WaveVoice> MakeWave(std::vector<uint8_t>, const WaveFormat& format) override {
    return std::make_unique<NullWave>(format.Length());
  }
  std::unique_ptr<MusicVoice> MakeMusic(std::vector<uint8_t>) override {
    return std::make_unique<NullMusic>();
  }
};

}  // namespace

std::shared_ptr<Output> MakeNullOutput() { return std::make_shared<NullOutput>(); }

}  // namespace sound
