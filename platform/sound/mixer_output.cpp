#include "platform/sound/mixer_output.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <vector>

#include "platform/sound/sound_error.h"

namespace sound {
namespace {

constexpr int kOutputRate = 44100;  // frames per second
constexpr int kOutputChannels = 2;
constexpr int kOutputChunkFrames = 1024;  // frames mixed per callback: about 23 ms of latency
constexpr double kHundredthsOfDecibelPerDecade = 2000.0;  // amplitude ratio 10 per 20 dB
// A play silenced at its end is halted this long after it, two mixing periods, so that the halt
// never cuts the end short.
constexpr int kHaltMarginMs = 50;

class MixerOutput;

// How far the mixer has got with a channel's play, counted where the channel's audio is mixed,
// and the byte at which the play falls silent (-1 while it loops on). Every play runs on the
// mixer as a loop, so that looping switched on during a single play goes on seamlessly; a single
// play, or a loop whose looping was switched off, is silenced from the end of its pass, exactly,
// and halted by the clock a little after.
struct PlayedBytes {
  std::atomic<int64_t> played{0};
  std::atomic<int64_t> end{-1};
};

// The mixer's effect hook on the channel: called with each part of the play, in order.
void SilencePastTheEnd(int, void* stream, int length, void* data) {
  PlayedBytes& bytes = *static_cast<PlayedBytes*>(data);
  const int64_t at = bytes.played.fetch_add(length);
  const int64_t end = bytes.end.load();
  if (end < 0 || at + length <= end) return;
  const int64_t kept = std::max<int64_t>(end - at, 0);
  std::memset(static_cast<uint8_t*>(stream) + kept, 0, static_cast<size_t>(length - kept));
}

class MixerWave final : public WaveVoice {
 public:
  MixerWave(std::shared_ptr<MixerOutput> output, Mix_Chunk* chunk, int channel)
      : output_(std::move(output)), chunk_(chunk), channel_(channel) {}
  ~MixerWave() override;

  void Start(bool looped) override {
    // A halted channel keeps the effect that is registered before the play starts.
    Mix_HaltChannel(channel_);
    Mix_UnregisterAllEffects(channel_);
    bytes_->played = 0;
    bytes_->end = looped ? -1 : int64_t{chunk_->alen};
    Mix_RegisterEffect(channel_, SilencePastTheEnd, nullptr, bytes_.get());
    if (Mix_PlayChannel(channel_, chunk_, -1) < 0) {
      throw SoundError(std::string("Play: ") + Mix_GetError());
    }
    if (!looped) HaltAfter(chunk_->alen);
  }
  void Stop() override { Mix_HaltChannel(channel_); }
  bool Playing() const override {
    const int64_t end = bytes_->end;
    return Mix_Playing(channel_) != 0 && (end < 0 || bytes_->played < end);
  }
  void SetLooped(bool looped) override {
    if (!Playing()) return;
    if (looped) {
      bytes_->end = -1;
      Mix_ExpireChannel(channel_, -1);
      return;
    }
    if (bytes_->end >= 0) return;
    const int64_t pass = chunk_->alen;
    const int64_t played = bytes_->played;
    const int64_t end = pass > 0 ? (played / pass + 1) * pass : played;
    bytes_->end = end;
    HaltAfter(end - played);
  }
  void SetAttenuation(int32_t attenuation) override {
    Mix_Volume(channel_, MixerVolume(attenuation));
  }

 private:
  void HaltAfter(int64_t bytes);

  std::shared_ptr<MixerOutput> output_;
  Mix_Chunk* chunk_;
  int channel_;
  std::unique_ptr<PlayedBytes> bytes_ = std::make_unique<PlayedBytes>();
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

  std::unique_ptr<WaveVoice> MakeWave(std::vector<uint8_t> file, const WaveFormat&,
                                      const std::string&) override {
    Mix_Chunk* chunk =
        Mix_LoadWAV_RW(SDL_RWFromConstMem(file.data(), static_cast<int>(file.size())), 1);
    if (!chunk) throw SoundError(std::string("Load: ") + Mix_GetError());
    return std::make_unique<MixerWave>(shared_from_this(), chunk, TakeChannel());
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
  int64_t bytesPerSecond = 0;  // of the device's stream

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
  // Halted, the channel no longer reaches the counter.
  output_->GiveBackChannel(channel_);
  Mix_FreeChunk(chunk_);
}

void MixerWave::HaltAfter(int64_t bytes) {
  const int64_t ms = bytes * 1000 / std::max<int64_t>(output_->bytesPerSecond, 1);
  Mix_ExpireChannel(channel_, static_cast<int>(ms) + kHaltMarginMs);
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
  int frequency = 0, channels = 0;
  Uint16 format = 0;
  Mix_QuerySpec(&frequency, &format, &channels);
  output->bytesPerSecond = int64_t{frequency} * channels * (SDL_AUDIO_BITSIZE(format) / 8);
  open = output;
  return output;
}

}  // namespace sound
