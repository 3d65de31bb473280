// Until the includes name the new folders: gamewindow.h moved to game/controller/.
#pragma once
#include "controller/gamewindow.h"
