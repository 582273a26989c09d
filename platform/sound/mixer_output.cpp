#include "platform/sound/mixer_output.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <vector>

#include "platform/sound/sound_error.h"

namespace sound {
namespace {

constexpr int kOutputRate = 44100;  // frames per second
constexpr int kOutputChannels = 2;
constexpr int kOutputChunkFrames = 1024;  // frames mixed per callback: about 23 ms of latency
constexpr double kHundredthsOfDecibelPerDecade = 2000.0;  // amplitude ratio 10 per 20 dB

using Duration = PlayCourse::Duration;

Duration TicksNow() { return std::chrono::milliseconds(SDL_GetTicks64()); }

class MixerOutput;

class MixerWave final : public WaveVoice {
 public:
  MixerWave(std::shared_ptr<MixerOutput> output, Mix_Chunk* chunk, int channel, Duration length)
      : output_(std::move(output)), chunk_(chunk), channel_(channel), course_(length) {}
  ~MixerWave() override;

  void Start(bool looped) override {
    course_.Start(TicksNow(), looped);
    if (Mix_PlayChannel(channel_, chunk_, looped ? -1 : 0) < 0) {
      throw SoundError(std::string("Play: ") + Mix_GetError());
    }
  }
  void Stop() override {
    course_.Stop();
    Mix_HaltChannel(channel_);
  }
  bool Playing() const override { return Mix_Playing(channel_) != 0; }
  void SetLooped(bool looped) override {
    if (!Playing()) return;
    // The mixer fixes a channel's loops when it starts, so an end of the loop is an expiry.
    auto left = course_.SetLooped(TicksNow(), looped);
    int leftMs =
        left ? static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(*left).count()) : -1;
    Mix_ExpireChannel(channel_, left ? std::max(leftMs, 1) : -1);
  }
  void SetAttenuation(int32_t attenuation) override {
    Mix_Volume(channel_, MixerVolume(attenuation));
  }

 private:
  std::shared_ptr<MixerOutput> output_;
  Mix_Chunk* chunk_;
  int channel_;
  PlayCourse course_;
};

class MixerMusic final : public MusicVoice {
 public:
  MixerMusic(std::shared_ptr<MixerOutput> output, std::vector<uint8_t> file, Mix_Music* music)
      : output_(std::move(output)), file_(std::move(file)), music_(music) {}
  ~MixerMusic() override;

  void Start() override;
  void Stop() override;
  bool Playing() const override;
  void SetAttenuation(int32_t attenuation) override;

 private:
  std::shared_ptr<MixerOutput> output_;
  std::vector<uint8_t> file_;  // the music streams from these bytes, so they outlive it
  Mix_Music* music_;
  int volume_ = MIX_MAX_VOLUME;
};

class MixerOutput final : public Output, public std::enable_shared_from_this<MixerOutput> {
 public:
  ~MixerOutput() override {
    Mix_HaltMusic();
    Mix_CloseAudio();
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }

  bool PlaysAudio() const override { return true; }

  std::unique_ptr<WaveVoice> MakeWave(std::vector<uint8_t> file, const WaveFormat& format,
                                      const std::string&) override {
    Mix_Chunk* chunk =
        Mix_LoadWAV_RW(SDL_RWFromConstMem(file.data(), static_cast<int>(file.size())), 1);
    if (!chunk) throw SoundError(std::string("Load: ") + Mix_GetError());
    return std::make_unique<MixerWave>(shared_from_this(), chunk, TakeChannel(), format.Length());
  }

  std::unique_ptr<MusicVoice> MakeMusic(std::vector<uint8_t> file) override {
    Mix_Music* music =
        Mix_LoadMUS_RW(SDL_RWFromConstMem(file.data(), static_cast<int>(file.size())), 1);
    if (!music) throw SoundError(std::string("Load: ") + Mix_GetError());
    return std::make_unique<MixerMusic>(shared_from_this(), std::move(file), music);
  }

  void GiveBackChannel(int channel) {
    Mix_HaltChannel(channel);
    Mix_Volume(channel, MIX_MAX_VOLUME);
    freeChannels_.push_back(channel);
  }

  // The music now on the mixer's one music stream.
  const MixerMusic* playingMusic = nullptr;

 private:
  int TakeChannel() {
    if (freeChannels_.empty()) {
      Mix_AllocateChannels(channelCount_ + 1);
      return channelCount_++;
    }
    int channel = freeChannels_.back();
    freeChannels_.pop_back();
    return channel;
  }

  std::vector<int> freeChannels_;
  int channelCount_ = 0;
};

MixerWave::~MixerWave() {
  output_->GiveBackChannel(channel_);
  Mix_FreeChunk(chunk_);
}

MixerMusic::~MixerMusic() {
  Stop();
  Mix_FreeMusic(music_);
}

void MixerMusic::Start() {
  if (Mix_PlayMusic(music_, -1) < 0) throw SoundError(std::string("Play: ") + Mix_GetError());
  Mix_VolumeMusic(volume_);
  output_->playingMusic = this;
}

void MixerMusic::Stop() {
  if (output_->playingMusic != this) return;
  Mix_HaltMusic();
  output_->playingMusic = nullptr;
}

bool MixerMusic::Playing() const {
  return output_->playingMusic == this && Mix_PlayingMusic() != 0;
}

void MixerMusic::SetAttenuation(int32_t attenuation) {
  volume_ = MixerVolume(attenuation);
  // The volume belongs to the mixer's music stream, not to a piece of music.
  if (output_->playingMusic == this) Mix_VolumeMusic(volume_);
}

}  // namespace

int MixerVolume(int32_t attenuation) {
  double floor = std::pow(10.0, kSilentAttenuation / kHundredthsOfDecibelPerDecade);
  double amplitude = std::pow(10.0, std::clamp(attenuation, kSilentAttenuation, kFullAttenuation) /
                                        kHundredthsOfDecibelPerDecade);
  return static_cast<int>(std::lround(MIX_MAX_VOLUME * (amplitude - floor) / (1.0 - floor)));
}

std::shared_ptr<Output> OpenMixerOutput(std::string& reason) {
  // The mixer has one device and one set of channels, so every sound engine shares one output.
  static std::weak_ptr<MixerOutput> open;
  if (auto output = open.lock()) return output;
  // Interrupt and terminate signals are the program's to answer, not SDL's event queue's.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    reason = SDL_GetError();
    return nullptr;
  }
  if (Mix_OpenAudio(kOutputRate, MIX_DEFAULT_FORMAT, kOutputChannels, kOutputChunkFrames) != 0) {
    reason = Mix_GetError();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return nullptr;
  }
  // Without the MP3 decoder every music file is refused when it loads, with the mixer's reason.
  Mix_Init(MIX_INIT_MP3);
  // Channels are added one per wave sound as sounds load.
  Mix_AllocateChannels(0);
  auto output = std::make_shared<MixerOutput>();
  open = output;
  return output;
}

}  // namespace sound
