// Until the includes name the new folders: credits.h moved to game/shell/.
#pragma once
#include "shell/credits.h"
