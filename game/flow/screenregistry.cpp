// screenregistry: enters every screen class of the game in the screen factory, under the
// names the configuration files and the game controller use.
#include "flow/mapscreen.h"
#include "flow/overlayscreen.h"
#include "flow/screenfactory.h"

void RegisterGameScreens()
{
  static bool registered = false;
  if (registered) {
    return;
  }
  registered = true;
  gScreenFactory.Register("TOverlayScreen", &CreateScreen<TOverlayScreen>);
  gScreenFactory.Register("TMapScreen", &CreateScreen<TMapScreen>);
}
