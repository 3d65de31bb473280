// encrypt: the program's symmetric protection of small stored data (preference values, the
// hiscore file, handed-in configuration values): Blowfish ECB behind a Base64 text form.
#pragma once

#include <cstdint>
#include <memory>

#include "core/foundation/str.h"

class TBlowfish;

// Base64 with the standard alphabet and "=" padding. Encoding writes no terminator.
unsigned long Base64EncodeGetLength(unsigned long n);
unsigned long Base64Encode(void* dest, void const* src, unsigned long n);
// Room the decoder needs for n characters: n rounded up to a multiple of 4, times 3/4.
unsigned long Base64DecodeGetLength(unsigned long n);
// dest must hold Base64DecodeGetLength(n) bytes; returns the meaningful byte count.
// Text without its trailing "=" decodes as if it were padded; characters outside the
// alphabet (bytes of 128 and above included) are not rejected but read as invalid digits.
unsigned long Base64Decode(void* dest, void const* src, unsigned long n);

class TEncrypt
{
public:
  // The key is a 12-character Base64 text; other lengths are padded with "A" or cut, and
  // the last three characters are always "AAA".
  explicit TEncrypt(str key);
  ~TEncrypt();

  // Two-call protocol: with no output buffer, or one smaller than the result, nothing is
  // written and the needed size is returned; otherwise the result is written and 0 is
  // returned. With base64 the cipher text travels as Base64 text ending in a zero byte.
  // Input longer than kMaxInputLength is refused with an error line and answered as empty.
  unsigned int EncryptBinary(void const* in, unsigned int inLength, void* out, unsigned int outSize, bool base64);
  unsigned int DecryptBinary(void const* in, unsigned int inLength, void* out, unsigned int outSize, bool base64);
  // Whether the bytes (without Base64) can be a whole output of EncryptBinary: whole blocks
  // whose last one deciphers to the padding it writes. A cut or a changed last block fails
  // (a changed block passes by chance about once in 256); a wrong key fails the same way.
  bool IsWholeCipher(void const* in, unsigned int inLength) const;
  // Bytes delivered by the last call that wrote its output (the zero byte included).
  unsigned int GetLastSize() const { return mLastSize; }

  // The Base64 cipher text of the string and its terminating zero, and the inverse;
  // both give an empty string when there is nothing to deliver.
  str EncryptStr(str plain);
  str DecryptStr(str cipher);

  static const unsigned int kMaxInputLength = 0x40000000u;

private:
  TEncrypt(const TEncrypt&) = delete;
  TEncrypt& operator=(const TEncrypt&) = delete;

  std::unique_ptr<TBlowfish> mBlowfish;
  uint32_t mLastSize;
};
