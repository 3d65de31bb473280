// gamestates: the names of the game controller's states and events, as the log shows them.
#include "screenbase/gamestates.h"

#include <cstddef>

namespace {

struct TNamed
{
  int number;
  const char* name;
};

const TNamed kStates[] = {
    {stNone, "stNone"},
    {stLoading, "stLoading"},
    {stMainMenu, "stMainMenu"},
    {stStoryStart, "stStoryStart"},
    {stMap, "stMap"},
    {stCaseIntro, "stCaseIntro"},
    {stJournal, "stJournal"},
    {stCinema, "stCinema"},
    {stSearch, "stSearch"},
    {stSearchEnd, "stSearchEnd"},
    {stMetaPuzzle, "stMetaPuzzle"},
    {stSuspectPuzzle, "stSuspectPuzzle"},
    {stCaseSolved, "stCaseSolved"},
    {stCaseEnd, "stCaseEnd"},
    {stRoundEnd, "stRoundEnd"},
    {stFreePlayMap, "stFreePlayMap"},
    {stFreePlaySearch, "stFreePlaySearch"},
    {stFreePlayScore, "stFreePlayScore"},
    {stRoundScore, "stRoundScore"},
    {stTheEndCinema, "stTheEndCinema"},
};

const TNamed kEvents[] = {
    {evGameStarted, "evGameStarted"},
    {evLoadingCompleted, "evLoadingCompleted"},
    {evStoryChosen, "evStoryChosen"},
    {evFreePlayChosen, "evFreePlayChosen"},
    {evNewRound, "evNewRound"},
    {evGameResumed, "evGameResumed"},
    {evLocationChosen, "evLocationChosen"},
    {evDialogClosed, "evDialogClosed"},
    {evSearchCompleted, "evSearchCompleted"},
    {evSearchTimeUp, "evSearchTimeUp"},
    {evPlayMetaPuzzle, "evPlayMetaPuzzle"},
    {evMetaPuzzleCompleted, "evMetaPuzzleCompleted"},
    {evSequencePuzzleCompleted, "evSequencePuzzleCompleted"},
    {evChecklistPuzzleCompleted, "evChecklistPuzzleCompleted"},
    {evCinemaCompleted, "evCinemaCompleted"},
    {evRoundCompleted, "evRoundCompleted"},
    {evGameCompleted, "evGameCompleted"},
    {evPlayCase, "evPlayCase"},
    {evBackToMap, "evBackToMap"},
    {evBackToMainMenu, "evBackToMainMenu"},
    {evStartSearch, "evStartSearch"},
    {evPlaySuspectPuzzle, "evPlaySuspectPuzzle"},
    {evCaseEndingJournalOpened, "evCaseEndingJournalOpened"},
    {evCaseEndingTitleAnimationEnded, "evCaseEndingTitleAnimationEnded"},
};

template <size_t N>
const char* Find(const TNamed (&table)[N], int number)
{
  for (const TNamed& entry : table) {
    if (entry.number == number) {
      return entry.name;
    }
  }
  return nullptr;
}

} // namespace

str GetStateName(int state)
{
  const char* name = Find(kStates, state);
  return name ? str(name) : str::getFormatted("st#%d", state);
}

str GetEventName(int event)
{
  const char* name = Find(kEvents, event);
  return name ? str(name) : str::getFormatted("ev#%d", event);
}

bool IsKnownState(int state)
{
  return Find(kStates, state) != nullptr;
}
