// Until the includes name the new folders: buttontools.h moved to game/shell/.
#pragma once
#include "shell/buttontools.h"
