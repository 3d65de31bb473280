// Until the includes name the new folders: gameround.h moved to game/story/.
#pragma once
#include "story/gameround.h"
