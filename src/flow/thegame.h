// Until the includes name the new folders: thegame.h moved to game/controller/.
#pragma once
#include "controller/thegame.h"
