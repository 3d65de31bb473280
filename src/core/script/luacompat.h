// luacompat: the one place where the engine's scripts and native code meet the Lua 5.4
// library: the older API calls the engine is written against, 5.0 number texts, and script loading over the virtual file system.
#pragma once

#include <cstddef>

#include <lua.hpp>

#include "core/foundation/str.h"

// Largest script file read into memory.
constexpr unsigned long kMaxScriptBytes = 16ul * 1024 * 1024;

// The length of a table as the older Lua counted it: its field "n" when that is a
// number, else a size recorded by table.setn, else the border the # operator finds.
int lua_getn(lua_State* L, int index);

// A full userdata that carries one pointer-sized value; lua_unboxpointer reads it back
// (null for anything that is not such a userdata).
void lua_newuserdatabox(lua_State* L, void* value);
void* lua_unboxpointer(lua_State* L, int index);

// Loads the bytes under the chunk name and runs them; a load error goes to the global
// "_ALERT" when there is one. Returns the Lua status.
int lua_dobuffer(lua_State* L, char const* buffer, size_t size, char const* name);

// 0 forces a full collection; the incremental collector needs no threshold otherwise.
void lua_setgcthreshold(lua_State* L, int kilobytes);

// Installs the older globals over the libraries already opened: table.getn/setn,
// unpack, loadstring, string.gfind, math.mod (when math is open), a tostring that
// writes numbers as "%.14g", and dofile, loadfile and require reading virtual files.
void QvLuaOpenCompat(lua_State* L);

// Opens the math library as the global "math" (with math.mod) for states that compute.
void QvLuaOpenMath(lua_State* L);

// Pushes a number from native code; whole numbers go as Lua integers, so that even the
// ".." operator writes them as the engine always has ("5", not "5.0").
void QvLuaPushNumber(lua_State* L, double value);

// The text of a number as the engine has always written it ("5", not "5.0").
str QvLuaNumberText(double value);

// The string conversion of native bindings: strings as they are, numbers as
// QvLuaNumberText; false (and *out emptied) for every other type.
bool QvLuaToStr(lua_State* L, int index, str* out);

// Number conversion truncated towards zero and held inside the int range (NaN gives 0),
// so no conversion is ever undefined.
int QvLuaToInt(lua_State* L, int index);
unsigned QvLuaToUnsigned(lua_State* L, int index);
int QvLuaDoubleToInt(double value);

// The state's main thread (the state every native wrapper keeps).
lua_State* QvLuaMainThread(lua_State* L);

// Reads a script file through the virtual file system (size-checked).
bool QvLuaReadFile(const str& name, str* text, str* error);

// Loads a script file as text under the chunk name "@" + name; pushes the function,
// or the error text on failure. Returns the Lua status.
int QvLuaLoadFile(lua_State* L, const str& name);

// Loads text under a chunk name (text mode only); pushes the function or the error.
int QvLuaLoadText(lua_State* L, char const* text, size_t size, char const* chunkName);
