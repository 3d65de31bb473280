// Until the includes name the new folders: gameloop.h moved to game/app/.
#pragma once
#include "app/gameloop.h"
