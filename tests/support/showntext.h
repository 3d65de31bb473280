// showntext: what a laid-out text graphic puts on screen, read from its runs, so tests can
// check that typed text shows as it was typed (tags and escapes not taken as text).
#pragma once

#include <string>

#include "core/graphics/textgraphic.h"

// The characters of every run, lines joined by "\n"; a backslash in a run shows the
// character after it, as the layout draws it.
inline std::string ShownText(const TTextGraphic* graphic)
{
  std::string shown;
  if (!graphic)
    return shown;
  const str& text = graphic->GetText();
  for (int l = 0; l < graphic->GetLineCount(); ++l) {
    if (l > 0)
      shown += '\n';
    for (const TTextRun& run : graphic->GetLine(l)->mRuns) {
      for (int at = run.mStart; at >= 0 && at <= run.mEnd && at < int(text.length()); ++at) {
        if (text[at] == '\\' && at < run.mEnd)
          ++at;
        shown += text[at];
      }
    }
  }
  return shown;
}

// True when any run of the graphic is bold.
inline bool AnyBold(const TTextGraphic* graphic)
{
  for (int l = 0; graphic && l < graphic->GetLineCount(); ++l) {
    for (const TTextRun& run : graphic->GetLine(l)->mRuns) {
      if (run.mBold)
        return true;
    }
  }
  return false;
}
