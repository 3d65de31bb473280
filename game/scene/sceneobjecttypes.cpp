// sceneobjecttypes: the scene's own object classes, entered into the object factory's
// registry in their fixed order when it is first used.
#include "scene/imageobject.h"
#include "scene/imageobjectbutton.h"
#include "scene/maskobject.h"
#include "scene/objectfactory.h"
#include "scene/textobject.h"

void RegisterSceneObjectTypes(CanlFactory& factory)
{
  factory.Register("TImageObject", &TImageObject::Create);
  factory.Register("TMaskObject", &TMaskObject::Create);
  factory.Register("TTextObject", &TTextObject::Create);
  factory.Register("TImageObjectButton", &TImageObjectButton::Create);
}
