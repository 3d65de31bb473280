// mapscreen: the map's locations and the choice of one of them.
#include "flow/mapscreen.h"

void TMapScreen::ActivateLocation(str locationId)
{
  mActive.insert(locationId);
}
