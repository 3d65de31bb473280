// Until the includes name the new folders: casejournal.h moved to game/controller/.
#pragma once
#include "controller/casejournal.h"
