// Until the includes name the new folders: gamestates.h moved to game/screenbase/.
#pragma once
#include "screenbase/gamestates.h"
