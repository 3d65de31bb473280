// Until the includes name the new folders: buttonex.h moved to game/shell/.
#pragma once
#include "shell/buttonex.h"
