// utf8: the decoder; pure computation on the bytes it is given.
#include "core/foundation/utf8.h"

TUtf8Char DecodeUtf8Char(unsigned char const* bytes, size_t remaining)
{
  unsigned const lead = bytes[0];
  if (lead < 0x80)
    return TUtf8Char{lead, 1, true};
  unsigned continuations = 0;
  uint32_t code = 0;
  uint32_t smallest = 0;
  if ((lead & 0xE0) == 0xC0) {
    continuations = 1, code = lead & 0x1F, smallest = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    continuations = 2, code = lead & 0x0F, smallest = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    continuations = 3, code = lead & 0x07, smallest = 0x10000;
  } else {
    return TUtf8Char{kUtf8Replacement, 1, false};
  }
  unsigned length = 1;
  while (length <= continuations && length < remaining && (bytes[length] & 0xC0) == 0x80) {
    code = (code << 6) | (bytes[length] & 0x3F);
    ++length;
  }
  bool const whole = length == continuations + 1;
  bool const surrogate = code >= 0xD800 && code <= 0xDFFF;
  if (!whole || code < smallest || code > 0x10FFFF || surrogate)
    return TUtf8Char{kUtf8Replacement, length, false};
  return TUtf8Char{code, length, true};
}
