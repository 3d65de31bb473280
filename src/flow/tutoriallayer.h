// Until the includes name the new folders: tutoriallayer.h moved to game/controller/.
#pragma once
#include "controller/tutoriallayer.h"
