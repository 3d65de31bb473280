// Until the includes name the new folders: chooseplayer.h moved to game/shell/.
#pragma once
#include "shell/chooseplayer.h"
