// action: a mouse action of a scene object: the sets it gives to objects of the scene and
// the Lua script it runs, read from the object's "on_mouse_..." elements.
#pragma once

#include "core/foundation/str.h"
#include "scene/setstate.h"

class TBinaryBuffer;
class TSceneObject;
class TXmlNode;

class CanlAction
{
public:
  CanlAction() {}
  virtual ~CanlAction() {}
  virtual void Store(TBinaryBuffer* buffer) const;
  virtual bool Load(TBinaryBuffer* buffer);
  // A "sets" child when there are sets, then a "script" child when there is a script.
  virtual void StoreToXML(TXmlNode* node) const;
  virtual bool LoadFromXML(TXmlNode* node, TSceneObject* owner);

  str mScript;
  TSetStates mSets;

private:
  CanlAction(const CanlAction&) = delete;
  CanlAction& operator=(const CanlAction&) = delete;
};
