// imageobjectbutton: an image object that behaves like a push button in a scene: while the
// mouse is held down on it, its text label sinks by 2 pixels.
#include "scene/imageobjectbutton.h"

#include "scene/textobject.h"

TTextObject* TImageObjectButton::Label() const
{
  for (size_t i = 0; i < mChildren.size(); ++i)
    if (TTextObject* label = dynamic_cast<TTextObject*>(mChildren.at(i)))
      return label;
  return nullptr;
}

bool TImageObjectButton::OnMouseDown(const TPoint& point)
{
  if (TTextObject* label = Label())
    label->setPosition(label->GetPosition() + TVec2(0, 2), true);
  TSceneObject::OnMouseDown(point);
  return true;
}

bool TImageObjectButton::OnMouseUp(const TPoint& point)
{
  if (TTextObject* label = Label())
    label->setPosition(label->GetPosition() - TVec2(0, 2), true);
  TSceneObject::OnMouseUp(point);
  return true;
}
