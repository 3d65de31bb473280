// Until the includes name the new folders: musicmanager.h moved to game/media/.
#pragma once
#include "media/musicmanager.h"
