// Until the includes name the new folders: gamedefs.h moved to game/shell/.
#pragma once
#include "shell/gamedefs.h"
