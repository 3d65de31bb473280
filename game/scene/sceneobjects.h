// sceneobjects: an owned list of scene objects (a scene's top level or an object's
// children), read from "objects" elements and binary lists, objects made by class name.
#pragma once

#include <cstddef>
#include <vector>

#include "core/foundation/str.h"

class TBinaryBuffer;
class TScene;
class TSceneObject;
class TSetState;
class TXmlNode;

class TSceneObjects
{
public:
  TSceneObjects() {}
  virtual ~TSceneObjects();

  // u32 count, then per object its class name and its record.
  virtual void Store(TBinaryBuffer* buffer) const;
  // Appends; false when the record is damaged or names a class the factory does not make
  // (records carry no length, so the rest of the list cannot be found).
  virtual bool Load(TBinaryBuffer* buffer, TScene* scene, TSceneObject* parent);
  // One "object" child per object, "type" set to its class name.
  virtual void StoreToXML(TXmlNode* node) const;
  // Every "object" child; an unknown or missing "type" gives an image object.
  virtual bool LoadFromXML(TXmlNode* node, TScene* scene, TSceneObject* parent);

  // Deletes every object.
  void Clear();
  // The first direct member with that id, or null.
  TSceneObject* getObject(const str& id) const;
  // Depth-first over the members in order, each before its own descendants.
  TSceneObject* FindObject(const str& id) const;
  // Offers the set to each member's subtree in order; true once an object took it.
  bool ProcessStateChange(TSetState* set) const;

  bool empty() const { return mObjects.empty(); }
  size_t size() const { return mObjects.size(); }
  TSceneObject* at(size_t index) const { return mObjects[index]; }
  // Appends (and owns) an object.
  void Append(TSceneObject* object) { mObjects.push_back(object); }

private:
  TSceneObjects(const TSceneObjects&) = delete;
  TSceneObjects& operator=(const TSceneObjects&) = delete;

  std::vector<TSceneObject*> mObjects;
};
