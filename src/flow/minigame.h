// Until the includes name the new folders: minigame.h moved to game/screenbase/.
#pragma once
#include "screenbase/minigame.h"
