// scene: one layer of a game screen: its image resource, its tree of objects and the Lua
// state in which their scripts run; hands sets to the objects they are meant for.
#pragma once

#include <vector>

#include "core/foundation/str.h"
#include "scene/imageresource.h"
#include "scene/sceneobjects.h"
#include "scene/scenescript.h"

class TSceneObject;
class TSetState;

class TScene
{
public:
  TScene();
  virtual ~TScene();

  // Empties the id, deletes every object and clears the image resource.
  virtual void Clear();

  const str& GetId() const { return mId; }
  void SetId(const str& id) { mId = id; }
  CanlImageResource& GetImageResource() { return mImageResource; }
  TSceneObjects& GetObjects() { return mObjects; }
  TSceneScript& GetScript() { return mScript; }

  // Depth-first over the top-level objects in order, each before its descendants.
  TSceneObject* FindObject(const str& id) const;
  // Gives the set to the first object, in depth-first order, whose id it names.
  bool ProcessStateChange(TSetState* set);

  // The visible objects of the last frame, in the order they were added.
  void ClearDrawList() { mDrawList.clear(); }
  void AddToDrawList(TSceneObject* object) { mDrawList.push_back(object); }
  const std::vector<TSceneObject*>& GetDrawList() const { return mDrawList; }

private:
  TScene(const TScene&) = delete;
  TScene& operator=(const TScene&) = delete;

  str mId;
  CanlImageResource mImageResource;
  TSceneObjects mObjects;
  std::vector<TSceneObject*> mDrawList;
  TSceneScript mScript;
};
