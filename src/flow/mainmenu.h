// Until the includes name the new folders: mainmenu.h moved to game/shell/.
#pragma once
#include "shell/mainmenu.h"
