// Until the includes name the new folders: shellglue.h moved to game/shell/.
#pragma once
#include "shell/shellglue.h"
