#include "platform/sound/sound_buffer.h"

#include <utility>

#include "platform/sound/wave_file.h"

namespace sound {

void SoundBuffer::Load(const std::string& path, int32_t, bool, bool& success) {
  auto output = engine_.CurrentOutput("Load");
  auto voice = LoadVoice(path, [&](std::vector<uint8_t> file) {
    WaveFormat format = ReadWaveFormat(file);
    return output->MakeWave(std::move(file), format, path);
  });
  success = voice != nullptr;
  if (!voice) return;
  voice->SetAttenuation(volume_);
  voice_ = std::move(voice);
  path_ = path;
}

void SoundBuffer::Play() {
  if (voice_ && !voice_->Playing()) voice_->Start(looping_);
}

void SoundBuffer::Stop() {
  if (voice_) voice_->Stop();
}

void SoundBuffer::IsPlaying(int32_t& status) const { status = voice_ && voice_->Playing() ? 1 : 0; }

void SoundBuffer::SetVolume(int32_t attenuation) {
  CheckAttenuation("SetVolume", attenuation);
  volume_ = attenuation;
  if (voice_) voice_->SetAttenuation(attenuation);
}

void SoundBuffer::SetLooping(bool looping) {
  looping_ = looping;
  if (voice_) voice_->SetLooped(looping);
}

}  // namespace sound
