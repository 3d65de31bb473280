// luacompat: the older Lua API and script globals over Lua 5.4, 5.0 number texts and
// loading scripts through the virtual file system (TFile).
#include "core/script/luacompat.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/foundation/file.h"
#include "core/foundation/debug.h"

namespace {

// Registry keys: the sizes that table.setn recorded (weak keys), and the loaded modules.
char const kSetnSizesKey[] = "qvSetnSizes";
char const kLoadedKey[] = "_LOADED";

void PushSetnSizes(lua_State* L)
{
  if (lua_getfield(L, LUA_REGISTRYINDEX, kSetnSizesKey) == LUA_TTABLE)
    return;
  lua_pop(L, 1);
  lua_newtable(L);
  lua_newtable(L);
  lua_pushstring(L, "k");
  lua_setfield(L, -2, "__mode");
  lua_setmetatable(L, -2);
  lua_pushvalue(L, -1);
  lua_setfield(L, LUA_REGISTRYINDEX, kSetnSizesKey);
}

int TableGetn(lua_State* L)
{
  luaL_checktype(L, 1, LUA_TTABLE);
  lua_pushinteger(L, lua_getn(L, 1));
  return 1;
}

int TableSetn(lua_State* L)
{
  luaL_checktype(L, 1, LUA_TTABLE);
  lua_Integer n = (lua_Integer)QvLuaToInt(L, 2);
  if (lua_getfield(L, 1, "n") == LUA_TNUMBER) {
    lua_pop(L, 1);
    lua_pushinteger(L, n);
    lua_setfield(L, 1, "n");
  } else {
    lua_pop(L, 1);
    PushSetnSizes(L);
    lua_pushvalue(L, 1);
    lua_pushinteger(L, n);
    lua_rawset(L, -3);
    lua_pop(L, 1);
  }
  lua_settop(L, 1);
  return 1;
}

int Unpack(lua_State* L)
{
  luaL_checktype(L, 1, LUA_TTABLE);
  int n = lua_getn(L, 1);
  if (n <= 0)
    return 0;
  if (!lua_checkstack(L, n))
    return luaL_error(L, "too many results to unpack");
  for (int i = 1; i <= n; ++i)
    lua_rawgeti(L, 1, i);
  return n;
}

int LoadString(lua_State* L)
{
  size_t length = 0;
  char const* text = luaL_checklstring(L, 1, &length);
  char const* chunkName = luaL_optstring(L, 2, text);
  if (QvLuaLoadText(L, text, length, chunkName) == LUA_OK)
    return 1;
  lua_pushnil(L);
  lua_insert(L, -2);
  return 2;
}

int ToString(lua_State* L)
{
  luaL_checkany(L, 1);
  if (lua_type(L, 1) == LUA_TNUMBER) {
    str text = QvLuaNumberText(lua_tonumber(L, 1));
    lua_pushlstring(L, text.c_str(), text.length());
    return 1;
  }
  // The library's own conversion, kept as upvalue 1.
  lua_pushvalue(L, lua_upvalueindex(1));
  lua_pushvalue(L, 1);
  lua_call(L, 1, 1);
  return 1;
}

int DofileContinue(lua_State* L, int status, lua_KContext base)
{
  return lua_gettop(L) - (int)base;
}

// Yieldable, so a dialog script read by dofile may wait for messages.
int Dofile(lua_State* L)
{
  char const* name = luaL_checkstring(L, 1);
  lua_settop(L, 1);
  if (QvLuaLoadFile(L, name) != LUA_OK)
    return lua_error(L);
  lua_callk(L, 0, LUA_MULTRET, 1, DofileContinue);
  return DofileContinue(L, LUA_OK, 1);
}

int Loadfile(lua_State* L)
{
  char const* name = luaL_checkstring(L, 1);
  if (QvLuaLoadFile(L, name) == LUA_OK)
    return 1;
  lua_pushnil(L);
  lua_insert(L, -2);
  return 2;
}

// Finds the module along the global LUA_PATH (";"-separated templates in which "?"
// stands for the name) and loads it: pushes the chunk, or the error text and false.
// Kept apart from Require so that no C++ object is alive when Lua raises the error,
// which unwinds by longjmp.
bool LoadModule(lua_State* L, char const* name)
{
  str path = "?;?.lua";
  lua_getglobal(L, "LUA_PATH");
  if (lua_type(L, -1) == LUA_TSTRING)
    path = lua_tostring(L, -1);
  lua_pop(L, 1);

  str found;
  unsigned start = 0;
  while (start <= path.length() && found.empty()) {
    unsigned end = path.find(';', 0, start);
    if (end == str::npos)
      end = path.length();
    str candidate = path.substr(start, int(end - start));
    candidate.replace("?", name, str::kReplaceAll);
    if (!candidate.empty() && TFile::Exists(candidate))
      found = candidate;
    start = end + 1;
  }
  if (found.empty()) {
    lua_pushfstring(L, "could not load package `%s' from path `%s'", name, path.c_str());
    return false;
  }
  return QvLuaLoadFile(L, found) == LUA_OK;
}

// The older Lua's require: each module runs once; its result (or true) is kept.
int Require(lua_State* L)
{
  char const* name = luaL_checkstring(L, 1);
  lua_settop(L, 1);
  if (lua_getfield(L, LUA_REGISTRYINDEX, kLoadedKey) != LUA_TTABLE) {
    lua_pop(L, 1);
    lua_newtable(L);
    lua_pushvalue(L, -1);
    lua_setfield(L, LUA_REGISTRYINDEX, kLoadedKey);
  }
  lua_getfield(L, 2, name);
  if (lua_toboolean(L, -1))
    return 1;
  lua_pop(L, 1);
  if (!LoadModule(L, name))
    return lua_error(L);
  lua_pushvalue(L, 1);
  lua_call(L, 1, 1);
  if (lua_isnil(L, -1)) {
    lua_pop(L, 1);
    lua_pushboolean(L, 1);
  }
  lua_pushvalue(L, -1);
  lua_setfield(L, 2, name);
  return 1;
}

void SetField(lua_State* L, char const* table, char const* name, lua_CFunction function)
{
  if (lua_getglobal(L, table) == LUA_TTABLE) {
    lua_pushcfunction(L, function);
    lua_setfield(L, -2, name);
  }
  lua_pop(L, 1);
}

void Alias(lua_State* L, char const* table, char const* from, char const* to)
{
  if (lua_getglobal(L, table) == LUA_TTABLE) {
    lua_getfield(L, -1, from);
    lua_setfield(L, -2, to);
  }
  lua_pop(L, 1);
}

} // namespace

int lua_getn(lua_State* L, int index)
{
  index = lua_absindex(L, index);
  if (lua_type(L, index) != LUA_TTABLE)
    return 0;
  int n = -1;
  if (lua_getfield(L, index, "n") == LUA_TNUMBER)
    n = QvLuaToInt(L, -1);
  lua_pop(L, 1);
  if (n >= 0)
    return n;
  if (lua_getfield(L, LUA_REGISTRYINDEX, kSetnSizesKey) == LUA_TTABLE) {
    lua_pushvalue(L, index);
    if (lua_rawget(L, -2) == LUA_TNUMBER)
      n = QvLuaToInt(L, -1);
    lua_pop(L, 1);
  }
  lua_pop(L, 1);
  if (n >= 0)
    return n;
  lua_Unsigned length = lua_rawlen(L, index);
  return length > (lua_Unsigned)INT_MAX ? INT_MAX : (int)length;
}

void lua_newuserdatabox(lua_State* L, void* value)
{
  void** box = static_cast<void**>(lua_newuserdatauv(L, sizeof(void*), 0));
  *box = value;
}

void* lua_unboxpointer(lua_State* L, int index)
{
  if (lua_type(L, index) != LUA_TUSERDATA || lua_rawlen(L, index) != sizeof(void*))
    return nullptr;
  return *static_cast<void**>(lua_touserdata(L, index));
}

int lua_dobuffer(lua_State* L, char const* buffer, size_t size, char const* name)
{
  int status = luaL_loadbufferx(L, buffer, size, name, "t");
  if (status == LUA_OK)
    return lua_pcall(L, 0, LUA_MULTRET, 0);
  if (lua_getglobal(L, "_ALERT") == LUA_TFUNCTION) {
    lua_pushvalue(L, -2);
    lua_pcall(L, 1, 0, 0);
  } else {
    lua_pop(L, 1);
  }
  lua_pop(L, 1);
  return status;
}

void lua_setgcthreshold(lua_State* L, int kilobytes)
{
  if (kilobytes <= 0)
    lua_gc(L, LUA_GCCOLLECT, 0);
}

void QvLuaOpenCompat(lua_State* L)
{
  SetField(L, "table", "getn", TableGetn);
  SetField(L, "table", "setn", TableSetn);
  Alias(L, "string", "gmatch", "gfind");
  Alias(L, "math", "fmod", "mod");
  lua_pushcfunction(L, Unpack);
  lua_setglobal(L, "unpack");
  lua_pushcfunction(L, LoadString);
  lua_setglobal(L, "loadstring");
  lua_getglobal(L, "tostring");
  lua_pushcclosure(L, ToString, 1);
  lua_setglobal(L, "tostring");
  lua_pushcfunction(L, Dofile);
  lua_setglobal(L, "dofile");
  lua_pushcfunction(L, Loadfile);
  lua_setglobal(L, "loadfile");
  lua_pushcfunction(L, Require);
  lua_setglobal(L, "require");
}

void QvLuaOpenMath(lua_State* L)
{
  luaL_requiref(L, LUA_MATHLIBNAME, luaopen_math, 1);
  lua_pop(L, 1);
  Alias(L, "math", "fmod", "mod");
}

void QvLuaPushNumber(lua_State* L, double value)
{
  // Only where every integer is exact in a double, so no value changes.
  if (value > -9007199254740992.0 && value < 9007199254740992.0 && value == (double)(long long)value) {
    lua_pushinteger(L, (lua_Integer)value);
  } else {
    lua_pushnumber(L, value);
  }
}

str QvLuaNumberText(double value)
{
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.14g", value);
  return str(buffer);
}

bool QvLuaToStr(lua_State* L, int index, str* out)
{
  switch (lua_type(L, index)) {
  case LUA_TSTRING: {
    size_t length = 0;
    char const* text = lua_tolstring(L, index, &length);
    *out = str(text, length);
    return true;
  }
  case LUA_TNUMBER:
    *out = QvLuaNumberText(lua_tonumber(L, index));
    return true;
  default:
    *out = str();
    return false;
  }
}

int QvLuaDoubleToInt(double value)
{
  if (!(value == value))
    return 0;
  if (value >= 2147483647.0)
    return INT_MAX;
  if (value <= -2147483648.0)
    return INT_MIN;
  return (int)value;
}

int QvLuaToInt(lua_State* L, int index)
{
  return QvLuaDoubleToInt(lua_tonumber(L, index));
}

unsigned QvLuaToUnsigned(lua_State* L, int index)
{
  double value = lua_tonumber(L, index);
  if (!(value == value))
    return 0;
  // Negative values wrap as a C conversion through a signed integer would.
  if (value < 0)
    return (unsigned)QvLuaDoubleToInt(value);
  if (value >= 4294967295.0)
    return 0xFFFFFFFFu;
  return (unsigned)value;
}

lua_State* QvLuaMainThread(lua_State* L)
{
  lua_rawgeti(L, LUA_REGISTRYINDEX, LUA_RIDX_MAINTHREAD);
  lua_State* main = lua_tothread(L, -1);
  lua_pop(L, 1);
  return main;
}

bool QvLuaReadFile(const str& name, str* text, str* error)
{
  TFile file;
  if (name.empty() || !file.Open(name, kFileRead)) {
    if (error)
      *error = str::getFormatted("cannot read %s", name.c_str());
    return false;
  }
  unsigned long size = file.Size();
  if (size > kMaxScriptBytes) {
    if (error)
      *error = str::getFormatted("%s is too large (%lu bytes)", name.c_str(), size);
    return false;
  }
  str bytes;
  if (size > 0) {
    bytes._reserve((unsigned)size + 1);
    char buffer[8192];
    unsigned long total = 0;
    while (total < size) {
      unsigned long want = size - total < sizeof buffer ? size - total : sizeof buffer;
      unsigned long got = file.Read(buffer, want);
      if (got == 0)
        break;
      bytes += str(buffer, got);
      total += got;
    }
  }
  *text = bytes;
  return true;
}

int QvLuaLoadText(lua_State* L, char const* text, size_t size, char const* chunkName)
{
  return luaL_loadbufferx(L, text, size, chunkName, "t");
}

int QvLuaLoadFile(lua_State* L, const str& name)
{
  str text, error;
  if (!QvLuaReadFile(name, &text, &error)) {
    lua_pushlstring(L, error.c_str(), error.length());
    return LUA_ERRFILE;
  }
  // A first line starting with "#" is skipped, its line end kept for the line numbers.
  char const* bytes = text.c_str();
  size_t size = text.length();
  if (size > 0 && bytes[0] == '#') {
    while (size > 0 && *bytes != '\n') {
      ++bytes;
      --size;
    }
  }
  str chunkName = "@" + name;
  return QvLuaLoadText(L, bytes, size, chunkName.c_str());
}
