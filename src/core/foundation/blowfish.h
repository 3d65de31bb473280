// blowfish: the Blowfish block cipher (64-bit blocks, 16 rounds, big-endian halves) in ECB
// mode with byte-count padding; the cipher under TEncrypt, used by nothing else directly.
#pragma once

#include <cstdint>

class TBlowfish
{
public:
  TBlowfish();
  ~TBlowfish();

  // The standard key schedule over keyLength bytes of key (used cyclically).
  void Init(unsigned char const* key, int keyLength);

  // Pads with p = 8 - (length mod 8) bytes of value p and enciphers block by block.
  // Returns a new array (release with delete[]) and stores its length in *outLength.
  char* EncryptString(char const* data, int length, int* outLength) const;
  // Deciphers and strips the padding. Input that cannot be ours (empty, or a pad
  // count outside 1..8 or longer than the data) gives an empty result, never a fault.
  // Returns a new array (release with delete[]) and stores its length in *outLength.
  char* DecryptString(char const* data, int length, int* outLength) const;

  void EncipherBlock(uint32_t* left, uint32_t* right) const;
  void DecipherBlock(uint32_t* left, uint32_t* right) const;

private:
  TBlowfish(const TBlowfish&) = delete;
  TBlowfish& operator=(const TBlowfish&) = delete;

  uint32_t Feistel(uint32_t half) const;

  uint32_t mP[18];
  uint32_t mS[4][256];
};
