// soundplayer: each call asks the sound playback in force, and does nothing without one.
#include "core/sound/soundplayer.h"

#include "core/foundation/services.h"

namespace {

ISoundPlayback* Playback()
{
  return TServices::Get().sound;
}

} // namespace

boost::shared_ptr<TSound> TSoundPlayer::Get(const str& name, bool inMemory, int group)
{
  ISoundPlayback* playback = Playback();
  return playback ? playback->AsSound(playback->GetSoundAsset(name, inMemory, group)) : boost::shared_ptr<TSound>();
}

boost::shared_ptr<TSoundInstance> TSoundPlayer::Play(const boost::shared_ptr<TSound>& sound, bool loop)
{
  ISoundPlayback* playback = Playback();
  return playback && sound ? playback->Play(sound, loop) : boost::shared_ptr<TSoundInstance>();
}

void TSoundPlayer::Pause(const boost::shared_ptr<TSound>& sound, bool pause)
{
  if (ISoundPlayback* playback = Playback(); playback && sound) {
    playback->Pause(sound, pause);
  }
}

void TSoundPlayer::Kill(const boost::shared_ptr<TSound>& sound)
{
  if (ISoundPlayback* playback = Playback(); playback && sound) {
    playback->Kill(sound);
  }
}

void TSoundPlayer::KillInstance(const boost::shared_ptr<TSoundInstance>& instance)
{
  if (ISoundPlayback* playback = Playback(); playback && instance) {
    playback->KillInstance(instance);
  }
}

void TSoundPlayer::SetInstanceVolume(const boost::shared_ptr<TSoundInstance>& instance, float volume)
{
  if (ISoundPlayback* playback = Playback(); playback && instance) {
    playback->SetInstanceVolume(instance, volume);
  }
}

void TSoundPlayer::SetCompleteAction(const boost::shared_ptr<TSoundInstance>& instance, TSoundCallBack* callback)
{
  if (ISoundPlayback* playback = Playback(); playback && instance) {
    playback->SetCompleteAction(instance, callback);
  }
}

float TSoundPlayer::GetVolume(int type)
{
  float volume = 1.0f;
  ISoundPlayback* playback = Playback();
  return playback && playback->GetVolume(type, &volume) ? volume : 1.0f;
}

void TSoundPlayer::SetTypeVolume(int type, float volume)
{
  if (ISoundPlayback* playback = Playback()) {
    playback->SetTypeVolume(type, volume);
  }
}

void TSoundPlayer::SetMasterVolume(float volume)
{
  if (ISoundPlayback* playback = Playback()) {
    playback->SetMasterVolume(volume);
  }
}
