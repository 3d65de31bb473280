// Until the includes name the new folders: listbox.h moved to game/shell/.
#pragma once
#include "shell/listbox.h"
