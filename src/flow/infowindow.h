// Until the includes name the new folders: infowindow.h moved to game/shell/.
#pragma once
#include "shell/infowindow.h"
