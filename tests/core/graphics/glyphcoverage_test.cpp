// Glyph coverage against an independent rasteriser: every printable ASCII glyph of the
// generated fonts, drawn by the engine's rasteriser and by FreeType from the same outlines.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "core/graphics/defaultfont.h"
#include "core/graphics/mvecfont.h"
#include "core/graphics/qvminivecdraw.h"
#include "support/gfxfixture.h"

namespace {

// The target the glyphs are drawn into, in pixels.
const int kSide = 160;
// Per pixel the rasterisers may disagree by what sampling and cutting curves into lines
// leave along an edge (a sub-row missing or counted twice is a quarter); on average over
// the pixels a glyph touches they must agree closely.
const double kPixelTolerance = 0.15;
const double kMeanTolerance = 0.04;

// How a glyph is placed: size in pixels per em, sub-pixel phases (quarter pixels), a
// horizontal stretch and a rotation.
struct TPlacement
{
  float pixelsPerEm;
  int phaseX;
  int phaseY;
  float stretchX;
  float degrees;
};

// Coverage 0..1 per pixel, rows top-down.
typedef std::vector<double> TCoverage;

int16_t Coord(const unsigned char* at)
{
  return int16_t(uint16_t(at[0] | at[1] << 8));
}

// The font's outline coordinates are 1/128 of a font unit; an em is 2048 units of the
// source font, so 16 font units.
const float kFontUnitsPerEm = 16.0f;

class GlyphCoverageTest : public GfxTest
{
protected:
  void SetUp() override
  {
    GfxTest::SetUp();
    if (IsSkipped())
      return;
    ASSERT_EQ(FT_Init_FreeType(&mLibrary), 0);
    mTexture = TTexture::Create(kSide, kSide, true);
    ASSERT_TRUE(mTexture);
    mRaster.reset(new TQvMiniVecDraw());
    mRaster->Calibrate();
    mRaster->SetCopy(true);
    mRaster->SetColor(1, TColor(1, 1, 1, 1), 1.0f);
  }

  void TearDown() override
  {
    mRaster.reset();
    mTexture.reset();
    if (mLibrary)
      FT_Done_FreeType(mLibrary);
    GfxTest::TearDown();
  }

  // The pen position in quarter pixels that puts the glyph's em box in the target's middle.
  static void Pen(const TPlacement& place, int* x, int* y)
  {
    *x = 4 * (kSide / 2) - int(std::lround(place.pixelsPerEm * 2.0f)) + place.phaseX;
    *y = 4 * (kSide / 2) + int(std::lround(place.pixelsPerEm * 1.5f)) + place.phaseY;
  }

  // Font units to quarter pixels, as the rasteriser maps them before the pen is added.
  static void Transform(const TPlacement& place, float fx, float fy, float* qx, float* qy)
  {
    const float scale = 4.0f * place.pixelsPerEm / kFontUnitsPerEm;
    const float x = fx * scale * place.stretchX;
    const float y = fy * scale;
    const float radians = place.degrees * 3.14159265f / 180.0f;
    const float c = std::cos(radians), s = std::sin(radians);
    *qx = x * c - y * s;
    *qy = x * s + y * c;
  }

  TCoverage Engine(const unsigned char* program, const TPlacement& place)
  {
    const float scale = 4.0f * place.pixelsPerEm / kFontUnitsPerEm;
    const float radians = place.degrees * 3.14159265f / 180.0f;
    mRaster->SetScale(scale * place.stretchX, scale);
    mRaster->SetRotation(std::cos(radians), std::sin(radians));
    Clear();
    int penX, penY;
    Pen(place, &penX, &penY);
    mRaster->Start(0.0f, 0.0f, mTexture);
    mRaster->Draw(program, penX, penY);
    mRaster->Stop();
    TCoverage coverage(kSide * kSide, 0.0);
    TColor32* pixels = nullptr;
    unsigned pitch = 0;
    EXPECT_TRUE(mTexture->Lock(&pixels, &pitch));
    for (int y = 0; y < kSide; ++y)
      for (int x = 0; x < kSide; ++x)
        coverage[y * kSide + x] = pixels[y * pitch + x].Alpha() / 255.0;
    mTexture->Unlock();
    return coverage;
  }

  // FreeType's own anti-aliasing rasteriser (exact area coverage, curves followed
  // closely, non-zero winding as TrueType means it) over the same outline and placement.
  TCoverage Oracle(const unsigned char* program, const TPlacement& place)
  {
    std::vector<FT_Vector> points;
    std::vector<char> tags;
    std::vector<short> contours;
    int penX, penY;
    Pen(place, &penX, &penY);
    auto add = [&](const unsigned char* at, char tag) {
      float qx, qy;
      Transform(place, Coord(at) / 128.0f, Coord(at + 2) / 128.0f, &qx, &qy);
      // Quarter pixels to 26.6 with y pointing up from the bottom of the target.
      FT_Vector point;
      point.x = FT_Pos(std::lround((penX + qx) * 16.0f));
      point.y = FT_Pos(std::lround((4.0f * kSide - (penY + qy)) * 16.0f));
      points.push_back(point);
      tags.push_back(tag);
    };
    for (const unsigned char* at = program; *at != kMvecEnd;) {
      switch (*at) {
      case kMvecStyleGroup:
        at += 1;
        break;
      case kMvecLeftFill:
      case kMvecRightFill:
        at += 2;
        break;
      case kMvecMoveTo:
        if (!points.empty())
          contours.push_back(short(points.size() - 1));
        add(at + 1, FT_CURVE_TAG_ON);
        at += 5;
        break;
      case kMvecLineTo:
        add(at + 1, FT_CURVE_TAG_ON);
        at += 5;
        break;
      case kMvecCurveTo:
        add(at + 1, FT_CURVE_TAG_CONIC);
        add(at + 5, FT_CURVE_TAG_ON);
        at += 9;
        break;
      default:
        ADD_FAILURE() << "opcode " << int(*at);
        return TCoverage(kSide * kSide, 0.0);
      }
    }
    if (!points.empty())
      contours.push_back(short(points.size() - 1));
    TCoverage coverage(kSide * kSide, 0.0);
    if (points.empty())
      return coverage;
    FT_Outline outline = {};
    outline.n_points = short(points.size());
    outline.n_contours = short(contours.size());
    outline.points = points.data();
    outline.tags = tags.data();
    outline.contours = contours.data();
    std::vector<unsigned char> buffer(kSide * kSide, 0);
    FT_Bitmap bitmap = {};
    bitmap.rows = kSide;
    bitmap.width = kSide;
    bitmap.pitch = kSide;
    bitmap.buffer = buffer.data();
    bitmap.num_grays = 256;
    bitmap.pixel_mode = FT_PIXEL_MODE_GRAY;
    EXPECT_EQ(FT_Outline_Get_Bitmap(mLibrary, &outline, &bitmap), 0);
    for (int i = 0; i < kSide * kSide; ++i)
      coverage[i] = buffer[i] / 255.0;
    return coverage;
  }

  void Clear()
  {
    TColor32* pixels = nullptr;
    unsigned pitch = 0;
    ASSERT_TRUE(mTexture->Lock(&pixels, &pitch));
    for (int y = 0; y < kSide; ++y)
      for (int x = 0; x < kSide; ++x)
        pixels[y * pitch + x] = TColor32(0u);
    mTexture->Unlock();
  }

  // Compares one glyph; a failure names it and where it was placed.
  void Compare(const TMvecFont& font, unsigned code, const TPlacement& place, const char* fontName)
  {
    const int index = font.GetGlyphIndex(code);
    ASSERT_GE(index, 0) << fontName << " has no '" << char(code) << "'";
    const unsigned char* program = font.GetGlyphData(index);
    const TCoverage engine = Engine(program, place);
    const TCoverage oracle = Oracle(program, place);
    double worst = 0.0, sum = 0.0;
    int touched = 0, worstAt = 0;
    for (int i = 0; i < kSide * kSide; ++i) {
      const double difference = std::fabs(engine[i] - oracle[i]);
      sum += difference;
      touched += engine[i] > 0.0 || oracle[i] > 0.0;
      if (difference > worst) {
        worst = difference;
        worstAt = i;
      }
    }
    const double mean = touched > 0 ? sum / touched : 0.0;
    EXPECT_LE(worst, kPixelTolerance) << fontName << " '" << char(code) << "' at " << place.pixelsPerEm << " px, phase "
                                      << place.phaseX << "," << place.phaseY << ", stretch " << place.stretchX << ", "
                                      << place.degrees << " degrees: pixel " << worstAt % kSide << ","
                                      << worstAt / kSide << " is " << engine[worstAt] << ", not " << oracle[worstAt];
    EXPECT_LE(mean, kMeanTolerance) << fontName << " '" << char(code) << "' at " << place.pixelsPerEm
                                    << " px: mean difference " << mean;
  }

  FT_Library mLibrary = nullptr;
  boost::shared_ptr<TTexture> mTexture;
  std::unique_ptr<TQvMiniVecDraw> mRaster;
};

// The built-in font, and the generated font files the game's data names.
std::vector<std::pair<std::string, std::vector<unsigned char>>> Fonts()
{
  std::vector<std::pair<std::string, std::vector<unsigned char>>> fonts;
  fonts.emplace_back("built-in", std::vector<unsigned char>(kDefaultFontData, kDefaultFontData + kDefaultFontSize));
#ifdef QV_FONT_DIR
  for (const char* name : {"default.mvec", "arial.mvec"}) {
    std::ifstream file(std::string(QV_FONT_DIR) + "/" + name, std::ios::binary);
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (!bytes.empty())
      fonts.emplace_back(name, bytes);
  }
#endif
  return fonts;
}

std::unique_ptr<TMvecFont> Load(const std::vector<unsigned char>& bytes)
{
  unsigned char* copy = new unsigned char[bytes.size()];
  std::copy(bytes.begin(), bytes.end(), copy);
  return std::unique_ptr<TMvecFont>(new TMvecFont(copy, bytes.size()));
}

// Pixels of the glyph's holes: clear in the oracle and walled off from the target's edge
// by ink.
std::vector<int> Holes(const TCoverage& oracle)
{
  std::vector<char> outside(oracle.size(), 0);
  std::vector<int> stack;
  for (int i = 0; i < kSide; ++i) {
    for (int edge : {i, (kSide - 1) * kSide + i, i * kSide, i * kSide + kSide - 1})
      stack.push_back(edge);
  }
  while (!stack.empty()) {
    const int at = stack.back();
    stack.pop_back();
    if (outside[at] || oracle[at] > 0.0)
      continue;
    outside[at] = 1;
    const int x = at % kSide, y = at / kSide;
    if (x > 0)
      stack.push_back(at - 1);
    if (x + 1 < kSide)
      stack.push_back(at + 1);
    if (y > 0)
      stack.push_back(at - kSide);
    if (y + 1 < kSide)
      stack.push_back(at + kSide);
  }
  std::vector<int> holes;
  for (int i = 0; i < kSide * kSide; ++i)
    if (!outside[i] && oracle[i] == 0.0)
      holes.push_back(i);
  return holes;
}

} // namespace

TEST_F(GlyphCoverageTest, EveryPrintableGlyphMatchesTheOracleAtEverySizeAndPhase)
{
  for (const auto& entry : Fonts()) {
    std::unique_ptr<TMvecFont> font = Load(entry.second);
    ASSERT_GT(font->GetGlyphCount(), 90) << entry.first;
    int step = 0;
    for (float size : {10.0f, 13.0f, 18.0f, 20.0f, 32.0f, 48.0f}) {
      for (unsigned code = 33; code <= 126; ++code, ++step) {
        // Each glyph at another of the sixteen sub-pixel phases.
        Compare(*font, code, TPlacement{size, step % 4, (step / 4) % 4, 1.0f, 0.0f}, entry.first.c_str());
        if (HasFailure())
          return;
      }
    }
  }
}

TEST_F(GlyphCoverageTest, StretchedAndRotatedGlyphsMatchTheOracle)
{
  std::unique_ptr<TMvecFont> font = Load(Fonts().front().second);
  int step = 0;
  for (const TPlacement& base :
       {TPlacement{24.0f, 0, 0, 1.5f, 0.0f}, TPlacement{24.0f, 0, 0, 0.75f, 0.0f}, TPlacement{28.0f, 0, 0, 1.0f, 30.0f},
        TPlacement{20.0f, 0, 0, 1.0f, -90.0f}, TPlacement{36.0f, 0, 0, 1.25f, 200.0f}}) {
    for (unsigned code = 33; code <= 126; ++code, ++step) {
      TPlacement place = base;
      place.phaseX = step % 4;
      place.phaseY = (step / 4) % 4;
      Compare(*font, code, place, "built-in");
      if (HasFailure())
        return;
    }
  }
}

TEST_F(GlyphCoverageTest, TheHolesOfLettersStayEmpty)
{
  for (const auto& entry : Fonts()) {
    std::unique_ptr<TMvecFont> font = Load(entry.second);
    for (const char* letters = "oeaBQ8"; *letters; ++letters) {
      const unsigned char* program = font->GetGlyphData(font->GetGlyphIndex((unsigned char)*letters));
      for (float size : {13.0f, 20.0f, 32.0f, 64.0f}) {
        for (int phase = 0; phase < 4; ++phase) {
          const TPlacement place{size, phase, 3 - phase, 1.0f, 0.0f};
          const std::vector<int> holes = Holes(Oracle(program, place));
          if (size >= 20.0f) {
            EXPECT_FALSE(holes.empty()) << entry.first << " '" << *letters << "' at " << size << " px has no hole";
          }
          const TCoverage engine = Engine(program, place);
          int filled = 0;
          for (int at : holes)
            filled += engine[at] > 0.0;
          EXPECT_EQ(filled, 0) << entry.first << " '" << *letters << "' at " << size << " px, phase " << phase << ": "
                               << filled << " of " << holes.size() << " hole pixels have ink";
        }
      }
    }
  }
}
