// Until the includes name the new folders: freeplaymode.h moved to game/story/.
#pragma once
#include "story/freeplaymode.h"
