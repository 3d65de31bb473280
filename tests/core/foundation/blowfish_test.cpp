// blowfish_test: the cipher against published known-answer vectors, the key schedule's
// cyclic key use, and the padding rules of the string forms.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "core/foundation/blowfish.h"

namespace {

struct TVector
{
  char const* key;
  char const* plain;
  char const* cipher;
};

// Classic ECB vectors of the published algorithm (8-byte keys).
TVector const kEcbVectors[] = {
    {"0000000000000000", "0000000000000000", "4EF997456198DD78"},
    {"FFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF", "51866FD5B85ECB8A"},
    {"3000000000000000", "1000000000000001", "7D856F9A613063F2"},
    {"1111111111111111", "1111111111111111", "2466DD878B963C9D"},
    {"0123456789ABCDEF", "1111111111111111", "61F9C3802281B096"},
    {"FEDCBA9876543210", "0123456789ABCDEF", "0ACEAB0FC6A0A28D"},
    {"7CA110454A1A6E57", "01A1D6D039776742", "59C68245EB05282B"},
    {"0131D9619DC1376E", "5CD54CA83DEF57DA", "B1B8CC0B250F09A0"},
};

std::string Unhex(char const* hex)
{
  std::string bytes;
  for (size_t i = 0; hex[i] && hex[i + 1]; i += 2)
    bytes += (char)std::stoi(std::string(hex + i, 2), nullptr, 16);
  return bytes;
}

uint32_t Word(std::string const& bytes, size_t at)
{
  return (uint32_t((unsigned char)bytes[at]) << 24) | (uint32_t((unsigned char)bytes[at + 1]) << 16) |
         (uint32_t((unsigned char)bytes[at + 2]) << 8) | uint32_t((unsigned char)bytes[at + 3]);
}

std::string Hex(char const* bytes, int n)
{
  std::string text;
  char digits[3];
  for (int i = 0; i < n; ++i) {
    std::snprintf(digits, sizeof(digits), "%02x", (unsigned char)bytes[i]);
    text += digits;
  }
  return text;
}

} // namespace

TEST(Blowfish, PublishedEcbVectorsEncipherAndDecipher)
{
  TBlowfish cipher;
  for (TVector const& vector : kEcbVectors) {
    std::string const key = Unhex(vector.key);
    std::string const plain = Unhex(vector.plain);
    std::string const expected = Unhex(vector.cipher);
    cipher.Init(reinterpret_cast<unsigned char const*>(key.data()), (int)key.size());

    uint32_t left = Word(plain, 0), right = Word(plain, 4);
    cipher.EncipherBlock(&left, &right);
    EXPECT_EQ(left, Word(expected, 0)) << vector.key;
    EXPECT_EQ(right, Word(expected, 4)) << vector.key;

    cipher.DecipherBlock(&left, &right);
    EXPECT_EQ(left, Word(plain, 0)) << vector.key;
    EXPECT_EQ(right, Word(plain, 4)) << vector.key;
  }
}

TEST(Blowfish, KeyIsUsedCyclicallyAndReInitReplacesTheOldKey)
{
  // A 4-byte key repeated to 8 bytes gives the same schedule as the 4 bytes alone.
  unsigned char const shortKey[4] = {1, 2, 3, 4};
  unsigned char const repeated[8] = {1, 2, 3, 4, 1, 2, 3, 4};
  TBlowfish a, b;
  a.Init(repeated, 8);
  b.Init(shortKey, 4);
  b.Init(shortKey, 4);
  uint32_t la = 5, ra = 6, lb = 5, rb = 6;
  a.EncipherBlock(&la, &ra);
  b.EncipherBlock(&lb, &rb);
  EXPECT_EQ(la, lb);
  EXPECT_EQ(ra, rb);
}

TEST(Blowfish, StringFormBlocksAreBigEndianHalvesWithCountPadding)
{
  // Nine zero key bytes and the block of eight 8s (the padding of empty input).
  unsigned char const key[9] = {0};
  TBlowfish cipher;
  cipher.Init(key, 9);
  int length = -1;
  std::unique_ptr<char[]> empty(cipher.EncryptString("", 0, &length));
  ASSERT_EQ(length, 8);
  EXPECT_EQ(Hex(empty.get(), 8), "b0d4acb28aa5ebe3");

  std::unique_ptr<char[]> full(cipher.EncryptString("12345678", 8, &length));
  EXPECT_EQ(length, 16);
  // The second block is the whole pad block, enciphered like the empty input.
  EXPECT_EQ(Hex(full.get() + 8, 8), "b0d4acb28aa5ebe3");

  for (int n = 0; n <= 17; ++n) {
    std::string const plain(std::string("abcdefghijklmnopq").substr(0, n));
    std::unique_ptr<char[]> sealed(cipher.EncryptString(plain.data(), n, &length));
    EXPECT_EQ(length, n / 8 * 8 + 8);
    int opened = -1;
    std::unique_ptr<char[]> back(cipher.DecryptString(sealed.get(), length, &opened));
    ASSERT_EQ(opened, n);
    EXPECT_EQ(std::string(back.get(), opened), plain);
  }
}

TEST(Blowfish, DecryptOfEmptyOrForeignDataGivesEmptyResult)
{
  unsigned char const key[9] = {7};
  TBlowfish cipher;
  cipher.Init(key, 9);
  int length = -1;
  std::unique_ptr<char[]> none(cipher.DecryptString("", 0, &length));
  EXPECT_EQ(length, 0);
  std::unique_ptr<char[]> null(cipher.DecryptString(nullptr, 0, &length));
  EXPECT_EQ(length, 0);

  // Encipher a block whose last byte is an impossible pad count (0, 9, 200).
  for (unsigned char pad : {0, 9, 200}) {
    unsigned char block[8] = {1, 2, 3, 4, 5, 6, 7, pad};
    uint32_t left = Word(std::string((char*)block, 8), 0), right = Word(std::string((char*)block, 8), 4);
    cipher.EncipherBlock(&left, &right);
    unsigned char sealed[8];
    for (int i = 0; i < 4; ++i) {
      sealed[i] = (unsigned char)(left >> (24 - 8 * i));
      sealed[4 + i] = (unsigned char)(right >> (24 - 8 * i));
    }
    length = -1;
    std::unique_ptr<char[]> back(cipher.DecryptString((char*)sealed, 8, &length));
    EXPECT_EQ(length, 0) << int(pad);
  }

  // Data shorter than a block deciphers its zero-filled block without reading past it.
  std::unique_ptr<char[]> shortData(cipher.DecryptString("abc", 3, &length));
  EXPECT_GE(length, 0);
  EXPECT_LE(length, 3);
}
