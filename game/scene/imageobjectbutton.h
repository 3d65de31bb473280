// imageobjectbutton: an image object that behaves like a push button in a scene: while the
// mouse is held down on it, its text label sinks by 2 pixels.
#pragma once

#include "scene/imageobject.h"

class TTextObject;

class TImageObjectButton : public TImageObject
{
public:
  static CanlBaseClass* Create() { return new TImageObjectButton; }

  const char* getDynamicId() const override { return "TImageObjectButton"; }
  bool OnMouseDown(const TPoint& point) override;
  bool OnMouseUp(const TPoint& point) override;

private:
  // The first child, in child order, that is a text object.
  TTextObject* Label() const;
};
