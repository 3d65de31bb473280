// textgraphic: rich text laid out from tagged UTF-8 into lines of styled runs and drawn
// with vector fonts through the glyph rasteriser; also the registry of loaded fonts.
#pragma once

#include <map>
#include <vector>

#include <boost/shared_ptr.hpp>

#include "core/foundation/color.h"
#include "core/foundation/rect.h"
#include "core/foundation/str.h"
#include "core/foundation/vec.h"

class TMvecFont;
class TTexture;

// Loaded fonts by name; owns them. "__DEFAULT" is the built-in font.
class TFontData
{
public:
  static TFontData* GetInstance();
  static void ShutDown();

  TFontData();
  ~TFontData();

  // The font of that name, loaded on first use: the file, else "fonts/default.mvec", else the
  // built-in font. Null only when even the built-in font is unusable.
  TMvecFont* GetMvec(str name);

private:
  TFontData(const TFontData&) = delete;
  TFontData& operator=(const TFontData&) = delete;

  TMvecFont* LoadFile(const str& name);
  static TMvecFont* MakeBuiltIn();

  std::map<str, TMvecFont*> mFonts;
  static TFontData* sInstance;
};

struct TFontEntry
{
  str mFace;
  int mSize = 16;
  TColor mColor;
};

// The tag state while laying out.
class TTextState
{
public:
  static const int kStackSize = 32;
  // Tags longer than this are cut; attribute values fit in a buffer of this size.
  static const int kTagBufferSize = 129;

  TTextState();
  void Reset(const str& face, int size, const TColor& colour);

  // The current font entry; the stack index may count past the stack, the entry never does.
  TFontEntry& Font();
  int GetFontIndex() const { return mFontIndex; }
  void SetFontIndex(int index) { mFontIndex = index; }
  // -1 means the graphic's own alignment.
  int GetAlignment() const;

  bool ParseTag(char const* at, int* consumed, bool* lineBreak, int* pad, bool* cursor, bool* alignChanged, int* tab);
  // value must hold kTagBufferSize bytes.
  static bool GetAttribute(char const* tag, char const* name, char* value);

  TFontEntry mFonts[kStackSize];
  int mFontIndex;
  bool mBold, mItalic, mUnderline;
  int mAlign[kStackSize];
  int mAlignIndex;
  str mLinkId;
  TColor mCurrentColor;
  float mOutlineSize;
  TColor mOutlineColor;
};

class TTextRun
{
public:
  TTextRun(TTextState* state, int start, TMvecFont* fallback);

  TMvecFont* mFont;
  float mScale;
  int mSize;
  int mBaseline;
  TMvecFont* mFaceFont;
  TColor mFontColor;
  unsigned char mBold, mItalic, mUnderline, mCursor;
  int mStart, mEnd;
  int mStartX, mEndX;
  str mLinkId;
  TColor mCurrentColor;
  float mOutlineSize;
  TColor mOutlineColor;
  int mTabPos;
  int mFontIndex;
};

class TTextLine
{
public:
  int mHeight = 0;
  int mBaseline = 0;
  int mX = 0;
  float mXOffset = 0.0f;
  std::vector<TTextRun> mRuns;
};

class TTextGraphic
{
public:
  // Flags.
  enum
  {
    kCenter = 1,
    kRight = 2,
    kVCenter = 4,
    kBottom = 8
  };

  // Set by the configuration key "legacylinewrap": a word too long for its line keeps the
  // character that overflowed.
  static bool mLegacyLineWrap;

  static TTextGraphic* Create(str text, unsigned width, unsigned height, unsigned flags, char const* font,
                              unsigned lineHeight, TColor const& color);
  void Destroy();
  // The text with what the layout would read as tags or escapes escaped, so it shows as
  // it is (typed names, error messages).
  static str Escape(const str& text);

  void SetText(str text);
  str const& GetText() const { return mText; }
  void SetFont(char const* font);
  void SetLineHeight(unsigned lineHeight);
  unsigned GetLineHeight() const { return mLineHeight; }
  void SetRotation(float degrees, unsigned pivotX, unsigned pivotY);
  void SetNoBlend();
  void SetScroll(float lines) { mScroll = lines; }
  float GetScroll() const { return mScroll; }
  str const& GetFont() const { return mFontName; }
  TColor const& GetColor() const { return mColor; }
  int GetLineCount() const { return int(mLines.size()); }
  const TTextLine* GetLine(int index) const { return mLines[size_t(index)].get(); }
  int GetTotalHeight() const { return mTotalHeight; }
  unsigned GetFlags() const { return mFlags; }
  str const& GetRolloverId() const { return mRolloverId; }

  int GetMaxScroll(float scale, int spacing) const;
  int GetTextBounds(TRect* rect, float scale);
  str Pick(TPoint const& point, int spacing);
  bool Rollover(TPoint const* point, int spacing);

  void Draw(TVec2 const& pos, unsigned clipHeight, float scale, int spacing, float alpha,
            boost::shared_ptr<TTexture> target);
  void Draw(TRect const& rect, float scale, int spacing, float alpha, boost::shared_ptr<TTexture> target);

private:
  TTextGraphic();
  ~TTextGraphic();
  TTextGraphic(const TTextGraphic&) = delete;
  TTextGraphic& operator=(const TTextGraphic&) = delete;

  // Lays the text out into lines of runs, each line aligned, the block anchored.
  void RenderText();
  struct TLineLayout;
  // One run of a line: characters in one font up to a tag, a font change, the line's end
  // or a wrap.
  void LayOutRun(const unsigned char* text, int length, int* position, bool* useFallback, TMvecFont* fallback,
                 TTextLine* line, TLineLayout* layout);
  // False when the text at *position is no tag (it is then taken as characters).
  bool TakeTag(const unsigned char* text, int* position, float italicShift, TTextRun* run, TLineLayout* layout,
               bool* hasContent);
  void AdvancePen(const TTextRun& run, int glyph, TLineLayout* layout);
  // Ends the line where it no longer fits; true when the run being laid out is dropped.
  bool WrapLine(int start, int charLength, float penBefore, float carryBefore, int* position, TTextRun* run,
                TTextLine* line, TLineLayout* layout);
  // alignment: 0 left, 1 centre, 2 right; -1 the text's own.
  void AlignLine(TTextLine* line, const TLineLayout& layout, int alignment);
  void AnchorVertically();
  const unsigned char* BoxProgram(int x0, int y0, int x1, int y1);

  str mText;
  TTextState* mState;
  int mVerticalAnchor;
  int mTotalHeight;
  unsigned mWidth;
  unsigned mHeight;
  float mCos;
  float mSin;
  int mPivotX;
  int mPivotY;
  unsigned char mCopy;
  unsigned char mAccumulate;
  std::vector<boost::shared_ptr<TTextLine>> mLines;
  str mFontName;
  unsigned mLineHeight;
  TColor mColor;
  float mScroll;
  float mVerticalOffset;
  str mRolloverId;
  unsigned mFlags;
  bool mSpriteRender;
};
