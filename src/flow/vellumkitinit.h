// Until the includes name the new folders: vellumkitinit.h moved to game/app/.
#pragma once
#include "app/vellumkitinit.h"
