// x11window: what SDL does not tell of a window on an X server: its real size, read
// through the X library that SDL loaded.
#pragma once

struct SDL_Window;

// The window's size as the X server has it; false when the window is not an X window.
bool RealWindowSize(SDL_Window* window, int* width, int* height);
