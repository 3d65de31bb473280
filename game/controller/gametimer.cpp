// gametimer: timed play of the story: the player's choice, kept in the player's preferences,
// and the round's clock that runs while the player searches and solves puzzles.
#include "core/foundation/prefsdb.h"
#include "screenbase/configuredscreen.h"
#include "controller/overlayscreen.h"
#include "screenbase/scenescreen.h"
#include "shell/settings.h"
#include "controller/thegame.h"
#include "core/foundation/debug.h"

void TTheGame::SetTimedPlay(bool timed)
{
  int player = TSettings::kGlobalUser;
  TPrefsDB* prefs = PlayerPrefs(&player);
  if (!prefs) {
    WriteDbg("ERROR: No player to keep the choice of timed play for");
    return;
  }
  prefs->SetInt(TSettings::kTimerOn, timed ? 1 : 0, player, true);
}

bool TTheGame::IsTimedPlay() const
{
  int player = TSettings::kGlobalUser;
  TPrefsDB* prefs = PlayerPrefs(&player);
  // A new player's record says timed.
  return prefs && prefs->GetInt(TSettings::kTimerOn, 1, player) != 0;
}

void TTheGame::RunRoundClock(double ms)
{
  if (mGameMode != kControllerStory || mRoundTimeLeft < 0) {
    return;
  }
  // The clock waits while a dialog, a tutorial or a fade stands between the player and the
  // room or puzzle; at 0:00 it stops, and nothing more happens.
  const bool playing = mState == stSearch || mState == stMetaPuzzle || mState == stSuspectPuzzle;
  const bool waiting = IsInputBlocked() || (mOverlay && mOverlay->IsModal()) || (mTutorial && mTutorial->IsActive());
  if (playing && !waiting && mRoundTimeLeft > 0) {
    mRoundTimeLeft = ms >= mRoundTimeLeft ? 0 : mRoundTimeLeft - int32_t(ms);
  }
  ShowClock(mCurrentScreen, mRoundTimeLeft);
}
