// Until the includes name the new folders: settings.h moved to game/shell/.
#pragma once
#include "shell/settings.h"
