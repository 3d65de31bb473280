// Until the includes name the new folders: options.h moved to game/shell/.
#pragma once
#include "shell/options.h"
