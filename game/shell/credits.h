// credits: the credits window ("CreditsWindow"): a text file laid out once in blocks of
// columns (split at '|', "[...]" in a header colour) that scrolls up through the window
// without end; the first pass starts at the top after an intro pause.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/foundation/color.h"
#include "core/foundation/str.h"
#include "core/window/window.h"

class TTextGraphic;

class TCredits : public TWindow
{
public:
  // One parsed line of the file: its columns, trimmed, empty ones dropped.
  class GTextLine
  {
  public:
    GTextLine(const str& line, const TColor& header);
    std::vector<str> mColumns;
  };

  // Consecutive lines with the same number of columns, laid out side by side.
  class GTextBlock
  {
  public:
    class GTextCol
    {
    public:
      GTextCol();
      GTextCol(GTextCol&& other) noexcept;
      ~GTextCol();
      void AddLine(const str& text);
      void AddEmptyLine();
      void Complete(int width, int height, const str& font, int size, const TColor& colour);
      int GetHeight();
      void Draw(int x, int y);
      const str& GetText() const { return mText; }

    private:
      GTextCol(const GTextCol&) = delete;
      GTextCol& operator=(const GTextCol&) = delete;

      str mText;
      TTextGraphic* mGraphic = nullptr;
    };

    explicit GTextBlock(int columns);
    void AddLine(GTextLine* line);
    void AddEmptyLine();
    void Complete(int width, int height, const str& font, int size, const TColor& colour);
    void Draw(int x, int y);

    int GetColumnCount() const { return int(mColumns.size()); }
    const GTextCol& GetColumn(int index) const { return mColumns[size_t(index)]; }
    int GetHeight() const { return mHeight; }

  private:
    std::vector<GTextCol> mColumns;
    int mHeight = 0;
    int mWidth = 0;
  };

  static const int kFrameMs = 16;
  static const int kLineBytes = 1024;

  static intptr_t ClassId();
  const char* GetTypeName() const override { return "TCredits"; }
  bool IsKindOf(intptr_t id) const override { return id == ClassId() || TWindow::IsKindOf(id); }

  ~TCredits() override;

  void Init(TWindowStyle& style) override;
  void Draw() override;
  bool OnTaskAnimate() override;

  GTextBlock* CreateTextBlock(int columns);
  int GetBlockCount() const { return int(mBlocks.size()); }
  const GTextBlock& GetBlock(int index) const { return *mBlocks[size_t(index)]; }
  int GetTotalHeight() const { return mTotalHeight; }
  // Where the first block stands, in window pixels, at the time given; moves on to the
  // looped passes when the first one is over. False when nothing scrolls (no text, no
  // speed): then nothing is drawn.
  bool ScrollTop(uint32_t now, int* top);
  bool IsLooped() const { return mLooped != 0; }

private:
  void ReadFile();

  std::vector<GTextBlock*> mBlocks;
  float mSpeed = 10.0f;
  int mIntroPause = 0;
  str mFont;
  int mFontSize = 16;
  TColor mFontColour;
  TColor mHeaderColour;
  str mFile;
  int mTotalHeight = 0;
  int mLooped = 0;
  uint32_t mStartTime = 0;
  bool mShown = false;
};

TWindow* TCreditsDynamicCreate();
