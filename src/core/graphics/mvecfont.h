// mvecfont: the in-memory view of one ".mvec" vector font (glyph metrics and outline
// programs by character code); checked on load, read by the glyph rasteriser and text layout.
#pragma once

#include <cstdint>
#include <vector>

// Outline program opcodes.
enum EMvecOpcode
{
  kMvecStyleGroup = 1,
  kMvecLeftFill = 2,
  kMvecRightFill = 3,
  kMvecMoveTo = 4,
  kMvecLineTo = 5,
  kMvecCurveTo = 6,
  kMvecColor = 7,
  kMvecEnd = 8
};

class TMvecFont
{
public:
  // Shares of the line box above the ascent and below the descent.
  static constexpr float kTopLeading = 0.15f;
  static constexpr float kBottomLeading = 0.05f;

  // Takes over the buffer (allocated with new[]). A buffer that is null, too short, not
  // "MVC4", or whose records or programs do not lie inside it gives an empty font.
  TMvecFont(unsigned char* data, unsigned long size);
  ~TMvecFont();

  // The length of the program starting at program, up to and including its end
  // command, when it ends inside the available bytes; 0 when it runs off the end.
  static unsigned long ProgramLength(const unsigned char* program, unsigned long available);

  int GetGlyphCount() const { return mGlyphCount; }
  // Binary search; -1 when absent.
  int GetGlyphIndex(unsigned long code) const;
  const unsigned char* GetGlyphData(int index) const;
  unsigned long GetGlyphCode(int index) const;
  float GetGlyphMinX(int index) const;
  float GetGlyphMaxX(int index) const;
  float GetGlyphMinY(int index) const;
  float GetGlyphMaxY(int index) const;
  float GetGlyphAdvance(int index) const;
  float GetGlyphScaleY(int index) const;

  float GetAscent() const { return mAscent; }
  float GetDescent() const { return mDescent; }
  // A font the layout can use: it has glyphs and a line box of positive height.
  bool IsUsable() const { return mGlyphCount > 0 && mAscent + mDescent > 0.0f; }
  float GetLinePercent() const { return 1.0f - kTopLeading - kBottomLeading; }
  float GetLeading(bool top) const;
  bool GetForceBold() const { return mForceBold != 0; }
  float GetBoldScale() const { return mBoldScale; }

private:
  TMvecFont(const TMvecFont&) = delete;
  TMvecFont& operator=(const TMvecFont&) = delete;

  bool Load(unsigned long size);
  int16_t RecordField(int index, int offset) const;

  unsigned char* mData;
  int mGlyphCount;
  std::vector<uint32_t> mCodes;
  std::vector<float> mScaleY;
  float mAscent;
  float mDescent;
  unsigned char mForceBold;
  float mBoldScale;
};
