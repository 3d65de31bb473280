// Until the includes name the new folders: flashwindow.h moved to game/shell/.
#pragma once
#include "shell/flashwindow.h"
