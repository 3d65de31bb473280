// gametimer: timed play of the story: the player's choice, kept in the player's preferences,
// the round's clock that runs while the player searches and solves puzzles, its word at 0:00
// and the time bonus it pays when the round's last case is solved.
#include "core/foundation/prefsdb.h"
#include "screenbase/configuredscreen.h"
#include "controller/overlayscreen.h"
#include "screenbase/scenescreen.h"
#include "shell/settings.h"
#include "controller/thegame.h"
#include "story/gameround.h"
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
  // The clock runs only while the player can act on the room or puzzle: it waits while a
  // dialog, a tutorial or a fade stands in between, and once the screen has nothing left to
  // do. At 0:00 it stops and says so once; the case goes on.
  const bool playing = (mState == stSearch || mState == stMetaPuzzle || mState == stSuspectPuzzle) && mCurrentScreen &&
                       !mCurrentScreen->IsDone();
  const bool waiting = IsInputBlocked() || (mOverlay && mOverlay->IsModal()) || (mTutorial && mTutorial->IsActive());
  if (playing && !waiting && mRoundTimeLeft > 0) {
    mRoundTimeLeft = ms >= mRoundTimeLeft ? 0 : mRoundTimeLeft - int32_t(ms);
    if (mRoundTimeLeft == 0) {
      WriteDbg("TTheGame - The round's time is up");
      ShowOverlayDialog(kTimeUpDialog, true);
    }
  }
  ShowClock(mCurrentScreen, mRoundTimeLeft);
}

void TTheGame::PayTimeBonus()
{
  TGameRound* round = GetCurrentRound();
  // One payment for the round, for the time its last case left; none once the clock ran out.
  if (!round || mRoundTimeLeft <= 0 || round->getSolvedCasesCount() < int(round->getCaseCount())) {
    return;
  }
  SetScore("Extra_Time", uint32_t(mRoundTimeLeft / 1000) * mTimeBonusPoints);
}
