// sound: named sound assets ("name?group=N") that play copies of themselves as instances
// over streams, pause and stop them, and deliver completion callbacks; talks to the
// asset registry, the data-source factory and the sound manager.
#pragma once

#include <set>

#include <boost/shared_ptr.hpp>

#include "core/foundation/asset.h"
#include "core/foundation/str.h"
#include "core/sound/soundcallback.h"
#include "core/sound/sounddatasource.h"
#include "platform/sound/soundstream.h"

class TSound;
class TSoundInstance;

// What the streams of one sound report to.
class TSoundData : public TStreamNotify
{
public:
  void StreamFinished(TSoundStream* stream) override;

  std::set<boost::shared_ptr<TSoundInstance>> mInstances;
  int mGroup = 0;
  boost::shared_ptr<TSoundDataSource> mSource;
  str mName;
  TSound* mSound = nullptr;
};

class TSound : public TAsset
{
public:
  static intptr_t ClassId();
  const char* GetTypeName() const override { return "TSound"; }
  bool IsKindOf(intptr_t classId) const override { return classId == ClassId() || TAsset::IsKindOf(classId); }

  TSound();
  ~TSound() override;

  // The one live sound of the name, flag and group; empty only for an empty name. A name
  // may end in "?group=N", which overrides group.
  static boost::shared_ptr<TSound> Get(str name, bool inMemory, int group);
  static boost::shared_ptr<TSound> InternalGet(str handle);
  static boost::shared_ptr<TSound> InternalNew(str handle);

  // A new playing copy; empty when the sound has no data or there is no sound manager.
  boost::shared_ptr<TSoundInstance> Play(bool loop);
  // False when the sound has no instance.
  bool Pause(bool pause);
  // True when at least one instance was stopped.
  bool Kill();
  // Stops one instance without reporting its completion.
  bool KillInstance(boost::shared_ptr<TSoundInstance> instance);
  void SetCompleteAction(boost::shared_ptr<TSoundInstance> instance, TSoundCallBack* callback,
                         boost::shared_ptr<TSound> next);
  float GetSoundLength();
  str GetName();
  boost::shared_ptr<TSound> GetRef();

  boost::shared_ptr<TSoundData> GetData() const { return mData; }

private:
  boost::shared_ptr<TSoundData> mData;
};
