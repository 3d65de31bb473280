// luatable: native handles on Lua values (tables, functions, messages) that keep the
// value alive in the Lua registry while the handle lives; used by bindings and window styles.
#pragma once

#include <lua.hpp>

#include "core/foundation/color.h"
#include "core/foundation/str.h"

class TMessage;

// Pins the value that was on top of the stack (and pops it) under a registry key that
// is the wrapper's own address. Always refers to the state's main thread, so a handle
// made inside a coroutine stays valid after the coroutine has ended.
class TLuaObjectWrapper
{
public:
  explicit TLuaObjectWrapper(lua_State* L);
  virtual ~TLuaObjectWrapper();

  // Pushes the pinned value onto L (the main thread when null).
  void Push(lua_State* L = nullptr) const;
  lua_State* GetState() const { return mState; }
  int GetType() const;

private:
  TLuaObjectWrapper(const TLuaObjectWrapper&) = delete;
  TLuaObjectWrapper& operator=(const TLuaObjectWrapper&) = delete;

  lua_State* mState;
};

// Every getter leaves the Lua stack as it found it and reads raw (no metamethods, so
// a script's table can never raise an error inside native code).
class TLuaTable : public TLuaObjectWrapper
{
public:
  explicit TLuaTable(lua_State* L) : TLuaObjectWrapper(L) {}

  // Pushes the element and returns true when it is not nil; nothing stays pushed otherwise.
  bool PushValue(double key) const;
  bool PushValue(char const* key) const;

  str GetString(double index, const str& defaultValue) const;
  str GetString(char const* key, const str& defaultValue) const;
  double GetNumber(double index, double defaultValue) const;
  double GetNumber(char const* key, double defaultValue) const;
  // A new wrapper owned by the caller, or null when the element is not a table.
  TLuaTable* GetTable(double index) const;
  TLuaTable* GetTable(char const* key) const;
  // Elements 1 to 4 of a table element as red, green, blue and alpha; each one that is
  // nil keeps the default's component.
  TColor GetColor(double index, const TColor& defaultValue) const;
  // The length as the older Lua counted it (lua_getn).
  int GetSize() const;

  // Hands the table to the script that owns its state ("_SCRIPT"), which deletes it at
  // its next call into Lua or resume.
  static void DeferDelete(TLuaTable* table);
};

class TLuaFunction : public TLuaObjectWrapper
{
public:
  explicit TLuaFunction(lua_State* L) : TLuaObjectWrapper(L) {}
};

// True when the text is empty or holds only bytes below 0xC0 and no zero before its end.
bool SafeString(const str& text);

// Messages in Lua: a userdata holding the message's address with the registry
// metatable "qvMessageMetatable", which owns the message from then on.
constexpr char kMessageMetatable[] = "qvMessageMetatable";
void QvLuaEnsureMessageMetatable(lua_State* L);
// Pushes nil for a null message.
void QvLuaPushMessage(lua_State* L, TMessage* message);
// Null for nil and for anything that is not a message userdata.
TMessage* QvLuaToMessage(lua_State* L, int index);
