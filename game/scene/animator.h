// animator: the base of the animators that drive one property of a scene object over time,
// the list that owns a state's or an object's animators, and the registry of their classes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/foundation/str.h"

class TBinaryBuffer;
class TSceneObject;
class TXmlNode;

class TAnimator
{
public:
  TAnimator();
  virtual ~TAnimator() {}

  // The class name, written to XML and binary records and matched by a state's "sc".
  virtual const char* getDynamicAnimatorID() const { return "TAnimator"; }
  // The base record: the fresh word, finished, delay, loop and elapsed.
  virtual void Store(TBinaryBuffer* buffer) const;
  virtual bool Load(TBinaryBuffer* buffer);
  // "delay" and, when set, "loop".
  virtual void StoreToXML(TXmlNode* node) const;
  virtual bool LoadFromXML(TXmlNode* node);
  virtual int getStepCount() const { return 0; }
  // Restarts the animation; called whenever the animator's state is entered.
  virtual void Init();
  // Advances by ms; false when the animator has just moved its object to another state,
  // so the caller stops ticking that state's remaining animators.
  virtual bool OnTick(unsigned ms);
  virtual void OnLoopEnd() {}
  virtual void OnAnimationEnd() {}
  virtual void ObjectAnimate(int step, unsigned ms) {}
  // Whether the animator has what its tick needs: a step length and the keys of at least
  // one step. Loaders refuse animators that have not.
  virtual bool IsComplete() const { return mDelay > 0 && getStepCount() > 0; }

  void SetObject(TSceneObject* object) { mObject = object; }
  TSceneObject* GetObject() const { return mObject; }
  uint32_t GetDelay() const { return mDelay; }
  void SetDelay(uint32_t delay) { mDelay = delay; }
  bool GetLoop() const { return mLoop; }
  void SetLoop(bool loop) { mLoop = loop; }
  uint32_t GetElapsed() const { return mElapsed; }
  bool IsFinished() const { return mFinished; }

protected:
  TSceneObject* mObject;
  uint32_t mFresh;
  bool mFinished;
  uint32_t mDelay;
  bool mLoop;
  uint32_t mElapsed;
};

class TAnimators
{
public:
  TAnimators() {}
  virtual ~TAnimators();

  virtual void Store(TBinaryBuffer* buffer) const;
  // Appends; false when the record is damaged or names a class the registry does not make
  // (records carry no length, so such an entry cannot be skipped).
  virtual bool Load(TBinaryBuffer* buffer, TSceneObject* object);
  virtual void StoreToXML(TXmlNode* node) const;
  // Appends every "animator" child of a registered type that can run; the others are left
  // out with an error line.
  virtual bool LoadFromXML(TXmlNode* node, TSceneObject* object);

  void Init();
  // Ticks the animators in order; with stopAtFalse the first that answers false ends the
  // round and the answer is false.
  bool OnTick(unsigned ms, bool stopAtFalse);
  // Some animator still changes its object (looping ones never stop).
  bool IsRunning() const;
  // The first animator of that class name, or null.
  TAnimator* FindByType(const str& type) const;

  bool empty() const { return mAnimators.empty(); }
  size_t size() const { return mAnimators.size(); }
  TAnimator* at(size_t index) const { return mAnimators[index]; }
  void Append(TAnimator* animator) { mAnimators.push_back(animator); }

private:
  TAnimators(const TAnimators&) = delete;
  TAnimators& operator=(const TAnimators&) = delete;

  std::vector<TAnimator*> mAnimators;
};

typedef TAnimator* (*TAnimatorCreator)();

class TAnimatorFactory
{
public:
  virtual ~TAnimatorFactory() {}
  virtual TAnimator* Create(const char* name) = 0;
  virtual bool Register(const char* name, TAnimatorCreator creator) = 0;
  // The one registry, made on first use with the animator kinds entered.
  static TAnimatorFactory* Instance();
};

class TAnimFactory : public TAnimatorFactory
{
public:
  struct TRegisterAnimatorDef
  {
    char* mName;
    TAnimatorCreator mCreator;
  };

  TAnimFactory() {}
  ~TAnimFactory() override;
  TAnimator* Create(const char* name) override;
  // Always appends (a copy of the name); the earliest entry of a name wins on lookup.
  bool Register(const char* name, TAnimatorCreator creator) override;
  const TRegisterAnimatorDef* FindCreator(const char* name) const;

private:
  TAnimFactory(const TAnimFactory&) = delete;
  TAnimFactory& operator=(const TAnimFactory&) = delete;

  std::vector<TRegisterAnimatorDef*> mDefinitions;
};

// Enters the animator kinds into a new registry, in their fixed order.
void RegisterAnimatorKinds(TAnimatorFactory& factory);
