// luatable: registry-pinned handles on Lua values, the message userdata and the binding
// helpers; talks to the Lua state of the owning TScript.
#include "core/script/luatable.h"

#include <vector>

#include "core/script/luabind.h"
#include "core/script/luacompat.h"
#include "core/script/script.h"
#include "core/script/message.h"
#include "core/foundation/debug.h"

TLuaObjectWrapper::TLuaObjectWrapper(lua_State* L) : mState(QvLuaMainThread(L))
{
  lua_rawsetp(L, LUA_REGISTRYINDEX, this);
}

TLuaObjectWrapper::~TLuaObjectWrapper()
{
  lua_pushnil(mState);
  lua_rawsetp(mState, LUA_REGISTRYINDEX, this);
}

void TLuaObjectWrapper::Push(lua_State* L) const
{
  lua_rawgetp(L ? L : mState, LUA_REGISTRYINDEX, this);
}

int TLuaObjectWrapper::GetType() const
{
  int type = lua_rawgetp(mState, LUA_REGISTRYINDEX, this);
  lua_pop(mState, 1);
  return type;
}

namespace {

// Pushes table[key] (raw, no metamethods) onto the table's stack; pushKey pushes the key.
// False, with the stack as it was, when the value is not a table or the field is nil.
template <typename PushKey>
bool PushField(const TLuaTable& table, PushKey pushKey)
{
  lua_State* L = table.GetState();
  lua_checkstack(L, 3);
  table.Push();
  if (lua_type(L, -1) != LUA_TTABLE) {
    lua_pop(L, 1);
    return false;
  }
  pushKey(L);
  lua_rawget(L, -2);
  lua_remove(L, -2);
  if (lua_isnil(L, -1)) {
    lua_pop(L, 1);
    return false;
  }
  return true;
}

} // namespace

bool TLuaTable::PushValue(double key) const
{
  return PushField(*this, [key](lua_State* L) { lua_pushnumber(L, key); });
}

bool TLuaTable::PushValue(char const* key) const
{
  return PushField(*this, [key](lua_State* L) { lua_pushstring(L, key); });
}

namespace {

template <typename Key>
str ReadString(const TLuaTable& table, Key key, const str& defaultValue)
{
  if (!table.PushValue(key))
    return defaultValue;
  str text;
  QvLuaToStr(table.GetState(), -1, &text);
  lua_pop(table.GetState(), 1);
  return text;
}

template <typename Key>
double ReadNumber(const TLuaTable& table, Key key, double defaultValue)
{
  if (!table.PushValue(key))
    return defaultValue;
  double value = lua_tonumber(table.GetState(), -1);
  lua_pop(table.GetState(), 1);
  return value;
}

template <typename Key>
TLuaTable* ReadTable(const TLuaTable& table, Key key)
{
  if (!table.PushValue(key))
    return nullptr;
  if (lua_type(table.GetState(), -1) != LUA_TTABLE) {
    lua_pop(table.GetState(), 1);
    return nullptr;
  }
  return new TLuaTable(table.GetState());
}

// Tables handed to native code while no script owns the state; freed at exit.
std::vector<TLuaTable*>& OrphanTables()
{
  static std::vector<TLuaTable*> tables;
  return tables;
}

int MessageGc(lua_State* L)
{
  void** box = static_cast<void**>(luaL_testudata(L, 1, kMessageMetatable));
  if (box && *box) {
    delete static_cast<TMessage*>(*box);
    *box = nullptr;
  }
  return 0;
}

int MessageIndex(lua_State* L)
{
  void** box = static_cast<void**>(luaL_testudata(L, 1, kMessageMetatable));
  if (!box || !*box)
    return 0;
  TMessage* message = static_cast<TMessage*>(*box);
  char const* key = lua_tostring(L, 2);
  if (key && std::strcmp(key, "type") == 0) {
    QvLuaPushNumber(L, message->GetType());
    return 1;
  }
  if (key && std::strcmp(key, "name") == 0) {
    str const& name = message->GetName();
    lua_pushlstring(L, name.c_str(), name.length());
    return 1;
  }
  lua_pushnil(L);
  return 1;
}

} // namespace

str TLuaTable::GetString(double index, const str& defaultValue) const
{
  return ReadString(*this, index, defaultValue);
}
str TLuaTable::GetString(char const* key, const str& defaultValue) const
{
  return ReadString(*this, key, defaultValue);
}
double TLuaTable::GetNumber(double index, double defaultValue) const
{
  return ReadNumber(*this, index, defaultValue);
}
double TLuaTable::GetNumber(char const* key, double defaultValue) const
{
  return ReadNumber(*this, key, defaultValue);
}
TLuaTable* TLuaTable::GetTable(double index) const
{
  return ReadTable(*this, index);
}
TLuaTable* TLuaTable::GetTable(char const* key) const
{
  return ReadTable(*this, key);
}

TColor TLuaTable::GetColor(double index, const TColor& defaultValue) const
{
  TLuaTable* colour = GetTable(index);
  if (!colour)
    return defaultValue;
  TColor result((float)colour->GetNumber(1, defaultValue.r), (float)colour->GetNumber(2, defaultValue.g),
                (float)colour->GetNumber(3, defaultValue.b), (float)colour->GetNumber(4, defaultValue.a));
  delete colour;
  return result;
}

int TLuaTable::GetSize() const
{
  Push();
  int size = lua_getn(GetState(), -1);
  lua_pop(GetState(), 1);
  return size;
}

void TLuaTable::DeferDelete(TLuaTable* table)
{
  if (!table)
    return;
  lua_State* L = table->GetState();
  lua_getglobal(L, "_SCRIPT");
  TScript* script = static_cast<TScript*>(lua_touserdata(L, -1));
  lua_pop(L, 1);
  if (script) {
    script->DeferDeleteTable(table);
  } else {
    OrphanTables().push_back(table);
  }
}

bool SafeString(const str& text)
{
  char const* bytes = text.c_str();
  unsigned length = text.length();
  for (unsigned i = 0; i < length; ++i) {
    unsigned char byte = (unsigned char)bytes[i];
    if (byte == 0 || byte >= 0xC0)
      return false;
  }
  return true;
}

void QvLuaEnsureMessageMetatable(lua_State* L)
{
  if (luaL_newmetatable(L, kMessageMetatable)) {
    lua_pushcfunction(L, MessageGc);
    lua_setfield(L, -2, "__gc");
    lua_pushcfunction(L, MessageIndex);
    lua_setfield(L, -2, "__index");
  }
  lua_pop(L, 1);
}

void QvLuaPushMessage(lua_State* L, TMessage* message)
{
  if (!message) {
    lua_pushnil(L);
    return;
  }
  QvLuaEnsureMessageMetatable(L);
  lua_newuserdatabox(L, message);
  luaL_setmetatable(L, kMessageMetatable);
}

TMessage* QvLuaToMessage(lua_State* L, int index)
{
  void** box = static_cast<void**>(luaL_testudata(L, index, kMessageMetatable));
  return box ? static_cast<TMessage*>(*box) : nullptr;
}

void LuaUnbind(lua_State* L, char const* name)
{
  lua_pushnil(L);
  lua_setglobal(L, name);
}

bool LuaIsBoundTo(lua_State* L, char const* name, void const* object)
{
  bool bound = false;
  if (lua_getglobal(L, name) == LUA_TFUNCTION && lua_tocfunction(L, -1) != nullptr) {
    if (lua_getupvalue(L, -1, 1)) {
      if (lua_type(L, -1) == LUA_TUSERDATA && lua_rawlen(L, -1) >= sizeof(void*)) {
        void const* target;
        std::memcpy(&target, lua_touserdata(L, -1), sizeof target);
        bound = target == object;
      }
      lua_pop(L, 1);
    }
  }
  lua_pop(L, 1);
  return bound;
}
