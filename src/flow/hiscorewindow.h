// Until the includes name the new folders: hiscorewindow.h moved to game/shell/.
#pragma once
#include "shell/hiscorewindow.h"
