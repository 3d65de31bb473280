// Until the includes name the new folders: case.h moved to game/story/.
#pragma once
#include "story/case.h"
