// musicmanager: plays, cross-fades and chains the music tracks on the two music channels;
// talks to the sound assets, the game's sound levels and the platform's idle tasks.
#include "media/musicmanager.h"

#include "core/foundation/services.h"
#include "core/sound/soundplayer.h"
#include "media/soundlevels.h"
#include "core/foundation/debug.h"

namespace {

// Volume change of each fade step, as a share of full volume.
const double kFadeStepVolume = 0.05;

} // namespace

GMusicTimer::GMusicTimer(GMusicManager* manager) : mManager(manager) {}

GMusicTimer::~GMusicTimer()
{
  // The platform deletes its idle tasks at teardown; the manager must not keep a
  // pointer to this one.
  if (mManager && mManager->mTimer == this) {
    mManager->mTimer = nullptr;
  }
}

bool GMusicTimer::Animate()
{
  if (mManager) {
    mManager->OnTimer();
    return true;
  }
  return !mEndWithoutManager;
}

void GMusicManager::TMusicCallBack::OnComplete(boost::shared_ptr<TSoundInstance> instance, boost::shared_ptr<TSound>)
{
  mManager->OnTrackComplete(instance);
}

GMusicManager* GMusicManager::Instance()
{
  static GMusicManager manager;
  return &manager;
}

GMusicManager::GMusicManager() : mCallBack(this)
{
  EnsureTimer();
}

GMusicManager::~GMusicManager()
{
  if (mTimer) {
    mTimer->mManager = nullptr;
  }
}

int GMusicManager::ChannelType(int channel)
{
  return channel == 1 ? kSoundTypeMusicChannel1 : kSoundTypeMusicChannel0;
}

void GMusicManager::EnsureTimer()
{
  IAppHost* host = TServices::Get().host;
  if (mTimer || !host) {
    return;
  }
  mTimer = new GMusicTimer(this);
  mTimer->mEndWithoutManager = true;
  mTimer->SetDelay(kFadePeriodMs, true, true, false);
  host->GetTaskList()->AdoptTask(mTimer);
}

void GMusicManager::setMusicVolume(int channel, float volume)
{
  TSoundLevels::Get()->SetTypeVolume(ChannelType(channel), volume);
}

void GMusicManager::Silence(GMusic& channel)
{
  if (channel.mSound) {
    TSoundPlayer::Pause(channel.mSound, true);
    TSoundPlayer::Kill(channel.mSound);
  }
  channel.mName = str();
}

bool GMusicManager::PlayMusic(const str& name, bool crossfade, bool loop, const str& next)
{
  EnsureTimer();
  GMusic& target = mChannels[mChannel];
  if (target.mSound && crossfade) {
    if (name == mChannels[1 - mChannel].mName) {
      return false;
    }
    Silence(target);
  }

  target.mSound = TSoundPlayer::Get(name, false, ChannelType(mChannel));
  if (!target.mSound) {
    return false;
  }
  // What plays is otherwise unknowable on a machine without sound output.
  WriteDbg("Music: %s on channel %d%s%s%s%s", name.c_str(), mChannel, crossfade ? ", cross-faded" : "",
           loop ? ", looping" : "", next.empty() ? "" : ", then ", next.c_str());
  mMaxVolume = TSoundLevels::Get()->GetVolume(kSoundTypeMusic);
  setMusicVolume(mChannel, crossfade ? 0.0f : mMaxVolume);
  target.mInstance = TSoundPlayer::Play(target.mSound, loop);
  target.mName = name;

  mCrossFade = crossfade;
  mChannel = 1 - mChannel;
  mFadeStep = 0;

  mNext = next;
  if (target.mInstance) {
    TSoundPlayer::SetCompleteAction(target.mInstance, next.empty() ? nullptr : &mCallBack);
  }
  return true;
}

void GMusicManager::OnTimer()
{
  if (!mCrossFade) {
    return;
  }
  ++mFadeStep;
  const float step = float(mFadeStep * kFadeStepVolume);

  GMusic& old = mChannels[mChannel];
  if (old.mSound) {
    if (mMaxVolume > step) {
      setMusicVolume(mChannel, mMaxVolume - step);
    } else {
      setMusicVolume(mChannel, 0.0f);
      Silence(old);
    }
  }
  const int rising = 1 - mChannel;
  if (mChannels[rising].mSound) {
    if (step > mMaxVolume) {
      setMusicVolume(rising, mMaxVolume);
      mCrossFade = false;
    } else {
      setMusicVolume(rising, step);
    }
  }
}

void GMusicManager::StopMusic()
{
  if (!IsSilent()) {
    WriteDbg("Music: stopped");
  }
  for (GMusic& channel : mChannels) {
    if (channel.mSound) {
      Silence(channel);
    }
  }
  // A follow-up kept here would restart music after whatever the caller plays next.
  mNext = str();
}

void GMusicManager::UpdateMaxVolume()
{
  mMaxVolume = TSoundLevels::Get()->GetVolume(kSoundTypeMusic);
  if (!mCrossFade) {
    setMusicVolume(0, mMaxVolume);
    setMusicVolume(1, mMaxVolume);
  }
}

bool GMusicManager::IsSilent() const
{
  return mChannels[0].mName.empty() && mChannels[1].mName.empty();
}

void GMusicManager::OnTrackComplete(const boost::shared_ptr<TSoundInstance>& instance)
{
  // Only the end of a track a channel still plays counts; an instance the channel has
  // since replaced must not start the follow-up over newer music.
  bool current = false;
  for (const GMusic& channel : mChannels) {
    current = current || (instance && channel.mInstance == instance);
  }
  if (!current || mNext.empty()) {
    return;
  }
  const str next = mNext;
  PlayMusic(next, false, true, str());
}

void GMusicManager::ReleaseSounds()
{
  StopMusic();
  for (GMusic& channel : mChannels) {
    channel.mInstance.reset();
    channel.mSound.reset();
  }
}
