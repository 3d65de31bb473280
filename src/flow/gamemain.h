// Until the includes name the new folders: gamemain.h moved to game/app/.
#pragma once
#include "app/gamemain.h"
