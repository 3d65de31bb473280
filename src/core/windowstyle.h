// windowstyle: the read-only view of a window's style table through which windows take
// their name, position and size; the script host supplies the table behind it.
#pragma once

#include "core/color.h"
#include "core/str.h"

// This base answers every key with its default (an empty style); the script host's
// style overrides the lookups.
class TWindowStyle
{
public:
  virtual ~TWindowStyle() {}

  virtual bool Has(const char* key) const { return false; }
  virtual double GetNumber(const char* key, double defaultValue) const { return defaultValue; }
  virtual str GetString(const char* key, const str& defaultValue) const { return defaultValue; }
  virtual bool GetBool(const char* key, bool defaultValue) const { return defaultValue; }
  virtual TColor GetColor(const char* key, const TColor& defaultValue) const { return defaultValue; }

  int GetInt(const char* key, int defaultValue) const { return int(GetNumber(key, defaultValue)); }
};
