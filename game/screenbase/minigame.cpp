// minigame: the puzzles' music, started through the music manager when a puzzle screen
// fades in; the track is drawn with the game controller's random generator.
#include "screenbase/minigame.h"

#include "media/musicmanager.h"
#include "controller/thegame.h"

const char* const TMiniGame::kTracks[kTrackCount] = {"audio/music/QS_MiniGame1_16.ogg",
                                                     "audio/music/QS_MiniGame2_16.ogg"};

void PlayMiniGameMusic()
{
  const int track = TTheGame::GetInstance()->GetRandom().RandRange(0, int(TMiniGame::kTrackCount) - 1);
  GMusicManager::Instance()->PlayMusic(TMiniGame::kTracks[track], true, true, "");
}

void TMiniGame::StartFading(unsigned time, bool fadeIn)
{
  TSceneScreen::StartFading(time, fadeIn);
  if (fadeIn) {
    PlayMiniGameMusic();
  }
}

void TMetaPuzzleBase::StartFading(unsigned time, bool fadeIn)
{
  TSceneScreen::StartFading(time, fadeIn);
  if (fadeIn) {
    PlayMiniGameMusic();
  }
}
