// Until the includes name the new folders: configuredscreen.h moved to game/screenbase/.
#pragma once
#include "screenbase/configuredscreen.h"
