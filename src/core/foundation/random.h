// random: the MT19937 Mersenne Twister generator owned by the platform, the game and the
// particle systems; reproducible sequences from a seed, no OS calls.
#pragma once

#include <cstdint>

class TRandom
{
public:
  // Seeded with a fixed built-in key, so every default generator gives the same sequence.
  TRandom();

  void Seed(unsigned seed);
  // Only the low 32 bits of each key word count.
  void SeedArray(unsigned long const* key, unsigned length);
  void SeedArray(uint32_t const* key, unsigned length);

  uint32_t Rand32();
  // 53 random bits in [0, 1).
  double RandDouble();
  // In [0, 1): the largest outputs, which would round up to 1, give the float just below 1.
  float RandFloat();
  // lo to hi inclusive (lo when hi < lo).
  int RandRange(int lo, int hi);

private:
  static constexpr unsigned kStateSize = 624;
  void InitGenrand(uint32_t seed);
  void Generate();

  uint32_t mState[kStateSize];
  unsigned mIndex;
};
