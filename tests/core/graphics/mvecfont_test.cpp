// Tests of the vector font reader: lookups, metrics, squeezing of tall glyphs, and the
// checks that turn short or corrupt files into empty fonts.
#include <gtest/gtest.h>

#include "core/graphics/defaultfont.h"
#include "core/graphics/mvecfont.h"
#include "support/mvecbuilder.h"

namespace {

TMvecFont* MakeFont(const std::vector<uint8_t>& bytes)
{
  return new TMvecFont(CopyFontBytes(bytes), bytes.size());
}

} // namespace

TEST(MvecFont, LookupFindsCodesAndRefusesOutsideTheTable)
{
  std::unique_ptr<TMvecFont> font(MakeFont(BuildMvec(HandFontGlyphs())));
  ASSERT_EQ(font->GetGlyphCount(), 5);
  EXPECT_EQ(font->GetGlyphIndex(' '), 0);
  EXPECT_EQ(font->GetGlyphIndex('W'), 2);
  EXPECT_EQ(font->GetGlyphIndex('i'), 4);
  EXPECT_EQ(font->GetGlyphIndex(31), -1);
  EXPECT_EQ(font->GetGlyphIndex('j'), -1);
  EXPECT_EQ(font->GetGlyphIndex('B'), -1);
  EXPECT_EQ(font->GetGlyphIndex(0x1F600), -1);
}

TEST(MvecFont, MetricsComeFromWAndTheDeepestAsciiGlyph)
{
  std::vector<TTestGlyph> glyphs = HandFontGlyphs();
  // An underscore below everything does not count towards the descent.
  glyphs.insert(glyphs.begin() + 3, RectGlyph('_', 0, 0, 1024, 1024, 1024));
  std::unique_ptr<TMvecFont> font(MakeFont(BuildMvec(glyphs)));
  EXPECT_FLOAT_EQ(font->GetAscent(), 8.0f);
  EXPECT_FLOAT_EQ(font->GetDescent(), 2.0f);
  EXPECT_FLOAT_EQ(font->GetLinePercent(), 0.8f);
  EXPECT_FLOAT_EQ(font->GetLeading(true), 1.875f);
  EXPECT_FLOAT_EQ(font->GetLeading(true), 3.0f * font->GetLeading(false));
  const int g = font->GetGlyphIndex('g');
  EXPECT_FLOAT_EQ(font->GetGlyphMinX(g), 0.0f);
  EXPECT_FLOAT_EQ(font->GetGlyphMaxX(g), 8.0f);
  EXPECT_FLOAT_EQ(font->GetGlyphMinY(g), -6.0f);
  EXPECT_FLOAT_EQ(font->GetGlyphMaxY(g), 2.0f);
  EXPECT_FLOAT_EQ(font->GetGlyphAdvance(font->GetGlyphIndex('i')), 4.0f);
  EXPECT_FALSE(font->GetForceBold());
  EXPECT_FLOAT_EQ(font->GetBoldScale(), 1.0f);
}

TEST(MvecFont, GlyphsTallerThanTheLineBoxAreSqueezed)
{
  std::vector<TTestGlyph> glyphs = HandFontGlyphs();
  // Above the ascent plus top leading (9.875 units): 16 units tall.
  glyphs.insert(glyphs.begin() + 1, RectGlyph('!', 0, -2048, 256, 0, 512));
  std::unique_ptr<TMvecFont> font(MakeFont(BuildMvec(glyphs)));
  EXPECT_NEAR(font->GetGlyphScaleY(font->GetGlyphIndex('!')), 9.875f / 16.0f, 1e-6);
  EXPECT_FLOAT_EQ(font->GetGlyphScaleY(font->GetGlyphIndex('A')), 1.0f);
  EXPECT_FLOAT_EQ(font->GetGlyphScaleY(font->GetGlyphIndex('g')), 1.0f);
}

TEST(MvecFont, QueriesOutOfRangeGiveNeutralValues)
{
  std::unique_ptr<TMvecFont> font(MakeFont(BuildMvec(HandFontGlyphs())));
  for (int index : {-1, 5, 1000}) {
    EXPECT_EQ(font->GetGlyphData(index), nullptr);
    EXPECT_EQ(font->GetGlyphAdvance(index), 0.0f);
    EXPECT_EQ(font->GetGlyphMinX(index), 0.0f);
    EXPECT_EQ(font->GetGlyphMaxX(index), 0.0f);
    EXPECT_EQ(font->GetGlyphScaleY(index), 1.0f);
  }
  ASSERT_NE(font->GetGlyphData(1), nullptr);
  EXPECT_EQ(font->GetGlyphData(1)[0], 2);
}

TEST(MvecFont, FontWithoutWTakesItsAscentFromTheTallestGlyph)
{
  std::unique_ptr<TMvecFont> font(
      MakeFont(BuildMvec({RectGlyph('a', 0, -640, 512, 0, 512), RectGlyph('b', 0, -896, 512, 0, 512)})));
  EXPECT_FLOAT_EQ(font->GetAscent(), 7.0f);
  EXPECT_FLOAT_EQ(font->GetDescent(), 0.0f);
  EXPECT_TRUE(font->IsUsable());
}

TEST(MvecFont, BadOrDamagedFilesGiveEmptyFonts)
{
  const std::vector<uint8_t> good = BuildMvec(HandFontGlyphs());
  std::vector<std::vector<uint8_t>> bad;
  std::vector<uint8_t> magic = good;
  magic[3] = '3';
  bad.push_back(magic);
  bad.push_back(std::vector<uint8_t>(good.begin(), good.begin() + 8));           // header cut short
  bad.push_back(std::vector<uint8_t>(good.begin(), good.begin() + 12 + 18 * 3)); // table cut short
  std::vector<uint8_t> count = good;
  count[4] = 0xFF; // 255 glyphs announced
  bad.push_back(count);
  std::vector<uint8_t> offset = good;
  offset[12 + 18 + 14] = 0xF0; // second record's outline far past the end
  offset[12 + 18 + 15] = 0xFF;
  bad.push_back(offset);
  // The last program loses its end command.
  bad.push_back(std::vector<uint8_t>(good.begin(), good.end() - 1));
  std::vector<uint8_t> unsorted = BuildMvec({RectGlyph('b', 0, -8, 8, 0, 8), RectGlyph('a', 0, -8, 8, 0, 8)});
  bad.push_back(unsorted);

  for (size_t i = 0; i < bad.size(); ++i) {
    std::unique_ptr<TMvecFont> font(MakeFont(bad[i]));
    EXPECT_EQ(font->GetGlyphCount(), 0) << "case " << i;
    EXPECT_EQ(font->GetGlyphIndex('A'), -1) << "case " << i;
    EXPECT_FALSE(font->IsUsable()) << "case " << i;
    EXPECT_EQ(font->GetAscent(), 0.0f);
  }
  TMvecFont none(nullptr, 0);
  EXPECT_EQ(none.GetGlyphIndex('A'), -1);
  EXPECT_FLOAT_EQ(none.GetBoldScale(), 1.0f);
}

TEST(MvecFont, FontWithoutGlyphsIsNotUsable)
{
  std::unique_ptr<TMvecFont> empty(MakeFont(BuildMvec({})));
  EXPECT_FALSE(empty->IsUsable());
  // Glyphs that have no height give a line box of height 0.
  std::unique_ptr<TMvecFont> flat(MakeFont(BuildMvec({TTestGlyph{'W', 0, 0, 0, 0, 512, {8}}})));
  EXPECT_EQ(flat->GetGlyphCount(), 1);
  EXPECT_FALSE(flat->IsUsable());
}

TEST(MvecFont, UnknownOpcodesEndAProgram)
{
  const uint8_t zero[] = {2, 1, 0, 5, 5};
  const uint8_t nine[] = {4, 1, 0, 1, 0, 9};
  const uint8_t runsOff[] = {6, 1, 0, 1, 0, 1};
  const uint8_t groups[] = {1, 7, 255, 0, 0, 3, 1, 8};
  EXPECT_EQ(TMvecFont::ProgramLength(zero, sizeof(zero)), 3u);
  EXPECT_EQ(TMvecFont::ProgramLength(nine, sizeof(nine)), 6u);
  EXPECT_EQ(TMvecFont::ProgramLength(runsOff, sizeof(runsOff)), 0u);
  EXPECT_EQ(TMvecFont::ProgramLength(groups, sizeof(groups)), sizeof(groups));
}

TEST(MvecFont, BuiltInFontIsAWholeTextFont)
{
  std::unique_ptr<TMvecFont> font(new TMvecFont(
      CopyFontBytes(std::vector<uint8_t>(kDefaultFontData, kDefaultFontData + kDefaultFontSize)), kDefaultFontSize));
  ASSERT_TRUE(font->IsUsable());
  for (unsigned long code = 32; code < 127; ++code) {
    EXPECT_GE(font->GetGlyphIndex(code), 0) << code;
  }
  EXPECT_GE(font->GetGlyphIndex(0xE9), 0);
  EXPECT_GE(font->GetGlyphIndex(0x20AC), 0);
  EXPECT_GT(font->GetAscent(), font->GetDescent());
  EXPECT_GT(font->GetDescent(), 0.0f);
}
