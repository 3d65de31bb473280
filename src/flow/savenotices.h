// Until the includes name the new folders: savenotices.h moved to game/shell/.
#pragma once
#include "shell/savenotices.h"
