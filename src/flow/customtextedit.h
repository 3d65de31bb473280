// Until the includes name the new folders: customtextedit.h moved to game/shell/.
#pragma once
#include "shell/customtextedit.h"
