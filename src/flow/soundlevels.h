// Until the includes name the new folders: soundlevels.h moved to game/media/.
#pragma once
#include "media/soundlevels.h"
