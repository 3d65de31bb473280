// Until the includes name the new folders: shellwindows.h moved to game/shell/.
#pragma once
#include "shell/shellwindows.h"
