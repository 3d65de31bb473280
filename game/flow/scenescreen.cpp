// scenescreen: scene layers, queued files, activation, fades and saved records of a screen.
#include "flow/scenescreen.h"

#include "platform/debug.h"
#include "scene/binarybuffer.h"

TSceneScreen::TSceneScreen() {}

TSceneScreen::~TSceneScreen() {}

str TSceneScreen::AddScene(const str& file, bool now)
{
  mQueued.push_back(file);
  return str();
}

void TSceneScreen::Activate()
{
  mActive = true;
  mFadedOut = false;
}

void TSceneScreen::Deactivate()
{
  mActive = false;
  mFadeTime = 0;
}

void TSceneScreen::StartFading(unsigned time, bool fadeIn)
{
  mFadeIn = fadeIn;
  mFadeElapsed = 0;
  mFadeTime = time;
  mFadedOut = false;
  if (time == 0) {
    mFadedOut = !fadeIn;
    OnFadeCompleted(fadeIn);
  }
}

float TSceneScreen::GetFadeLevel() const
{
  if (mFadeTime == 0) {
    return mFadedOut ? 0.0f : 1.0f;
  }
  float progress = float(mFadeElapsed / mFadeTime);
  if (progress > 1.0f) {
    progress = 1.0f;
  }
  return mFadeIn ? progress : 1.0f - progress;
}

void TSceneScreen::OnTick(double ms)
{
  if (mFadeTime == 0) {
    return;
  }
  mFadeElapsed += ms;
  if (mFadeElapsed >= mFadeTime) {
    const bool fadeIn = mFadeIn;
    mFadeTime = 0;
    mFadedOut = !fadeIn;
    OnFadeCompleted(fadeIn);
  }
}

bool TSceneScreen::Save(TBinaryBuffer* buffer)
{
  buffer->WriteU32(0);
  return !buffer->Failed();
}

bool TSceneScreen::LoadSaved(TBinaryBuffer* buffer)
{
  uint32_t count = 0;
  if (!buffer->ReadCount(&count, 4, "screen scenes")) {
    return false;
  }
  if (count != 0) {
    buffer->Fail("screen scenes");
    return false;
  }
  return true;
}
