// particlecollection: the record pool and the live and free lists of a particle system;
// the system moves list nodes between the two, so spawning and expiring never allocate.
#include "core/particles/particlecollection.h"

#include <cstddef>

TParticleCollection::TParticleCollection()
    : mPool(nullptr), mMaxParticles(0), mStrideBytes(0), mExternalPool(false), mCount(0)
{}

TParticleCollection::~TParticleCollection()
{
  Reset();
}

void TParticleCollection::InitNumParticles(int n, int stride, float* pool)
{
  Reset();
  if (stride < 0)
    stride = 0;
  mStrideBytes = stride * (int)sizeof(float);
  if (n < 1)
    return;
  if (pool) {
    mPool = pool;
    mExternalPool = true;
  } else {
    mPool = new float[(std::size_t)n * (std::size_t)stride]();
    mExternalPool = false;
  }
  mMaxParticles = n;
  for (int i = 0; i < n; ++i)
    mFree.push_back(mPool + (std::size_t)i * (std::size_t)stride);
}

void TParticleCollection::Reset()
{
  if (!mExternalPool)
    delete[] mPool;
  mPool = nullptr;
  mMaxParticles = 0;
  mStrideBytes = 0;
  mExternalPool = false;
  mCount = 0;
  mLive.clear();
  mFree.clear();
}
