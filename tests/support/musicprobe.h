// musicprobe: short real tracks on the null sound output under the names the game's screens
// ask the music manager for, and what the manager started last (track, flags, follow-up).
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "core/sound/oggdatasource.h"
#include "media/musicmanager.h"
#include "platform/sound/soundstream.h"
#include "support/soundtestutil.h"

// A request as the manager holds it once started: a track that ended or never played
// (no file) reads as not looping.
struct TMusicRequest
{
  std::string mTrack;
  bool mCrossFade = false;
  bool mLoop = false;
  std::string mNext;
  boost::shared_ptr<TSoundInstance> mInstance;
};

class TMusicProbe
{
public:
  // Each pair: a track name under "assets/", the sound fixture it plays.
  TMusicProbe(TVfsSandbox& sandbox, const std::vector<std::pair<std::string, std::string>>& tracks)
  {
    TOggDataSource::Register();
    for (const auto& track : tracks) {
      sandbox.WriteFile("assets/" + track.first, ReadBytes(SoundFixture(track.second)));
    }
    TFile::ScanForResources();
    mSound.Init();
    // The game's one manager outlives each test: what an earlier one played must not count.
    GMusicManager::Instance()->ReleaseSounds();
  }
  ~TMusicProbe() { GMusicManager::Instance()->ReleaseSounds(); }

  TMusicRequest Last()
  {
    GMusicManager* music = GMusicManager::Instance();
    const GMusicManager::GMusic& channel = music->GetChannel(1 - music->GetNextChannel());
    TMusicRequest request;
    request.mTrack = channel.mName.c_str();
    request.mCrossFade = music->IsCrossFading();
    request.mNext = music->GetFollowUp().c_str();
    request.mInstance = channel.mInstance;
    TSoundScopedLock lock(SoundManagerMutex::mMutex);
    request.mLoop = channel.mInstance && channel.mInstance->mStream && channel.mInstance->mStream->GetLoop();
    return request;
  }
  // Delivers the sound system's completions until the request's track has played out.
  bool PlayOut(const TMusicRequest& request)
  {
    if (!request.mInstance || !PumpUntil(
                                  mSound, [&] { return HasPlayedOut(request.mInstance); }, 3.0)) {
      return false;
    }
    mSound.HandleNotifications();
    return true;
  }

  TSoundManager mSound;
};
