// screenregistry: enters every screen class of the game in the screen factory, under the
// names the configuration files and the game controller use.
#include "controller/casejournal.h"
#include "controller/loadingscreen.h"
#include "controller/mapscreen.h"
#include "controller/overlayscreen.h"
#include "controller/screenfactory.h"
#include "controller/titlescreen.h"
#include "controller/tutoriallayer.h"
#include "puzzles/metapuzzle.h"
#include "puzzles/suspectpuzzlechecklist.h"
#include "puzzles/suspectpuzzlesequence.h"
#include "search/searchscreen.h"

void RegisterGameScreens()
{
  static bool registered = false;
  if (registered) {
    return;
  }
  registered = true;
  gScreenFactory.Register("TCaseJournal", &CreateScreen<TCaseJournal>);
  gScreenFactory.Register("TOverlayScreen", &CreateScreen<TOverlayScreen>);
  gScreenFactory.Register("TMapScreen", &CreateScreen<TMapScreen>);
  gScreenFactory.Register("TLoadingScreen", &CreateScreen<TLoadingScreen>);
  gScreenFactory.Register("TTitleScreen", &CreateScreen<TTitleScreen>);
  gScreenFactory.Register("TTutorialLayer", &CreateScreen<TTutorialLayer>);
  gScreenFactory.Register("TSearchScreen", &CreateScreen<TSearchScreen>);
  gScreenFactory.Register("TMetaPuzzle", &CreateScreen<TMetaPuzzle>);
  gScreenFactory.Register("TSuspectPuzzleSequence", &CreateScreen<TSuspectPuzzleSequence>);
  gScreenFactory.Register("TSuspectPuzzleChecklist", &CreateScreen<TSuspectPuzzleChecklist>);
}
