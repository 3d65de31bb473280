// mvecfont: the in-memory view of one ".mvec" vector font (glyph metrics and outline
// programs by character code); checked on load, read by the glyph rasteriser and text layout.
#include "core/graphics/mvecfont.h"

#include <algorithm>
#include <cstring>

#include "core/foundation/debug.h"

namespace {

const unsigned long kHeaderSize = 12;
const unsigned long kRecordSize = 18;

uint32_t Read32(const unsigned char* p)
{
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

int16_t Read16(const unsigned char* p)
{
  return int16_t(uint16_t(p[0] | p[1] << 8));
}

} // namespace

TMvecFont::TMvecFont(unsigned char* data, unsigned long size)
    : mData(data), mGlyphCount(0), mAscent(0.0f), mDescent(0.0f), mForceBold(0), mBoldScale(1.0f)
{
  if (!Load(size)) {
    mGlyphCount = 0;
    mCodes.clear();
    mScaleY.clear();
    mAscent = mDescent = 0.0f;
  }
}

TMvecFont::~TMvecFont()
{
  delete[] mData;
}

unsigned long TMvecFont::ProgramLength(const unsigned char* program, unsigned long available)
{
  unsigned long at = 0;
  while (at < available) {
    unsigned long operands = 0;
    switch (program[at]) {
    case kMvecStyleGroup:
      break;
    case kMvecLeftFill:
    case kMvecRightFill:
      operands = 1;
      break;
    case kMvecMoveTo:
    case kMvecLineTo:
      operands = 4;
      break;
    case kMvecCurveTo:
      operands = 8;
      break;
    case kMvecColor:
      operands = 3;
      break;
    default:
      // The end command, and every unknown opcode, ends the program.
      return at + 1;
    }
    at += 1 + operands;
  }
  return 0;
}

bool TMvecFont::Load(unsigned long size)
{
  if (!mData || size < kHeaderSize || std::memcmp(mData, "MVC4", 4) != 0) {
    if (mData) {
      WriteDbg("ERROR: Vector font has no MVC4 header");
    }
    return false;
  }
  const unsigned long count = uint16_t(mData[4] | mData[5] << 8);
  if (count * kRecordSize > size - kHeaderSize) {
    WriteDbg("ERROR: Vector font glyph table (%lu glyphs) runs past the end of its %lu bytes", count, size);
    return false;
  }
  mCodes.resize(count);
  for (unsigned long i = 0; i < count; ++i) {
    const unsigned char* record = mData + kHeaderSize + i * kRecordSize;
    mCodes[i] = Read32(record);
    const uint32_t offset = Read32(record + 14);
    if (i > 0 && mCodes[i] <= mCodes[i - 1]) {
      WriteDbg("ERROR: Vector font glyph records are not sorted at %lu", i);
      return false;
    }
    if (offset >= size || ProgramLength(mData + offset, size - offset) == 0) {
      WriteDbg("ERROR: Vector font glyph %lu has its outline outside the file", i);
      return false;
    }
  }
  mGlyphCount = int(count);

  const int w = GetGlyphIndex('W');
  if (w >= 0) {
    mAscent = -GetGlyphMinY(w);
  } else {
    // No "W" to measure: the tallest glyph stands in for it.
    for (int i = 0; i < mGlyphCount; ++i) {
      mAscent = std::max(mAscent, -GetGlyphMinY(i));
    }
  }
  for (int i = 0; i < mGlyphCount && mCodes[i] < 128; ++i) {
    if (mCodes[i] != '_') {
      mDescent = std::max(mDescent, GetGlyphMaxY(i));
    }
  }

  mScaleY.assign(count, 1.0f);
  const float above = mAscent + GetLeading(true);
  const float below = mDescent + GetLeading(false);
  for (int i = 0; i < mGlyphCount; ++i) {
    const float up = above > 0.0f ? -GetGlyphMinY(i) / above : 0.0f;
    const float down = below > 0.0f ? GetGlyphMaxY(i) / below : 0.0f;
    const float tallest = std::max(up, down);
    if (tallest > 1.0f) {
      mScaleY[i] = 1.0f / tallest;
    }
  }
  return true;
}

int TMvecFont::GetGlyphIndex(unsigned long code) const
{
  int low = 0;
  int high = mGlyphCount - 1;
  while (low <= high) {
    const int middle = (low + high) / 2;
    if (mCodes[middle] == code) {
      return middle;
    }
    if (mCodes[middle] < code) {
      low = middle + 1;
    } else {
      high = middle - 1;
    }
  }
  return -1;
}

int16_t TMvecFont::RecordField(int index, int offset) const
{
  return Read16(mData + kHeaderSize + index * kRecordSize + offset);
}

const unsigned char* TMvecFont::GetGlyphData(int index) const
{
  if (index < 0 || index >= mGlyphCount) {
    return nullptr;
  }
  return mData + Read32(mData + kHeaderSize + index * kRecordSize + 14);
}

unsigned long TMvecFont::GetGlyphCode(int index) const
{
  return index >= 0 && index < mGlyphCount ? mCodes[index] : 0;
}

float TMvecFont::GetGlyphMinX(int index) const
{
  return index >= 0 && index < mGlyphCount ? RecordField(index, 4) / 128.0f : 0.0f;
}

float TMvecFont::GetGlyphMaxX(int index) const
{
  return index >= 0 && index < mGlyphCount ? RecordField(index, 6) / 128.0f : 0.0f;
}

float TMvecFont::GetGlyphMinY(int index) const
{
  return index >= 0 && index < mGlyphCount ? RecordField(index, 8) / 128.0f : 0.0f;
}

float TMvecFont::GetGlyphMaxY(int index) const
{
  return index >= 0 && index < mGlyphCount ? RecordField(index, 10) / 128.0f : 0.0f;
}

float TMvecFont::GetGlyphAdvance(int index) const
{
  return index >= 0 && index < mGlyphCount ? RecordField(index, 12) / 128.0f : 0.0f;
}

float TMvecFont::GetGlyphScaleY(int index) const
{
  return index >= 0 && index < mGlyphCount ? mScaleY[index] : 1.0f;
}

float TMvecFont::GetLeading(bool top) const
{
  const float total = (mAscent + mDescent) * (kTopLeading + kBottomLeading) / GetLinePercent();
  return top ? total * kTopLeading / 0.2f : total * kBottomLeading / 0.2f;
}
