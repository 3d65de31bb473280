// gametransitions: the game controller's state machine in one table: in a state, an event
// leads to the next state, whose action then runs. The first matching row wins; an event
// with no row in the current state is ignored.
#include "controller/thegame.h"

#define ACTION(name) &TTheGame::name, #name

const TTheGame::TTransition TTheGame::kTransitions[] = {
    // Start-up.
    {stNone, evGameStarted, stLoading, ACTION(ShowLoading)},
    {stLoading, evLoadingCompleted, stMainMenu, ACTION(FinishLoading)},
    {stMainMenu, evStoryChosen, stStoryStart, ACTION(StartStory)},
    {stMainMenu, evFreePlayChosen, stFreePlayMap, ACTION(StartFreePlay)},
    // Story: a round begins with its cinematic, or a saved game goes on at the map.
    {stStoryStart, evNewRound, stCinema, ACTION(ShowRoundCinema)},
    {stStoryStart, evGameResumed, stMap, ACTION(ShowMap)},
    {stStoryStart, evGameCompleted, stTheEndCinema, ACTION(PlayEndCinema)},
    {stCinema, evCinemaCompleted, stMap, ACTION(ShowMap)},
    // The map: a case is chosen, the round is over, or the player leaves.
    {stMap, evLocationChosen, stCaseIntro, ACTION(PlayChosenCase)},
    {stMap, evRoundCompleted, stRoundEnd, ACTION(ShowRoundEnd)},
    {stMap, evBackToMainMenu, stMainMenu, ACTION(LeaveStory)},
    // A new case shows its intro first; an opened one goes straight to the journal.
    {stCaseIntro, evDialogClosed, stJournal, ACTION(OpenJournal)},
    {stCaseIntro, evPlayCase, stJournal, ACTION(OpenJournal)},
    // The journal starts the case's next step.
    {stJournal, evBackToMap, stMap, ACTION(CloseJournalToMap)},
    {stJournal, evStartSearch, stSearch, ACTION(StartSearch)},
    {stJournal, evPlaySuspectPuzzle, stSuspectPuzzle, ACTION(StartSuspectPuzzle)},
    {stJournal, evCaseEndingJournalOpened, stCaseSolved, ACTION(ShowCaseSolved)},
    // The search room.
    {stSearch, evSearchCompleted, stSearchEnd, ACTION(CompleteSearch)},
    {stSearch, evPlayMetaPuzzle, stMetaPuzzle, ACTION(StartMetaPuzzle)},
    {stSearch, evBackToMap, stMap, ACTION(LeaveToMap)},
    {stSearchEnd, evDialogClosed, stJournal, ACTION(OpenJournal)},
    {stMetaPuzzle, evMetaPuzzleCompleted, stSearch, ACTION(ReturnToSearch)},
    // The suspect puzzles: the sequence, then the checklist that names the guilty one.
    {stSuspectPuzzle, evSequencePuzzleCompleted, stJournal, ACTION(CompleteSequencePuzzle)},
    {stSuspectPuzzle, evChecklistPuzzleCompleted, stJournal, ACTION(CompleteChecklistPuzzle)},
    {stSuspectPuzzle, evBackToMap, stMap, ACTION(LeaveToMap)},
    // The case is solved: its title, its end dialog, then the map or the round's end.
    {stCaseSolved, evCaseEndingTitleAnimationEnded, stCaseEnd, ACTION(EndCase)},
    {stCaseEnd, evDialogClosed, stMap, ACTION(CloseCase)},
    // The round's end dialog, then its score.
    {stRoundEnd, evDialogClosed, stRoundScore, ACTION(ShowRoundScore)},
    {stRoundScore, evDialogClosed, stStoryStart, ACTION(NextRound)},
    {stTheEndCinema, evBackToMainMenu, stMainMenu, ACTION(ShowMainMenu)},
    // Free play: choose a location, search against the clock, see the score.
    {stFreePlayMap, evLocationChosen, stFreePlaySearch, ACTION(StartFreePlaySearch)},
    {stFreePlayMap, evBackToMainMenu, stMainMenu, ACTION(LeaveFreePlay)},
    {stFreePlaySearch, evSearchCompleted, stFreePlayScore, ACTION(ScoreFreePlaySearch)},
    {stFreePlaySearch, evSearchTimeUp, stFreePlayScore, ACTION(ScoreFreePlaySearch)},
    {stFreePlaySearch, evBackToMap, stFreePlayMap, ACTION(ShowFreePlayMap)},
    {stFreePlayScore, evDialogClosed, stFreePlayMap, ACTION(ShowFreePlayMap)},
};

#undef ACTION

const unsigned TTheGame::kTransitionCount = sizeof kTransitions / sizeof kTransitions[0];

const TTheGame::TTransition* TTheGame::GetTransitions(unsigned* count)
{
  if (count) {
    *count = kTransitionCount;
  }
  return kTransitions;
}
