// infowindow: the six score lines of the round result.
#include "shell/infowindow.h"

#include "core/window/text.h"
#include "shell/gamedefs.h"

namespace {

TRoundScores* gScoreSource = nullptr;

// Child, format; in the order of tableScore.
const char* const kLines[6][2] = {{"objects", "Objects: %d"},   {"extra_time", "Extra time: %d"},
                                  {"no_hints", "No hints: %d"}, {"decals", "Decals: %d"},
                                  {"puzzles", "Puzzles: %d"},   {"total", "Total: %d"}};

} // namespace

TWindow* TInfoWindowDynamicCreate()
{
  return new TInfoWindow;
}

intptr_t TInfoWindow::ClassId()
{
  static const intptr_t id = RegisterCreatable(&TInfoWindowDynamicCreate);
  return id;
}

void TInfoWindow::SetScoreSource(TRoundScores* source)
{
  gScoreSource = source;
}

void TInfoWindow::PostChildrenInit(TWindowStyle&)
{
  for (int i = 0; i < 6; ++i) {
    const uint32_t points = gScoreSource ? gScoreSource->GetScore(tableScore[i]) : 0;
    // A script without one of the lines still gets the others.
    if (TText* text = GetCast<TText>(GetChildWindow(kLines[i][0], -1))) {
      text->SetText(str::getFormatted(kLines[i][1], int(points)));
    }
  }
}
