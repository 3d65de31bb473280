// gamestates: the numbers and names of the game controller's states and events; the
// numbers are stable, since logs, scripts ("PostGameEvent") and saved games carry them.
#pragma once

#include "core/foundation/str.h"

enum EGameState
{
  stNone = 0,
  stLoading = 1,
  stMainMenu = 2,
  stStoryStart = 3,
  stMap = 4,
  stCaseIntro = 5,
  stJournal = 6,
  stCinema = 7,
  stSearch = 8,
  stSearchEnd = 9,
  stMetaPuzzle = 10,
  stSuspectPuzzle = 11,
  stCaseSolved = 12,
  stCaseEnd = 13,
  stRoundEnd = 14,
  stFreePlayMap = 15,
  stFreePlaySearch = 16,
  stFreePlayScore = 17,
  stRoundScore = 18,
  stTheEndCinema = 25
};

enum EGameEvent
{
  evGameStarted = 1,
  evLoadingCompleted = 2,
  evStoryChosen = 3,
  evFreePlayChosen = 4,
  evNewRound = 5,
  evGameResumed = 6,
  evLocationChosen = 7,
  evDialogClosed = 8,
  evSearchCompleted = 9,
  evSearchTimeUp = 10,
  evPlayMetaPuzzle = 11,
  evMetaPuzzleCompleted = 12,
  evSequencePuzzleCompleted = 13,
  evChecklistPuzzleCompleted = 14,
  evCinemaCompleted = 15,
  evRoundCompleted = 16,
  evGameCompleted = 17,
  evPlayCase = 18,
  evBackToMap = 22,
  evBackToMainMenu = 28,
  evStartSearch = 29,
  evPlaySuspectPuzzle = 30,
  evCaseEndingJournalOpened = 41,
  evCaseEndingTitleAnimationEnded = 43
};

// "stMap", "evPlayCase"; a number without a name gives "st#99" or "ev#99".
str GetStateName(int state);
str GetEventName(int event);
bool IsKnownState(int state);
