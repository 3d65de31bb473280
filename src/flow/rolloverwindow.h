// Until the includes name the new folders: rolloverwindow.h moved to game/shell/.
#pragma once
#include "shell/rolloverwindow.h"
