// recordbytes: builds the expected bytes of a saved record (little-endian numbers, strings
// as a 32-bit length and the bytes) and fills buffers to read from, for byte-exact tests.
#pragma once

#include <cstdint>
#include <string>

#include "scene/binarybuffer.h"
#include "support/scenetestutil.h"

class TRecordBytes
{
public:
  TRecordBytes& U32(uint32_t value)
  {
    for (int i = 0; i < 4; ++i) {
      mBytes.push_back(char((value >> (8 * i)) & 0xFF));
    }
    return *this;
  }
  TRecordBytes& I32(int32_t value) { return U32(uint32_t(value)); }
  TRecordBytes& Byte(unsigned char value)
  {
    mBytes.push_back(char(value));
    return *this;
  }
  TRecordBytes& Str(const std::string& text)
  {
    U32(uint32_t(text.size()));
    mBytes += text;
    return *this;
  }
  const std::string& Get() const { return mBytes; }

private:
  std::string mBytes;
};

// A buffer positioned at the start of the bytes, ready to be read.
inline void FillBuffer(TBinaryBuffer& buffer, const std::string& bytes)
{
  buffer.Write(bytes.data(), bytes.size());
  buffer.mPosition = 0;
}
