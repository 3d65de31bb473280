// displayfade: the fades around a switch to or from full screen: one reservation at a time, the
// game's picture faded to black and waited for, and faded back while the game goes on.
#pragma once

#include <cstdint>

class TTaskList;
class TWindowManager;

// The fades darken the game's own frames (the renderer's veil), never the display: a program
// that ends during one leaves nothing behind.
class TDisplayFade
{
public:
  static constexpr uint32_t kFadeOutMs = 500;
  static constexpr uint32_t kFadeBackMs = 3000;
  // Frames while the picture fades out, one per game tick.
  static constexpr uint32_t kFrameMs = 20;

  // Takes the one reservation. False, and no fade, while another is held (from a switch's fade
  // out to the end of its fade back) or when the picture cannot fade (canFade false).
  bool Reserve(bool canFade);
  // Under the reservation: fades the picture to black over kFadeOutMs and waits for it, drawing
  // the window stack's frames as it darkens; the game does not tick meanwhile. Without a
  // manager the picture turns black at once (there is none yet).
  void FadeOut(TWindowManager* manager);
  // Under the reservation: fades back from black over kFadeBackMs without waiting. A task in the
  // list keeps asking the manager for frames while it runs; the reservation ends with it.
  void FadeBack(TWindowManager* manager, TTaskList* tasks);

private:
  // Reserved and the fade back not started yet.
  bool mSwitching = false;
  bool mFadingBack = false;
  uint32_t mFadeBackEnd = 0;
};
