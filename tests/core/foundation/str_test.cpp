// str_test: the engine string: sharing and copy on write, comparison order, searching,
// replacing, raw writes, formatting and UTF-8 conversion.
#include "core/foundation/str.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace {
// Turns gbStrAlwaysUnique on for one scope.
struct AlwaysUnique
{
  AlwaysUnique() { gbStrAlwaysUnique = true; }
  ~AlwaysUnique() { gbStrAlwaysUnique = false; }
};
} // namespace

TEST(Str, EmptyFormsAreEqual)
{
  str a;
  str b(static_cast<char const*>(nullptr));
  str c("");
  EXPECT_EQ(a.length(), 0u);
  EXPECT_EQ(b.length(), 0u);
  EXPECT_STREQ(a.c_str(), "");
  EXPECT_STREQ(b.c_str(), "");
  EXPECT_TRUE(a == b);
  EXPECT_TRUE(b == c);
  EXPECT_TRUE(a == c);
  EXPECT_FALSE(a < c);
  EXPECT_FALSE(c < a);
  EXPECT_EQ(a.to_int(), 0);
  EXPECT_EQ(a[0], 0);
}

TEST(Str, CapacityFollowsHowTheBufferWasMade)
{
  EXPECT_EQ(str("abc").capacity(), 4u);                              // duplicate of a C string
  EXPECT_EQ(str(static_cast<char const*>(nullptr)).capacity(), 16u); // null C string
  EXPECT_EQ(str("abc", 3).capacity(), 16u);                          // known length
  EXPECT_EQ(str(std::string(40, 'x').c_str(), 40).capacity(), 41u);
  EXPECT_EQ(str("abcdef").substr(6, 5).capacity(), 16u);
  EXPECT_EQ((str("ab") + 'c').capacity(), 16u);
  EXPECT_EQ(str::getFormatted("%d", 12345).capacity(), 6u);
  EXPECT_EQ(str::from_utf32(0x20AC).capacity(), 16u);
}

TEST(Str, ConstructionFromBytesKeepsExactlyN)
{
  str s("ab\0cd", 5);
  EXPECT_EQ(s.length(), 2u); // the length stops at the first zero byte
  EXPECT_EQ(str("abcdef", 3), str("abc"));
  EXPECT_EQ(str(static_cast<char const*>(nullptr), 7).length(), 0u);
}

TEST(Str, CopiesShareUntilOneChanges)
{
  str original("shared text");
  str copy(original);
  EXPECT_EQ(original.use_count(), 2);
  EXPECT_EQ(original.c_str(), copy.c_str());

  copy += "!";
  EXPECT_STREQ(original.c_str(), "shared text");
  EXPECT_STREQ(copy.c_str(), "shared text!");
  EXPECT_EQ(original.use_count(), 1);

  // Every mutator makes its own copy first.
  str a = original, b = original, c = original, d = original, e = original, f = original;
  a.replace("text", "words");
  b.erase(0, 7);
  c.downcase();
  d.overlay(0, "S", 1, false);
  e.format("%s", "other");
  f += 'x';
  EXPECT_STREQ(original.c_str(), "shared text");
  EXPECT_STREQ(a.c_str(), "shared words");
  EXPECT_STREQ(b.c_str(), "text");
  EXPECT_STREQ(d.c_str(), "Shared text");
  EXPECT_STREQ(e.c_str(), "other");
  EXPECT_STREQ(f.c_str(), "shared textx");
  EXPECT_EQ(original.use_count(), 1);
}

TEST(Str, AssignmentReleasesAndShares)
{
  str a("one");
  str b("two");
  a = b;
  EXPECT_EQ(a.c_str(), b.c_str());
  EXPECT_EQ(b.use_count(), 2);
  a = a;
  EXPECT_EQ(b.use_count(), 2);
  a = "three";
  EXPECT_STREQ(a.c_str(), "three");
  EXPECT_EQ(b.use_count(), 1);
  a = a.c_str() + 2; // from its own buffer
  EXPECT_STREQ(a.c_str(), "ree");
  a = static_cast<char const*>(nullptr);
  EXPECT_EQ(a.length(), 0u);
}

TEST(Str, AlwaysUniqueMakesDeepCopies)
{
  AlwaysUnique scope;
  str original("text");
  str copy(original);
  EXPECT_NE(original.c_str(), copy.c_str());
  EXPECT_EQ(original, copy);
  str assigned;
  assigned = original;
  EXPECT_NE(assigned.c_str(), original.c_str());
  EXPECT_EQ(original.use_count(), 1);
}

TEST(Str, CopiesOnManyThreadsKeepTheCountRight)
{
  str shared("a name handed to worker threads");
  std::vector<std::thread> workers;
  for (int t = 0; t < 4; ++t)
    workers.emplace_back([shared] {
      for (int i = 0; i < 20000; ++i) {
        str copy(shared);
        str another = copy;
        (void)another;
      }
    });
  for (auto& worker : workers)
    worker.join();
  EXPECT_EQ(shared.use_count(), 1);
}

TEST(Str, AViewIsNeverSharedAndItsStorageIsNeverWritten)
{
  alignas(8) char storage[str::kViewHeaderBytes + 8];
  char* text = storage + str::kViewHeaderBytes;
  memcpy(text, "name\0", 5);
  std::string copied;
  {
    str view = str::View(storage, text, 4);
    EXPECT_TRUE(view.IsView());
    EXPECT_EQ(1, view.use_count());
    // A copy has its own buffer, so it may outlive the storage.
    str copy(view);
    EXPECT_FALSE(copy.IsView());
    EXPECT_NE(copy.c_str(), view.c_str());
    // Assigned into a string of its own that has room, the bytes move into its buffer.
    str target("abcdefgh");
    char const* buffer = target.c_str();
    target = view;
    EXPECT_EQ(buffer, target.c_str());
    EXPECT_STREQ("name", target.c_str());
    EXPECT_EQ(0, target.c_str()[7]);
    // Changing the view gives it a buffer of its own.
    view += "s";
    EXPECT_FALSE(view.IsView());
    EXPECT_STREQ("names", view.c_str());
    copied = copy.c_str();
  }
  EXPECT_STREQ("name", text);
  EXPECT_EQ("name", copied);
}

TEST(Str, IndexPastTheEndGivesZero)
{
  str s("abc");
  EXPECT_EQ(s[0], 'a');
  EXPECT_EQ(s[2], 'c');
  EXPECT_EQ(s[3], 0);
  EXPECT_EQ(s[1000000], 0);
  EXPECT_EQ(s[0xFFFFFFFFu], 0);
}

TEST(Str, CompareOrdersBytesAsUnsigned)
{
  str upperA("A"), lowerZ("z"), eAcute("\xC3\xA9");
  EXPECT_TRUE(upperA < lowerZ);
  EXPECT_TRUE(lowerZ < eAcute);
  EXPECT_TRUE(upperA < eAcute);
  EXPECT_FALSE(eAcute < upperA);
  EXPECT_GT(eAcute.compare(upperA), 0);
  EXPECT_LT(str().compare("a"), 0);
  EXPECT_GT(str("a").compare(str()), 0);
  EXPECT_TRUE(str("abc") != str("abd"));
  EXPECT_TRUE(str("ab") < str("abc"));

  // A map keyed by str finds keys whichever bytes they start with.
  std::map<str, int> byName;
  char const* names[] = {"\xC3\xA9t\xC3\xA9", "Alpha", "\xFF", "zulu", "\x01", "\xE2\x82\xAC"};
  for (int i = 0; i < 6; ++i)
    byName[names[i]] = i;
  for (int i = 0; i < 6; ++i)
    EXPECT_EQ(byName[names[i]], i) << i;
  EXPECT_EQ(byName.size(), 6u);
  EXPECT_STREQ(byName.begin()->first.c_str(), "\x01");
  EXPECT_STREQ(byName.rbegin()->first.c_str(), "\xFF");
}

TEST(Str, ToIntIsAtoiThatSaturates)
{
  EXPECT_EQ(str("42").to_int(), 42);
  EXPECT_EQ(str("  -17abc").to_int(), -17);
  EXPECT_EQ(str("abc").to_int(), 0);
  EXPECT_EQ(str("99999999999999").to_int(), 2147483647);
  EXPECT_EQ(str("-99999999999999").to_int(), -2147483647 - 1);
}

TEST(Str, FindForward)
{
  str s("abcabc");
  EXPECT_EQ(s.find('c'), 2u);
  EXPECT_EQ(s.find('c', 0, 3), 5u);
  EXPECT_EQ(s.find('x'), str::npos);
  EXPECT_EQ(str("abc").find('a', 0, 10), str::npos);
  EXPECT_EQ(s.find("bc"), 1u);
  EXPECT_EQ(s.find("bc", 0, 2), 4u);
  EXPECT_EQ(s.find("bcd"), str::npos);
  EXPECT_EQ(s.find("abcabcabc"), str::npos);
  EXPECT_EQ(s.find(""), 0u);
  EXPECT_EQ(s.find("", 0, 4), 4u);
  EXPECT_EQ(str().find(""), str::npos);
  EXPECT_EQ(str("").find('\0'), str::npos);
}

TEST(Str, FindSurvivesManyFalseStarts)
{
  std::string text(200, 'a');
  str s((text + "b").c_str());
  EXPECT_EQ(s.find("aab"), 198u);
  EXPECT_EQ(s.find("ab", 0, 150), 199u);
  EXPECT_EQ(s.find("aac"), str::npos);
  EXPECT_EQ(s.find("ba"), str::npos);
  EXPECT_EQ(s.find("b"), 200u);
  str t((text + "xa").c_str());
  EXPECT_EQ(t.find("ax"), 199u);
  EXPECT_EQ(t.find("xa"), 200u);
  EXPECT_EQ(t.find("xab"), str::npos); // would run past the end
  EXPECT_EQ(t.find("AX", str::kIgnoreCase), 199u);
}

TEST(Str, FindIgnoringCase)
{
  EXPECT_EQ(str("xxabc").find("ABC", str::kIgnoreCase), 2u);
  EXPECT_EQ(str("xxabc").find("ABC"), str::npos);
  EXPECT_EQ(str("xxAbC").find('c', str::kIgnoreCase), 4u);
  EXPECT_EQ(str("aXbx").find('x', str::kIgnoreCase | str::kBackward), 3u);
}

TEST(Str, FindBackwardCountsStartFromTheEnd)
{
  str s("abcabc");
  EXPECT_EQ(s.find('a', str::kBackward, 0), 3u);
  EXPECT_EQ(s.find('a', str::kBackward, 3), 0u);
  EXPECT_EQ(s.find('c', str::kBackward, 6), str::npos);
  EXPECT_EQ(s.find("bc", str::kBackward), 4u);
  EXPECT_EQ(s.find("bc", str::kBackward, 1), 1u);
  EXPECT_EQ(s.find("abcabcx", str::kBackward), str::npos);
  EXPECT_EQ(str("dir/sub/file.lua").find('/', str::kBackward), 7u);
  EXPECT_EQ(str("dir/sub/file.lua").find(".lua", str::kBackward), 12u);
}

TEST(Str, FindFirstNotOf)
{
  str s("  \tword");
  EXPECT_EQ(s.find_first_not_of(" \t"), 3u);
  EXPECT_EQ(s.find_first_not_of(" \t", 1), 3u);
  EXPECT_EQ(s.find_first_not_of("x", 0), 0u);
  EXPECT_EQ(s.find_first_not_of(" ", 100), s.length());
  EXPECT_EQ(str().find_first_not_of(" "), 0u);
}

TEST(Str, Substr)
{
  str s("abcdef");
  EXPECT_STREQ(s.substr(2, 100).c_str(), "cdef");
  EXPECT_STREQ(s.substr(2).c_str(), "cdef");
  EXPECT_STREQ(s.substr(1, 2).c_str(), "bc");
  EXPECT_STREQ(s.substr(6, 5).c_str(), "");
  EXPECT_STREQ(s.substr(0, 0).c_str(), "");
  EXPECT_STREQ(str().substr(0).c_str(), "");
}

TEST(Str, Concatenation)
{
  str a("abc");
  EXPECT_STREQ((a + str("def")).c_str(), "abcdef");
  EXPECT_STREQ((a + 'd').c_str(), "abcd");
  EXPECT_STREQ((str() + str()).c_str(), "");
  EXPECT_STREQ(("x" + a).c_str(), "xabc");
  EXPECT_EQ((a + str("de")).capacity(), 16u);

  str grown("ab");
  grown += grown;
  EXPECT_STREQ(grown.c_str(), "abab");
  grown += 'c';
  grown += '\0';
  EXPECT_STREQ(grown.c_str(), "ababc");
  str fromNothing;
  fromNothing += "z";
  EXPECT_STREQ(fromNothing.c_str(), "z");
  std::string expected;
  str many;
  for (int i = 0; i < 1000; ++i) {
    many += char('a' + i % 26);
    expected += char('a' + i % 26);
  }
  EXPECT_EQ(std::string(many.c_str()), expected);
}

TEST(Str, ReserveKeepsContents)
{
  str s("hello world");
  s._reserve(100);
  EXPECT_EQ(s.capacity(), 100u);
  EXPECT_STREQ(s.c_str(), "hello world");
  s._reserve(2);
  EXPECT_STREQ(s.c_str(), "hello world");
  EXPECT_GE(s.capacity(), 16u);
}

TEST(Str, ReplaceFirstOrAll)
{
  str s("aaa");
  s.replace("a", "bb", str::kReplaceAll);
  EXPECT_STREQ(s.c_str(), "bbbbbb");
  str t("aaa");
  t.replace("a", "bb");
  EXPECT_STREQ(t.c_str(), "bbaa");
  str u("one two one two");
  u.replace("one", "1", str::kReplaceAll);
  EXPECT_STREQ(u.c_str(), "1 two 1 two");
  str v("Path\\To\\File");
  v.replace("\\", "/", str::kReplaceAll, 5);
  EXPECT_STREQ(v.c_str(), "Path\\To/File");
  str w("Hello HELLO hello");
  w.replace("hello", "x", str::kReplaceAll | str::kIgnoreCase);
  EXPECT_STREQ(w.c_str(), "x x x");
  str x("abc");
  x.replace("zz", "y", str::kReplaceAll);
  EXPECT_STREQ(x.c_str(), "abc");
}

TEST(Str, ReplaceBackward)
{
  str s("a.b.c");
  s.replace(".", "::", str::kBackward);
  EXPECT_STREQ(s.c_str(), "a.b::c");
  // Growing replacements going backward never revisit their own text.
  str t("aXXXX");
  t.replace("a", "ab", str::kReplaceAll | str::kBackward);
  EXPECT_STREQ(t.c_str(), "abXXXX");
  str u("a-a-a");
  u.replace("a", "aa", str::kReplaceAll | str::kBackward);
  EXPECT_STREQ(u.c_str(), "aa-aa-aa");
}

TEST(Str, ReplaceWithEmptyPatternChangesNothing)
{
  str s("abc");
  s.replace("", "x", str::kReplaceAll);
  EXPECT_STREQ(s.c_str(), "abc");
  s.replace("", "x");
  EXPECT_STREQ(s.c_str(), "abc");
  str empty;
  empty.replace("", "x", str::kReplaceAll);
  EXPECT_STREQ(empty.c_str(), "");
}

TEST(Str, ReplaceOwnTextAndSharedCopies)
{
  str s("abab");
  str copy(s);
  s.replace(s, "x");
  EXPECT_STREQ(s.c_str(), "x");
  EXPECT_STREQ(copy.c_str(), "abab");
  s = "ab";
  s.replace("b", s, str::kReplaceAll);
  EXPECT_STREQ(s.c_str(), "aab");
}

TEST(Str, OverlayWritesRawBytes)
{
  str s("ab");
  EXPECT_EQ(s.capacity(), 3u);
  EXPECT_EQ(s.overlay(-1, "cde", 3, true), 5);
  EXPECT_STREQ(s.c_str(), "abcde");
  EXPECT_EQ(s.capacity(), 16u); // doubled from 3 to 6, then the minimum applies

  EXPECT_EQ(s.overlay(1, "XY", 2, false), 3);
  EXPECT_STREQ(s.c_str(), "aXYde");
  EXPECT_EQ(s.overlay(1, "Z", 1, true), 2);
  EXPECT_STREQ(s.c_str(), "aZ");

  str longer("twenty bytes of text");
  EXPECT_EQ(longer.capacity(), 21u);
  longer.overlay(-1, "12345", 5, true);
  EXPECT_EQ(longer.capacity(), 42u); // grows by doubling
  longer.overlay(-1, "6", 1, true);
  EXPECT_EQ(longer.capacity(), 42u);
  EXPECT_STREQ(longer.c_str(), "twenty bytes of text123456");

  str fresh;
  EXPECT_EQ(fresh.overlay(-1, "xyz", 3, false), 3);
  EXPECT_STREQ(fresh.c_str(), "xyz");
}

TEST(Str, OverlayRejectsPositionsBeforeTheBufferAndZeroFillsGaps)
{
  str s("abc");
  EXPECT_EQ(s.overlay(-2, "x", 1, true), -1);
  EXPECT_STREQ(s.c_str(), "abc");
  EXPECT_EQ(s.overlay(6, "x", 1, true), 7);
  EXPECT_EQ(s.length(), 3u);
  EXPECT_EQ(s.c_str()[3], 0);
  EXPECT_EQ(s.c_str()[5], 0);
  EXPECT_EQ(s.c_str()[6], 'x');
}

TEST(Str, Erase)
{
  str s("abc");
  s.erase(1, -1);
  EXPECT_STREQ(s.c_str(), "a");
  str t("abc");
  t.erase(5, 1);
  EXPECT_STREQ(t.c_str(), "abc");
  str u("abcdef");
  u.erase(1, 2);
  EXPECT_STREQ(u.c_str(), "adef");
  str v("abcdef");
  v.erase(4, 100); // reaching past the end cuts there
  EXPECT_STREQ(v.c_str(), "abcd");
  v.erase(0, 0);
  EXPECT_STREQ(v.c_str(), "abcd");
}

TEST(Str, Downcase)
{
  str s("MiXeD Case 123 \xC3\x89");
  s.downcase();
  EXPECT_STREQ(s.c_str(), "mixed case 123 \xC3\x89");
  str empty;
  empty.downcase();
  EXPECT_EQ(empty.length(), 0u);
}

TEST(Str, Formatting)
{
  EXPECT_STREQ(str::getFormatted("%s%d", "qvgamemodename", 2).c_str(), "qvgamemodename2");
  EXPECT_STREQ(str::getFormatted("%.2f|%5s|%-3d|%x", 1.5, "ab", 7, 255).c_str(), "1.50|   ab|7  |ff");
  EXPECT_STREQ(str::getFormatted("%s", "").c_str(), "");

  std::string big(10000, 'q');
  big[9999] = 'z';
  str formatted = str::getFormatted("<%s>", big.c_str());
  EXPECT_EQ(formatted.length(), 10002u);
  EXPECT_EQ(formatted.capacity(), 10003u);
  EXPECT_EQ(std::string(formatted.c_str()), "<" + big + ">");

  std::string edge(4095, 'e'); // the largest result that fits the scratch buffer
  EXPECT_EQ(str::getFormatted("%s", edge.c_str()).length(), 4095u);
  EXPECT_EQ(str::getFormatted("%s!", edge.c_str()).length(), 4096u);

  str self("ab");
  self.format("%s-%s", self.c_str(), self.c_str());
  EXPECT_STREQ(self.c_str(), "ab-ab");
}

TEST(Str, FormattedResultsWithAlwaysUnique)
{
  AlwaysUnique scope;
  std::string big(5000, 'b');
  str formatted = str::getFormatted("%s", big.c_str());
  EXPECT_EQ(formatted.length(), 5000u);
  EXPECT_EQ(formatted.use_count(), 1);
}

TEST(Str, Utf8Encoding)
{
  str euro = str::from_utf32(0x20AC);
  ASSERT_EQ(euro.length(), 3u);
  EXPECT_EQ((unsigned char)euro[0], 0xE2);
  EXPECT_EQ((unsigned char)euro[1], 0x82);
  EXPECT_EQ((unsigned char)euro[2], 0xAC);
  EXPECT_STREQ(str::from_utf32('A').c_str(), "A");
  EXPECT_STREQ(str::from_utf32(0xE9).c_str(), "\xC3\xA9");
  EXPECT_STREQ(str::from_utf32(0x1F600).c_str(), "\xF0\x9F\x98\x80");
  EXPECT_STREQ(str::from_utf32(0x10FFFF).c_str(), "\xF4\x8F\xBF\xBF");
  EXPECT_EQ(str::from_utf32(0xFEFF).length(), 0u);
  EXPECT_EQ(str::from_utf32(0xFFFE).length(), 0u);
  EXPECT_EQ(str::from_utf32(0xFFFF).length(), 0u);
  EXPECT_EQ(str::from_utf32(0x110000).length(), 0u);
  EXPECT_EQ(str::from_utf32(0xFFFFFFFFu).length(), 0u);
  EXPECT_EQ(str::from_utf32(0xD800).length(), 3u); // surrogates are encoded like any other
}

TEST(Str, Utf8Decoding)
{
  EXPECT_EQ(str::to_utf32("\xE2\x82\xAC"), 0x20ACu);
  EXPECT_EQ(str::to_utf32("A rest"), (unsigned)'A');
  EXPECT_EQ(str::to_utf32("\xF0\x9F\x98\x80"), 0x1F600u);
  EXPECT_EQ(str::to_utf32(""), 0u);
  EXPECT_EQ(str::to_utf32(nullptr), 0u);
  EXPECT_EQ(str::to_utf32("\x80"), 0u);
  EXPECT_EQ(str::to_utf32("\xE2\x41"), 0u);
  EXPECT_EQ(str::to_utf32("\xE2\x82"), 0u); // cut short by the terminator
  // Decoded like every other UTF-8 text of the engine: forms no encoder makes are no characters.
  EXPECT_EQ(str::to_utf32("\xC1\xBF"), 0u);         // overlong
  EXPECT_EQ(str::to_utf32("\xED\xA0\x80"), 0u);     // a surrogate
  EXPECT_EQ(str::to_utf32("\xF4\x90\x80\x80"), 0u); // past U+10FFFF

  unsigned const samples[] = {0x24, 0x7F, 0x80, 0x7FF, 0x800, 0x20AC, 0xFFFD, 0x10000, 0x10FFFF};
  for (unsigned code : samples)
    EXPECT_EQ(str::to_utf32(str::from_utf32(code).c_str()), code) << std::hex << code;
}
