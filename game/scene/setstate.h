// setstate: a set, the properties an action or a state change gives to one object of the
// scene (by its id), and the list of sets a state or an action carries.
#pragma once

#include <cstddef>
#include <vector>

#include "core/foundation/str.h"
#include "scene/initparam.h"

class TBinaryBuffer;
class TSceneObject;
class TXmlNode;

class TSetState
{
public:
  TSetState() {}
  virtual ~TSetState() {}
  virtual void Store(TBinaryBuffer* buffer) const;
  virtual bool Load(TBinaryBuffer* buffer);
  virtual void StoreToXML(TXmlNode* node) const;
  virtual bool LoadFromXML(TXmlNode* node);

  // The id of the object the set is for.
  str mObject;
  TInitParam mParams;
};

class TSetStates
{
public:
  TSetStates() {}
  virtual ~TSetStates();
  virtual void Store(TBinaryBuffer* buffer) const;
  // Appends; false when the record is damaged.
  virtual bool Load(TBinaryBuffer* buffer);
  // One "set" child per set.
  virtual void StoreToXML(TXmlNode* node) const;
  // Every "set" child; a set without "object" acts on the owner.
  virtual bool LoadFromXML(TXmlNode* node, TSceneObject* owner);

  bool empty() const { return mSets.empty(); }
  size_t size() const { return mSets.size(); }
  TSetState* at(size_t index) const { return mSets[index]; }
  void Append(TSetState* set) { mSets.push_back(set); }

private:
  TSetStates(const TSetStates&) = delete;
  TSetStates& operator=(const TSetStates&) = delete;

  std::vector<TSetState*> mSets;
};
