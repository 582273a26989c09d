#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/forms/event_pump.h"
#include "platform/sound/output.h"

namespace sound {

namespace {

std::vector<PlayRecord>& Records() {
  static std::vector<PlayRecord> records;
  return records;
}
// Counts the clearings of the records, so that a voice finds its play only where it left it.
uint64_t& RecordsClearings() {
  static uint64_t clearings = 0;
  return clearings;
}

class NullWave final : public WaveVoice {
 public:
  NullWave(PlayCourse::Duration length, std::string path)
      : course_(length), path_(std::move(path)) {}

  void Start(bool looped) override {
    course_.Start(forms::Now(), looped);
    Records().push_back(
        {path_, forms::Now(), std::nullopt, looped, attenuation_, course_.End(), {}});
    record_ = Records().size() - 1;
    recordClearings_ = RecordsClearings();
  }
  void Stop() override {
    if (PlayRecord* record = Playing() ? Record() : nullptr)
      record->stop = record->end = forms::Now();
    course_.Stop();
  }
  bool Playing() const override { return course_.Running(forms::Now()); }
  void SetLooped(bool looped) override {
    course_.SetLooped(forms::Now(), looped);
    if (PlayRecord* record = Playing() ? Record() : nullptr) record->end = course_.End();
  }
  void SetAttenuation(int32_t attenuation) override {
    attenuation_ = attenuation;
    if (PlayRecord* record = Playing() ? Record() : nullptr)
      record->volumes.emplace_back(forms::Now(), attenuation);
  }

 private:
  // This voice's latest play, unless the records were cleared since it started.
  PlayRecord* Record() {
    return recordClearings_ == RecordsClearings() ? &Records()[record_] : nullptr;
  }

  PlayCourse course_;
  std::string path_;
  int32_t attenuation_ = kFullAttenuation;
  size_t record_ = 0;  // this voice's latest play in the records
  uint64_t recordClearings_ = UINT64_MAX;
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
  std::unique_ptr<WaveVoice> MakeWave(std::vector<uint8_t>, const WaveFormat& format,
                                      const std::string& path) override {
    return std::make_unique<NullWave>(format.Length(), path);
  }
  std::unique_ptr<MusicVoice> MakeMusic(std::vector<uint8_t>) override {
    return std::make_unique<NullMusic>();
  }
};

}  // namespace

std::shared_ptr<Output> MakeNullOutput() { return std::make_shared<NullOutput>(); }

const std::vector<PlayRecord>& PlayRecords() { return Records(); }
void ClearPlayRecords() {
  Records().clear();
  ++RecordsClearings();
}

}  // namespace sound
