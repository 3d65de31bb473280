// maskobject: an image object that also darkens the whole 800 x 600 screen outside its own
// rectangle, for spotlight effects; draws the darkness as one triangle strip.
#pragma once

#include "core/graphics/renderer.h"
#include "scene/imageobject.h"

class TMaskObject : public TImageObject
{
public:
  TMaskObject();
  static CanlBaseClass* Create() { return new TMaskObject; }

  const char* getDynamicId() const override { return "TMaskObject"; }
  using TImageObject::Draw;
  void Draw(TSceneRenderer& renderer) override;

private:
  TMaterial mMaterial;
};
