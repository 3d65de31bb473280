// paramset: offsets of a float-vector table kept as running sums of the entry widths;
// used by the particle machine (particlefunction) and the Lua particle system.
#include "core/particles/paramset.h"

TParamSet::TParamSet() : mValues(nullptr), mSizes(nullptr), mCount(0), mCapacity(0)
{
  mOffsets[0] = 0;
}

TParamSet::TParamSet(float* values, uint8_t* sizes, unsigned n) : mValues(values), mSizes(sizes)
{
  if (n > kMaxEntries)
    n = kMaxEntries;
  mCount = mCapacity = n;
  mOffsets[0] = 0;
  for (unsigned i = 0; i < n; ++i)
    mOffsets[i + 1] = mOffsets[i] + mSizes[i];
}

bool TParamSet::ResetPartial(unsigned first, const uint8_t* widths, unsigned n)
{
  if (first > mCapacity || n > mCapacity - first)
    return false;
  mCount = first + n;
  for (unsigned i = 0; i < n; ++i) {
    mSizes[first + i] = widths[i];
    mOffsets[first + i + 1] = mOffsets[first + i] + widths[i];
  }
  return true;
}
