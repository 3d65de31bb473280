// Until the includes name the new folders: flashmanager.h moved to game/shell/.
#pragma once
#include "shell/flashmanager.h"
