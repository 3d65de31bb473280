// Until the includes name the new folders: overlayscreen.h moved to game/controller/.
#pragma once
#include "controller/overlayscreen.h"
