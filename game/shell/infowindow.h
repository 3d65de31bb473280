// infowindow: the round result window ("InfoWindow"): six lines with the points of the six
// score categories, read once from the game's scores when the window is built.
#pragma once

#include <cstdint>

#include "core/foundation/str.h"
#include "core/window/window.h"

// Where the round result reads the points of a score category; the game controller
// installs itself as the source.
class TRoundScores
{
public:
  virtual ~TRoundScores() {}
  virtual uint32_t GetScore(const str& category) = 0;
};

class TInfoWindow : public TWindow
{
public:
  static intptr_t ClassId();
  const char* GetTypeName() const override { return "TInfoWindow"; }
  bool IsKindOf(intptr_t id) const override { return id == ClassId() || TWindow::IsKindOf(id); }

  // Not owned; null shows zeros.
  static void SetScoreSource(TRoundScores* source);

  // Fills the six texts; takes the place of the base's pass (no fitting, sizing or placing).
  void PostChildrenInit(TWindowStyle& style) override;
};

TWindow* TInfoWindowDynamicCreate();
