// imageobject: the plain scene object, and the default kind: shows one frame of the
// scene's images, chosen by index or by image name.
#pragma once

#include "scene/sceneobject.h"

class TImageObject : public TSceneObject
{
public:
  static CanlBaseClass* Create() { return new TImageObject; }

  const char* getDynamicId() const override { return "TImageObject"; }
  // -1 or an index that names no image shows nothing.
  void setFrame(int frame) override;
  void setFrame(const str& name) override;
};
