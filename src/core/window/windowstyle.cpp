// windowstyle: style lookups through the window script's Lua state (TLuaTable), with the
// typed conversions windows read their keys with.
#include "core/window/windowstyle.h"

#include "core/script/luacompat.h"
#include "core/script/luatable.h"
#include "core/foundation/debug.h"

namespace {

// Longest "parent" chain followed; deeper chains are cycles in all but name.
constexpr int kMaxStyleChain = 64;

} // namespace

bool QvLuaFindStyleTag(lua_State* L, int styleIndex, const char* key, bool useDefault)
{
  styleIndex = lua_absindex(L, styleIndex);
  lua_checkstack(L, 4);
  if (lua_type(L, styleIndex) == LUA_TTABLE) {
    lua_pushstring(L, key);
    lua_rawget(L, styleIndex);
  } else {
    lua_getglobal(L, key);
  }
  if (!lua_isnil(L, -1))
    return true;
  lua_pop(L, 1);
  if (!useDefault)
    return false;

  // The default style, then its "parent", that one's "parent" and so on.
  lua_getglobal(L, "gCurrentDefaultStyle");
  // Styles are looked up for every key of every window: no allocation here.
  void const* seen[kMaxStyleChain];
  int seenCount = 0;
  while (lua_type(L, -1) == LUA_TTABLE && seenCount < kMaxStyleChain) {
    void const* table = lua_topointer(L, -1);
    for (int i = 0; i < seenCount; ++i) {
      if (seen[i] == table) {
        lua_pop(L, 1);
        return false;
      }
    }
    seen[seenCount++] = table;
    lua_pushstring(L, key);
    lua_rawget(L, -2);
    if (!lua_isnil(L, -1)) {
      lua_remove(L, -2);
      return true;
    }
    lua_pop(L, 1);
    lua_pushstring(L, "parent");
    lua_rawget(L, -2);
    lua_remove(L, -2);
  }
  lua_pop(L, 1);
  return false;
}

bool TWindowStyle::_GetTag(const char* key, bool useDefault) const
{
  if (!mTable || !key)
    return false;
  lua_State* L = mTable->GetState();
  mTable->Push();
  bool found = QvLuaFindStyleTag(L, -1, key, useDefault);
  if (found) {
    lua_remove(L, -2);
  } else {
    lua_pop(L, 1);
  }
  return found;
}

bool TWindowStyle::Has(const char* key) const
{
  if (!_GetTag(key, true))
    return false;
  lua_pop(mTable->GetState(), 1);
  return true;
}

double TWindowStyle::GetNumber(const char* key, double defaultValue) const
{
  if (!_GetTag(key, true))
    return defaultValue;
  lua_State* L = mTable->GetState();
  double value = lua_tonumber(L, -1);
  lua_pop(L, 1);
  return value;
}

int TWindowStyle::GetInt(const char* key, int defaultValue) const
{
  return QvLuaDoubleToInt(GetNumber(key, (double)defaultValue));
}

str TWindowStyle::GetString(const char* key, const str& defaultValue) const
{
  if (!_GetTag(key, true))
    return defaultValue;
  lua_State* L = mTable->GetState();
  str text;
  QvLuaToStr(L, -1, &text);
  lua_pop(L, 1);
  return text;
}

bool TWindowStyle::GetBool(const char* key, bool defaultValue) const
{
  if (!_GetTag(key, true))
    return defaultValue;
  lua_State* L = mTable->GetState();
  bool value = false;
  switch (lua_type(L, -1)) {
  case LUA_TBOOLEAN:
    value = lua_toboolean(L, -1) != 0;
    break;
  case LUA_TNUMBER:
    value = lua_tonumber(L, -1) != 0;
    break;
  case LUA_TSTRING:
    WriteDbg("PopBool used on lua string %s", lua_tostring(L, -1));
    break;
  default:
    WriteDbg("PopBool used on a type that isn't a number, a boolean, or nil. (type: %d)", lua_type(L, -1));
    break;
  }
  lua_pop(L, 1);
  return value;
}

TColor TWindowStyle::GetColor(const char* key, const TColor& defaultValue) const
{
  if (!_GetTag(key, true))
    return defaultValue;
  lua_State* L = mTable->GetState();
  if (lua_type(L, -1) != LUA_TTABLE) {
    lua_pop(L, 1);
    return defaultValue;
  }
  float components[4];
  for (int i = 0; i < 4; ++i) {
    lua_rawgeti(L, -1, i + 1);
    components[i] = (float)lua_tonumber(L, -1);
    lua_pop(L, 1);
  }
  lua_pop(L, 1);
  return TColor(components[0], components[1], components[2], components[3]);
}

boost::shared_ptr<TLuaTable> TWindowStyle::GetTable(const char* key) const
{
  if (!_GetTag(key, true))
    return boost::shared_ptr<TLuaTable>();
  lua_State* L = mTable->GetState();
  if (lua_type(L, -1) != LUA_TTABLE) {
    lua_pop(L, 1);
    return boost::shared_ptr<TLuaTable>();
  }
  return boost::shared_ptr<TLuaTable>(new TLuaTable(L));
}

TLuaFunction* TWindowStyle::GetFunction(const char* key) const
{
  if (!_GetTag(key, true))
    return nullptr;
  return new TLuaFunction(mTable->GetState());
}
