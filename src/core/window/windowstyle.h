// windowstyle: the read-only view of a window's style table (a Lua table of the window
// script) through which windows take their keys; falls back to the default style and its "parent" chain.
#pragma once

#include <boost/shared_ptr.hpp>

#include "core/foundation/color.h"
#include "core/foundation/str.h"

class TLuaFunction;
class TLuaTable;
struct lua_State;

// Without a table the style answers every key with its default (an empty style).
// Subclasses (test styles) may override the lookups.
class TWindowStyle
{
public:
  TWindowStyle() : mTable(nullptr) {}
  // The table is not owned; it must outlive the style.
  explicit TWindowStyle(TLuaTable* table) : mTable(table) {}
  virtual ~TWindowStyle() {}

  virtual bool Has(const char* key) const;
  virtual double GetNumber(const char* key, double defaultValue) const;
  virtual str GetString(const char* key, const str& defaultValue) const;
  // Booleans as they are, numbers other than 0 as true; strings and other types are
  // logged and read as false.
  virtual bool GetBool(const char* key, bool defaultValue) const;
  // Elements 1 to 4 of a table, raw and unscaled; a missing element reads as 0.
  virtual TColor GetColor(const char* key, const TColor& defaultValue) const;

  // Truncated towards zero and held inside the int range.
  int GetInt(const char* key, int defaultValue) const;
  // Empty when the key is not found or is no table.
  boost::shared_ptr<TLuaTable> GetTable(const char* key) const;
  // A new wrapper owned by the caller, or null when the key is not found.
  TLuaFunction* GetFunction(const char* key) const;

  double GetNumber(const str& key, double defaultValue) const { return GetNumber(key.c_str(), defaultValue); }
  str GetString(const str& key, const str& defaultValue) const { return GetString(key.c_str(), defaultValue); }
  bool GetBool(const str& key, bool defaultValue) const { return GetBool(key.c_str(), defaultValue); }
  int GetInt(const str& key, int defaultValue) const { return GetInt(key.c_str(), defaultValue); }

  // The lookup: with useDefault, the style's own table, then gCurrentDefaultStyle and
  // its "parent" chain. On success the value is left on top of the table's Lua stack.
  bool _GetTag(const char* key, bool useDefault) const;

  TLuaTable* GetLuaTable() const { return mTable; }

private:
  TLuaTable* mTable;
};

// The lookup on a Lua stack: the style at styleIndex (a table, or anything else to read
// the globals), then with useDefault the default style and its "parent" chain. A cycle
// in the chain ends the search. Pushes the value and returns true, or pushes nothing.
bool QvLuaFindStyleTag(lua_State* L, int styleIndex, const char* key, bool useDefault);
