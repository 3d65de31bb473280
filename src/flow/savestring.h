// Until the includes name the new folders: savestring.h moved to game/screenbase/.
#pragma once
#include "screenbase/savestring.h"
