// Tests of the scene XML readers and list conversions: the documented examples, missing
// and empty attributes, long lists, and numbers under a comma-decimal locale.
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include "support/requirement.h"

#include "core/foundation/xmlnode.h"
#include "scene/xmlattributes.h"
#include "support/scenetestutil.h"

namespace {

TXmlNode Node(const char* name, const char* value)
{
  TXmlNode node("n");
  node.SetAttribute(name, value);
  return node;
}

} // namespace

TEST(XmlAttributes, SubStringFieldsAsDocumented)
{
  EXPECT_EQ(str("b"), getSubString("a,b,c", 1, 1, ","));
  EXPECT_EQ(str("b,c"), getSubString("a,b,c", 1, 1024, ","));
  EXPECT_EQ(str(""), getSubString("a,b", 5, 5, ","));
  EXPECT_EQ(str(""), getSubString("a,", 1, 1, ","));
  EXPECT_EQ(str("a"), getSubString("a;b", 0, 0, ",;"));
}

TEST(XmlAttributes, Vec2NeedsBothPieces)
{
  TVec2 fallback(-1, -2);
  bool found = true;
  TXmlNode five = Node("p", "5");
  TVec2 value = ReadTVec2AttributeEx(&found, &five, "p", fallback);
  EXPECT_FALSE(found);
  EXPECT_EQ(fallback, value);
  TXmlNode pair = Node("p", "5,6");
  EXPECT_EQ(TVec2(5, 6), ReadTVec2Attribute(&pair, "p", fallback));
  TXmlNode three = Node("p", "5,6,7");
  EXPECT_EQ(TVec2(5, 6), ReadTVec2Attribute(&three, "p", fallback));
  TXmlNode trailing = Node("p", "5,");
  EXPECT_EQ(fallback, ReadTVec2Attribute(&trailing, "p", fallback));
}

TEST(XmlAttributes, EmptyOrMissingAttributeGivesTheDefault)
{
  TXmlNode node = Node("i", "");
  bool found = true;
  EXPECT_EQ(42, ReadIntAttributeEx(&found, &node, "i", 42));
  EXPECT_FALSE(found);
  EXPECT_EQ(7, ReadIntAttribute(&node, "missing", 7));
  EXPECT_EQ(2.5f, ReadTRealAttribute(&node, "missing", 2.5f));
  EXPECT_TRUE(ReadBoolAttribute(&node, "missing", true));
  TXmlNode text = Node("i", "abc");
  EXPECT_EQ(0, ReadIntAttributeEx(&found, &text, "i", 42));
  EXPECT_TRUE(found);
  TXmlNode flag = Node("b", "2");
  EXPECT_TRUE(ReadBoolAttribute(&flag, "b", false));
  TXmlNode off = Node("b", "0");
  EXPECT_FALSE(ReadBoolAttribute(&off, "b", true));
}

TEST(XmlAttributes, IntegersOutsideTheIntRangeAreHeldAtItsEnds)
{
  TXmlNode big = Node("i", "99999999999999999999");
  EXPECT_EQ(2147483647, ReadIntAttribute(&big, "i", 0));
  TXmlNode small = Node("i", "-99999999999999999999");
  EXPECT_EQ(-2147483647 - 1, ReadIntAttribute(&small, "i", 0));
  TXmlNode nan = Node("r", "nan");
  EXPECT_EQ(0.0f, ReadTRealAttribute(&nan, "r", 1.0f));
}

TEST(XmlAttributes, ListConversionsAsDocumented)
{
  std::vector<float> reals;
  str_to_real("1,,2", &reals);
  EXPECT_EQ((std::vector<float>{1, 0, 2}), reals);
  reals.clear();
  str_to_real("1,2,", &reals);
  EXPECT_EQ((std::vector<float>{1, 2}), reals);
  reals.clear();
  str_to_real("", &reals);
  EXPECT_TRUE(reals.empty());
  str_to_real("1.5,2.5", &reals);
  EXPECT_EQ((std::vector<float>{1.5f, 2.5f}), reals);

  std::vector<int> ints{9};
  str_to_int("3, 4,x,5", &ints);
  EXPECT_EQ((std::vector<int>{9, 3, 4, 0, 5}), ints);

  std::vector<TVec2> points;
  str_to_vec2("10,20,30,40", &points);
  ASSERT_EQ(2u, points.size());
  EXPECT_EQ(TVec2(30, 40), points[1]);
  points.clear();
  str_to_vec2("1,2,3", &points);
  ASSERT_EQ(1u, points.size());
  EXPECT_EQ(TVec2(1, 2), points[0]);
}

TEST(XmlAttributes, WritersAppendJoinedByCommas)
{
  str out;
  std::vector<float> reals{1, 2.5f};
  real_to_str(&out, &reals);
  EXPECT_EQ(str("1.000000,2.500000"), out);
  std::vector<int> ints{3, -4};
  out = "x";
  int_to_str(&out, &ints);
  EXPECT_EQ(str("x3,-4"), out);
  std::vector<TVec2> points{TVec2(1, 2), TVec2(0.5f, 0)};
  str joined;
  vec2_to_str(&joined, &points);
  EXPECT_EQ(str("1.000000,2.000000,0.500000,0.000000"), joined);
  std::vector<int> none;
  int_to_str(&joined, &none);
  EXPECT_EQ(str("1.000000,2.000000,0.500000,0.000000"), joined);
}

TEST(XmlAttributes, ArrayReaderFillsMissingPiecesFromTheDefaults)
{
  const float defaults[4] = {0, 0, 0, 1};
  float colour[4];
  TXmlNode full = Node("fc", "1,0.5,0.25,0.75");
  EXPECT_TRUE(ReadTRealArrayAttributeEx(&full, "fc", colour, defaults, 4));
  EXPECT_EQ(0.75f, colour[3]);
  TXmlNode part = Node("fc", "1,0.5");
  EXPECT_FALSE(ReadTRealArrayAttributeEx(&part, "fc", colour, defaults, 4));
  EXPECT_EQ(0.5f, colour[1]);
  EXPECT_EQ(0.0f, colour[2]);
  EXPECT_EQ(1.0f, colour[3]);
}

TEST(XmlAttributes, ListsOfManyThousandNumbersKeepEveryNumber)
{
  std::string text;
  for (int i = 0; i < 5000; ++i)
    text += std::to_string(i) + ",";
  std::vector<int> ints;
  str_to_int(text.c_str(), &ints);
  ASSERT_EQ(5000u, ints.size());
  EXPECT_EQ(4999, ints.back());
  str joined;
  int_to_str(&joined, &ints);
  EXPECT_EQ(text.substr(0, text.size() - 1), std::string(joined.c_str()));
}

TEST(XmlAttributes, NumbersIgnoreACommaDecimalLocale)
{
  TCommaLocale locale;
  TXmlNode node = Node("r", "1.5");
  EXPECT_EQ(1.5f, ReadTRealAttribute(&node, "r", 0));
  std::vector<float> reals;
  str_to_real("1.5,2.25", &reals);
  EXPECT_EQ((std::vector<float>{1.5f, 2.25f}), reals);
  TXmlNode out("n");
  SetTRealAttribute(&out, "a", 0.5f);
  EXPECT_EQ(str("0.500000"), out.GetAttribute("a"));
  SetTVec2Attribute(&out, "p", TVec2(10, 20));
  EXPECT_EQ(str("10.000000,20.000000"), out.GetAttribute("p"));
  str joined;
  real_to_str(&joined, &reals);
  EXPECT_EQ(str("1.500000,2.250000"), joined);
  if (!locale.Switched())
    QV_SKIP_UNLESS_REQUIRED("no comma-decimal locale installed; checked in the C locale only");
}
