// Until the includes name the new folders: scriptfailure.h moved to game/app/.
#pragma once
#include "app/scriptfailure.h"
