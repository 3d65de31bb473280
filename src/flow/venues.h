// Until the includes name the new folders: venues.h moved to game/story/.
#pragma once
#include "story/venues.h"
