// shellwindows: registers the game's menu and dialog window types and the Lua functions of
// the script glue with the window manager, as the start-up does before the first script.
#pragma once

// The window types in the start-up's order ("TextEdit" last, so scripts' text entries are
// the game's own), "DisabledButton", "isDisabled", "IsWindowExists" and
// "SetUnderlineDistance".
void RegisterShellWindows();
