#include "platform/sound/music_player.h"

#include <utility>

#include "platform/sound/mp3_file.h"

namespace sound {

void MusicPlayer::Load(const std::string& path, bool& success) {
  auto output = engine_.CurrentOutput("Load");
  auto voice = LoadVoice(path, [&](std::vector<uint8_t> file) {
    ReadMp3Format(file);
    return output->MakeMusic(std::move(file));
  });
  success = voice != nullptr;
  if (!voice) return;
  voice->SetAttenuation(volume_);
  voice_ = std::move(voice);
  path_ = path;
}

void MusicPlayer::Play() {
  if (voice_) voice_->Start();
}

void MusicPlayer::Stop() {
  if (voice_) voice_->Stop();
}

void MusicPlayer::SetVolume(int32_t attenuation) {
  CheckAttenuation("SetVolume", attenuation);
  volume_ = attenuation;
  if (voice_) voice_->SetAttenuation(attenuation);
}

}  // namespace sound
