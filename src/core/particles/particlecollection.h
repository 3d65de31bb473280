// particlecollection: the particle records of one particle system: a pool of fixed-size
// float records split into a live list and a free list; filled by TLuaParticleSystem.
#pragma once

#include <list>

class TParticleCollection
{
public:
  TParticleCollection();
  virtual ~TParticleCollection();

  // n records of stride floats, from pool when given (not owned) or allocated here; all
  // of them free. n below 1 makes no records.
  void InitNumParticles(int n, int stride, float* pool);
  void Reset();
  int GetCount() const { return mCount; }

  float* mPool;
  int mMaxParticles;
  int mStrideBytes;
  bool mExternalPool;
  std::list<float*> mLive;
  std::list<float*> mFree;
  int mCount;

private:
  TParticleCollection(const TParticleCollection&) = delete;
  TParticleCollection& operator=(const TParticleCollection&) = delete;
};
