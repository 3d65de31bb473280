// displayfade: the fades around a switch to or from full screen: one reservation at a time, the
// game's picture faded to black and waited for, and faded back while the game goes on.
#include "platform/display/displayfade.h"

#include <algorithm>

#include "core/foundation/debug.h"
#include "core/foundation/task.h"
#include "core/foundation/timesource.h"
#include "core/graphics/renderer.h"
#include "core/graphics/screenveil.h"
#include "core/window/windowmanager.h"

namespace {

// Asks for a frame at every step of the fade back, the veil being lighter each time even when
// nothing else moved, and once more at its end for the clear picture.
class TFadeFrames : public TAnimTask
{
public:
  explicit TFadeFrames(uint32_t end) : mEnd(end) { SetDelay(TDisplayFade::kFrameMs, true, true, false); }

  bool Animate() override
  {
    if (TWindowManager* manager = TWindowManager::GetInstance()) {
      manager->InvalidateScreen();
    }
    return int32_t(TTimeSource::Timer() - mEnd) < 0;
  }

private:
  uint32_t mEnd;
};

// The stack drawn now, as the game's next frame would be: the frame gate holds frames until the
// game ticks, and it does not tick while the fade is waited for.
void DrawFrame(TWindowManager* manager)
{
  IFrameGate* gate = manager->GetFrameGate();
  manager->SetFrameGate(nullptr);
  manager->InvalidateScreen();
  manager->DrawStack();
  manager->SetFrameGate(gate);
}

} // namespace

bool TDisplayFade::Reserve(bool canFade)
{
  const bool fading = mFadingBack && int32_t(TTimeSource::Timer() - mFadeBackEnd) < 0;
  if (mSwitching || fading || !canFade) {
    WriteDbg("display: switching without a fade");
    return false;
  }
  mSwitching = true;
  mFadingBack = false;
  return true;
}

void TDisplayFade::FadeOut(TWindowManager* manager)
{
  TRenderer* renderer = TRenderer::GetInstance();
  uint32_t now = TTimeSource::Timer();
  if (!manager) {
    renderer->SetVeil(TScreenVeil(now, 0, 1.0f, 1.0f));
    return;
  }
  WriteDbg("display: fading to black");
  const uint32_t end = now + kFadeOutMs;
  renderer->SetVeil(TScreenVeil(now, kFadeOutMs, 0.0f, 1.0f));
  // The last frame is drawn at the end, when the veil is opaque.
  for (;;) {
    DrawFrame(manager);
    const int32_t left = int32_t(end - now);
    if (left <= 0) {
      break;
    }
    // The window manager draws no two frames closer than its interval.
    const uint32_t least = TWindowManager::kForegroundFrameInterval;
    TTimeSource::Sleep(std::max(std::min(uint32_t(left), kFrameMs), least));
    const uint32_t before = now;
    now = TTimeSource::Timer();
    // A clock that does not move (a test's) would hold the wait for ever.
    if (now == before) {
      break;
    }
  }
}

void TDisplayFade::FadeBack(TWindowManager* manager, TTaskList* tasks)
{
  const uint32_t now = TTimeSource::Timer();
  WriteDbg("display: fading back from black");
  TRenderer::GetInstance()->SetVeil(TScreenVeil(now, kFadeBackMs, 1.0f, 0.0f));
  mSwitching = false;
  mFadingBack = true;
  mFadeBackEnd = now + kFadeBackMs;
  if (manager) {
    manager->InvalidateScreen();
  }
  if (tasks) {
    tasks->AdoptTask(new TFadeFrames(mFadeBackEnd));
  }
}
