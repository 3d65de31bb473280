// luacap: caps the time and memory of a Lua state under fuzzing: an instruction budget spent
// through a count hook, and an allocator that refuses to grow past a memory budget.
#pragma once

#include <cstddef>
#include <cstdlib>

#include <lua.hpp>

namespace LuaCap {

const long kInstructionBudget = 200000;
const long long kMemoryBudget = 64ll << 20;

inline long gInstructions = 0;
// Counts from 0 when the cap is installed: blocks made before it may take it below 0.
inline long long gMemory = 0;

inline void CountHook(lua_State* L, lua_Debug*)
{
  gInstructions += 1000;
  if (gInstructions > kInstructionBudget)
    luaL_error(L, "instruction budget spent");
}

inline void* CappedAlloc(void*, void* block, size_t oldSize, size_t newSize)
{
  if (!block)
    oldSize = 0;
  if (newSize == 0) {
    gMemory -= (long long)oldSize;
    std::free(block);
    return nullptr;
  }
  if (newSize > oldSize && gMemory + (long long)(newSize - oldSize) > kMemoryBudget)
    return nullptr;
  void* grown = std::realloc(block, newSize);
  if (grown)
    gMemory += (long long)newSize - (long long)oldSize;
  return grown;
}

// The state's blocks so far came from the standard allocator, which frees the same way.
inline void Install(lua_State* L)
{
  lua_sethook(L, CountHook, LUA_MASKCOUNT, 1000);
  gMemory = 0;
  lua_setallocf(L, CappedAlloc, nullptr);
}

// A new budget of instructions for the next piece of work.
inline void Refill()
{
  gInstructions = 0;
}

} // namespace LuaCap
