// random: MT19937 after its authors' 2002 reference code (single-word and by-array
// seeding, tempering, 53-bit doubles); no dependencies.
#include "core/foundation/random.h"

namespace {
const unsigned kShift = 397;
const uint32_t kMatrixA = 0x9908B0DFu;
const uint32_t kUpperMask = 0x80000000u;
const uint32_t kLowerMask = 0x7FFFFFFFu;

const uint32_t kDefaultKey[4] = {0xD4C4CF4Bu, 0x3E2019A7u, 0xE6489797u, 0x5746FCB5u};
} // namespace

TRandom::TRandom()
{
  SeedArray(kDefaultKey, 4);
}

void TRandom::InitGenrand(uint32_t seed)
{
  mState[0] = seed;
  for (unsigned i = 1; i < kStateSize; ++i)
    mState[i] = 1812433253u * (mState[i - 1] ^ (mState[i - 1] >> 30)) + i;
  mIndex = kStateSize;
}

void TRandom::Seed(unsigned seed)
{
  InitGenrand(seed);
}

void TRandom::SeedArray(uint32_t const* key, unsigned length)
{
  InitGenrand(19650218u);
  // Without a key the reference code would read key[0]; an empty key is taken as {0}.
  static const uint32_t kZero = 0;
  if (!key || length == 0) {
    key = &kZero;
    length = 1;
  }
  unsigned i = 1, j = 0;
  unsigned k = kStateSize > length ? kStateSize : length;
  for (; k; --k) {
    mState[i] = (mState[i] ^ ((mState[i - 1] ^ (mState[i - 1] >> 30)) * 1664525u)) + key[j] + j;
    ++i;
    ++j;
    if (i >= kStateSize) {
      mState[0] = mState[kStateSize - 1];
      i = 1;
    }
    if (j >= length)
      j = 0;
  }
  for (k = kStateSize - 1; k; --k) {
    mState[i] = (mState[i] ^ ((mState[i - 1] ^ (mState[i - 1] >> 30)) * 1566083941u)) - i;
    ++i;
    if (i >= kStateSize) {
      mState[0] = mState[kStateSize - 1];
      i = 1;
    }
  }
  mState[0] = 0x80000000u;
  mIndex = kStateSize;
}

void TRandom::SeedArray(unsigned long const* key, unsigned length)
{
  uint32_t words[kStateSize];
  // Keys longer than the state are folded in by the reference loop too, so copy in chunks.
  if (!key || length == 0) {
    SeedArray(static_cast<uint32_t const*>(nullptr), 0);
    return;
  }
  if (length <= kStateSize) {
    for (unsigned n = 0; n < length; ++n)
      words[n] = (uint32_t)key[n];
    SeedArray(words, length);
    return;
  }
  uint32_t* all = new uint32_t[length];
  for (unsigned n = 0; n < length; ++n)
    all[n] = (uint32_t)key[n];
  SeedArray(all, length);
  delete[] all;
}

void TRandom::Generate()
{
  static const uint32_t kMag01[2] = {0, kMatrixA};
  unsigned i = 0;
  for (; i < kStateSize - kShift; ++i) {
    uint32_t y = (mState[i] & kUpperMask) | (mState[i + 1] & kLowerMask);
    mState[i] = mState[i + kShift] ^ (y >> 1) ^ kMag01[y & 1];
  }
  for (; i < kStateSize - 1; ++i) {
    uint32_t y = (mState[i] & kUpperMask) | (mState[i + 1] & kLowerMask);
    mState[i] = mState[i + kShift - kStateSize] ^ (y >> 1) ^ kMag01[y & 1];
  }
  uint32_t y = (mState[kStateSize - 1] & kUpperMask) | (mState[0] & kLowerMask);
  mState[kStateSize - 1] = mState[kShift - 1] ^ (y >> 1) ^ kMag01[y & 1];
  mIndex = 0;
}

uint32_t TRandom::Rand32()
{
  if (mIndex >= kStateSize)
    Generate();
  uint32_t y = mState[mIndex++];
  y ^= y >> 11;
  y ^= (y << 7) & 0x9D2C5680u;
  y ^= (y << 15) & 0xEFC60000u;
  y ^= y >> 18;
  return y;
}

double TRandom::RandDouble()
{
  uint32_t a = Rand32() >> 5;
  uint32_t b = Rand32() >> 6;
  return (a * 67108864.0 + b) * (1.0 / 9007199254740992.0);
}

float TRandom::RandFloat()
{
  float value = (float)(Rand32() * 2.3283063671497593e-10);
  // The top outputs round up to exactly 1 in float; callers index arrays with it.
  if (value >= 1.0f)
    value = 0.99999994f;
  return value;
}

int TRandom::RandRange(int lo, int hi)
{
  double r = RandDouble();
  if (hi < lo)
    return lo;
  long long span = (long long)hi - lo + 1;
  return (int)(lo + (long long)(span * r));
}
