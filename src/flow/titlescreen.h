// Until the includes name the new folders: titlescreen.h moved to game/controller/.
#pragma once
#include "controller/titlescreen.h"
