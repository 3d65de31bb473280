// textgraphic: rich text laid out from tagged UTF-8 into lines of styled runs and drawn
// with vector fonts through the glyph rasteriser; also the registry of loaded fonts.
#include "core/graphics/textgraphic.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <memory>

#include "core/foundation/config.h"
#include "core/foundation/file.h"
#include "core/foundation/utf8.h"
#include "core/graphics/defaultfont.h"
#include "core/graphics/mvecfont.h"
#include "core/graphics/qvminivecdraw.h"
#include "core/graphics/renderer.h"
#include "core/foundation/debug.h"

bool TTextGraphic::mLegacyLineWrap = false;
TFontData* TFontData::sInstance = nullptr;

namespace {

const char kDefaultFontName[] = "__DEFAULT";
const char kFallbackFontFile[] = "fonts/default.mvec";
// Font files larger than this are not fonts.
const unsigned long kMaxFontFileSize = 64ul << 20;

int RoundHalfAway(float value)
{
  return int(value < 0.0f ? value - 0.5f : value + 0.5f);
}

// Quarter pixels to whole pixels as the layout stores them.
int PenToPixels(float pen)
{
  return RoundHalfAway(pen) / 4;
}

// One character from at most remaining bytes; malformed bytes give the replacement
// character, which no font has, and never swallow the next character.
unsigned long DecodeUTF8(const unsigned char* p, int remaining, int* length)
{
  const TUtf8Char character = DecodeUtf8Char(p, size_t(remaining));
  *length = int(character.length);
  return character.code;
}

// Hexadecimal colour with or without "#"; withAlpha reads eight digits as red, green, blue, alpha.
TColor ParseColor(const char* value, bool withAlpha)
{
  if (*value == '#') {
    ++value;
  }
  unsigned long bits = std::strtoul(value, nullptr, 16);
  size_t digits = 0;
  while (std::isxdigit(static_cast<unsigned char>(value[digits]))) {
    ++digits;
  }
  TColor colour;
  if (withAlpha && digits == 8) {
    colour.Init((bits >> 24) & 0xFF, (bits >> 16) & 0xFF, (bits >> 8) & 0xFF, bits & 0xFF);
  } else {
    colour.Init((bits >> 16) & 0xFF, (bits >> 8) & 0xFF, bits & 0xFF, 255);
  }
  return colour;
}

} // namespace

// ---------------------------------------------------------------------------------------
// Fonts

TFontData* TFontData::GetInstance()
{
  if (!sInstance) {
    sInstance = new TFontData();
  }
  return sInstance;
}

void TFontData::ShutDown()
{
  delete sInstance;
  sInstance = nullptr;
}

TFontData::TFontData() {}

TFontData::~TFontData()
{
  for (auto& entry : mFonts) {
    delete entry.second;
  }
}

TMvecFont* TFontData::MakeBuiltIn()
{
  unsigned char* copy = new unsigned char[kDefaultFontSize];
  std::memcpy(copy, kDefaultFontData, kDefaultFontSize);
  TMvecFont* font = new TMvecFont(copy, kDefaultFontSize);
  if (!font->IsUsable()) {
    delete font;
    return nullptr;
  }
  return font;
}

TMvecFont* TFontData::LoadFile(const str& name)
{
  TFile file;
  if (!file.Open(name, kFileRead)) {
    // The caller says it, with what stands in.
    return nullptr;
  }
  const unsigned long size = file.Size();
  if (size == 0 || size > kMaxFontFileSize) {
    WriteDbg("ERROR: Font file %s has an unusable size of %lu bytes", name.c_str(), size);
    return nullptr;
  }
  unsigned char* bytes = new unsigned char[size];
  if (file.Read(bytes, size) != size) {
    delete[] bytes;
    WriteDbg("ERROR: Font file %s could not be read", name.c_str());
    return nullptr;
  }
  TMvecFont* font = new TMvecFont(bytes, size);
  // A font without glyphs or without height cannot size a line; the next choice is taken.
  if (!font->IsUsable()) {
    WriteDbg("ERROR: Font file %s has no usable glyphs", name.c_str());
    delete font;
    return nullptr;
  }
  return font;
}

TMvecFont* TFontData::GetMvec(str name)
{
  auto found = mFonts.find(name);
  if (found != mFonts.end()) {
    return found->second;
  }
  TMvecFont* font = nullptr;
  if (name == kDefaultFontName) {
    font = MakeBuiltIn();
  } else {
    // The fallback file has the built-in font behind it by design: only other fonts are
    // reported when they cannot be used.
    const bool fallback = name == kFallbackFontFile;
    font = LoadFile(name);
    if (!font && !fallback) {
      font = LoadFile(kFallbackFontFile);
      if (font) {
        WriteDbg("ERROR: Font file %s cannot be used; %s stands in", name.c_str(), kFallbackFontFile);
      }
    }
    if (!font) {
      font = MakeBuiltIn();
      if (font && !fallback) {
        WriteDbg("ERROR: Font file %s cannot be used; the built-in font stands in", name.c_str());
      }
    }
  }
  if (!font) {
    WriteDbg("ERROR: Font not found: %s", name.c_str());
  }
  mFonts[name] = font;
  return font;
}

// ---------------------------------------------------------------------------------------
// Tag state

TTextState::TTextState()
{
  Reset(kDefaultFontName, 16, TColor());
}

void TTextState::Reset(const str& face, int size, const TColor& colour)
{
  mFontIndex = 0;
  mFonts[0].mFace = face;
  mFonts[0].mSize = size;
  mFonts[0].mColor = colour;
  mBold = mItalic = mUnderline = false;
  mAlignIndex = 0;
  mAlign[0] = -1;
  mLinkId = str();
  mCurrentColor = TColor();
  mOutlineSize = 0.0f;
  mOutlineColor = TColor();
}

TFontEntry& TTextState::Font()
{
  return mFonts[std::max(0, std::min(mFontIndex, kStackSize - 1))];
}

int TTextState::GetAlignment() const
{
  return mAlign[std::max(0, std::min(mAlignIndex, kStackSize - 1))];
}

bool TTextState::GetAttribute(char const* tag, char const* name, char* value)
{
  const char* found = std::strstr(tag, name);
  if (!found) {
    return false;
  }
  const char* at = found + std::strlen(name);
  if (*at == '=') {
    ++at;
  }
  const char quote = *at;
  if (quote != '"' && quote != '\'') {
    return false;
  }
  const char* close = std::strchr(at + 1, quote);
  if (!close) {
    return false;
  }
  const size_t length = std::min(size_t(close - at - 1), size_t(kTagBufferSize - 1));
  std::memcpy(value, at + 1, length);
  value[length] = 0;
  return true;
}

bool TTextState::ParseTag(char const* at, int* consumed, bool* lineBreak, int* pad, bool* cursor, bool* alignChanged,
                          int* tab)
{
  if (*at != '<') {
    return false;
  }
  char tag[kTagBufferSize];
  int used = 0;
  bool inQuotes = false;
  bool inValue = false;
  int length = 0;
  for (;; ++length) {
    const char c = at[length];
    if (c == 0) {
      return false;
    }
    if (c == '"' || c == '\'') {
      inQuotes = !inQuotes;
    } else if (c == ' ' && !inQuotes) {
      inValue = false;
      continue;
    } else if (c == '=') {
      inValue = true;
    }
    if (used < kTagBufferSize - 1) {
      tag[used++] = inValue || inQuotes ? c : char(std::tolower(static_cast<unsigned char>(c)));
    }
    if (c == '>' && !inQuotes) {
      break;
    }
  }
  tag[used] = 0;
  *consumed = length + 1;

  static const char* const kNames[] = {"br",     "/p",   "a",      "/a",      "b",        "/b",   "i",     "/i",
                                       "u",      "/u",   "cursor", "center",  "/center",  "left", "/left", "right",
                                       "/right", "font", "/font",  "outline", "/outline", "tab"};
  const char* name = tag + 1;
  int which = -1;
  for (int i = 0; i < int(sizeof(kNames) / sizeof(kNames[0])); ++i) {
    if (std::strncmp(name, kNames[i], std::strlen(kNames[i])) == 0) {
      which = i;
      break;
    }
  }
  char value[kTagBufferSize];
  switch (which) {
  case 0: // br
    *lineBreak = true;
    if (GetAttribute(tag, "pad", value)) {
      *pad += std::atoi(value);
    }
    break;
  case 1: // /p
    *lineBreak = true;
    break;
  case 2: // a
    if (GetAttribute(tag, "id", value)) {
      mLinkId = value;
    }
    if (GetAttribute(tag, "color", value)) {
      mCurrentColor = ParseColor(value, false);
    } else {
      mCurrentColor = Font().mColor;
    }
    break;
  case 3: // /a
    mLinkId = str();
    mCurrentColor = Font().mColor;
    break;
  case 4:
    mBold = true;
    break;
  case 5:
    mBold = false;
    break;
  case 6:
    mItalic = true;
    break;
  case 7:
    mItalic = false;
    break;
  case 8:
    mUnderline = true;
    break;
  case 9:
    mUnderline = false;
    break;
  case 10: // cursor
    *cursor = true;
    break;
  case 11:
  case 13:
  case 15: { // center, left, right
    ++mAlignIndex;
    if (mAlignIndex < kStackSize) {
      mAlign[mAlignIndex] = which == 11 ? 1 : which == 13 ? 0 : 2;
    }
    *alignChanged = true;
    break;
  }
  case 12:
  case 14:
  case 16: // /center, /left, /right
    mAlignIndex = std::max(0, mAlignIndex - 1);
    *alignChanged = true;
    break;
  case 17: { // font
    const TFontEntry previous = Font();
    ++mFontIndex;
    Font() = previous;
    if (GetAttribute(tag, "size", value)) {
      Font().mSize = std::atoi(value);
    }
    if (GetAttribute(tag, "color", value)) {
      Font().mColor = ParseColor(value, true);
    }
    if (GetAttribute(tag, "face", value)) {
      Font().mFace = value;
    }
    break;
  }
  case 18: // /font
    mFontIndex = std::max(0, mFontIndex - 1);
    break;
  case 19: // outline
    if (GetAttribute(tag, "color", value)) {
      mOutlineColor = ParseColor(value, false);
    }
    mOutlineSize = GetAttribute(tag, "size", value) ? float(std::atoi(value)) : 2.0f;
    break;
  case 20: // /outline
    mOutlineSize = 0.0f;
    mOutlineColor = TColor();
    break;
  case 21: // tab
    if (GetAttribute(tag, "pos", value)) {
      *tab = std::atoi(value) * 4;
    }
    break;
  default:
    break;
  }
  return true;
}

// ---------------------------------------------------------------------------------------
// Runs

TTextRun::TTextRun(TTextState* state, int start, TMvecFont* fallback)
    : mFont(nullptr), mScale(0.0f), mSize(0), mBaseline(0), mFaceFont(nullptr), mBold(0), mItalic(0), mUnderline(0),
      mCursor(0), mStart(start), mEnd(-2), mStartX(0), mEndX(0), mOutlineSize(0.0f), mTabPos(0),
      mFontIndex(state->GetFontIndex())
{
  const TFontEntry& entry = state->Font();
  TMvecFont* face = TFontData::GetInstance()->GetMvec(entry.mFace);
  mFont = face;
  if (fallback) {
    mFont = fallback;
    mFaceFont = face;
  }
  if (!mFont || !mFont->IsUsable()) {
    mFont = nullptr;
    return;
  }
  mSize = entry.mSize;
  mScale = mFont->GetLinePercent() * float(mSize) * 4.0f / (mFont->GetAscent() + mFont->GetDescent());
  if (entry.mFace.find("lithos") != str::npos) {
    mScale *= 0.7f;
  }
  mBaseline = int(mScale * (mFont->GetAscent() + mFont->GetLeading(true)));
  mFontColor = entry.mColor;
  mBold = state->mBold;
  mItalic = state->mItalic;
  mUnderline = state->mUnderline;
  mLinkId = state->mLinkId;
  mCurrentColor = state->mCurrentColor;
  mOutlineSize = state->mOutlineSize;
  mOutlineColor = state->mOutlineColor;
}

// ---------------------------------------------------------------------------------------
// Graphic

TTextGraphic::TTextGraphic()
    : mState(new TTextState()), mVerticalAnchor(0), mTotalHeight(0), mWidth(0), mHeight(0), mCos(1.0f), mSin(0.0f),
      mPivotX(0), mPivotY(0), mCopy(0), mAccumulate(0), mLineHeight(16), mScroll(0.0f), mVerticalOffset(0.0f),
      mFlags(0), mSpriteRender(TConfig::Get(TConfig::kTextGraphicSpriteRender, "").to_int() > 0)
{}

TTextGraphic::~TTextGraphic()
{
  delete mState;
}

TTextGraphic* TTextGraphic::Create(str text, unsigned width, unsigned height, unsigned flags, char const* font,
                                   unsigned lineHeight, TColor const& color)
{
  TTextGraphic* graphic = new TTextGraphic();
  graphic->mFlags = flags;
  graphic->SetFont(font);
  graphic->mLineHeight = lineHeight;
  graphic->mColor = color;
  graphic->mWidth = width;
  graphic->mHeight = height;
  if (text != graphic->mText) {
    graphic->mText = text;
    graphic->RenderText();
  }
  return graphic;
}

void TTextGraphic::Destroy()
{
  delete this;
}

str TTextGraphic::Escape(const str& text)
{
  str out;
  for (unsigned at = 0; at < text.length(); ++at) {
    const char c = text[at];
    if (c == '<' || c == '\\') {
      out += '\\';
    }
    out += c;
  }
  return out;
}

void TTextGraphic::SetText(str text)
{
  if (text != mText) {
    mText = text;
    RenderText();
  }
}

void TTextGraphic::SetFont(char const* font)
{
  const str name = font && font[0] ? str(font) : str(kDefaultFontName);
  if (name != mFontName) {
    mFontName = name;
    RenderText();
  }
}

void TTextGraphic::SetLineHeight(unsigned lineHeight)
{
  if (lineHeight != mLineHeight) {
    mLineHeight = lineHeight;
    RenderText();
  }
}

void TTextGraphic::SetRotation(float degrees, unsigned pivotX, unsigned pivotY)
{
  const float radians = degrees * 3.14159265358979f / 180.0f;
  mCos = std::cos(radians);
  mSin = std::sin(radians);
  if (std::fabs(mCos - 1.0f) < 0.0001f && std::fabs(mSin) < 0.0001f) {
    mCos = 1.0f;
    mSin = 0.0f;
  }
  mPivotX = int(pivotX);
  mPivotY = int(pivotY);
  RenderText();
}

void TTextGraphic::SetNoBlend()
{
  mCopy = 1;
  mAccumulate = 0;
}

// Where the layout of one line stands: the pen and its carry in quarter pixels, the last
// space (where the line may break), the outlines at both ends and how the line ended.
struct TTextGraphic::TLineLayout
{
  float pen = 0.0f;
  float carry = 0.0f;
  int lastSpace = 0;
  float penAtSpace = 0.0f;
  bool italicInForce = false;
  bool firstGlyph = true;
  float firstMove = 0.0f;
  float firstOutline = 0.0f;
  float lastOutline = 0.0f;
  int charsOnLine = 0;
  int pad = 0;
  bool lineDone = false;
  bool endedAtAlign = false;
};

void TTextGraphic::RenderText()
{
  mLines.clear();
  mTotalHeight = 0;
  mState->Reset(mFontName, int(mLineHeight), mColor);
  TMvecFont* fallback = TFontData::GetInstance()->GetMvec(kFallbackFontFile);

  const unsigned char* text = reinterpret_cast<const unsigned char*>(mText.c_str());
  const int length = int(mText.length());
  int pos = 0;
  bool useFallback = false;
  bool alignSeen = false;
  int alignOfPreviousLine = -1;

  while (pos < length) {
    boost::shared_ptr<TTextLine> line(new TTextLine());
    TLineLayout layout;
    layout.lastSpace = pos;
    while (!layout.lineDone && pos < length) {
      LayOutRun(text, length, &pos, &useFallback, fallback, line.get(), &layout);
    }
    for (const TTextRun& kept : line->mRuns) {
      line->mHeight = std::max(line->mHeight, kept.mSize);
      line->mBaseline = std::max(line->mBaseline, kept.mBaseline);
    }
    line->mHeight += layout.pad;
    // An alignment tag that ended the previous line aligns this one.
    AlignLine(line.get(), layout, alignSeen ? alignOfPreviousLine : -1);
    mTotalHeight += line->mHeight;
    mLines.push_back(line);
    if (layout.endedAtAlign) {
      alignSeen = true;
    }
    alignOfPreviousLine = mState->GetAlignment();
  }
  AnchorVertically();
}

void TTextGraphic::LayOutRun(const unsigned char* text, int length, int* position, bool* useFallback,
                             TMvecFont* fallback, TTextLine* line, TLineLayout* layout)
{
  int& pos = *position;
  TTextRun run(mState, pos, *useFallback ? fallback : nullptr);
  *useFallback = false;
  run.mStartX = PenToPixels(layout->pen);
  float italicShift = 0.0f;
  if (run.mFont && (run.mItalic != 0) != layout->italicInForce) {
    italicShift = run.mScale / 3.0f * (run.mItalic ? run.mFont->GetDescent() : run.mFont->GetAscent());
    layout->pen += italicShift;
    layout->italicInForce = run.mItalic != 0;
  }
  bool hasContent = false;
  bool dropRun = false;
  while (pos < length) {
    if (text[pos] == '<' && TakeTag(text, &pos, italicShift, &run, layout, &hasContent)) {
      break;
    }
    int start = pos;
    if (text[pos] == '\\') {
      if (pos + 1 >= length) {
        // A backslash that ends the text escapes nothing.
        pos = length;
        break;
      }
      ++pos;
    }
    int charLength = 1;
    const unsigned long code = DecodeUTF8(text + pos, length - pos, &charLength);
    if (code == '\n') {
      run.mEnd = start - 1;
      pos += charLength;
      layout->lineDone = true;
      break;
    }
    if (!run.mFont) {
      pos += charLength;
      hasContent = true;
      continue;
    }
    if (run.mFaceFont && run.mFaceFont->IsUsable() && run.mFaceFont->GetGlyphIndex(code) >= 0) {
      run.mEnd = start - 1;
      pos = start;
      break;
    }
    const int glyph = run.mFont->GetGlyphIndex(code);
    if (glyph < 0) {
      if (fallback && fallback != run.mFont && fallback->GetGlyphIndex(code) >= 0) {
        run.mEnd = start - 1;
        pos = start;
        *useFallback = true;
        break;
      }
      pos += charLength;
      continue;
    }
    const float penBefore = layout->pen;
    const float carryBefore = layout->carry;
    if (code == ' ') {
      layout->lastSpace = start;
      layout->penAtSpace = layout->pen;
    }
    AdvancePen(run, glyph, layout);
    hasContent = true;

    const int edge = RoundHalfAway((layout->firstOutline + 1.0f + layout->lastOutline) * 4.0f + layout->pen);
    if (edge > int(mWidth) * 4) {
      dropRun = WrapLine(start, charLength, penBefore, carryBefore, &pos, &run, line, layout);
      break;
    }
    ++layout->charsOnLine;
    pos += charLength;
  }
  if (pos >= length && run.mEnd == -2) {
    run.mEnd = length - 1;
  }
  if (dropRun) {
    return;
  }
  run.mEndX = PenToPixels(layout->pen);
  if (!hasContent) {
    run.mSize = 0;
    run.mBaseline = 0;
  }
  line->mRuns.push_back(run);
}

bool TTextGraphic::TakeTag(const unsigned char* text, int* position, float italicShift, TTextRun* run,
                           TLineLayout* layout, bool* hasContent)
{
  int& pos = *position;
  int consumed = 0;
  bool lineBreak = false;
  bool cursor = false;
  bool alignChanged = false;
  int tab = 0;
  if (!mState->ParseTag(reinterpret_cast<const char*>(text + pos), &consumed, &lineBreak, &layout->pad, &cursor,
                        &alignChanged, &tab)) {
    return false;
  }
  run->mEnd = pos - 1;
  pos += consumed;
  run->mCursor = cursor ? 1 : 0;
  if (lineBreak) {
    *hasContent = true;
    layout->lineDone = true;
  }
  if (cursor) {
    *hasContent = true;
    layout->pen -= italicShift;
  }
  if (alignChanged) {
    layout->lineDone = true;
    layout->endedAtAlign = true;
  }
  if (tab != 0) {
    run->mTabPos = tab;
    layout->pen = float(tab);
  }
  return true;
}

void TTextGraphic::AdvancePen(const TTextRun& run, int glyph, TLineLayout* layout)
{
  const float advance = run.mFont->GetGlyphAdvance(glyph);
  const float right = run.mFont->GetGlyphMaxX(glyph);
  layout->pen += layout->carry + std::max(advance, right) * run.mScale;
  layout->carry = right > advance ? run.mScale * (advance - right) : 0.0f;
  if (layout->firstGlyph) {
    layout->firstMove = 4.0f - run.mScale * run.mFont->GetGlyphMinX(glyph);
    layout->pen += layout->firstMove;
    layout->firstOutline = run.mOutlineSize;
    layout->firstGlyph = false;
  }
  layout->lastOutline = run.mOutlineSize;
}

bool TTextGraphic::WrapLine(int start, int charLength, float penBefore, float carryBefore, int* position, TTextRun* run,
                            TTextLine* line, TLineLayout* layout)
{
  int& pos = *position;
  bool dropRun = false;
  if (layout->penAtSpace != 0.0f) {
    // Break at the last space, which belongs to neither line; what followed it is laid out
    // again on the next line.
    const int lastSpace = layout->lastSpace;
    std::vector<TTextRun>& runs = line->mRuns;
    runs.erase(std::remove_if(runs.begin(), runs.end(),
                              [lastSpace](const TTextRun& kept) { return kept.mStart >= lastSpace; }),
               runs.end());
    if (run->mStart < lastSpace) {
      run->mEnd = lastSpace - 1;
      mState->SetFontIndex(run->mFontIndex);
    } else {
      dropRun = true;
      if (!runs.empty()) {
        runs.back().mEnd = std::min(runs.back().mEnd, lastSpace - 1);
        runs.back().mEndX = PenToPixels(layout->penAtSpace);
        mState->SetFontIndex(runs.back().mFontIndex);
      }
    }
    layout->pen = layout->penAtSpace;
    pos = lastSpace + 1;
  } else if (layout->charsOnLine == 0 || mLegacyLineWrap) {
    run->mEnd = pos + charLength - 1;
    pos += charLength;
  } else {
    layout->pen = penBefore;
    layout->carry = carryBefore;
    run->mEnd = start - 1;
    pos = start;
  }
  layout->lineDone = true;
  return dropRun;
}

void TTextGraphic::AlignLine(TTextLine* line, const TLineLayout& layout, int alignment)
{
  if (alignment < 0) {
    alignment = (mFlags & kCenter) ? 1 : (mFlags & kRight) ? 2 : 0;
  }
  const int width = PenToPixels(layout.pen);
  if (alignment == 2) {
    line->mX = int(mWidth) - RoundHalfAway(layout.lastOutline) - 1;
    line->mXOffset = float(-width);
  } else if (alignment == 1) {
    line->mX = int(mWidth) / 2;
    line->mXOffset = -width * 0.5f;
  } else {
    line->mX = RoundHalfAway(layout.firstOutline);
    line->mXOffset = 0.0f;
  }
  line->mXOffset += layout.firstMove / 4.0f + 0.5f;
}

void TTextGraphic::AnchorVertically()
{
  if (mFlags & kVCenter) {
    mVerticalAnchor = int(mHeight) / 2;
    mVerticalOffset = -mTotalHeight / 2.0f;
  } else if (mFlags & kBottom) {
    mVerticalAnchor = int(mHeight);
    mVerticalOffset = float(-mTotalHeight);
  } else {
    mVerticalAnchor = 0;
    mVerticalOffset = 0.0f;
  }
}

const unsigned char* TTextGraphic::BoxProgram(int x0, int y0, int x1, int y1)
{
  // Programs are cached by address in the rasteriser, so each box shape keeps one address.
  static std::map<std::vector<int>, std::vector<unsigned char>> sPrograms;
  const std::vector<int> key = {x0, y0, x1, y1};
  std::vector<unsigned char>& program = sPrograms[key];
  if (program.empty()) {
    auto point = [&program](unsigned char opcode, int x, int y) {
      program.push_back(opcode);
      const int16_t px = int16_t(std::max(-32768, std::min(32767, x)));
      const int16_t py = int16_t(std::max(-32768, std::min(32767, y)));
      program.push_back(uint8_t(uint16_t(px) & 0xFF));
      program.push_back(uint8_t(uint16_t(px) >> 8));
      program.push_back(uint8_t(uint16_t(py) & 0xFF));
      program.push_back(uint8_t(uint16_t(py) >> 8));
    };
    program.push_back(kMvecLeftFill);
    program.push_back(1);
    point(kMvecMoveTo, x0, y0);
    point(kMvecLineTo, x1, y0);
    point(kMvecLineTo, x1, y1);
    point(kMvecLineTo, x0, y1);
    point(kMvecLineTo, x0, y0);
    program.push_back(kMvecEnd);
  }
  return program.data();
}

void TTextGraphic::Draw(TRect const& rect, float scale, int spacing, float alpha, boost::shared_ptr<TTexture> target)
{
  Draw(TVec2(float(rect.left), float(rect.top)), unsigned(std::max(0, rect.bottom - rect.top)), scale, spacing, alpha,
       target);
}

void TTextGraphic::Draw(TVec2 const& pos, unsigned clipHeight, float scale, int spacing, float alpha,
                        boost::shared_ptr<TTexture> target)
{
  if (scale < 0.0f || mLines.empty()) {
    return;
  }
  TVec2 origin = pos;
  if (!target) {
    TRect viewport;
    TRenderer::GetInstance()->GetViewport(&viewport);
    origin.x += float(viewport.left);
    origin.y += float(viewport.top);
  }
  TQvMiniVecDraw* raster = TQvMiniVecDraw::GetInstance();
  raster->SetCopy(mCopy != 0);
  raster->SetAccumulate(mAccumulate != 0);
  raster->SetRotation(mCos, mSin);

  const int firstLine = std::max(0, int(mScroll));
  const float y = origin.y - (mScroll - float(firstLine)) * float(mLineHeight) * scale;
  float top = mSpriteRender ? mVerticalAnchor / (scale != 0.0f ? scale : 1.0f) + mVerticalOffset
                            : scale * mVerticalOffset + mVerticalAnchor;

  for (size_t index = size_t(firstLine); index < mLines.size(); ++index) {
    const TTextLine& line = *mLines[index];
    const float bottom = mSpriteRender ? (top + float(mLineHeight)) * scale : float(line.mHeight) * scale + top;
    if (bottom > float(clipHeight)) {
      break;
    }
    if (bottom < 0.0f) {
      top += float(spacing + line.mHeight);
      continue;
    }
    float penX = 0.0f;
    float penY = 0.0f;
    bool italicInForce = false;
    for (const TTextRun& run : line.mRuns) {
      if (!run.mFont) {
        for (int i = run.mStart; i <= run.mEnd; ++i) {
          WriteDbg("ERROR: FONT missing in text when attempting to render string %s.", mText.c_str());
        }
        continue;
      }
      const float runScale = scale * run.mScale;
      float outline = 0.0f;
      if (run.mOutlineSize != 0.0f) {
        outline = run.mOutlineSize;
        raster->SetColor(255, run.mOutlineColor, alpha);
      }
      const TColor glyphColor = !mRolloverId.empty() && mRolloverId == run.mLinkId ? run.mCurrentColor : run.mFontColor;
      float bold = 0.0f;
      if (run.mBold || run.mFont->GetForceBold()) {
        bold = float(run.mSize) * scale * 0.0125f * run.mFont->GetBoldScale();
        if (outline != 0.0f) {
          outline += bold;
          raster->SetColor(254, glyphColor, alpha);
        } else {
          raster->SetColor(255, glyphColor, alpha);
        }
      }
      if (outline != 0.0f) {
        raster->SetOutlineWidth(0, outline);
        raster->SetOutlineWidth(1, bold);
      } else {
        raster->SetOutlineWidth(0, bold);
        raster->SetOutlineWidth(1, 0.0f);
      }
      raster->SetColor(1, glyphColor, alpha);

      float lineX = float(line.mX) + scale * line.mXOffset;
      float lineY = (float(line.mBaseline) * 0.25f + top) * scale;
      if (mSin != 0.0f) {
        const float dx = lineX - mPivotX;
        const float dy = lineY - mPivotY;
        lineX = mPivotX + dx * mCos - dy * mSin;
        lineY = mPivotY + dx * mSin + dy * mCos;
      }
      if (!raster->Start(lineX + origin.x, lineY + y, target)) {
        continue;
      }
      if ((run.mItalic != 0) != italicInForce) {
        const float shift =
            scale * run.mScale / 3.0f * (run.mItalic ? run.mFont->GetDescent() : run.mFont->GetAscent());
        penX += shift * mCos;
        penY += shift * mSin;
        italicInForce = run.mItalic != 0;
      }
      const float runPenX = penX;
      const float runPenY = penY;
      float advances = 0.0f;
      raster->SetItalic(run.mItalic != 0);
      const unsigned char* text = reinterpret_cast<const unsigned char*>(mText.c_str());
      const int length = int(mText.length());
      const int end = std::min(run.mEnd, length - 1);
      for (int at = run.mStart; at <= end && at >= 0;) {
        if (text[at] == '\\') {
          if (at + 1 >= length) {
            break;
          }
          ++at;
        }
        int charLength = 1;
        const unsigned long code = DecodeUTF8(text + at, length - at, &charLength);
        at += charLength;
        const int glyph = run.mFont->GetGlyphIndex(code);
        if (glyph < 0 || code == '\n') {
          continue;
        }
        raster->SetScale(runScale, runScale * run.mFont->GetGlyphScaleY(glyph));
        raster->Draw(run.mFont->GetGlyphData(glyph), RoundHalfAway(penX), int(penY));
        const float advance = run.mFont->GetGlyphAdvance(glyph);
        advances += advance;
        penX += advance * runScale * mCos;
        penY += advance * runScale * mSin;
      }
      if (run.mTabPos != 0) {
        penX = float(run.mTabPos) * mCos;
        penY = float(run.mTabPos) * mSin;
      }
      if (run.mCursor) {
        raster->SetItalic(false);
        raster->SetOutlineWidth(0, 0.0f);
        raster->SetOutlineWidth(1, 0.0f);
        raster->SetScale(1.0f, runScale);
        const int descent = RoundHalfAway(run.mFont->GetDescent());
        const int ascent = RoundHalfAway(run.mFont->GetAscent());
        raster->Draw(BoxProgram(0, descent * 128, 3 * 128, -ascent * 128), RoundHalfAway(penX), int(penY));
      }
      if (run.mUnderline && advances > 0.0f) {
        raster->SetItalic(false);
        raster->SetOutlineWidth(0, 0.0f);
        raster->SetOutlineWidth(1, 0.0f);
        raster->SetScale(runScale * advances, 1.0f);
        raster->Draw(BoxProgram(0, 8 * 128, 128, 11 * 128), RoundHalfAway(runPenX), int(runPenY));
      }
    }
    top += float(spacing + line.mHeight);
  }
  raster->Stop();
}

str TTextGraphic::Pick(TPoint const& point, int spacing)
{
  float y = float(mVerticalAnchor) + mVerticalOffset;
  for (size_t index = size_t(std::max(0, int(mScroll))); index < mLines.size(); ++index) {
    const TTextLine& line = *mLines[index];
    if (point.y >= y - spacing && point.y < y + line.mHeight) {
      for (const TTextRun& run : line.mRuns) {
        const float left = line.mX + run.mStartX + line.mXOffset;
        const float right = line.mX + run.mEndX + line.mXOffset;
        if (point.x >= left && point.x < right) {
          return run.mLinkId;
        }
      }
    }
    y += float(spacing + line.mHeight);
  }
  return str();
}

bool TTextGraphic::Rollover(TPoint const* point, int spacing)
{
  const str picked = point ? Pick(*point, spacing) : str();
  if (picked == mRolloverId) {
    return false;
  }
  mRolloverId = picked;
  return true;
}

int TTextGraphic::GetTextBounds(TRect* rect, float scale)
{
  bool any = false;
  float left = 0.0f;
  float right = 0.0f;
  for (size_t index = size_t(std::max(0, int(mScroll))); index < mLines.size(); ++index) {
    const TTextLine& line = *mLines[index];
    if (line.mRuns.empty()) {
      continue;
    }
    const float lineLeft = line.mX + scale * (line.mRuns.front().mStartX + line.mXOffset);
    const float lineRight = line.mX + scale * (line.mRuns.back().mEndX + line.mXOffset);
    left = any ? std::min(left, lineLeft) : lineLeft;
    right = any ? std::max(right, lineRight) : lineRight;
    any = true;
  }
  const int top = int(mVerticalAnchor + scale * mVerticalOffset);
  const int bottom = int(top + scale * mTotalHeight);
  if (rect) {
    rect->left = any ? int(left) : 0;
    rect->right = any ? int(right) : 0;
    rect->top = top;
    rect->bottom = bottom;
  }
  return bottom;
}

int TTextGraphic::GetMaxScroll(float scale, int spacing) const
{
  float sum = 0.0f;
  for (int index = int(mLines.size()) - 1; index >= 0; --index) {
    sum += float(mLines[size_t(index)]->mHeight + spacing) * scale;
    if (sum > float(mHeight)) {
      return index + 1;
    }
  }
  return 0;
}
