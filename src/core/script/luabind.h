// luabind: binds native free functions and member functions of one object to global Lua
// functions, converting arguments and results by fixed rules; used by every Lua API of the engine.
#pragma once

#include <cstring>
#include <tuple>
#include <type_traits>
#include <utility>

#include <lua.hpp>

#include "core/foundation/str.h"
#include "core/script/luacompat.h"
#include "core/script/luatable.h"

class TMessage;

namespace LPCD {

// One converter per native parameter type; a converter lives until the call returns, so
// text it hands out stays valid for the callee.
template <typename T>
struct Arg;

template <>
struct Arg<str>
{
  str mValue;
  Arg(lua_State* L, int i) { QvLuaToStr(L, i, &mValue); }
  str Get() const { return mValue; }
};
template <>
struct Arg<const str&> : Arg<str>
{
  using Arg<str>::Arg;
};
template <>
struct Arg<char const*>
{
  str mValue;
  bool mPresent;
  Arg(lua_State* L, int i) { mPresent = QvLuaToStr(L, i, &mValue); }
  char const* Get() const { return mPresent ? mValue.c_str() : nullptr; }
};
template <>
struct Arg<int>
{
  int mValue;
  Arg(lua_State* L, int i) : mValue(QvLuaToInt(L, i)) {}
  int Get() const { return mValue; }
};
template <>
struct Arg<unsigned>
{
  unsigned mValue;
  Arg(lua_State* L, int i) : mValue(QvLuaToUnsigned(L, i)) {}
  unsigned Get() const { return mValue; }
};
template <>
struct Arg<float>
{
  float mValue;
  Arg(lua_State* L, int i) : mValue((float)lua_tonumber(L, i)) {}
  float Get() const { return mValue; }
};
template <>
struct Arg<double>
{
  double mValue;
  Arg(lua_State* L, int i) : mValue(lua_tonumber(L, i)) {}
  double Get() const { return mValue; }
};
template <>
struct Arg<bool>
{
  bool mValue;
  Arg(lua_State* L, int i) : mValue(lua_toboolean(L, i) != 0) {}
  bool Get() const { return mValue; }
};
// Valid during the call only: deleted at the script's next call into Lua or resume.
template <>
struct Arg<TLuaTable*>
{
  TLuaTable* mValue;
  Arg(lua_State* L, int i)
  {
    lua_pushvalue(L, i);
    mValue = new TLuaTable(L);
    TLuaTable::DeferDelete(mValue);
  }
  TLuaTable* Get() const { return mValue; }
};
// Owned by the callee.
template <>
struct Arg<TLuaFunction*>
{
  TLuaFunction* mValue;
  Arg(lua_State* L, int i)
  {
    lua_pushvalue(L, i);
    mValue = new TLuaFunction(L);
  }
  TLuaFunction* Get() const { return mValue; }
};
template <>
struct Arg<TMessage*>
{
  TMessage* mValue;
  Arg(lua_State* L, int i) : mValue(QvLuaToMessage(L, i)) {}
  TMessage* Get() const { return mValue; }
};
template <>
struct Arg<lua_State*>
{
  lua_State* mValue;
  Arg(lua_State* L, int) : mValue(L) {}
  lua_State* Get() const { return mValue; }
};

inline int PushResult(lua_State* L, bool value)
{
  lua_pushboolean(L, value);
  return 1;
}
inline int PushResult(lua_State* L, int value)
{
  QvLuaPushNumber(L, value);
  return 1;
}
inline int PushResult(lua_State* L, unsigned value)
{
  QvLuaPushNumber(L, value);
  return 1;
}
inline int PushResult(lua_State* L, double value)
{
  QvLuaPushNumber(L, value);
  return 1;
}
inline int PushResult(lua_State* L, float value)
{
  QvLuaPushNumber(L, value);
  return 1;
}
inline int PushResult(lua_State* L, const str& value)
{
  lua_pushlstring(L, value.c_str(), value.length());
  return 1;
}
// Lua owns the message from here on.
inline int PushResult(lua_State* L, TMessage* value)
{
  QvLuaPushMessage(L, value);
  return 1;
}

template <typename R, typename F, typename... A, size_t... I>
int Call(lua_State* L, F&& function, std::index_sequence<I...>)
{
  // Braced initialisation converts the arguments left to right.
  std::tuple<Arg<A>...> args{Arg<A>(L, int(I) + 1)...};
  (void)args;
  if constexpr (std::is_void_v<R>) {
    function(std::get<I>(args).Get()...);
    return 0;
  } else {
    return PushResult(L, function(std::get<I>(args).Get()...));
  }
}

template <typename R, typename... A>
int FreeDispatch(lua_State* L)
{
  typedef R (*Function)(A...);
  Function function;
  std::memcpy(&function, lua_touserdata(L, lua_upvalueindex(1)), sizeof function);
  return Call<R, Function, A...>(L, std::move(function), std::index_sequence_for<A...>{});
}

// The object pointer comes first in every member record, so a binding's target can be
// recognised (LuaIsBoundTo).
template <typename C, typename M>
struct MemberRecord
{
  C* mObject;
  M mMember;
};

template <typename C, typename M, typename R, typename... A>
int MemberDispatch(lua_State* L)
{
  MemberRecord<C, M> record;
  std::memcpy(&record, lua_touserdata(L, lua_upvalueindex(1)), sizeof record);
  auto call = [&record](auto... values) -> R { return (record.mObject->*record.mMember)(values...); };
  return Call<R, decltype(call), A...>(L, std::move(call), std::index_sequence_for<A...>{});
}

template <typename C>
int RawDispatch(lua_State* L)
{
  MemberRecord<C, int (C::*)(lua_State*)> record;
  std::memcpy(&record, lua_touserdata(L, lua_upvalueindex(1)), sizeof record);
  return (record.mObject->*record.mMember)(L);
}

inline void Register(lua_State* L, char const* name, void const* record, size_t size, lua_CFunction dispatch)
{
  void* block = lua_newuserdatauv(L, size, 0);
  std::memcpy(block, record, size);
  lua_pushcclosure(L, dispatch, 1);
  lua_setglobal(L, name);
}

} // namespace LPCD

// Registering a name again replaces the earlier binding. A bound object is not owned:
// it must outlive the binding or take its names back with LuaUnbind.
template <typename R, typename... A>
void LuaBind(lua_State* L, char const* name, R (*function)(A...))
{
  LPCD::Register(L, name, &function, sizeof function, &LPCD::FreeDispatch<R, A...>);
}

template <typename C, typename R, typename... A>
void LuaBind(lua_State* L, char const* name, C* object, R (C::*member)(A...))
{
  typedef R (C::*Member)(A...);
  LPCD::MemberRecord<C, Member> record{object, member};
  LPCD::Register(L, name, &record, sizeof record, &LPCD::MemberDispatch<C, Member, R, A...>);
}

template <typename C, typename R, typename... A>
void LuaBind(lua_State* L, char const* name, C* object, R (C::*member)(A...) const)
{
  typedef R (C::*Member)(A...) const;
  LPCD::MemberRecord<C, Member> record{object, member};
  LPCD::Register(L, name, &record, sizeof record, &LPCD::MemberDispatch<C, Member, R, A...>);
}

// The member reads its arguments from the stack itself and returns how many results it pushed.
template <typename C>
void LuaBindRaw(lua_State* L, char const* name, C* object, int (C::*member)(lua_State*))
{
  LPCD::MemberRecord<C, int (C::*)(lua_State*)> record{object, member};
  LPCD::Register(L, name, &record, sizeof record, &LPCD::RawDispatch<C>);
}

// Sets the global to nil.
void LuaUnbind(lua_State* L, char const* name);

// True when the global is a member binding whose object is `object`.
bool LuaIsBoundTo(lua_State* L, char const* name, void const* object);
