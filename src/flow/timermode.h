// Until the includes name the new folders: timermode.h moved to game/shell/.
#pragma once
#include "shell/timermode.h"
