// display: the SDL side of the platform object's display (window, OpenGL context, full
// screen, presentation); TPlatformData's display members are defined beside it.
#pragma once

class TDisplayState;
class TPlatformData;

// Starts SDL's video and prepares the display state (no window yet).
TDisplayState* NewDisplayState(TPlatformData* data);
// Why no window can be shown (no display, or only a driver that shows nothing and was not
// asked for); empty when the display is usable.
const char* GetDisplayProblem(const TDisplayState* display);

// Makes the renderer draw through the OpenGL back end; the platform object's constructor
// calls it, before anything makes the renderer.
void RegisterDisplayBackend();

// Asks SDL for the buffers the game's window has (8-bit colour with alpha, a back buffer, a
// 24-bit depth buffer, the compatibility profile) for the next window made; benches that
// draw as the game does ask for the same.
void RequestGameWindowBuffers();
