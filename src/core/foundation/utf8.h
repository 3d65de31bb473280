// utf8: reads UTF-8 text one character at a time; the one decoder behind strings, the text
// layout and typed text, so malformed bytes are handled the same way everywhere.
#pragma once

#include <cstddef>
#include <cstdint>

// What stands for a character that malformed bytes spoil.
constexpr uint32_t kUtf8Replacement = 0xFFFD;

struct TUtf8Char
{
  uint32_t code;   // the code point, or kUtf8Replacement when not valid
  unsigned length; // bytes taken, at least 1
  bool valid;
};

// The character at the start of `bytes`, reading at most `remaining` (at least 1) bytes.
// Malformed input (a stray continuation byte, a lead byte without all its continuation
// bytes, an overlong form, a surrogate, a value past U+10FFFF) gives the replacement and
// takes the lead byte with the continuation bytes that follow it, and nothing more, so the
// next character is read whole.
TUtf8Char DecodeUtf8Char(unsigned char const* bytes, size_t remaining);
