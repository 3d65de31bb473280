// Until the includes name the new folders: serversubmit.h moved to game/shell/.
#pragma once
#include "shell/serversubmit.h"
