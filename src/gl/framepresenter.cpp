// framepresenter: letterboxed presentation of the frame buffer object and its read-back;
// talks to OpenGL only.
#define GL_GLEXT_PROTOTYPES 1
#include "gl/framepresenter.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>

TLetterbox FitFrame(int frameWidth, int frameHeight, int targetWidth, int targetHeight)
{
  TLetterbox box;
  if (frameWidth <= 0 || frameHeight <= 0 || targetWidth <= 0 || targetHeight <= 0) {
    return box;
  }
  // Compare the aspects in integers so that an exact fit stays exact.
  if (int64_t(targetWidth) * frameHeight <= int64_t(targetHeight) * frameWidth) {
    box.width = targetWidth;
    box.height = int(int64_t(targetWidth) * frameHeight / frameWidth);
  } else {
    box.height = targetHeight;
    box.width = int(int64_t(targetHeight) * frameWidth / frameHeight);
  }
  box.x = (targetWidth - box.width) / 2;
  box.y = (targetHeight - box.height) / 2;
  return box;
}

void PresentFrameScaled(unsigned frameBuffer, int frameWidth, int frameHeight, int targetWidth, int targetHeight)
{
  if (!frameBuffer) {
    return;
  }
  const TLetterbox box = FitFrame(frameWidth, frameHeight, targetWidth, targetHeight);
  GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
  glDisable(GL_SCISSOR_TEST);
  GLfloat clear[4];
  glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
  glDrawBuffer(GL_BACK);
  // The bars, when the frame does not cover the target.
  if (box.width != targetWidth || box.height != targetHeight) {
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(clear[0], clear[1], clear[2], clear[3]);
  }
  glBindFramebuffer(GL_READ_FRAMEBUFFER, frameBuffer);
  glReadBuffer(GL_COLOR_ATTACHMENT0);
  // Window rows count from the bottom: the letterbox's top margin is its bottom one too.
  glBlitFramebuffer(0, 0, frameWidth, frameHeight, box.x, box.y, box.x + box.width, box.y + box.height,
                    GL_COLOR_BUFFER_BIT, GL_LINEAR);
  glBindFramebuffer(GL_FRAMEBUFFER, frameBuffer);
  glDrawBuffer(GL_COLOR_ATTACHMENT0);
  glReadBuffer(GL_COLOR_ATTACHMENT0);
  if (scissor) {
    glEnable(GL_SCISSOR_TEST);
  }
}

std::vector<uint8_t> ReadFrameRGBA(unsigned frameBuffer, int width, int height)
{
  std::vector<uint8_t> pixels;
  if (width <= 0 || height <= 0) {
    return pixels;
  }
  pixels.resize(size_t(width) * height * 4);
  GLint previous = 0;
  glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &previous);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, frameBuffer);
  glReadBuffer(frameBuffer ? GL_COLOR_ATTACHMENT0 : GL_BACK);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
  glBindFramebuffer(GL_READ_FRAMEBUFFER, GLuint(previous));
  // GL gives the bottom row first.
  const size_t rowBytes = size_t(width) * 4;
  std::vector<uint8_t> row(rowBytes);
  for (int top = 0, bottom = height - 1; top < bottom; ++top, --bottom) {
    std::copy_n(&pixels[top * rowBytes], rowBytes, row.begin());
    std::copy_n(&pixels[bottom * rowBytes], rowBytes, &pixels[top * rowBytes]);
    std::copy(row.begin(), row.end(), &pixels[bottom * rowBytes]);
  }
  return pixels;
}
