// stringtable_test: loading spreadsheet-XML string tables (plain and compressed), merging,
// lookups with arguments and references, and refusal of garbage tables.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <list>
#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "core/foundation/stringtable.h"
#include "support/zxml.h"

namespace {

std::string S(str const& text)
{
  return std::string(text.c_str(), text.length());
}

// A table as a spreadsheet program saves it: styles, a worksheet, one row per label.
std::string Sheet(std::vector<std::pair<std::string, std::string>> const& rows)
{
  std::string text = "<?xml version=\"1.0\"?>\n<Workbook xmlns=\"urn:schemas-microsoft-com:office:spreadsheet\">\n"
                     " <Styles><Style ss:ID=\"Default\"><Font ss:Size=\"10\"/></Style></Styles>\n"
                     " <Worksheet ss:Name=\"Strings\"><Table ss:ExpandedColumnCount=\"3\">\n"
                     "  <Column ss:Width=\"200\"/>\n";
  for (auto const& row : rows) {
    text += "  <Row ss:AutoFitHeight=\"0\">\n"
            "   <Cell><Data ss:Type=\"String\">" +
            row.first +
            "</Data></Cell>\n"
            "   <Cell ss:StyleID=\"s21\"><Data ss:Type=\"String\">" +
            row.second +
            "</Data></Cell>\n"
            "   <Cell><Data ss:Type=\"String\">ignored third cell</Data></Cell>\n"
            "  </Row>\n";
  }
  text += " </Table></Worksheet>\n</Workbook>\n";
  return text;
}

// Writes a file below the test's private folder and returns its virtual "::" name.
str WriteTemp(char const* name, std::string const& bytes)
{
  char const* home = std::getenv("QV_HOME");
  std::string path = std::string(home ? home : "/tmp") + "/" + name;
  FILE* file = fopen(path.c_str(), "wb");
  EXPECT_NE(file, nullptr);
  if (file) {
    fwrite(bytes.data(), 1, bytes.size(), file);
    fclose(file);
  }
  return str(("::" + path).c_str());
}

class StringTableTest : public testing::Test
{
protected:
  void Load(std::vector<std::pair<std::string, std::string>> const& rows)
  {
    std::string text = Sheet(rows);
    ASSERT_TRUE(mTable.MergeStringBuffer(text.data(), text.size(), "test table"));
  }
  std::string Get(char const* label, char const* a1 = "", char const* a2 = "", char const* a3 = "")
  {
    return S(mTable.GetString(label, a1, a2, a3, "", ""));
  }
  // The lookup's result and everything it wrote to the debug log.
  std::pair<std::string, std::string> GetLogged(char const* label, unsigned count, str* args)
  {
    testing::internal::CaptureStderr();
    std::string result = S(mTable.GetString(label, count, args));
    return {result, testing::internal::GetCapturedStderr()};
  }

  TStringTable mTable;
};

} // namespace

// ---------------------------------------------------------------------------------------
// Lookups

TEST_F(StringTableTest, NumberedArgumentsAreReplaced)
{
  Load({{"progress", "%1% of %2%"}, {"third", "[%3%]"}});
  EXPECT_EQ("3 of 10", Get("progress", "3", "10"));
  // The five-argument form always passes five: a missing one is empty, not a failure.
  EXPECT_EQ("[]", Get("third", "a", "b"));

  str two[2] = {str("a"), str("b")};
  auto logged = GetLogged("third", 2, two);
  EXPECT_EQ("#####", logged.first);
  EXPECT_EQ("ERROR: ##### : Missing string for label 'third'\n", logged.second);
  EXPECT_EQ("#####", GetLogged("progress", 0, nullptr).first);
}

TEST_F(StringTableTest, PercentEscapesAndLabelReferences)
{
  Load({{"score", "100%%"},
        {"pair", "%%%1%%%"},
        {"name", "Inspector %1%"},
        {"greeting", "Hello %name%!"},
        {"quoted", "&lt;%1%&gt;"}});
  EXPECT_EQ("100%", Get("score"));
  EXPECT_EQ("%x%", Get("pair", "x"));
  // A referenced label's text is taken raw, its own escapes untouched.
  EXPECT_EQ("Hello Inspector %1%!", Get("greeting", "ignored"));
  // An argument may itself be "%%" or a label between percent signs.
  EXPECT_EQ("<%>", Get("quoted", "%%"));
  EXPECT_EQ("<Inspector %1%>", Get("quoted", "%name%"));
  EXPECT_EQ("#####", Get("quoted", "%nosuch%"));
  EXPECT_EQ("#####", Get("quoted", "%abc"));
  EXPECT_EQ("#####", Get("quoted", "%"));
}

TEST_F(StringTableTest, TextArgumentsAreShownAsGivenNeverAsLabels)
{
  Load({{"name", "Inspector %1%"}, {"welcome", "Welcome, %1%!"}});
  EXPECT_EQ("Welcome, %1%!", S(mTable.GetStringWithText("welcome", "%1%", "", "", "", "")));
  EXPECT_EQ("Welcome, %name%!", S(mTable.GetStringWithText("welcome", "%name%", "", "", "", "")));
  EXPECT_EQ("Welcome, %!", S(mTable.GetStringWithText("welcome", "%", "", "", "", "")));
  // A missing label is still missing.
  EXPECT_EQ("#####", S(mTable.GetStringWithText("nosuch", "x", "", "", "", "")));
}

TEST_F(StringTableTest, FailuresLogUnlessQuiet)
{
  Load({{"broken", "see %nosuch%"}});
  auto missing = GetLogged("absent", 0, nullptr);
  EXPECT_EQ("#####", missing.first);
  EXPECT_EQ("ERROR: ##### : Missing string for label 'absent'\n", missing.second);
  EXPECT_EQ("ERROR: ##### : Missing string for label 'broken'\n", GetLogged("broken", 0, nullptr).second);

  mTable.SetQuiet(true);
  auto quiet = GetLogged("absent", 0, nullptr);
  EXPECT_EQ("#####", quiet.first);
  EXPECT_EQ("", quiet.second);
  mTable.SetQuiet(false);
}

TEST_F(StringTableTest, UnmatchedPercentIsReported)
{
  Load({{"tail", "abc%"}, {"half", "50% off"}, {"arg", "n=%1"}});
  auto tail = GetLogged("tail", 0, nullptr);
  EXPECT_EQ("abc%", tail.first);
  EXPECT_EQ("ERROR: Non-matched percent (%) escape found in string tail, 'abc%'\n", tail.second);
  // The unclosed body " off" is looked up as a label and is missing.
  EXPECT_EQ("#####", GetLogged("half", 0, nullptr).first);
  // Scanning resumes after the "%", so the collected digits are copied again.
  str one[1] = {str("7")};
  EXPECT_EQ("n=71", GetLogged("arg", 1, one).first);
}

TEST_F(StringTableTest, HugeArgumentNumbersAreOutOfRange)
{
  Load({{"big", "%4294967297%"}, {"zero", "%0%"}});
  EXPECT_EQ("#####", GetLogged("big", 0, nullptr).first);
  str one[1] = {str("x")};
  EXPECT_EQ("#####", GetLogged("big", 1, one).first);
  EXPECT_EQ("#####", GetLogged("zero", 1, one).first);
}

TEST_F(StringTableTest, StringTestModeMasksEverythingButSpaces)
{
  Load({{"two", "Case %1%"}});
  TPlatform::SetConfig("stringtest", "1");
  EXPECT_EQ("xxxx xx", Get("two", "12"));
  TPlatform::SetConfig("stringtest", "0");
  EXPECT_EQ("Case 12", Get("two", "12"));
}

TEST_F(StringTableTest, LabelsAreCaseSensitive)
{
  Load({{"Title", "Big"}, {"title", "small"}});
  EXPECT_EQ("Big", Get("Title"));
  EXPECT_EQ("small", Get("title"));
  EXPECT_EQ("#####", GetLogged("TITLE", 0, nullptr).first);
}

TEST_F(StringTableTest, FlashLabelsPreferTheUpperCaseForm)
{
  Load({{"FLASH_INTRO", "a"}, {"flash01_02", "b"}, {"FLASH_END", "c"}, {"other", "d"}});
  std::list<str> labels;
  mTable.GetFlashStrings(labels);
  std::vector<std::string> names;
  for (str const& label : labels)
    names.push_back(S(label));
  EXPECT_EQ((std::vector<std::string>{"FLASH_END", "FLASH_INTRO"}), names);

  TStringTable lower;
  std::string text = Sheet({{"flash01_02", "b"}, {"flash7", "c"}, {"flashy", "d"}, {"intro", "e"}});
  ASSERT_TRUE(lower.MergeStringBuffer(text.data(), text.size(), "lower"));
  labels.clear();
  lower.GetFlashStrings(labels);
  names.clear();
  for (str const& label : labels)
    names.push_back(S(label));
  EXPECT_EQ((std::vector<std::string>{"flash01_02", "flash7"}), names);
}

// ---------------------------------------------------------------------------------------
// Reading tables

TEST_F(StringTableTest, CellsResolveEscapesAndRowsNeedOnlyALabel)
{
  Load({{"amp", "Salt &amp; pepper"}, {"e&#233;", "caf&#233; &lt;b&gt;"}});
  EXPECT_EQ("Salt & pepper", Get("amp"));
  EXPECT_EQ("caf\xE9 <b>", Get("e\xE9"));

  std::string text = "<Row><Cell><Data>lonely</Data></Cell></Row>"
                     "<Row><Cell><Data>  spaced  </Data></Cell><Cell><Data></Data></Cell></Row>";
  ASSERT_TRUE(mTable.MergeStringBuffer(text.data(), text.size(), "short rows"));
  EXPECT_EQ("", Get("lonely"));
  EXPECT_EQ("", Get("  spaced  "));
}

TEST_F(StringTableTest, MergedFileReplacesLabelsAndLoadStartsAfresh)
{
  str main = WriteTemp("strings.xml", Sheet({{"title", "Main"}, {"keep", "kept"}}));
  str patch = WriteTemp("strings_patch.xml", MakeZxml(Sheet({{"title", "Patched"}, {"new", "added"}})));
  ASSERT_TRUE(mTable.LoadStringTable(main));
  ASSERT_TRUE(mTable.MergeStringTable(patch));
  EXPECT_EQ("Patched", Get("title"));
  EXPECT_EQ("kept", Get("keep"));
  EXPECT_EQ("added", Get("new"));

  ASSERT_TRUE(mTable.LoadStringTable(patch));
  EXPECT_EQ("#####", GetLogged("keep", 0, nullptr).first);
}

TEST_F(StringTableTest, CompressedTableReadsLikeItsPlainTwin)
{
  std::string plain = Sheet({{"a", "one &amp; two"}, {"b", "%1%!"}, {"c", ""}});
  std::string packed = MakeZxml(plain);
  TStringTable fromPacked;
  ASSERT_TRUE(fromPacked.MergeStringBuffer(packed.data(), packed.size(), "packed"));
  Load({{"a", "one &amp; two"}, {"b", "%1%!"}, {"c", ""}});
  for (char const* label : {"a", "b", "c"})
    EXPECT_EQ(Get(label, "x"), S(fromPacked.GetString(label, "x", "", "", "", ""))) << label;
}

TEST_F(StringTableTest, MissingFileFailsAndLeavesTheTable)
{
  Load({{"title", "Main"}});
  testing::internal::CaptureStderr();
  EXPECT_FALSE(mTable.MergeStringTable("::/nonexistent/strings.xml"));
  EXPECT_EQ(0u, testing::internal::GetCapturedStderr().find("ERROR: "));
  EXPECT_EQ("Main", Get("title"));
}

// ---------------------------------------------------------------------------------------
// Garbage

TEST_F(StringTableTest, GarbageIsRefusedWithAnErrorLine)
{
  Load({{"title", "Main"}});
  std::string good = MakeZxml(Sheet({{"title", "Other"}}));
  std::string lyingCompressed = good;
  lyingCompressed[7] = 0x7F; // compressed length far beyond the data
  std::string lyingPlain = good;
  lyingPlain[11] = (char)0xFF; // plain length near 4 GB
  std::string corrupt = good;
  corrupt[20] ^= 0x5A;
  corrupt[21] ^= 0xA5;
  std::string noise;
  for (int i = 0; i < 5000; ++i)
    noise += (char)((i * 7919) % 251 + 1);
  struct Case
  {
    char const* what;
    std::string bytes;
  } cases[] = {
      {"lying compressed length", lyingCompressed},
      {"lying plain length", lyingPlain},
      {"corrupt stream", corrupt},
      {"cut header", good.substr(0, 9)},
      {"noise", noise},
      {"empty", ""},
  };
  for (Case const& c : cases) {
    testing::internal::CaptureStderr();
    EXPECT_FALSE(mTable.MergeStringBuffer(c.bytes.data(), c.bytes.size(), c.what)) << c.what;
    std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(0u, log.find("ERROR: ")) << c.what << ": " << log;
    EXPECT_EQ(1, std::count(log.begin(), log.end(), '\n')) << c.what;
  }
  EXPECT_EQ("Main", Get("title"));
}

TEST_F(StringTableTest, BrokenRowsAreSkippedWithoutOverreading)
{
  std::string text = "<Row><Cell><Data" // a cell start tag cut short
                     "<Row><Cell><Data>ok</Data><Data>fine</Data>"
                     "<Row><Data>dangling"; // no "<" after the text
  ASSERT_TRUE(mTable.MergeStringBuffer(text.data(), text.size(), "broken"));
  EXPECT_EQ("fine", Get("ok"));
  EXPECT_EQ("#####", GetLogged("dangling", 0, nullptr).first);

  // The public cell finder stops at the limit and at a cut cell.
  char const* row = "<Data>a</Data><Data>b</Data>";
  str out("untouched");
  EXPECT_EQ(nullptr, GetRowString(row + 3, row, &out));
  EXPECT_EQ("untouched", S(out));
  char const* next = GetRowString(nullptr, row, &out);
  ASSERT_NE(next, nullptr);
  EXPECT_EQ("a", S(out));
  EXPECT_EQ(nullptr, GetRowString(nullptr, "<Data no end", &out));
}

TEST_F(StringTableTest, ManyEmptyRowsScanInOnePass)
{
  // A quarter of a million rows whose only cell is at the very end: a scan that looked
  // past each row's end would read the whole file once per row.
  std::string text;
  for (int i = 0; i < 250000; ++i)
    text += "<Row>";
  text += "<Data>last</Data><Data>found</Data>";
  ASSERT_TRUE(mTable.MergeStringBuffer(text.data(), text.size(), "many rows"));
  EXPECT_EQ("found", Get("last"));
}
