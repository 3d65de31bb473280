// paramset: a table of float vectors (widths 1 to 4) laid end to end in one float array;
// the particle record and the particle machine's evaluation stack are both seen through it.
#pragma once

#include <cstdint>

struct TParamSet
{
  // Entries a set can describe (its offset table has one more slot for the end).
  static constexpr unsigned kMaxEntries = 255;

  float* mValues;
  uint8_t* mSizes;
  uint32_t mOffsets[kMaxEntries + 1];
  uint32_t mCount;
  uint32_t mCapacity;

  TParamSet();
  // Widths and values are not owned; n is held to kMaxEntries.
  TParamSet(float* values, uint8_t* sizes, unsigned n);

  // Replaces the entries from first on by n entries of the given widths; false (and
  // nothing changed) when they would not fit the set's capacity.
  bool ResetPartial(unsigned first, const uint8_t* widths, unsigned n);

  float* Entry(unsigned i) const { return mValues + mOffsets[i]; }
  unsigned Width(unsigned i) const { return mSizes[i]; }
  // Floats covered by the entries in use.
  unsigned FloatCount() const { return mOffsets[mCount]; }
};
