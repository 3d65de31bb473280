// contour: the glowing outline a scene object can show behind itself, painted for the
// object's current frame into a texture of its own.
#pragma once

#include <boost/shared_ptr.hpp>

class TDrawSpec;
class TSceneObject;
class TTexture;

class TContour
{
public:
  explicit TContour(TSceneObject* object) : mObject(object), mFrame(-1) {}

  // Repaints the outline when the frame changes; -1 shows none.
  void SetFrame(int frame) { mFrame = frame; }
  int GetFrame() const { return mFrame; }
  void Draw(TDrawSpec* spec) {}

private:
  boost::shared_ptr<TTexture> mTexture;
  TSceneObject* mObject;
  int mFrame;
};
