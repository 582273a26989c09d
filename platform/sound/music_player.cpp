#include "platform/sound/music_player.h"

#include <utility>

#include "platform/sound/mp3_file.h"

namespace sound {

void MusicPlayer::Load(const std::string& path, bool& success) {
  success = false;
  auto output = engine_.CurrentOutput("Load");
  auto file = ReadSoundFile(path);
  if (!file) return;
  std::unique_ptr<MusicVoice> voice;
  try {
    ReadMp3Format(*file);
    voice = output->MakeMusic(std::move(*file));
  } catch (const SoundError&) {
    return;
  }
  voice->SetAttenuation(volume_);
  voice_ = std::move(voice);
  success = true;
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
