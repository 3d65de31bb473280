// percentencode: the encoder; pure computation on the bytes it is given.
#include "core/foundation/percentencode.h"

std::string PercentEncode(char const* text, size_t length, bool (*escaped)(unsigned char))
{
  static char const kHexDigits[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(length);
  for (size_t i = 0; i < length; ++i) {
    unsigned char const byte = static_cast<unsigned char>(text[i]);
    if (escaped(byte)) {
      out += '%';
      out += kHexDigits[byte >> 4];
      out += kHexDigits[byte & 15];
    } else {
      out += char(byte);
    }
  }
  return out;
}
