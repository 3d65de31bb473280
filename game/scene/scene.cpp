// scene: one layer of a game screen: its image resource, its tree of objects and the Lua
// state in which their scripts run; hands sets to the objects they are meant for.
#include "scene/scene.h"

#include "scene/sceneobject.h"
#include "scene/setstate.h"

TScene::TScene() {}

TScene::~TScene()
{
  Clear();
}

void TScene::Clear()
{
  mId = str();
  mDrawList.clear();
  mObjects.Clear();
  mImageResource.Clear();
}

TSceneObject* TScene::FindObject(const str& id) const
{
  for (size_t i = 0; i < mObjects.size(); ++i)
  {
    TSceneObject* object = mObjects.at(i);
    if (object->GetId() == id)
      return object;
    if (TSceneObject* found = object->FindObject(id))
      return found;
  }
  return nullptr;
}

bool TScene::ProcessStateChange(TSetState* set)
{
  // By index: the set's state change may run scripts that change other objects' states.
  for (size_t i = 0; i < mObjects.size(); ++i)
    if (mObjects.at(i)->ProcessStateChange(set))
      return true;
  return false;
}
