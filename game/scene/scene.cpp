// scene: one layer of a game screen: its image resource, its tree of objects and the Lua
// state in which their scripts run; hands sets to the objects they are meant for.
#include "scene/scene.h"

#include "scene/sceneobject.h"

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
  return mObjects.FindObject(id);
}

bool TScene::ProcessStateChange(TSetState* set)
{
  return mObjects.ProcessStateChange(set);
}
