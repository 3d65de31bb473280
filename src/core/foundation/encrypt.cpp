// encrypt: Base64 and the TEncrypt wrapper that keys a TBlowfish from the configured key
// text; used by the preferences database, the hiscore file and the configuration facade.
#include "core/foundation/encrypt.h"

#include <cstring>
#include <vector>

#include "core/foundation/blowfish.h"
#include "core/foundation/debug.h"

namespace {

char const kBase64Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/=";
unsigned char const kPadDigit = 64;
unsigned char const kInvalidDigit = 255;

struct TBase64DecodeTable
{
  unsigned char mValue[128];
  TBase64DecodeTable()
  {
    std::memset(mValue, kInvalidDigit, sizeof(mValue));
    for (int i = 0; i <= 64; ++i)
      mValue[(unsigned char)kBase64Alphabet[i]] = (unsigned char)i;
  }
};

TBase64DecodeTable const kBase64Decode;

unsigned char DecodeDigit(unsigned char c)
{
  // The table covers 7-bit codes only; anything above is just another invalid digit.
  return c < 128 ? kBase64Decode.mValue[c] : kInvalidDigit;
}

// The key text is fixed up to exactly 12 characters; its last three always decode to
// zero bits so that every key string maps onto the same 9-byte key shape.
char const kKeyFiller[] = "AAAAAAAAAAAA";
char const kKeySuffix[] = "AAA";
unsigned const kKeyLength = 12;

} // namespace

unsigned long Base64EncodeGetLength(unsigned long n)
{
  return (n + 2) / 3 * 4;
}

unsigned long Base64Encode(void* dest, void const* src, unsigned long n)
{
  unsigned char const* in = static_cast<unsigned char const*>(src);
  char* out = static_cast<char*>(dest);
  unsigned long written = 0;
  unsigned long i = 0;
  for (; i + 3 <= n; i += 3) {
    out[written++] = kBase64Alphabet[in[i] >> 2];
    out[written++] = kBase64Alphabet[((in[i] & 3) << 4) | (in[i + 1] >> 4)];
    out[written++] = kBase64Alphabet[((in[i + 1] & 15) << 2) | (in[i + 2] >> 6)];
    out[written++] = kBase64Alphabet[in[i + 2] & 63];
  }
  unsigned long const rest = n - i;
  if (rest == 1) {
    out[written++] = kBase64Alphabet[in[i] >> 2];
    out[written++] = kBase64Alphabet[(in[i] & 3) << 4];
    out[written++] = '=';
    out[written++] = '=';
  } else if (rest == 2) {
    out[written++] = kBase64Alphabet[in[i] >> 2];
    out[written++] = kBase64Alphabet[((in[i] & 3) << 4) | (in[i + 1] >> 4)];
    out[written++] = kBase64Alphabet[(in[i + 1] & 15) << 2];
    out[written++] = '=';
  }
  return written;
}

unsigned long Base64DecodeGetLength(unsigned long n)
{
  return (n + 3) / 4 * 3;
}

unsigned long Base64Decode(void* dest, void const* src, unsigned long n)
{
  unsigned char const* in = static_cast<unsigned char const*>(src);
  unsigned char* out = static_cast<unsigned char*>(dest);
  unsigned long count = 0;
  for (unsigned long i = 0; i < n; i += 4) {
    // A short last group reads as if padded with "=".
    unsigned char digit[4];
    for (int k = 0; k < 4; ++k)
      digit[k] = i + k < n ? DecodeDigit(in[i + k]) : kPadDigit;
    out[count] = (unsigned char)((digit[0] << 2) | ((digit[1] & 48) >> 4));
    out[count + 1] = (unsigned char)((digit[1] << 4) | ((digit[2] & 60) >> 2));
    out[count + 2] = (unsigned char)((digit[2] << 6) | (digit[3] & 63));
    count += 3;
    if (digit[3] == kPadDigit)
      count -= digit[2] == kPadDigit ? 2 : 1;
  }
  return count;
}

TEncrypt::TEncrypt(str key) : mBlowfish(new TBlowfish), mLastSize(0)
{
  if (key.length() != kKeyLength)
    key = (key + kKeyFiller).substr(0, kKeyLength);
  char keyText[kKeyLength];
  std::memcpy(keyText, key.c_str(), kKeyLength);
  std::memcpy(keyText + kKeyLength - 3, kKeySuffix, 3);

  unsigned char keyBytes[9];
  static_assert(sizeof(keyBytes) == 9, "12 Base64 characters are 9 bytes");
  unsigned long const keyByteCount = Base64Decode(keyBytes, keyText, kKeyLength);
  mBlowfish->Init(keyBytes, (int)keyByteCount);
  std::memset(keyBytes, 0, sizeof(keyBytes));
}

TEncrypt::~TEncrypt() = default;

unsigned int TEncrypt::EncryptBinary(void const* in, unsigned int inLength, void* out, unsigned int outSize,
                                     bool base64)
{
  if (inLength > kMaxInputLength || (!in && inLength > 0)) {
    WriteDbg("ERROR: TEncrypt::EncryptBinary refused %u bytes of input", inLength);
    return 0;
  }
  // The cipher text length follows from the input length alone, so a size query
  // needs no enciphering.
  unsigned int const cipherLength = inLength / 8 * 8 + 8;
  unsigned int const needed = base64 ? (unsigned int)Base64EncodeGetLength(cipherLength) + 1 : cipherLength;
  if (!out || outSize < needed)
    return needed;

  int produced = 0;
  std::unique_ptr<char[]> cipher(mBlowfish->EncryptString(static_cast<char const*>(in), (int)inLength, &produced));
  if (base64) {
    unsigned long const textLength = Base64Encode(out, cipher.get(), (unsigned long)produced);
    static_cast<char*>(out)[textLength] = 0;
  } else {
    std::memcpy(out, cipher.get(), (size_t)produced);
  }
  mLastSize = needed;
  return 0;
}

unsigned int TEncrypt::DecryptBinary(void const* in, unsigned int inLength, void* out, unsigned int outSize,
                                     bool base64)
{
  if (inLength > kMaxInputLength || (!in && inLength > 0)) {
    WriteDbg("ERROR: TEncrypt::DecryptBinary refused %u bytes of input", inLength);
    return 0;
  }
  std::vector<char> decoded;
  char const* cipher = static_cast<char const*>(in);
  unsigned long cipherLength = inLength;
  if (base64) {
    decoded.resize(Base64DecodeGetLength(inLength) + 1);
    cipherLength = Base64Decode(decoded.data(), in, inLength);
    cipher = decoded.data();
  }

  int plainLength = 0;
  std::unique_ptr<char[]> plain(mBlowfish->DecryptString(cipher, (int)cipherLength, &plainLength));
  unsigned int const needed = (unsigned int)plainLength;
  if (!out || outSize < needed)
    return needed;
  if (needed > 0)
    std::memcpy(out, plain.get(), needed);
  mLastSize = needed;
  return 0;
}

bool TEncrypt::IsWholeCipher(void const* in, unsigned int inLength) const
{
  unsigned const kBlock = 8;
  if (!in || inLength == 0 || inLength % kBlock != 0)
    return false;
  unsigned char const* last = static_cast<unsigned char const*>(in) + inLength - kBlock;
  int plainLength = 0;
  std::unique_ptr<char[]> block(mBlowfish->DecryptString(reinterpret_cast<char const*>(last), kBlock, &plainLength));
  unsigned char const* bytes = reinterpret_cast<unsigned char const*>(block.get());
  unsigned const pad = bytes[kBlock - 1];
  if (pad < 1 || pad > kBlock)
    return false;
  for (unsigned i = kBlock - pad; i < kBlock; ++i) {
    if (bytes[i] != pad)
      return false;
  }
  return true;
}

str TEncrypt::EncryptStr(str plain)
{
  unsigned int const plainLength = plain.length() + 1;
  unsigned int const size = EncryptBinary(plain.c_str(), plainLength, nullptr, 0, true);
  if (size < 1)
    return str();
  std::vector<char> text(size);
  if (EncryptBinary(plain.c_str(), plainLength, text.data(), size, true) != 0)
    return str();
  return str(text.data());
}

str TEncrypt::DecryptStr(str cipher)
{
  unsigned int const size = DecryptBinary(cipher.c_str(), cipher.length(), nullptr, 0, true);
  if (size < 1)
    return str();
  // One spare zero byte ends the text even if the plain bytes carry none.
  std::vector<char> text(size + 1, 0);
  if (DecryptBinary(cipher.c_str(), cipher.length(), text.data(), size, true) != 0)
    return str();
  return str(text.data());
}
