// zxml: builds compressed "ZXML" documents for the tests of the readers that accept them;
// talks to zlib only.
#pragma once

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

// A "ZXML" block: magic, compressed length, plain length (little-endian), zlib stream.
inline std::string MakeZxml(std::string const& plain)
{
  uLongf packedSize = compressBound(plain.size());
  std::vector<unsigned char> packed(packedSize);
  EXPECT_EQ(Z_OK, compress(packed.data(), &packedSize, (Bytef const*)plain.data(), plain.size()));
  std::string block = "ZXML";
  uint32_t lengths[2] = {(uint32_t)packedSize, (uint32_t)plain.size()};
  for (uint32_t value : lengths)
    for (int shift = 0; shift < 32; shift += 8)
      block += (char)((value >> shift) & 0xFF);
  block.append((char const*)packed.data(), packedSize);
  return block;
}
