// percentencode: writes bytes into addresses and form bodies as "%XX" escapes; the one encoder
// behind the HTTP arguments and the movie player's addresses, each with its own set of bytes.
#pragma once

#include <cstddef>
#include <string>

// The text with every byte for which `escaped` is true written as "%" and two upper-case
// hexadecimal digits; the other bytes as they are.
std::string PercentEncode(char const* text, size_t length, bool (*escaped)(unsigned char));
inline std::string PercentEncode(std::string const& text, bool (*escaped)(unsigned char))
{
  return PercentEncode(text.data(), text.size(), escaped);
}
