// Until the includes name the new folders: loadingscreen.h moved to game/controller/.
#pragma once
#include "controller/loadingscreen.h"
