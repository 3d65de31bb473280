// Until the includes name the new folders: screenfactory.h moved to game/controller/.
#pragma once
#include "controller/screenfactory.h"
