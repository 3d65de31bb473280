// encrypt_test: Base64 coding, the key normalisation, the two-call size protocol and the
// string round trips of TEncrypt.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/foundation/encrypt.h"

namespace {

std::string Encode(std::string const& bytes)
{
  std::vector<char> text(Base64EncodeGetLength(bytes.size()) + 1, '#');
  unsigned long const n = Base64Encode(text.data(), bytes.data(), bytes.size());
  EXPECT_EQ(n, Base64EncodeGetLength(bytes.size()));
  EXPECT_EQ(text[n], '#') << "no terminator is written";
  return std::string(text.data(), n);
}

std::string Decode(std::string const& text)
{
  std::vector<char> bytes(Base64DecodeGetLength(text.size()) + 1);
  unsigned long const n = Base64Decode(bytes.data(), text.data(), text.size());
  EXPECT_LE(n, Base64DecodeGetLength(text.size()));
  return std::string(bytes.data(), n);
}

std::string SealBinary(TEncrypt& crypt, std::string const& plain, bool base64)
{
  unsigned int const size = crypt.EncryptBinary(plain.data(), plain.size(), nullptr, 0, base64);
  std::vector<char> out(size);
  EXPECT_EQ(crypt.EncryptBinary(plain.data(), plain.size(), out.data(), size, base64), 0u);
  EXPECT_EQ(crypt.GetLastSize(), size);
  return std::string(out.data(), size);
}

std::string OpenBinary(TEncrypt& crypt, std::string const& sealed, bool base64)
{
  unsigned int const size = crypt.DecryptBinary(sealed.data(), sealed.size(), nullptr, 0, base64);
  std::vector<char> out(size + 1);
  EXPECT_EQ(crypt.DecryptBinary(sealed.data(), sealed.size(), out.data(), size, base64), 0u);
  EXPECT_EQ(crypt.GetLastSize(), size);
  return std::string(out.data(), size);
}

} // namespace

TEST(Base64, StandardEncodingWithPadding)
{
  EXPECT_EQ(Encode(""), "");
  EXPECT_EQ(Encode("f"), "Zg==");
  EXPECT_EQ(Encode("fo"), "Zm8=");
  EXPECT_EQ(Encode("foo"), "Zm9v");
  EXPECT_EQ(Encode("foobar"), "Zm9vYmFy");
  EXPECT_EQ(Encode(std::string("\xfb\xff\x00", 3)), "+/8A");
  EXPECT_EQ(Base64EncodeGetLength(0), 0u);
  EXPECT_EQ(Base64EncodeGetLength(4), 8u);
}

TEST(Base64, DecodingRoundTripsAndTreatsMissingPaddingAsPresent)
{
  std::string all;
  for (int i = 0; i < 256; ++i)
    all += (char)i;
  for (size_t n = 0; n <= all.size(); n += 37)
    EXPECT_EQ(Decode(Encode(all.substr(0, n))), all.substr(0, n));

  EXPECT_EQ(Base64DecodeGetLength(6), 6u);
  EXPECT_EQ(Base64DecodeGetLength(8), 6u);
  EXPECT_EQ(Decode("Zm9vYm").size(), 4u);  // six characters
  EXPECT_EQ(Decode("Zm9vYmE").size(), 5u); // seven characters
  EXPECT_EQ(Decode("Zm9vYmE"), "fooba");
  EXPECT_EQ(Decode("Zm9vYg"), Decode("Zm9vYg=="));
}

TEST(Base64, BytesOutsideSevenBitsAreInvalidDigitsNotTableReads)
{
  // Every high byte reads like any other character outside the alphabet.
  for (int c = 128; c < 256; ++c) {
    std::string text = "Zm9v" + std::string(4, (char)c);
    std::string same = "Zm9v" + std::string(4, '!');
    EXPECT_EQ(Decode(text), Decode(same)) << c;
  }
}

TEST(TEncrypt, KeyIsNormalisedToTwelveCharactersEndingInAAA)
{
  TEncrypt shortKey("Ab3x9");
  TEncrypt padded("Ab3x9AAAAAAA");
  TEncrypt longKey("Ab3x9AAAAAAAextra");
  TEncrypt suffixed("Ab3x9AAAAzz+");
  TEncrypt other("Zb3x9AAAAAAA");
  str const sealed = padded.EncryptStr("secret");
  EXPECT_EQ(shortKey.EncryptStr("secret"), sealed);
  EXPECT_EQ(longKey.EncryptStr("secret"), sealed);
  EXPECT_EQ(suffixed.EncryptStr("secret"), sealed);
  EXPECT_NE(other.EncryptStr("secret"), sealed);
}

TEST(TEncrypt, BinarySizesFollowThePaddingRule)
{
  TEncrypt crypt("QuorvantKey1");
  EXPECT_EQ(crypt.EncryptBinary("", 0, nullptr, 0, false), 8u);
  EXPECT_EQ(crypt.EncryptBinary("1234567", 7, nullptr, 0, false), 8u);
  EXPECT_EQ(crypt.EncryptBinary("12345678", 8, nullptr, 0, false), 16u);
  // Base64 of 16 bytes is 24 characters, plus the terminating zero.
  EXPECT_EQ(crypt.EncryptBinary("12345678", 8, nullptr, 0, true), 25u);

  std::string const sealed = SealBinary(crypt, "", false);
  ASSERT_EQ(sealed.size(), 8u);
  EXPECT_EQ(OpenBinary(crypt, sealed, false), "");
}

TEST(TEncrypt, TwoCallProtocolWritesOnlyIntoLargeEnoughBuffers)
{
  TEncrypt crypt("QuorvantKey1");
  std::string const plain = "twelve bytes";
  unsigned int const needed = crypt.EncryptBinary(plain.data(), plain.size(), nullptr, 0, true);
  ASSERT_EQ(needed, 25u);

  std::vector<char> small(needed - 1, '#');
  EXPECT_EQ(crypt.EncryptBinary(plain.data(), plain.size(), small.data(), needed - 1, true), needed);
  EXPECT_EQ(std::string(small.begin(), small.end()), std::string(needed - 1, '#'));
  EXPECT_EQ(crypt.GetLastSize(), 0u) << "nothing delivered yet";

  std::vector<char> exact(needed, '#');
  EXPECT_EQ(crypt.EncryptBinary(plain.data(), plain.size(), exact.data(), needed, true), 0u);
  EXPECT_EQ(crypt.GetLastSize(), needed);
  EXPECT_EQ(exact[needed - 1], '\0');
  EXPECT_EQ(std::strlen(exact.data()), needed - 1);

  unsigned int const plainSize = crypt.DecryptBinary(exact.data(), needed - 1, nullptr, 0, true);
  ASSERT_EQ(plainSize, plain.size());
  std::vector<char> tooSmall(plainSize - 1, '#');
  EXPECT_EQ(crypt.DecryptBinary(exact.data(), needed - 1, tooSmall.data(), plainSize - 1, true), plainSize);
  EXPECT_EQ(std::string(tooSmall.begin(), tooSmall.end()), std::string(plainSize - 1, '#'));
  EXPECT_EQ(crypt.GetLastSize(), needed) << "a refused call leaves the last size";
}

TEST(TEncrypt, BinaryRoundTripsWithAndWithoutBase64)
{
  TEncrypt crypt("QuorvantKey1");
  std::string blob;
  for (int i = 0; i < 300; ++i)
    blob += (char)(i * 7);
  for (size_t n : {0, 1, 7, 8, 9, 64, 300}) {
    std::string const plain = blob.substr(0, n);
    EXPECT_EQ(OpenBinary(crypt, SealBinary(crypt, plain, false), false), plain) << n;
    std::string sealedText = SealBinary(crypt, plain, true);
    ASSERT_EQ(sealedText.back(), '\0');
    sealedText.pop_back();
    EXPECT_EQ(OpenBinary(crypt, sealedText, true), plain) << n;
  }
}

TEST(TEncrypt, StringRoundTripAndEmptyCases)
{
  TEncrypt crypt("QuorvantKey1");
  // The empty string still encrypts its zero byte: one block, 12 Base64 characters.
  str const sealedEmpty = crypt.EncryptStr("");
  EXPECT_EQ(sealedEmpty.length(), 12u);
  EXPECT_EQ(crypt.DecryptStr(sealedEmpty), str(""));

  for (char const* text : {"a", "seven77", "exactly8", "Player One", "\xc3\xa9t\xc3\xa9 \xe2\x82\xac"}) {
    str const sealed = crypt.EncryptStr(text);
    EXPECT_NE(sealed, str(text));
    EXPECT_EQ(crypt.DecryptStr(sealed), str(text));
  }
  // Nothing to decrypt is no fault and no text.
  EXPECT_EQ(crypt.DecryptStr(""), str(""));
  EXPECT_EQ(crypt.DecryptBinary("", 0, nullptr, 0, true), 0u);
  EXPECT_EQ(crypt.DecryptBinary(nullptr, 0, nullptr, 0, false), 0u);
}

TEST(TEncrypt, ForeignOrDamagedCipherTextNeverFaults)
{
  TEncrypt ours("QuorvantKey1");
  TEncrypt theirs("SomeOtherKey");
  str const sealed = ours.EncryptStr("top secret value");
  // A wrong key is not detected, but the result is bounded by the input.
  str const wrong = theirs.DecryptStr(sealed);
  EXPECT_LE(wrong.length(), 24u);
  for (char const* junk : {"!", "====", "\x80\x81\x82", "abc", "not base64 at all ~~~"})
    EXPECT_LE(ours.DecryptStr(junk).length(), std::strlen(junk));
}

TEST(TEncrypt, WholeCipherTextIsToldFromCutOrChangedText)
{
  TEncrypt ours("QuorvantKey1");
  for (std::string const& plain : {std::string(), std::string("7"), std::string(16, 'r'), std::string(21, 'q')}) {
    std::string const sealed = SealBinary(ours, plain, false);
    EXPECT_TRUE(ours.IsWholeCipher(sealed.data(), sealed.size())) << plain.size();
    // One byte cut, or the last byte lost to a file cut short (zero in its place).
    EXPECT_FALSE(ours.IsWholeCipher(sealed.data(), sealed.size() - 1)) << plain.size();
    std::string zeroed = sealed;
    zeroed.back() = 0;
    EXPECT_FALSE(ours.IsWholeCipher(zeroed.data(), zeroed.size())) << plain.size();
  }
  std::string const sealed = SealBinary(ours, "a player's saved game", false);
  EXPECT_FALSE(TEncrypt("SomeOtherKey").IsWholeCipher(sealed.data(), sealed.size()));
  EXPECT_FALSE(ours.IsWholeCipher(nullptr, 0));
  EXPECT_FALSE(ours.IsWholeCipher("", 0));
}
