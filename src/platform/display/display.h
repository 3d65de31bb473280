// display: the SDL side of the platform object's display (window, OpenGL context, full
// screen, presentation); TPlatformData's display members are defined beside it.
#pragma once

class TDisplayState;
class TPlatformData;

// Starts SDL's video and prepares the display state (no window yet).
TDisplayState* NewDisplayState(TPlatformData* data);

// Makes the renderer draw through the OpenGL back end; the platform object's constructor
// calls it, before anything makes the renderer.
void RegisterDisplayBackend();
