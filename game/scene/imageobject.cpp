// imageobject: the plain scene object, and the default kind: shows one frame of the
// scene's images, chosen by index or by image name.
#include "scene/imageobject.h"

#include "scene/contour.h"

void TImageObject::setFrame(int frame)
{
  load_set_frame(frame);
  if (mFrame == -1)
    mTexture = TTextureWrapperRef();
  if (mContourOn && mContour)
    mContour->SetFrame(mFrame);
}

void TImageObject::setFrame(const str& name)
{
  setFrame(FrameIndex(name));
}
