// keeplibraries: the sanitizer build's dlclose, which keeps every library loaded to the end of
// the process, so that the leak check still sees the blocks a library's globals hold.
#include <dlfcn.h>

// Mesa's OpenGL driver, which SDL loads when the display opens and unloads when it closes,
// keeps blocks in its globals for the process's life and never frees them (the dispatch
// table's function names, the EGL display, a one-time set-up of the software rasteriser).
// Unloaded, they are left unreferenced and the leak check reports them at every exit; and as
// their library is gone by then, its frames carry no name a suppression could match. Kept
// loaded, they stay referenced like any global's. Weak, because a program may hold it twice:
// from a static library of the game that links the engine, and of its own.
__attribute__((weak)) int dlclose(void* handle)
{
  (void)handle;
  return 0;
}
