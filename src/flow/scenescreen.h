// Until the includes name the new folders: scenescreen.h moved to game/screenbase/.
#pragma once
#include "screenbase/scenescreen.h"
