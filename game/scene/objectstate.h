// objectstate: a named state of a scene object (properties taken on entry, animators, the
// next state, sets and a Lua script) and the object's list of states.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/foundation/str.h"
#include "scene/animator.h"
#include "scene/initparam.h"
#include "scene/setstate.h"

class TBinaryBuffer;
class TSceneObject;
class TXmlNode;

class TSceneObjectState
{
public:
  explicit TSceneObjectState(TSceneObject* owner);
  virtual ~TSceneObjectState() {}
  virtual void Store(TBinaryBuffer* buffer) const;
  // False when the record is damaged or cut short.
  virtual bool Load(TBinaryBuffer* buffer);
  virtual void StoreToXML(TXmlNode* node) const;
  // False for an element not named "st".
  virtual bool LoadFromXML(TXmlNode* node);

  TSceneObject* mOwner;
  // One of this state's animators; its end moves the owner to the next state.
  TAnimator* mMainAnimator;
  str mName;
  int32_t mNextState;
  str mNextStateName;
  TInitParam mParams;
  // The image index of the properties' frame when the state was read.
  int32_t mFrame;
  TAnimators mAnimators;
  TSetStates mSets;
  uint32_t mDelay;
  str mScript;

private:
  TSceneObjectState(const TSceneObjectState&) = delete;
  TSceneObjectState& operator=(const TSceneObjectState&) = delete;
};

class TSceneObjectStates
{
public:
  TSceneObjectStates() {}
  virtual ~TSceneObjectStates();
  virtual void Store(TBinaryBuffer* buffer) const;
  // Appends; next-state indices outside the list become -1.
  virtual bool Load(TBinaryBuffer* buffer, TSceneObject* owner);
  virtual void StoreToXML(TXmlNode* node) const;
  // Every "st" child in document order, then the next states resolved by name.
  virtual bool LoadFromXML(TXmlNode* node, TSceneObject* owner);
  // Resolves each state's next-state name to the first state of that name (-1 for none).
  void set_next_state();

  int size() const { return static_cast<int>(mStates.size()); }
  bool empty() const { return mStates.empty(); }
  // Null when the index is out of range.
  TSceneObjectState* at(int index) const
  {
    return index >= 0 && index < size() ? mStates[static_cast<size_t>(index)] : nullptr;
  }
  int IndexOf(const str& name) const;

private:
  TSceneObjectStates(const TSceneObjectStates&) = delete;
  TSceneObjectStates& operator=(const TSceneObjectStates&) = delete;

  std::vector<TSceneObjectState*> mStates;
};
