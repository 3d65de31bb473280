// credits: reads the credits file into blocks of laid-out columns and scrolls them; talks
// to the virtual file system, the rich-text layout and the renderer's 2D mode.
#include "shell/credits.h"

#include <algorithm>
#include <cstring>

#include "core/foundation/timesource.h"
#include "core/foundation/file.h"
#include "core/foundation/utf8.h"
#include "core/graphics/renderer.h"
#include "core/graphics/textgraphic.h"
#include "core/window/windowstyle.h"
#include "shell/shellglue.h"
#include "core/foundation/debug.h"

namespace {

bool IsTrimmed(char c)
{
  // A '\r' stays: a file with "\r\n" line ends keeps it in its last column.
  return c == ' ' || c == '\t' || c == '\n';
}

str Trim(const str& text)
{
  unsigned start = 0;
  unsigned end = text.length();
  while (start < end && IsTrimmed(text[start])) {
    ++start;
  }
  while (end > start && IsTrimmed(text[end - 1])) {
    --end;
  }
  return text.substr(start, int(end - start));
}

// The layout gives a line without characters no height, so a blank line of the file would
// not part the sections; laid out as a line break tag, it takes a line of the font's height.
str WithBlankLinesHeld(const str& text)
{
  str held;
  for (unsigned i = 0; i < text.length(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] == '\n')) {
      held += "<br>";
    } else {
      held += text[i];
    }
  }
  return held;
}

// A line of the credits is UTF-8 text: no control character but the tab and the line end.
// A line that filled the buffer may end inside a character, which the next read completes.
bool IsTextLine(const char* line, size_t length, bool filled, bool continued)
{
  size_t at = 0;
  while (continued && at < length && at < 3 && ((unsigned char)line[at] & 0xC0) == 0x80) {
    ++at;
  }
  while (at < length) {
    const TUtf8Char c = DecodeUtf8Char(reinterpret_cast<const unsigned char*>(line + at), length - at);
    if (!c.valid && !(filled && at + c.length == length && (unsigned char)line[at] >= 0xC0)) {
      return false;
    }
    if (c.valid && ((c.code < 32 && c.code != '\t' && c.code != '\r' && c.code != '\n') || c.code == 127)) {
      return false;
    }
    at += c.length;
  }
  return true;
}

int Byte(float component)
{
  const int value = int(component * 255.0f);
  return std::max(0, std::min(255, value));
}

} // namespace

TCredits::GTextLine::GTextLine(const str& line, const TColor& header)
{
  const str open = str::getFormatted("<font color='%02x%02x%02x%02x'>", Byte(header.r), Byte(header.g), Byte(header.b),
                                     Byte(header.a));
  const char* text = line.c_str();
  while (true) {
    const char* bar = std::strchr(text, '|');
    const str piece = bar ? str(text, (unsigned long)(bar - text)) : str(text);
    str column = Trim(piece);
    if (!column.empty()) {
      column = column.replace(str("["), open, str::kReplaceAll);
      column = column.replace(str("]"), str("</font>"), str::kReplaceAll);
      mColumns.push_back(column);
    }
    if (!bar) {
      break;
    }
    text = bar + 1;
  }
}

TCredits::GTextBlock::GTextCol::GTextCol()
{
  mText._reserve(255);
}

TCredits::GTextBlock::GTextCol::GTextCol(GTextCol&& other) noexcept : mText(other.mText), mGraphic(other.mGraphic)
{
  other.mGraphic = nullptr;
}

TCredits::GTextBlock::GTextCol::~GTextCol()
{
  if (mGraphic) {
    mGraphic->Destroy();
  }
}

void TCredits::GTextBlock::GTextCol::AddLine(const str& text)
{
  mText += text;
  mText += "\n";
}

void TCredits::GTextBlock::GTextCol::AddEmptyLine()
{
  mText += "\n";
}

void TCredits::GTextBlock::GTextCol::Complete(int width, int height, const str& font, int size, const TColor& colour)
{
  if (mGraphic) {
    mGraphic->Destroy();
  }
  mGraphic =
      TTextGraphic::Create(WithBlankLinesHeld(mText), unsigned(std::max(width, 1)), unsigned(std::max(height, 1)),
                           TTextGraphic::kCenter, font.c_str(), unsigned(std::max(size, 1)), colour);
}

int TCredits::GTextBlock::GTextCol::GetHeight()
{
  if (!mGraphic) {
    return 0;
  }
  TRect bounds;
  mGraphic->GetTextBounds(&bounds, 1.0f);
  return bounds.bottom - bounds.top;
}

void TCredits::GTextBlock::GTextCol::Draw(int x, int y)
{
  if (!mGraphic) {
    return;
  }
  TRect bounds;
  mGraphic->GetTextBounds(&bounds, 1.0f);
  mGraphic->Draw(TRect(x, y, x + (bounds.right - bounds.left), y + (bounds.bottom - bounds.top)), 1.0f, 0, 1.0f,
                 boost::shared_ptr<TTexture>());
}

TCredits::GTextBlock::GTextBlock(int columns)
{
  mColumns.reserve(size_t(std::max(columns, 0)));
  for (int i = 0; i < columns; ++i) {
    mColumns.emplace_back();
  }
}

void TCredits::GTextBlock::AddLine(GTextLine* line)
{
  for (size_t i = 0; i < mColumns.size() && i < line->mColumns.size(); ++i) {
    mColumns[i].AddLine(line->mColumns[i]);
  }
}

void TCredits::GTextBlock::AddEmptyLine()
{
  for (GTextCol& column : mColumns) {
    column.AddEmptyLine();
  }
}

void TCredits::GTextBlock::Complete(int width, int height, const str& font, int size, const TColor& colour)
{
  mWidth = width;
  mHeight = 0;
  const int count = int(mColumns.size());
  for (GTextCol& column : mColumns) {
    column.Complete(width / count, height, font, size, colour);
    mHeight = std::max(mHeight, column.GetHeight());
  }
}

void TCredits::GTextBlock::Draw(int x, int y)
{
  const int count = int(mColumns.size());
  for (int i = 0; i < count; ++i) {
    mColumns[size_t(i)].Draw(x + i * mWidth / count, y);
  }
}

TWindow* TCreditsDynamicCreate()
{
  return new TCredits;
}

intptr_t TCredits::ClassId()
{
  static const intptr_t id = RegisterCreatable(&TCreditsDynamicCreate);
  return id;
}

TCredits::~TCredits()
{
  for (GTextBlock* block : mBlocks) {
    delete block;
  }
}

TCredits::GTextBlock* TCredits::CreateTextBlock(int columns)
{
  mBlocks.push_back(new GTextBlock(columns));
  return mBlocks.back();
}

void TCredits::Init(TWindowStyle& style)
{
  TWindow::Init(style);
  mSpeed = float(style.GetNumber("speed", 10));
  mIntroPause = style.GetInt("intropause", 0);
  mFont = style.GetString("font", "");
  mFontSize = int(style.GetNumber("fontsize", 16));
  mFontColour = style.GetColor("fontcolor", TColor(1, 1, 1, 1));
  mHeaderColour = style.GetColor("headercolor", TColor(1, 1, 1, 1));
  mFile = style.GetString("file", "");
  ReadFile();
  mTotalHeight = 0;
  for (GTextBlock* block : mBlocks) {
    mTotalHeight += block->GetHeight();
  }
  mStartTime = TTimeSource::Timer();
  StartWindowAnimation(kFrameMs, true, true, false);
}

void TCredits::ReadFile()
{
  TFile* file = qv_open(mFile.c_str(), 1);
  if (!file) {
    WriteDbg("ERROR: The credits file '%s' cannot be opened", mFile.c_str());
    return;
  }
  const int width = GetWindowWidth();
  const int height = GetWindowHeight();
  GTextBlock* block = nullptr;
  char buffer[kLineBytes];
  int lineNumber = 0;
  bool continued = false;
  for (;;) {
    buffer[0] = 0;
    const char* end = qv_gets(file, buffer, sizeof buffer);
    const bool more = end != nullptr;
    if (more) {
      ++lineNumber;
    }
    // Bytes read that the line does not hold are zero bytes: not text, like any other
    // byte that is no character of a line.
    const size_t length = std::strlen(buffer);
    const bool zeros = more && size_t(end - buffer) != length;
    const bool filled = length + 1 == sizeof buffer;
    if (zeros || !IsTextLine(buffer, length, filled, continued)) {
      WriteDbg("ERROR: The credits file '%s' is damaged at line %d (not text); the rest is not shown", mFile.c_str(),
               lineNumber);
      break;
    }
    continued = filled && buffer[length - 1] != '\n' && buffer[length - 1] != '\r';
    if (buffer[0]) {
      GTextLine line(buffer, mHeaderColour);
      const int columns = int(line.mColumns.size());
      if (!block) {
        block = CreateTextBlock(columns);
      }
      if (columns > 0) {
        if (columns != block->GetColumnCount()) {
          block->Complete(width, height, mFont, mFontSize, mFontColour);
          block = CreateTextBlock(columns);
        }
        block->AddLine(&line);
      } else {
        block->AddEmptyLine();
      }
    }
    // A read that brought nothing and did not end the file would repeat for ever.
    if (!more || !buffer[0]) {
      break;
    }
  }
  if (lineNumber == 0) {
    WriteDbg("ERROR: The credits file '%s' is empty", mFile.c_str());
  }
  if (block) {
    block->Complete(width, height, mFont, mFontSize, mFontColour);
  }
  qv_close(file);
}

bool TCredits::ScrollTop(uint32_t now, int* top)
{
  const int height = GetWindowHeight();
  const int span = height * mLooped + mTotalHeight;
  // An empty or missing file, or no speed, has no pass to time.
  if (mSpeed <= 0.0f || span <= 0) {
    return false;
  }
  const int period = int(float(span) * 1000.0f / mSpeed);
  if (period <= 0) {
    return false;
  }
  // The pause is timed from the first frame that shows the text: on a slow machine the
  // window may be built well before that frame, and the text would open half scrolled away.
  if (!mShown) {
    mShown = true;
    mStartTime = now;
  }
  const int elapsed = std::max(0, int32_t(now - mStartTime) - mIntroPause);
  if (mLooped == 0 && elapsed > period) {
    mStartTime = now - uint32_t(mIntroPause);
    mLooped = 1;
  }
  const int phase = elapsed % period;
  const int offset = int(int64_t(height * mLooped + mTotalHeight) * phase / period);
  *top = height * mLooped - offset;
  return true;
}

void TCredits::Draw()
{
  int y = 0;
  if (!ScrollTop(TTimeSource::Timer(), &y)) {
    return;
  }
  TBegin2d twoD;
  for (GTextBlock* block : mBlocks) {
    block->Draw(0, y);
    y += block->GetHeight();
  }
}

bool TCredits::OnTaskAnimate()
{
  InvalidateGameScreen();
  return true;
}
