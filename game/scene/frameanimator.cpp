// frameanimator: the animators with integer keys: one that shows frames one after another
// and one that counts a text object's number from key to key.
#include "scene/frameanimator.h"

#include "scene/matrixutil.h"
#include "scene/sceneobject.h"
#include "scene/textobject.h"

void TFrameAnimator::ObjectAnimate(int step, unsigned)
{
  mObject->setFrame(mKeys.mKeys[size_t(step)]);
}

void TTextNumberAnimator::Show(int number)
{
  if (TTextObject* text = dynamic_cast<TTextObject*>(mObject))
    text->setText(str::getFormatted("%d ", number));
}

void TTextNumberAnimator::Init()
{
  TAnimator::Init();
  if (mObject && !mKeys.mKeys.empty())
    Show(mKeys.mKeys[0]);
}

void TTextNumberAnimator::ObjectAnimate(int step, unsigned ms)
{
  const float from = static_cast<float>(mKeys.mKeys[size_t(step)]);
  const float to = static_cast<float>(mKeys.mKeys[size_t(step) + 1]);
  const int number = TruncateToInt(AnimatorKeys::Lerp(from, to, ms, mDelay));
  if (number == mShown)
    return;
  mShown = number;
  Show(number);
}
