// Until the includes name the new folders: mapscreen.h moved to game/controller/.
#pragma once
#include "controller/mapscreen.h"
