// Until the includes name the new folders: casefile.h moved to game/story/.
#pragma once
#include "story/casefile.h"
