// framepresenter: shows the finished 800 x 600 frame in a window of another size (full
// screen), letterboxed, and reads the frame back for screenshots; talks to OpenGL only.
#pragma once

#include <cstdint>
#include <vector>

struct TLetterbox
{
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

// The largest rectangle of the frame's aspect that fits the target, centred.
TLetterbox FitFrame(int frameWidth, int frameHeight, int targetWidth, int targetHeight);

// Blits the frame buffer object to the window's back buffer scaled into the letterbox,
// with black bars; the frame buffer is bound again afterwards.
void PresentFrameScaled(unsigned frameBuffer, int frameWidth, int frameHeight, int targetWidth, int targetHeight);

// Reads the frame buffer object (0: the window's back buffer) as rows top-down of R, G, B, A
// bytes; empty on failure.
std::vector<uint8_t> ReadFrameRGBA(unsigned frameBuffer, int width, int height);
