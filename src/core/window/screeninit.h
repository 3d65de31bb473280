// screeninit: the window-script library that every window script runs at start-up
// (constants, window construction, the modal-dialog protocol and the message wait), as Lua source.
#pragma once

// Run under the chunk name "gScreenInit".
extern const char kScreenInitSource[];
extern const unsigned kScreenInitLength;
