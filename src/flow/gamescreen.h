// Until the includes name the new folders: gamescreen.h moved to game/screenbase/.
#pragma once
#include "screenbase/gamescreen.h"
