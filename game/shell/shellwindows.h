// shellwindows: registers the game's menu and dialog window types with the window manager, as
// the start-up does before the first script.
#pragma once

// The menu and dialog window types in the start-up's order ("TextEdit" last, so scripts'
// text entries are the game's own).
void RegisterShellWindows();
