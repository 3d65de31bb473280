// encrypt_fuzz: feeds arbitrary bytes to the decoders of TEncrypt (Base64 and cipher text
// read from files), and checks that whatever is encrypted decrypts to itself.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/foundation/encrypt.h"

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size)
{
  static TEncrypt crypt("FuzzKey12345");
  if (size > 1 << 16)
    return 0;
  unsigned int const length = (unsigned int)size;

  for (bool base64 : {false, true}) {
    unsigned int const needed = crypt.DecryptBinary(data, length, nullptr, 0, base64);
    if (needed > length)
      std::abort();
    std::vector<unsigned char> plain(needed + 1);
    if (crypt.DecryptBinary(data, length, plain.data(), needed, base64) != 0)
      std::abort();

    unsigned int const sealedSize = crypt.EncryptBinary(data, length, nullptr, 0, base64);
    std::vector<unsigned char> sealed(sealedSize);
    if (crypt.EncryptBinary(data, length, sealed.data(), sealedSize, base64) != 0)
      std::abort();
    unsigned int const sealedLength = base64 ? sealedSize - 1 : sealedSize;
    unsigned int const back = crypt.DecryptBinary(sealed.data(), sealedLength, nullptr, 0, base64);
    std::vector<unsigned char> opened(back + 1);
    if (back != length || crypt.DecryptBinary(sealed.data(), sealedLength, opened.data(), back, base64) != 0 ||
        (length > 0 && std::memcmp(opened.data(), data, length) != 0))
      std::abort();
  }

  std::vector<char> text(reinterpret_cast<char const*>(data), reinterpret_cast<char const*>(data) + size);
  text.push_back(0);
  crypt.DecryptStr(text.data());
  return 0;
}
