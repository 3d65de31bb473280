// musicmanager: the game's background music: two channels that cross-fade, a follow-up
// track after a sting, all at the player's music level; over sound assets and their volumes.
#pragma once

#include <boost/shared_ptr.hpp>

#include "core/foundation/str.h"
#include "core/foundation/task.h"
#include "core/sound/soundcallback.h"

class GMusicManager;
class TSound;
class TSoundInstance;

// Runs the fade step every 100 ms in the platform's idle tasks.
class GMusicTimer : public TAnimTask
{
public:
  explicit GMusicTimer(GMusicManager* manager);
  ~GMusicTimer() override;
  bool Animate() override;

  GMusicManager* mManager;
  // Ends the task once it has no manager.
  bool mEndWithoutManager = false;
};

class GMusicManager
{
public:
  struct GMusic
  {
    boost::shared_ptr<TSoundInstance> mInstance;
    boost::shared_ptr<TSound> mSound;
    str mName;
  };

  // Starts the follow-up track when a track that has one plays out.
  class TMusicCallBack : public TSoundCallBack
  {
  public:
    explicit TMusicCallBack(GMusicManager* manager) : mManager(manager) {}
    void OnComplete(boost::shared_ptr<TSoundInstance> instance, boost::shared_ptr<TSound> next) override;

  private:
    GMusicManager* mManager;
  };

  static const int kFadePeriodMs = 100;

  // The one manager, made on first use.
  static GMusicManager* Instance();

  // Tests make their own; the game uses Instance().
  GMusicManager();
  ~GMusicManager();

  // False when the track was not started: an empty name, or a cross-fade to the track
  // started last.
  bool PlayMusic(const str& name, bool crossfade, bool loop, const str& next);
  // Silences both channels and forgets the follow-up.
  void StopMusic();
  void UpdateMaxVolume();
  void setMusicVolume(int channel, float volume);
  void OnTimer();
  // Stops the music and lets go of its sounds, while the sound system still exists.
  void ReleaseSounds();

  // No channel holds a track (none started, or all stopped or faded out).
  bool IsSilent() const;
  const GMusic& GetChannel(int index) const { return mChannels[index & 1]; }
  int GetNextChannel() const { return mChannel; }
  bool IsCrossFading() const { return mCrossFade; }
  float GetMaxVolume() const { return mMaxVolume; }
  const str& GetFollowUp() const { return mNext; }

private:
  GMusicManager(const GMusicManager&) = delete;
  GMusicManager& operator=(const GMusicManager&) = delete;

  friend class GMusicTimer;
  friend class TMusicCallBack;
  static int ChannelType(int channel);
  // Arms the fade timer in the platform's idle tasks when it has none there.
  void EnsureTimer();
  void OnTrackComplete(const boost::shared_ptr<TSoundInstance>& instance);
  void Silence(GMusic& channel);

  GMusic mChannels[2];
  int mChannel = 0;
  bool mCrossFade = false;
  int mFadeStep = 0;
  float mMaxVolume = 1.0f;
  str mNext;
  TMusicCallBack mCallBack;
  GMusicTimer* mTimer = nullptr;
};
