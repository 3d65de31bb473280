// utf8_test: the one UTF-8 decoder: every length, and each kind of malformed input giving the
// replacement character without taking the next character's bytes.
#include "core/foundation/utf8.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Each character's code and length, as a reader walking the whole text sees them.
std::vector<std::pair<uint32_t, unsigned>> Walk(std::string const& text)
{
  std::vector<std::pair<uint32_t, unsigned>> out;
  unsigned char const* bytes = reinterpret_cast<unsigned char const*>(text.data());
  for (size_t at = 0; at < text.size();) {
    TUtf8Char character = DecodeUtf8Char(bytes + at, text.size() - at);
    out.push_back({character.code, character.length});
    at += character.length;
  }
  return out;
}

typedef std::vector<std::pair<uint32_t, unsigned>> TWalk;
const uint32_t kBad = kUtf8Replacement;

TEST(Utf8, EveryLengthDecodes)
{
  EXPECT_EQ(Walk("A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"), (TWalk{{'A', 1}, {0xE9, 2}, {0x20AC, 3}, {0x1F600, 4}}));
  EXPECT_EQ(Walk("\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xF4\x8F\xBF\xBF"),
            (TWalk{{0x7F, 1}, {0x80, 2}, {0x7FF, 2}, {0x800, 3}, {0x10FFFF, 4}}));
}

TEST(Utf8, MalformedBytesGiveTheReplacementAndSpareTheNextCharacter)
{
  // Stray continuation bytes and bytes that lead nothing: one byte each.
  EXPECT_EQ(Walk("\x80\xBF"
                 "A\xF8\xFF"),
            (TWalk{{kBad, 1}, {kBad, 1}, {'A', 1}, {kBad, 1}, {kBad, 1}}));
  // A lead byte without all its continuation bytes takes only those it has.
  EXPECT_EQ(Walk("\xC3"
                 "A"),
            (TWalk{{kBad, 1}, {'A', 1}}));
  EXPECT_EQ(Walk("\xE2\x82"
                 "A"),
            (TWalk{{kBad, 2}, {'A', 1}}));
  EXPECT_EQ(Walk("\xF0\x9F\x98\xC3\xA9"), (TWalk{{kBad, 3}, {0xE9, 2}}));
  // Cut short by the end of the text.
  EXPECT_EQ(Walk("A\xF0\x9F"), (TWalk{{'A', 1}, {kBad, 2}}));
  // Overlong forms, surrogates and values past U+10FFFF are whole but no characters.
  EXPECT_EQ(Walk("\xC0\x80\xE0\x9F\xBF\xED\xA0\x80\xF4\x90\x80\x80\xF7\xBF\xBF\xBF"),
            (TWalk{{kBad, 2}, {kBad, 3}, {kBad, 3}, {kBad, 4}, {kBad, 4}}));
  EXPECT_FALSE(DecodeUtf8Char(reinterpret_cast<unsigned char const*>("\xED\xA0\x80"), 3).valid);
  EXPECT_TRUE(DecodeUtf8Char(reinterpret_cast<unsigned char const*>("\xEF\xBF\xBD"), 3).valid);
}

} // namespace
